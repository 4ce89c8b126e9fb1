#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace sarvane {
namespace {

TEST(CodePage, RoundTripsThroughUtf16) {
  struct Case { int cp; std::string bytes; std::u16string text; };
  const Case cases[] = {
      {kCodePageUtf8, "Abc", u"Abc"},
      {kCodePageUtf8, "\xE6\x97\xA5\xE6\x9C\xAC", u"日本"},
      {kCodePageShiftJIS, "\x93\xfa\x96\x7b", u"日本"},
      {kCodePageWestern, "caf\xE9 \x80", u"café €"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CodePageToUtf16(c.cp, c.bytes), c.text) << c.cp;
    EXPECT_EQ(Utf16ToCodePage(c.cp, c.text), c.bytes) << c.cp;
  }
}

TEST(CodePage, UnrepresentableCharacterBecomesQuestionMark) {
  EXPECT_EQ(Utf16ToCodePage(kCodePageWestern, u"a日b"), "a?b");
  EXPECT_EQ(Utf16ToCodePage(kCodePageShiftJIS, u"x\u00e9y"), "x?y");
}

TEST(CodePage, InvalidInputDoesNotStopTheConversion) {
  std::u16string t = CodePageToUtf16(kCodePageUtf8, "a\xFF" "b");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], u'a');
  EXPECT_EQ(t[2], u'b');
}

TEST(CodePage, DefaultsToUtf8AndCanBeSwitched) {
  int saved = SystemCodePage();
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  EXPECT_EQ(AnsiToUtf16("\x93\xfa"), u"日");
  SetSystemCodePageForTesting(saved);
}

}  // namespace
}  // namespace sarvane
