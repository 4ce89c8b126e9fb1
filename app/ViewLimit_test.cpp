#include "app/ViewLimit.h"

#include <gtest/gtest.h>

namespace sarvane::app {
namespace {

TEST(ViewLimitTemplate, LinesEndAtCrLfCrOrLf) {
  struct Row {
    std::string bytes;
    std::vector<std::string> lines;
  } rows[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},  // a final line end adds no empty line
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\n\nb\r\n", {"a", "", "b"}},
      {"\r\r\n", {"", ""}},
  };
  for (const auto& r : rows) EXPECT_EQ(SplitTemplateLines(r.bytes), r.lines) << r.bytes;
}

TEST(ViewLimitTemplate, PlaceholdersFillInOrderWithoutLooping) {
  struct Row {
    std::string line, url, expected;
  } rows[] = {
      {"f(%P%, %P%)", "u", "f(7, 7)"},
      {"%U%|%D%", "https://a.example/", "https://a.example/|2026/12/31"},
      // The date is filled into the address; a page index placeholder in it stays.
      {"%U%", "x%D%y%P%", "x2026/12/31y%P%"},
      // An address holding its own placeholder is inserted once.
      {"[%U%][%U%]", "%U%", "[%U%][%U%]"},
      {"%p% %u%", "u", "%p% %u%"},  // case matters
  };
  for (const auto& r : rows) EXPECT_EQ(FillTemplateLine(r.line, 7, r.url, "2026/12/31"), r.expected) << r.line;
  EXPECT_EQ(PageScript({"a%P%", "", "b"}, 2, "", ""), "a2\r\n\r\nb\r\n");
  EXPECT_EQ(PageScript({}, 0, "", ""), "");
}

TEST(ViewLimitTemplate, UnsafeAddressesAreRefused) {
  for (const char* ok : {"https://a.example", "https://a.example/docs/?x=1&y=%41#top", "http://[::1]:8080/"})
    EXPECT_TRUE(IsSafeLimitURL(ok)) << ok;
  for (const char* bad : {"https://a\"", "https://a'b", "https://a\\b", "https://a(b", "https://a)b",
                          "https://a b", "https://a\tb", "https://a\x7f", "https://\xE3\x81\x82"})
    EXPECT_FALSE(IsSafeLimitURL(bad)) << bad;
}

TEST(ViewLimitTemplate, TemplateFollowsTheActiveLimits) {
  EXPECT_TRUE(ViewLimitTemplatePath(true, true).ends_with("/date_url/usr_script.txt"));
  EXPECT_TRUE(ViewLimitTemplatePath(true, false).ends_with("/date/usr_script.txt"));
  EXPECT_TRUE(ViewLimitTemplatePath(false, true).ends_with("/url/usr_script.txt"));
  EXPECT_EQ(ViewLimitTemplatePath(false, false), "");
}

}  // namespace
}  // namespace sarvane::app
