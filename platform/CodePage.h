#pragma once
// The system ANSI code page and conversions between it and UTF-16.
#include <string>
#include <string_view>

namespace sarvane {

constexpr int kCodePageShiftJIS = 932;
constexpr int kCodePageWestern = 1252;
constexpr int kCodePageUtf8 = 65001;

// 65001 unless SARVANE_CODEPAGE names 932, 1252 or 65001. Read once.
int SystemCodePage();
// Tests switch the code page without touching the environment.
void SetSystemCodePageForTesting(int codePage);

// Text in the system code page to UTF-16 and back. A character the target
// cannot represent becomes "?"; an invalid byte sequence becomes U+FFFD.
std::u16string AnsiToUtf16(std::string_view text);
std::string Utf16ToAnsi(std::u16string_view text);

// The same for a named code page (932, 1252, 65001).
std::u16string CodePageToUtf16(int codePage, std::string_view text);
std::string Utf16ToCodePage(int codePage, std::u16string_view text);

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace sarvane
