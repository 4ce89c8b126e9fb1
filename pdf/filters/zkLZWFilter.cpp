#include "pdf/filters/zkLZWFilter.h"

#include <algorithm>
#include <memory>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {

constexpr unsigned kClear = 256;
constexpr unsigned kEndOfData = 257;
constexpr unsigned kFirstFree = 257;  // 257 gets a placeholder so later codes line up
constexpr unsigned kMaxEntries = 4096;
constexpr unsigned kNoPrefix = 0xFFFF;

// Each entry is its prefix code plus one byte, so strings are never copied into
// the table; length and first byte make output and the next entry O(1) to find.
struct LZWTable {
  uint16_t prefix[kMaxEntries];
  uint16_t length[kMaxEntries];
  uint8_t suffix[kMaxEntries];
  uint8_t first[kMaxEntries];
  unsigned count = 0;

  LZWTable() {
    for (unsigned i = 0; i < 256; ++i) {
      prefix[i] = kNoPrefix;
      length[i] = 1;
      suffix[i] = first[i] = static_cast<uint8_t>(i);
    }
    prefix[kClear] = kNoPrefix;
    length[kClear] = 0;
    suffix[kClear] = first[kClear] = 0;
    count = kFirstFree;
  }
};

}  // namespace

std::string LZWDecode(std::string_view source, bool earlyChange) {
  auto table = std::make_unique<LZWTable>();
  LZWTable& t = *table;
  const unsigned early = earlyChange ? 1 : 0;
  const std::size_t limit = DecodeLimit();

  std::string out;
  out.reserve(std::min(source.size() * 3, limit));

  const auto* data = reinterpret_cast<const uint8_t*>(source.data());
  const std::size_t size = source.size();
  std::size_t pos = 0;
  uint32_t bits = 0;  // pending input bits, right-aligned
  unsigned bitCount = 0;
  unsigned width = 9;
  unsigned prev = kNoPrefix;

  for (;;) {
    while (bitCount < width && pos < size) {
      bits = (bits << 8) | data[pos++];
      bitCount += 8;
    }
    if (bitCount < width) break;  // the data ended without an end code
    const unsigned code = (bits >> (bitCount - width)) & ((1u << width) - 1);
    bitCount -= width;

    if (code == kClear) {
      t.count = kFirstFree;
      width = 9;
      prev = kNoPrefix;
      continue;
    }
    if (code == kEndOfData) break;

    unsigned firstByte;
    std::size_t start = out.size();
    if (code < t.count) {
      const std::size_t len = t.length[code];
      if (len > limit - start) throw EDecodeLimitError(limit);
      out.resize(start + len);
      unsigned c = code;
      for (std::size_t k = len; k-- > 0;) {
        out[start + k] = static_cast<char>(t.suffix[c]);
        c = t.prefix[c];
      }
      firstByte = t.first[code];
    } else if (code == t.count && prev != kNoPrefix) {
      // The code being defined right now: previous string plus its own first byte.
      const std::size_t len = std::size_t{t.length[prev]} + 1;
      if (len > limit - start) throw EDecodeLimitError(limit);
      out.resize(start + len);
      firstByte = t.first[prev];
      out[start + len - 1] = static_cast<char>(firstByte);
      unsigned c = prev;
      for (std::size_t k = len - 1; k-- > 0;) {
        out[start + k] = static_cast<char>(t.suffix[c]);
        c = t.prefix[c];
      }
    } else {
      throw Exception(Format(res::SLZWInvalidCode, code));
    }

    if (t.count < kMaxEntries) {
      const unsigned n = t.count++;
      t.suffix[n] = static_cast<uint8_t>(firstByte);
      if (prev == kNoPrefix) {
        t.prefix[n] = kNoPrefix;
        t.length[n] = 1;
        t.first[n] = static_cast<uint8_t>(firstByte);
      } else {
        t.prefix[n] = static_cast<uint16_t>(prev);
        t.length[n] = static_cast<uint16_t>(t.length[prev] + 1);
        t.first[n] = t.first[prev];
      }
      if (width < 12 && t.count + early == (1u << width)) ++width;
    }
    prev = code;
  }
  return out;
}

std::string TzkLZWFilter::DecodeText(std::string_view source) {
  return LZWDecode(source, earlyChange_);
}

}  // namespace sarvane::pdf
