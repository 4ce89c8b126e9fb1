// The view limit end to end: the command line locks with a date or address
// limit, qpdf and poppler read the result, and the page scripts run in
// node against a stand-in for the viewer's objects.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/AppTestSupport.h"
#include "app/ViewLimit.h"
#include "platform/Paths.h"
#include "tests/InteropSupport.h"

namespace sarvane::interop {
namespace {

using sarvane::app::testing::ReadFileBytes;
using sarvane::app::testing::TTempHome;
using sarvane::app::testing::WriteFileBytes;

bool Have(const char* program) { return RunCommand(std::string("command -v ") + program).status == 0; }

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class ViewLimitLock : public ::testing::Test {
 protected:
  TTempHome home_;
  std::string Lock(const std::string& options, const std::string& input, int expectStatus = 0) {
    const auto run = RunCommand(Quote(CliPath()) + " lock --owner o --out " + Quote(home_.Dir() + "out") + " " +
                                options + " " + Quote(input));
    EXPECT_EQ(run.status, expectStatus) << run.out;
    return home_.Dir() + "out/" + ExtractFileName(input);
  }
  // The output decrypted by qpdf, uncompressed, after qpdf --check.
  std::string Decrypted(const std::string& path) {
    const auto check = RunCommand("qpdf --password=o --check " + Quote(path));
    EXPECT_EQ(check.status, 0) << check.out;
    const std::string plain = home_.Dir() + "plain.pdf";
    const auto run = RunCommand("qpdf --password=o --decrypt --stream-data=uncompress " + Quote(path) + " " +
                                Quote(plain));
    EXPECT_EQ(run.status, 0) << run.out;
    return ReadFileBytes(plain);
  }
};

TEST_F(ViewLimitLock, ThreePagesGetOneOverlayAndScriptEachAndRelockingKeepsOnlyTheNewest) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf missing";
  const std::string input = home_.Dir() + "doc.pdf";
  std::filesystem::copy_file(FixturePath("lock_three_pages.pdf"), input);
  std::filesystem::create_directories(home_.Dir() + "out");
  const std::string out = Lock("--expire 2026/12/31", input);
  std::string plain = Decrypted(out);
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(Count(plain, "(ViewLimit" + n + ")"), 1u) << n;
    EXPECT_EQ(Count(plain, "getField\\(\"ViewLimit" + n + "\"\\)"), 1u) << n;
  }
  EXPECT_EQ(Count(plain, "\"2026/12/31\".split"), 3u);
  EXPECT_EQ(Count(plain, "/S /JavaScript"), 3u);

  const auto info = RunCommand(Quote(CliPath()) + " info --password o " + Quote(out));
  EXPECT_NE(info.out.find("\"page_scripts\":[true,true,true]"), std::string::npos) << info.out;

  // Locked again from its own output, now with an address: one overlay and
  // one script per page, the newest.
  const std::string again = home_.Dir() + "again.pdf";
  std::filesystem::copy_file(out, again);
  const std::string out2 = Lock("--unlock o --url https://a.example/", again);
  plain = Decrypted(out2);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Count(plain, "(ViewLimit" + std::to_string(i) + ")"), 1u) << i;
  EXPECT_EQ(Count(plain, "/S /JavaScript"), 3u);
  EXPECT_EQ(Count(plain, "\"2026/12/31\""), 0u);
  EXPECT_EQ(Count(plain, "var allowed = \"https://a.example/\""), 3u);
}

