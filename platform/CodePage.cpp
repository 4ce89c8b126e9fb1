#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/Exception.h"

namespace sarvane {

namespace {
int g_codePage = 0;
std::once_flag g_codePageOnce;

const char* IconvName(int codePage) {
  switch (codePage) {
    case kCodePageShiftJIS: return "CP932";
    case kCodePageWestern: return "CP1252";
    default: return "UTF-8";
  }
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw Exception(Format("iconv cannot convert from %s to %s", from, to));
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts as much as it can; on an input sequence the target cannot take
  // or the source does not form, emits `replacement` and skips `skip` bytes.
  std::string Run(std::string_view in, std::string_view replacement, size_t skip) {
    std::string out;
    out.resize(in.size() * 4 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    while (srcLeft > 0) {
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2 + 16);
        continue;
      }
      // EILSEQ or EINVAL: one unit of input cannot be converted.
      if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + replacement.size());
      out.replace(used, replacement.size(), replacement);
      used += replacement.size();
      size_t step = std::min(skip, srcLeft);
      src += step;
      srcLeft -= step;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

std::u16string FromUtf16LeBytes(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

std::string ToUtf16LeBytes(std::u16string_view text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}
}  // namespace

int SystemCodePage() {
  std::call_once(g_codePageOnce, [] {
    if (g_codePage != 0) return;
    g_codePage = kCodePageUtf8;
    if (const char* env = std::getenv("SARVANE_CODEPAGE")) {
      int v = 0;
      if (TryStrToInt(env, v) && (v == kCodePageShiftJIS || v == kCodePageWestern || v == kCodePageUtf8))
        g_codePage = v;
    }
  });
  return g_codePage;
}

void SetSystemCodePageForTesting(int codePage) {
  SystemCodePage();
  g_codePage = codePage;
}

std::u16string CodePageToUtf16(int codePage, std::string_view text) {
  if (text.empty()) return {};
  Iconv cv("UTF-16LE", IconvName(codePage));
  // U+FFFD for a byte the code page does not define.
  return FromUtf16LeBytes(cv.Run(text, std::string("\xFD\xFF", 2), 1));
}

std::string Utf16ToCodePage(int codePage, std::u16string_view text) {
  if (text.empty()) return {};
  Iconv cv(IconvName(codePage), "UTF-16LE");
  // Windows' best-fit-less conversion: an unrepresentable character becomes "?".
  return cv.Run(ToUtf16LeBytes(text), "?", 2);
}

std::u16string AnsiToUtf16(std::string_view text) { return CodePageToUtf16(SystemCodePage(), text); }
std::string Utf16ToAnsi(std::u16string_view text) { return Utf16ToCodePage(SystemCodePage(), text); }
std::u16string Utf8ToUtf16(std::string_view text) { return CodePageToUtf16(kCodePageUtf8, text); }
std::string Utf16ToUtf8(std::u16string_view text) { return Utf16ToCodePage(kCodePageUtf8, text); }

}  // namespace sarvane
