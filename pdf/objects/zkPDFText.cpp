#include "pdf/objects/zkPDFText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "pdf/objects/zkPDFObject.h"
#include "platform/CodePage.h"
#include "platform/Random.h"

namespace sarvane::pdf {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsFeffMarker(std::string_view text, size_t pos) {
  if (pos + 4 > text.size()) return false;
  auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return up(text[pos]) == 'F' && up(text[pos + 1]) == 'E' && up(text[pos + 2]) == 'F' &&
         up(text[pos + 3]) == 'F';
}
}  // namespace

void AppendInteger(std::string& out, int64_t value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

void AppendReal(std::string& out, double value) {
  if (!std::isfinite(value)) value = 0;
  char buf[64];
  // Round to 10 significant digits first, then lay the rounded value out
  // with 10 decimals.
  auto sci = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 9);
  double rounded = value;
  std::from_chars(buf, sci.ptr, rounded, std::chars_format::scientific);
  if (std::fabs(rounded) >= 1e10) {
    // An exponent is no PDF syntax: readers take "1.2e+10" for a bare word.
    AppendNumber(out, rounded);
    return;
  }
  auto fixed = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, 10);
  std::string_view text(buf, static_cast<size_t>(fixed.ptr - buf));
  if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos) {
    text.remove_prefix(1);  // no "-0.0000000000"
  }
  out += text;
}

void AppendNumber(std::string& out, double value) {
  // Residues of unit conversions (792 - 792 / 2.83464 * 2.83464) are zero.
  if (!std::isfinite(value) || std::fabs(value) < 1e-9) {
    out += '0';
    return;
  }
  char buf[400];
  auto sci = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
  double rounded = value;
  std::from_chars(buf, sci.ptr, rounded, std::chars_format::scientific);
  // The shortest fixed form that reads back as the rounded value has at
  // most 15 significant digits and never an exponent.
  auto fixed = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed);
  out.append(buf, fixed.ptr);
}

std::string FormatNumber(double value) {
  std::string out;
  AppendNumber(out, value);
  return out;
}

std::string FormatReal(double value) {
  std::string out;
  AppendReal(out, value);
  return out;
}

std::string EscapeLiteral(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8 + 2);
  for (char c : bytes) {
    switch (c) {
      case 8: out += "\\b"; break;
      case 10: out += "\\n"; break;
      case 12: out += "\\f"; break;
      case 13: out += "\\r"; break;
      case '(': out += "\\("; break;
      case ')': out += "\\)"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeLiteral(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  size_t i = 0;
  while (i < raw.size()) {
    char c = raw[i];
    if (c != '\\' || i + 1 >= raw.size()) {
      out += c;
      ++i;
      continue;
    }
    char n = raw[i + 1];
    switch (n) {
      case '(': case ')': case '\\': out += n; i += 2; continue;
      case 'b': out += '\b'; i += 2; continue;
      case 'f': out += '\f'; i += 2; continue;
      case 'n': out += '\n'; i += 2; continue;
      case 'r': out += '\r'; i += 2; continue;
      case 't': out += '\t'; i += 2; continue;
      default: break;
    }
    if (n >= '0' && n <= '7') {
      int value = 0;
      size_t j = i + 1;
      for (int k = 0; k < 3 && j < raw.size() && raw[j] >= '0' && raw[j] <= '7'; ++k, ++j) {
        value = value * 8 + (raw[j] - '0');
      }
      out += static_cast<char>(value & 0xFF);
      i = j;
      continue;
    }
    // Unknown escape: the backslash stays and the next byte is read normally.
    out += '\\';
    ++i;
  }
  return out;
}

std::string BytesToHex(std::string_view bytes) {
  std::string out;
  out.resize(bytes.size() * 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[2 * i] = kHexDigits[b >> 4];
    out[2 * i + 1] = kHexDigits[b & 15];
  }
  return out;
}

std::string HexToBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 2 + 1);
  int high = -1;
  for (char c : text) {
    const int v = HexValue(c);
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>((high << 4) | v);
      high = -1;
    }
  }
  if (high >= 0) out += static_cast<char>(high << 4);
  return out;
}