TEST_F(ViewLimitLock, WithoutScriptsThePageIsCoveredByThePaleOverlay) {
  if (!HaveQpdf() || !Have("pdftoppm")) GTEST_SKIP() << "qpdf or pdftoppm missing";
  const std::string input = home_.Dir() + "doc.pdf";
  std::filesystem::copy_file(FixturePath("lock_three_pages.pdf"), input);
  std::filesystem::create_directories(home_.Dir() + "out");
  Decrypted(Lock("--expire 2026/12/31", input));
  const auto run = RunCommand("pdftoppm -r 20 -f 2 -l 2 -singlefile " + Quote(home_.Dir() + "plain.pdf") + " " +
                              Quote(home_.Dir() + "page"));
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string ppm = ReadFileBytes(home_.Dir() + "page.ppm");
  // "P6\n<w> <h>\n255\n" then RGB bytes; every pixel is the overlay's colour.
  std::smatch m;
  ASSERT_TRUE(std::regex_search(ppm, m, std::regex("^P6\\s+(\\d+)\\s+(\\d+)\\s+255\\s")));
  const size_t pixels = std::stoul(m[1]) * std::stoul(m[2]);
  const std::string data = ppm.substr(static_cast<size_t>(m.length(0)));
  ASSERT_EQ(data.size(), 3 * pixels);
  size_t pale = 0;
  for (size_t p = 0; p < pixels; ++p)
    if (uint8_t(data[3 * p]) >= 250 && uint8_t(data[3 * p + 1]) >= 250 && std::abs(uint8_t(data[3 * p + 2]) - 218) <= 3)
      ++pale;
  // All but the one-point border.
  EXPECT_GT(pale, pixels * 9 / 10);
}

TEST_F(ViewLimitLock, UnsafeAddressOrBadDateIsRefusedAndNothingWritten) {
  const std::string input = home_.Dir() + "doc.pdf";
  std::filesystem::copy_file(FixturePath("lock_three_pages.pdf"), input);
  std::filesystem::create_directories(home_.Dir() + "out");
  const std::pair<std::string, std::string> rows[] = {
      {"--url", "https://a.example/\"+app.alert(1)+\""},
      {"--url", "https://a.example/(x"},
      {"--url", ""},
      {"--expire", "2026/02/29"},  // no such day
      {"--expire", "2026-12-31"},
      {"--expire", "2026/13/01"},
  };
  for (const auto& [option, value] : rows) {
    const auto run = RunCommand(Quote(CliPath()) + " lock --owner o --out " + Quote(home_.Dir() + "out") + " " +
                                option + " " + Quote(value) + " " + Quote(input));
    EXPECT_NE(run.status, 0) << value;
    EXPECT_NE(run.out.find(option), std::string::npos) << run.out;
  }
  EXPECT_TRUE(std::filesystem::is_empty(home_.Dir() + "out"));
}

// The stand-in viewer: display constants, the page's field, app.alert, a
// fixed "today", and the document object as `this`.
const char kHarness[] = R"JS(
const fs = require("fs");
const cases = JSON.parse(fs.readFileSync(process.argv[2], "utf8"));
for (const c of cases) {
  const display = { visible: 0, hidden: 1, noPrint: 2, noView: 3 };
  const field = { display: display.visible, readonly: false };
  let alerts = 0;
  const doc = { URL: c.url, dirty: true, getField: (n) => (n === "ViewLimit0" ? field : null) };
  const app = { alert: () => { alerts++; } };
  const RealDate = Date;
  function FakeDate(...a) { return a.length ? new RealDate(...a) : new RealDate(c.y, c.m - 1, c.d, 23, 59, 0); }
  new Function("display", "app", "Date", c.script).call(doc, display, app, FakeDate);
  console.log([field.display === display.hidden ? "hidden" : "shown", field.readonly, doc.dirty, alerts].join(" "));
}
)JS";

