#include "pdf/document/zkPDFInfo.h"

#include "pdf/objects/zkPDFText.h"
#include "platform/CodePage.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkPDFObject;
using sarvane::pdf::TzkPDFStringObject;

namespace {

// PDFDocEncoding where it differs from Latin-1. Codes it leaves undefined
// keep their Latin-1 meaning, so that no byte of a damaged text is lost.
char16_t PdfDocChar(unsigned char c) {
  static constexpr char16_t k18[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
  static constexpr char16_t k80[33] = {
      0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
      0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
      0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0x009F, 0x20AC};
  if (c >= 0x18 && c <= 0x1F) return k18[c - 0x18];
  if (c >= 0x80 && c <= 0xA0) return k80[c - 0x80];
  return c;
}

// The bytes a string object stands for.
std::string StringBytes(const TzkPDFStringObject& s) {
  return s.Bytes();
}

}  // namespace

std::u16string DecodePDFText(std::string_view bytes) {
  std::u16string out;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
      static_cast<unsigned char>(bytes[1]) == 0xFF) {
    out.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      out += static_cast<char16_t>((static_cast<unsigned char>(bytes[i]) << 8) |
                                   static_cast<unsigned char>(bytes[i + 1]));
    }
    return out;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToUtf16(bytes.substr(3));
  out.reserve(bytes.size());
  for (char c : bytes) out += PdfDocChar(static_cast<unsigned char>(c));
  return out;
}

TzkPDFInfo::TzkPDFInfo() : dict_(std::make_unique<TzkPDFDictObject>()) {}

void TzkPDFInfo::SetDictionary(std::unique_ptr<TzkPDFDictObject> dict) {
  dict_ = dict ? std::move(dict) : std::make_unique<TzkPDFDictObject>();
}

std::string_view TzkPDFInfo::Key(Property p) {
  static constexpr std::string_view kKeys[kCount] = {"/Title",   "/Author",   "/Subject",      "/Keywords",
                                                     "/Creator", "/Producer", "/CreationDate", "/ModDate"};
  return kKeys[p];
}

std::u16string TzkPDFInfo::Text(Property p) const {
  if (!textCache_[p].empty()) return textCache_[p];
  const auto* s = dict_->LookupAs<TzkPDFStringObject>(Key(p));
  if (!s) return {};
  return DecodePDFText(StringBytes(*s));
}

void TzkPDFInfo::SetText(Property p, const std::u16string& value) {
  textCache_[p] = value;
  Put(p, value);
}

std::string TzkPDFInfo::Date(Property p) const {
  if (!dateCache_[p].empty()) return dateCache_[p];
  const auto* s = dict_->LookupAs<TzkPDFStringObject>(Key(p));
  if (!s) return {};
  return StringBytes(*s);
}

void TzkPDFInfo::SetDate(Property p, const std::string& value) {
  dateCache_[p] = value;
  Put(p, AnsiToUtf16(value));
}

void TzkPDFInfo::Put(Property p, const std::u16string& value) {
  std::string bytes = "\xFE\xFF";
  bytes.reserve(2 + value.size() * 2);
  for (char16_t unit : value) {
    bytes += static_cast<char>(unit >> 8);
    bytes += static_cast<char>(unit & 0xFF);
  }
  if (TextEncryptor) TextEncryptor(bytes);
  std::string finished = "(";
  finished += sarvane::pdf::EscapeLiteral(bytes);
  finished += ')';
  dict_->SetValue(Key(p), std::make_unique<TzkPDFNameObject>(std::move(finished)));
}

}  // namespace sarvane::pdf::doc