std::string AnsiToUtf16Hex(std::string_view text) {
  const std::u16string wide = AnsiToUtf16(text);
  std::string out;
  out.reserve(wide.size() * 4);
  for (char16_t u : wide) {
    out += kHexDigits[(u >> 12) & 15];
    out += kHexDigits[(u >> 8) & 15];
    out += kHexDigits[(u >> 4) & 15];
    out += kHexDigits[u & 15];
  }
  return out;
}

std::string EncodeTextHex(std::string_view text) {
  std::string out = "FEFF";
  out += AnsiToUtf16Hex(text);
  return out;
}

std::u16string DecodeTextHex(std::string_view hex) {
  // White space may stand between the digits of a hexadecimal string.
  std::string text;
  text.reserve(hex.size());
  for (char c : hex) {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\0') text += c;
  }
  if (!IsFeffMarker(text, 0)) return AnsiToUtf16(HexToBytes(text));

  std::u16string out;
  out.reserve(text.size() / 4);
  size_t pos = 4;
  const size_t size = text.size();
  while (pos + 1 < size) {
    if (text[pos] == '.') {
      out += u'.';
      ++pos;
    }
    if (IsFeffMarker(text, pos)) pos += 4;
    if (pos >= size) break;
    // Four digits make one unit; missing digits at the end count as 0.
    unsigned unit = 0;
    for (size_t k = 0; k < 4; ++k) {
      const int v = pos + k < size ? HexValue(text[pos + k]) : 0;
      unit = (unit << 4) | static_cast<unsigned>(v < 0 ? 0 : v);
    }
    out += static_cast<char16_t>(unit);
    pos += 4;
  }
  return out;
}

std::unique_ptr<TzkPDFStringObject> MakeTextString(std::string_view text) {
  if (SystemCodePage() == kCodePageWestern) return TzkPDFStringObject::Literal(text);
  std::string hex;
  hex.reserve(text.size() * 4 + 6);
  hex += '<';
  hex += EncodeTextHex(text);
  hex += '>';
  return std::make_unique<TzkPDFStringObject>(std::move(hex), true);
}

std::array<double, 4> ReadRect(const TzkPDFArrayObject& array) {
  std::array<double, 4> rect{};
  for (int32_t i = 0; i < 4; ++i) {
    const TzkPDFObject* item = array.ItemAt(i);
    if (const auto* n = ObjectAs<TzkPDFIntegerObject>(item)) {
      rect[static_cast<size_t>(i)] = n->Value();
    } else if (const auto* r = ObjectAs<TzkPDFRealObject>(item)) {
      rect[static_cast<size_t>(i)] = r->Value();
    } else {
      throw EUnexpectedObjectError();
    }
  }
  return rect;
}

namespace {
std::string RandomName(std::string_view prefix) {
  std::string out(prefix);
  AppendInteger(out, Random(2147483647));
  return out;
}
}  // namespace

std::string NewFontResourceName() { return RandomName("/ZmvFnt"); }
std::string NewImageResourceName() { return RandomName("/ZmvImg"); }
std::string NewGraphicsStateName() { return RandomName("/GS"); }

int32_t IndexOfText(std::span<const std::string_view> table, int32_t lastIndex, std::string_view text) {
  const int32_t last = std::min<int32_t>(lastIndex, static_cast<int32_t>(table.size()) - 1);
  for (int32_t i = 0; i <= last; ++i) {
    if (table[static_cast<size_t>(i)] == text) return i;
  }
  return -1;
}

namespace {
bool IsWordGap(char c) { return c == ' ' || c == '\r' || c == '\n'; }
}  // namespace

std::string LastWordBefore(std::string_view text, size_t position, size_t& wordStart) {
  size_t end = std::min(position, text.size());
  while (end > 0 && IsWordGap(text[end - 1])) --end;
  size_t start = end;
  while (start > 0 && !IsWordGap(text[start - 1])) --start;
  wordStart = start == end ? std::min(position, text.size()) : start;
  return std::string(text.substr(start, end - start));
}

std::string LastWordsBefore(std::string_view text, size_t position, int32_t n) {
  std::string out;
  size_t pos = std::min(position, text.size());
  for (int32_t i = 0; i < n; ++i) {
    size_t start = 0;
    std::string word = LastWordBefore(text, pos, start);
    if (word.empty()) break;
    out.insert(0, " " + word);
    pos = start;
  }
  return out;
}

}  // namespace sarvane::pdf
