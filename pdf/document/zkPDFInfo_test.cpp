#include "pdf/document/zkPDFInfo.h"

#include <gtest/gtest.h>

#include "pdf/objects/zkPDFText.h"

namespace sarvane::pdf::doc {
namespace {

using sarvane::pdf::TzkPDFStringObject;

TEST(TzkPDFInfo, ReadsEntriesByTheirEncoding) {
  struct Case {
    const char* name;
    sarvane::pdf::TzkPDFObjectPtr value;
    std::u16string expected;
  };
  Case cases[] = {
      {"hex UTF-16BE", std::make_unique<TzkPDFStringObject>("<FEFF00480069>", true), u"Hi"},
      {"literal UTF-16BE", TzkPDFStringObject::Literal(std::string("\xFE\xFF\x30\x42", 4)), u"\u3042"},
      {"plain ASCII", TzkPDFStringObject::Literal("Report"), u"Report"},
      {"PDFDocEncoding bullet, euro, breve",
       TzkPDFStringObject::Literal(std::string("\x80\xA0\x18\xE9", 4)), u"\u2022\u20AC\u02D8\u00E9"},
      {"PDFDocEncoding in hex form", std::make_unique<TzkPDFStringObject>("<8D41 8E>", true), u"\u201CA\u201D"},
      {"UTF-8 marker", TzkPDFStringObject::Literal("\xEF\xBB\xBF\xE3\x81\x82"), u"\u3042"},
      {"UTF-16BE with a full stop unit", TzkPDFStringObject::Literal(std::string("\xFE\xFF\x00.\x00.", 6)),
       u".."},
      {"not a string", std::make_unique<sarvane::pdf::TzkPDFIntegerObject>(5), u""},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dict = std::make_unique<TzkPDFDictObject>();
    dict->AddValue("/Title", std::move(c.value));
    TzkPDFInfo info;
    info.SetDictionary(std::move(dict));
    EXPECT_EQ(info.Title(), c.expected);
    EXPECT_EQ(info.Author(), u"");
  }
}

TEST(TzkPDFInfo, SetterStoresFinishedUtf16LiteralAndCaches) {
  TzkPDFInfo info;
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddValue("/Producer", TzkPDFStringObject::Literal("old"));
  dict->AddValue("/Title", TzkPDFStringObject::Literal("old title"));
  info.SetDictionary(std::move(dict));

  info.SetTitle(u"A(b)");
  const auto* entry = info.Dictionary().LookupAs<TzkPDFNameObject>("/Title");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Text(), std::string("(\xFE\xFF\0A\0\\(\0b\0\\))", 14));
  // Replaced in place, not appended.
  EXPECT_EQ(info.Dictionary().IndexOfKey("/Title"), 1);
  EXPECT_EQ(info.Title(), u"A(b)");
  EXPECT_EQ(info.Producer(), u"old");
}

TEST(TzkPDFInfo, SetterEncryptsThroughTheDocumentHook) {
  TzkPDFInfo info;
  std::string seen;
  info.TextEncryptor = [&](std::string& bytes) {
    seen = bytes;
    for (char& c : bytes) c = static_cast<char>(c ^ 0x01);
    return true;
  };
  info.SetAuthor(u"Z");
  EXPECT_EQ(seen, std::string("\xFE\xFF\0Z", 4));
  const auto* entry = info.Dictionary().LookupAs<TzkPDFNameObject>("/Author");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Text(), std::string("(\xFF\xFE\x01[)", 6));
  EXPECT_EQ(info.Author(), u"Z");
}

TEST(TzkPDFInfo, DatesReadAsBytesAndAreStoredAsUtf16) {
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddValue("/CreationDate", std::make_unique<TzkPDFStringObject>("<443A32303234>", true));
  dict->AddValue("/ModDate", TzkPDFStringObject::Literal("D:2023"));
  TzkPDFInfo info;
  info.SetDictionary(std::move(dict));
  EXPECT_EQ(info.CreationDate(), "D:2024");
  EXPECT_EQ(info.ModDate(), "D:2023");

  info.SetModDate("D:2025");
  EXPECT_EQ(info.ModDate(), "D:2025");
  const auto* entry = info.Dictionary().LookupAs<TzkPDFNameObject>("/ModDate");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Text(), std::string("(\xFE\xFF\0D\0:\0002\0000\0002\0005)", 16));
}

}  // namespace
}  // namespace sarvane::pdf::doc
