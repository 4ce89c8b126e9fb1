#include "pdf/filters/zkAsciiHexFilter.h"

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {
// Value of a hexadecimal digit (either case), -1 for white space, -2 otherwise.
int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c == ' ' || c == '\n' || c == '\r' || c == '\t') return -1;
  return -2;
}
}  // namespace

std::string AsciiHexEncode(std::string_view source) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(source.size() * 2 + 1, '\0');
  char* p = out.data();
  for (unsigned char c : source) {
    *p++ = kDigits[c >> 4];
    *p++ = kDigits[c & 0x0F];
  }
  *p = '>';
  return out;
}

std::string AsciiHexDecode(std::string_view source) {
  if (source.empty() || source.back() != '>') throw Exception(res::SEndOfDataMarker);
  std::string out;
  out.reserve(source.size() / 2);
  int high = -1;
  for (unsigned char c : source) {
    if (c == '>') break;
    int v = HexValue(c);
    if (v == -1) continue;
    if (v < 0) throw Exception(res::SIllegalCharacter);
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>((high << 4) | v));
      high = -1;
    }
  }
  if (high >= 0) out.push_back(static_cast<char>(high << 4));
  return out;
}

std::string TzkAsciiHexFilter::EncodeText(std::string_view source) { return AsciiHexEncode(source); }
std::string TzkAsciiHexFilter::DecodeText(std::string_view source) { return AsciiHexDecode(source); }

}  // namespace sarvane::pdf
