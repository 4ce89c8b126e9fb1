#include "app/ViewLimit.h"

#include <gtest/gtest.h>

#include "pdf/forms/zkPDFFormFields.h"

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

// Every page-open action goes, the document's own too; the overlay and the
// scripts come back for each page with its index.
TEST(ViewLimitStep, ClearsEveryOpenActionThenAddsOverlayAndScripts) {
  using namespace sarvane::pdf::doc;
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  ASSERT_TRUE(doc.LoadDocument(std::string(SARVANE_TEST_SOURCE_DIR) + "/tests/fixtures/lock_three_pages.pdf"));
  TzkPDFJavaScriptAction own;
  own.Script = "app.alert(2);";
  TzkPDFPageLevelAction pageAction;
  pageAction.Action = &own;
  doc.SetPageAction(pageAction, 2);
  ASSERT_TRUE(doc.HasPageAction(2, 0));

  int failure = 0;
  TViewLimits limits(doc, failure);
  TSettings settings;
  limits.ApplyViewLimits(settings, "2031/01/31");  // no limit switched on
  EXPECT_EQ(failure, 0);
  for (int page = 1; page <= 3; ++page) EXPECT_FALSE(doc.HasPageAction(page, 0)) << page;

  settings.LockDateOn = true;
  limits.ApplyViewLimits(settings, "2031/01/31");
  EXPECT_EQ(failure, 0);
  for (int page = 1; page <= 3; ++page) EXPECT_TRUE(doc.HasPageAction(page, 0)) << page;
  EXPECT_EQ(sarvane::pdf::forms::AnnotationPages(doc).size(), 3u);

  settings.LockURLOn = true;
  settings.LockURL = "https://a.example/ x";
  EXPECT_THROW(limits.ApplyViewLimits(settings, "2031/01/31"), std::exception);
  // Refused before anything changed.
  for (int page = 1; page <= 3; ++page) EXPECT_TRUE(doc.HasPageAction(page, 0)) << page;
}

}  // namespace
}  // namespace sarvane::app