TEST(ViewLimitScripts, TemplatesJudgeDateAndAddressInAJavaScriptEngine) {
  if (!Have("node")) GTEST_SKIP() << "node missing";
  TTempFolder dir("vlscripts");
  auto script = [](const char* kind, const std::string& url) {
    const std::string bytes = ReadFile(ExecutableDir() + kind + "/usr_script.txt");
    // ASCII only and balanced parentheses: it goes into a PDF string as it is.
    EXPECT_EQ(Count(bytes, "("), Count(bytes, ")")) << kind;
    EXPECT_EQ(Count(bytes, "\\"), 0u) << kind;
    for (unsigned char c : bytes) EXPECT_LT(c, 0x80) << kind;
    return sarvane::app::PageScript(sarvane::app::SplitTemplateLines(bytes), 0, url, "2026/12/31");
  };
  struct Row {
    const char* kind;
    std::string allowed, here;
    int y, m, d;
    std::string expected;  // overlay, read-only, dirty, alerts
  } rows[] = {
      {"date", "", "file:///x.pdf", 2026, 12, 30, "hidden true false 0"},
      {"date", "", "file:///x.pdf", 2026, 12, 31, "hidden true false 0"},  // the limit day itself
      {"date", "", "file:///x.pdf", 2027, 1, 1, "shown true false 1"},
      {"date", "", "file:///x.pdf", 2026, 2, 31, "hidden true false 0"},
      {"url", "https://a.example", "https://a.example", 2030, 1, 1, "hidden true false 0"},
      {"url", "https://a.example", "https://a.example/doc.pdf", 2030, 1, 1, "hidden true false 0"},
      {"url", "https://a.example", "HTTPS://A.Example/doc.pdf", 2030, 1, 1, "hidden true false 0"},
      {"url", "https://a.example", "https://a.example?x", 2030, 1, 1, "hidden true false 0"},
      {"url", "https://a.example", "https://a.example.evil/doc.pdf", 2030, 1, 1, "shown true false 1"},
      {"url", "https://a.example", "https://a.example@evil/doc.pdf", 2030, 1, 1, "shown true false 1"},
      {"url", "https://a.example", "https://a.example:81/doc.pdf", 2030, 1, 1, "shown true false 1"},
      {"url", "https://a.example", "file:///tmp/doc.pdf", 2030, 1, 1, "shown true false 1"},
      {"url", "https://a.example/docs/", "https://a.example/docs/x.pdf", 2030, 1, 1, "hidden true false 0"},
      {"url", "https://a.example/docs", "https://a.example/docsx.pdf", 2030, 1, 1, "shown true false 1"},
      {"url", "https://a.example/docs/", "https://a.example/Docs/x.pdf", 2030, 1, 1, "shown true false 1"},
      {"date_url", "https://a.example/", "https://a.example/x.pdf", 2026, 12, 31, "hidden true false 0"},
      {"date_url", "https://a.example/", "https://a.example/x.pdf", 2027, 1, 1, "shown true false 1"},
      {"date_url", "https://a.example/", "https://b.example/x.pdf", 2026, 1, 1, "shown true false 1"},
  };
  std::string json = "[";
  for (const auto& r : rows) {
    std::string s = script(r.kind, r.allowed);
    std::string escaped;
    for (char c : s) {
      if (c == '"' || c == '\\') escaped += '\\';
      if (c == '\r') { escaped += "\\r"; continue; }
      if (c == '\n') { escaped += "\\n"; continue; }
      escaped += c;
    }
    if (json.size() > 1) json += ",";
    json += "{\"script\":\"" + escaped + "\",\"url\":\"" + r.here + "\",\"y\":" + std::to_string(r.y) +
            ",\"m\":" + std::to_string(r.m) + ",\"d\":" + std::to_string(r.d) + "}";
  }
  json += "]";
  WriteFileBytes(dir.Dir() + "cases.json", json);
  WriteFileBytes(dir.Dir() + "harness.js", kHarness);
  const auto run = RunCommand("node " + Quote(dir.Dir() + "harness.js") + " " + Quote(dir.Dir() + "cases.json"));
  ASSERT_EQ(run.status, 0) << run.out;
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(run.out.substr(start, end - start));
  ASSERT_EQ(lines.size(), std::size(rows)) << run.out;
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i], rows[i].expected) << rows[i].kind << " " << rows[i].here << " " << rows[i].y << "/"
                                          << rows[i].m << "/" << rows[i].d;
}

}  // namespace
}  // namespace sarvane::interop
