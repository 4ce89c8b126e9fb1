#pragma once
// Helpers shared by the filter tests.
#include <zlib.h>

#include <random>
#include <string>

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

}  // namespace sarvane::pdf::test
