#pragma once
// Helpers shared by the filter tests.
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <unordered_map>

#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf::test {

// Lowers the decode limit for one test and restores it on every path.
class DecodeLimitScope {
 public:
  explicit DecodeLimitScope(std::size_t limit) : saved_(DecodeLimit()) { SetDecodeLimit(limit); }
  ~DecodeLimitScope() { SetDecodeLimit(saved_); }
  DecodeLimitScope(const DecodeLimitScope&) = delete;
  DecodeLimitScope& operator=(const DecodeLimitScope&) = delete;

 private:
  std::size_t saved_;
};

inline std::string RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// zlib's own one-shot compression, as an independent producer of test data.
inline std::string ZlibCompress(const std::string& plain) {
  uLongf len = compressBound(plain.size());
  std::string out(len, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &len,
            reinterpret_cast<const Bytef*>(plain.data()), plain.size(), Z_DEFAULT_COMPRESSION);
  out.resize(len);
  return out;
}

class BitWriter {
 public:
  void Put(unsigned code, unsigned width) {
    for (unsigned b = width; b-- > 0;) {
      acc_ = static_cast<uint8_t>((acc_ << 1) | ((code >> b) & 1));
      if (++n_ == 8) Flush();
    }
  }
  std::string Finish() {
    if (n_) {
      acc_ = static_cast<uint8_t>(acc_ << (8 - n_));
      Flush();
    }
    return out_;
  }

 private:
  void Flush() {
    out_.push_back(static_cast<char>(acc_));
    acc_ = 0;
    n_ = 0;
  }
  std::string out_;
  uint8_t acc_ = 0;
  unsigned n_ = 0;
};

// A plain LZW encoder for test data. With clearWhenFull false it keeps coding
// with a full table, which a decoder must follow without resetting by itself.
inline std::string LzwEncode(const std::string& in, bool early, bool clearWhenFull) {
  BitWriter bits;
  std::unordered_map<uint32_t, unsigned> dict;  // (prefix code << 8 | byte) -> code
  unsigned next = 258, width = 9, decoderCount = 257;
  auto reset = [&] {
    dict.clear();
    next = 258;
    width = 9;
    decoderCount = 257;
  };
  // The decoder adds one entry per code it reads and widens the codes by itself.
  auto emitData = [&](unsigned code) {
    bits.Put(code, width);
    if (decoderCount < 4096) ++decoderCount;
    if (width < 12 && decoderCount + (early ? 1 : 0) == (1u << width)) ++width;
  };
  bits.Put(256, width);
  int w = -1;
  for (unsigned char c : in) {
    if (w < 0) {
      w = c;
      continue;
    }
    auto it = dict.find(static_cast<uint32_t>(w) << 8 | c);
    if (it != dict.end()) {
      w = static_cast<int>(it->second);
      continue;
    }
    emitData(static_cast<unsigned>(w));
    if (next < 4096) {
      dict[static_cast<uint32_t>(w) << 8 | c] = next++;
    } else if (clearWhenFull) {
      bits.Put(256, width);
      reset();
    }
    w = c;
  }
  if (w >= 0) emitData(static_cast<unsigned>(w));
  bits.Put(257, width);
  return bits.Finish();
}

}  // namespace sarvane::pdf::test
