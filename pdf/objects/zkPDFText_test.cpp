#include "pdf/objects/zkPDFText.h"

#include <gtest/gtest.h>

#include "pdf/objects/zkPDFObject.h"
#include "platform/CodePage.h"
#include "platform/Random.h"

namespace sarvane::pdf {
namespace {

using namespace std::string_literals;

TEST(PDFTextTest, EscapeLiteral) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a(b)c\\", "a\\(b\\)c\\\\"},
      {"\b\n\f\r", "\\b\\n\\f\\r"},
      {"\t\x01\xC8", "\t\x01\xC8"},  // tab, other controls and high bytes unchanged
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeLiteral(c.in), c.out) << c.in;
}

TEST(PDFTextTest, UnescapeLiteral) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a\\)b", "a)b"},
      {"a\\\\b", "a\\b"},
      {"\\b\\f\\n\\r\\t\\(", "\b\f\n\r\t("},
      {"\\101\\0618", "A18"},           // digit 8 ends the octal escape
      {"\\7", "\x07"},
      {"\\1011", "A1"},                 // at most three digits
      {"\\777", "\xFF"},                // modulo 256
      {"\\q", "\\q"},                   // unknown escape keeps the backslash
      {"end\\", "end\\"},               // a final backslash is copied
      {"\\0", "\0"s},
  };
  for (const auto& c : cases) EXPECT_EQ(UnescapeLiteral(c.in), c.out) << c.in;
  // Escaping and unescaping round-trip every byte.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(UnescapeLiteral(EscapeLiteral(all)), all);
}

TEST(PDFTextTest, HexConversions) {
  EXPECT_EQ(BytesToHex("\x00\x7F\xAB\xFF"s), "007FABFF");
  struct Case {
    std::string in, out;
  } cases[] = {
      {"4 1 4", "\x41\x40"},  // unpaired last digit completed with 0
      {"48656c6C6F", "Hello"},
      {"<zz41>", "A"},        // non-digits skipped
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HexToBytes(c.in), c.out) << c.in;
}

TEST(PDFTextTest, Utf16Hex) {
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  EXPECT_EQ(AnsiToUtf16Hex("A\x82\xA0"), "00413042");
  EXPECT_EQ(EncodeTextHex("Abc"), "FEFF004100620063");
  SetSystemCodePageForTesting(kCodePageUtf8);
}

TEST(PDFTextTest, DecodeTextHex) {
  SetSystemCodePageForTesting(kCodePageWestern);
  struct Case {
    const char* in;
    std::u16string out;
  } cases[] = {
      {"feff00410042", u"AB"},
      {"4142", u"AB"},                    // no marker: bytes of the code page
      {"E9", u"\u00E9"},
      {"FEFF0041.0042", u"A.B"},          // a dot is taken literally
      {"FEFF0041FEFF0042", u"AB"},        // a repeated marker is skipped
      {"FEFF 0041 0042", u"AB"},          // white space between digits
      {"FEFF004", u"\u0040"},             // a short last unit ends with zeros
      {"FEFF00", std::u16string(1, u'\0')},
      {"FEFF", u""},
      {"FEFF0", u""},
      {"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeTextHex(c.in), c.out) << c.in;
  // Long texts are kept whole.
  std::string longHex = "FEFF";
  for (int i = 0; i < 600; ++i) longHex += "0041";
  EXPECT_EQ(DecodeTextHex(longHex).size(), 600u);
  SetSystemCodePageForTesting(kCodePageUtf8);
}

TEST(PDFTextTest, ReadRect) {
  TzkPDFArrayObject a;
  a.AddInteger(0);
  a.AddReal(1.5);
  a.AddInteger(-3);
  a.AddReal(792);
  a.AddInteger(9);  // items after the fourth are ignored
  EXPECT_EQ(ReadRect(a), (std::array<double, 4>{0, 1.5, -3, 792}));

  struct Case {
    const char* label;
    std::vector<TzkPDFObjectPtr (*)()> items;
  };
  auto integer = +[]() -> TzkPDFObjectPtr { return std::make_unique<TzkPDFIntegerObject>(1); };
  auto name = +[]() -> TzkPDFObjectPtr { return std::make_unique<TzkPDFNameObject>("/X"); };
  auto int64 = +[]() -> TzkPDFObjectPtr { return std::make_unique<TzkPDFInt64Object>(1); };
  Case bad[] = {
      {"name item", {integer, integer, name, integer}},
      {"int64 item", {integer, integer, integer, int64}},
      {"three items", {integer, integer, integer}},
      {"empty", {}},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.label);
    TzkPDFArrayObject arr;
    for (auto make : c.items) arr.Add(make());
    try {
      ReadRect(arr);
      ADD_FAILURE() << "no exception";
    } catch (const EUnexpectedObjectError& e) {
      EXPECT_STREQ(e.what(), "Unexpected PDF object encountered");
    }
  }
}

TEST(PDFTextTest, ResourceNames) {
  RandSeed(1);
  struct Case {
    std::string (*make)();
    std::string prefix;
  } cases[] = {{NewFontResourceName, "/ZmvFnt"}, {NewImageResourceName, "/ZmvImg"}, {NewGraphicsStateName, "/GS"}};
  for (const auto& c : cases) {
    const std::string name = c.make();
    ASSERT_EQ(name.substr(0, c.prefix.size()), c.prefix);
    const std::string digits = name.substr(c.prefix.size());
    ASSERT_FALSE(digits.empty());
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << name;
    EXPECT_LE(std::stoll(digits), 2147483646LL);
  }
}

TEST(PDFTextTest, IndexOfText) {
  constexpr std::string_view table[] = {"UseNone", "UseOutlines", "UseThumbs", "FullScreen"};
  EXPECT_EQ(IndexOfText(table, 3, "UseThumbs"), 2);
  EXPECT_EQ(IndexOfText(table, 3, "usethumbs"), -1);
  EXPECT_EQ(IndexOfText(table, 1, "UseThumbs"), -1);  // beyond the last index
  EXPECT_EQ(IndexOfText(table, 99, "FullScreen"), 3);  // never past the table
}

TEST(PDFTextTest, LastWordsBefore) {
  const std::string da = "/Helv 12 Tf 0 0.5 1 rg";
  const size_t rg = da.find("rg");
  size_t start = 0;
  EXPECT_EQ(LastWordBefore(da, rg, start), "1");
  EXPECT_EQ(start, rg - 2);
  EXPECT_EQ(LastWordsBefore(da, rg, 3), " 0 0.5 1");
  const size_t tf = da.find("Tf");
  EXPECT_EQ(LastWordsBefore(da, tf, 2), " /Helv 12");
  EXPECT_EQ(LastWordsBefore(da, tf, 5), " /Helv 12");  // fewer words than asked
  EXPECT_EQ(LastWordBefore("\r\n  ", 4, start), "");
  EXPECT_EQ(LastWordBefore("a\r\nb\n", 5, start), "b");
  EXPECT_EQ(start, 3u);
}

}  // namespace
}  // namespace sarvane::pdf
