#include "pdf/filters/zkAscii85Filter.h"

#include <cstdint>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {

void PutGroup(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (24 - 8 * i)));
}

// Five digits, or a final group padded with "u" digits.
uint32_t GroupValue(const uint8_t* digits, int count) {
  uint64_t v = 0;
  for (int i = 0; i < 5; ++i) v = v * 85 + (i < count ? digits[i] : 84);
  if (v > UINT32_MAX) throw Exception(res::SAscii85GroupTooLarge);
  return static_cast<uint32_t>(v);
}

}  // namespace

std::string Ascii85Encode(std::string_view source) {
  std::string out;
  out.reserve(source.size() / 4 * 5 + 7);
  const auto* p = reinterpret_cast<const uint8_t*>(source.data());
  std::size_t left = source.size();
  char chars[5];
  while (left > 0) {
    int n = left >= 4 ? 4 : static_cast<int>(left);
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | (i < n ? p[i] : 0);
    p += n;
    left -= n;
    if (n == 4 && v == 0) {
      out.push_back('z');
      continue;
    }
    for (int i = 4; i >= 0; --i) {
      chars[i] = static_cast<char>(v % 85 + 33);
      v /= 85;
    }
    out.append(chars, n + 1);
  }
  out += "~>";
  return out;
}

std::string Ascii85Decode(std::string_view source) {
  if (source.size() < 2 || source.substr(source.size() - 2) != "~>")
    throw Exception(res::SEndOfDataMarker);
  source.remove_suffix(2);
  std::string out;
  out.reserve(source.size() / 5 * 4 + 4);
  uint8_t digits[5];
  int count = 0;
  for (unsigned char c : source) {
    if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
    if (c >= '!' && c <= 'u') {
      digits[count++] = static_cast<uint8_t>(c - 33);
      if (count == 5) {
        PutGroup(out, GroupValue(digits, 5), 4);
        count = 0;
      }
    } else if (c == 'z') {
      if (count != 0) throw Exception(res::SMisplacedZ);
      out.append(4, '\0');
    } else {
      throw Exception(res::SIllegalCharacter);
    }
  }
  if (count == 1) throw Exception(res::SSingleFinalCharacter);
  if (count > 1) PutGroup(out, GroupValue(digits, count), count - 1);
  return out;
}

std::string TzkAscii85Filter::EncodeText(std::string_view source) { return Ascii85Encode(source); }
std::string TzkAscii85Filter::DecodeText(std::string_view source) { return Ascii85Decode(source); }

}  // namespace sarvane::pdf
