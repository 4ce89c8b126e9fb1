#include "platform/Exception.h"

#include <charconv>

namespace sarvane {

namespace detail {
std::string FormatArgs(std::string_view fmt, const std::vector<FormatArg>& args) {
  std::string out;
  out.reserve(fmt.size() + 16);
  size_t next = 0;
  for (size_t i = 0; i < fmt.size(); ++i) {
    char c = fmt[i];
    if (c == '%' && i + 1 < fmt.size()) {
      char k = fmt[i + 1];
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((k == 's' || k == 'd') && next < args.size()) {
        out += args[next++].text;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}
}  // namespace detail

namespace {
template <typename T>
bool ParseWhole(std::string_view text, T& value) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') {  // the runtime accepts a leading plus
    ++first;
    if (first != last && *first == '-') return false;
  }
  if (first == last) return false;
  auto [ptr, ec] = std::from_chars(first, last, value, 10);
  return ec == std::errc() && ptr == last;
}
[[noreturn]] void ThrowNotInteger(std::string_view text) {
  throw EConvertError(Format("'%s' is not a valid integer value", PrintableToken(text)));
}
}  // namespace

std::string PrintableToken(std::string_view bytes) {
  constexpr size_t kShown = 40;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < bytes.size() && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      text += static_cast<char>(byte);
    } else {
      text += "0x";
      text += kDigits[byte >> 4];
      text += kDigits[byte & 0xF];
    }
  }
  if (bytes.size() > kShown) text += "...";
  return text;
}

bool TryStrToInt(std::string_view text, int32_t& value) { return ParseWhole(text, value); }
bool TryStrToInt64(std::string_view text, int64_t& value) { return ParseWhole(text, value); }

int32_t StrToInt(std::string_view text) {
  int32_t v = 0;
  if (!TryStrToInt(text, v)) ThrowNotInteger(text);
  return v;
}

int64_t StrToInt64(std::string_view text) {
  int64_t v = 0;
  if (!TryStrToInt64(text, v)) ThrowNotInteger(text);
  return v;
}

}  // namespace sarvane
