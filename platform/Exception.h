#pragma once
// The runtime's exception classes and message formatting.
#include <concepts>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace sarvane {

// General exception class: what() is the exact message shown to the user.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  // Adds " (detail)": where a failure happened is often known only to a
  // caller further up than the code that raised it.
  void AddDetail(std::string_view detail) {
    message_ += " (";
    message_ += detail;
    message_ += ')';
  }

 private:
  std::string message_;
};

// A text that is not a valid number ("'%s' is not a valid integer value").
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A value of the wrong kind where a given kind is required.
class EInvalidCast : public Exception {
 public:
  EInvalidCast() : Exception("Invalid class typecast") {}
  using Exception::Exception;
};

namespace detail {
struct FormatArg {
  FormatArg(std::string_view s) : text(s) {}
  FormatArg(const std::string& s) : text(s) {}
  FormatArg(const char* s) : text(s ? s : "") {}
  template <std::integral T>
  FormatArg(T n) : text(std::to_string(n)) {}
  std::string text;
};
std::string FormatArgs(std::string_view fmt, const std::vector<FormatArg>& args);
}  // namespace detail

// Fills "%s" and "%d" in order with the arguments; "%%" is a percent sign.
// A placeholder without an argument is left as it stands.
template <typename... Args>
std::string Format(std::string_view fmt, const Args&... args) {
  return detail::FormatArgs(fmt, {detail::FormatArg(args)...});
}

// Bytes of a bad token as a message shows them: one line of printable
// ASCII, other bytes by their code ("0x0A"), and a long token cut short.
std::string PrintableToken(std::string_view bytes);

// The runtime's integer conversion: the whole text must be a decimal integer
// ("12abc" is not); otherwise EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);
int64_t StrToInt64(std::string_view text);
// Non-throwing forms.
bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToInt64(std::string_view text, int64_t& value);

}  // namespace sarvane
