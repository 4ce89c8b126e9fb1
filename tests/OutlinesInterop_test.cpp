// Bookmarks made by software we did not write (ReportLab): nested, closed,
// with named destinations and titles beyond ASCII. They come out of
// `rewrite` and `lock` as qpdf saw them going in, and `info` lists them as
// qpdf does.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/InteropSupport.h"

namespace sarvane::interop {
namespace {

// Debian's interpreter, which has python3-reportlab.
const char kPython[] = "/usr/bin/python3";

const char kMakeOutline[] = R"PY(
import sys
from reportlab.pdfgen import canvas
c = canvas.Canvas(sys.argv[1])
entries = {1: [('Chapter One', 0, None)], 2: [('Section 1.1 caf\u00e9', 1, None), ('Deep 1.1.1', 2, None)],
           3: [('Chapter Two \u65e5\u672c', 0, True)], 4: [('Section 2.1', 1, None)],
           5: [('Chapter Three', 0, None)]}
for page in range(1, 6):
    c.drawString(100, 700, 'Page %d' % page)
    c.bookmarkPage('p%d' % page)
    for title, level, closed in entries[page]:
        c.addOutlineEntry(title, 'p%d' % page, level=level, closed=closed)
    c.showPage()
c.showOutline()
c.save()
)PY";

// `info`'s outline as lines like those of outline_view.py: title, page, state.
const char kInfoView[] = R"PY(
import json, subprocess, sys
run = subprocess.run(sys.argv[1:], capture_output=True, check=True)
lines = []
def walk(items, level):
    for item in items:
        lines.append('%s%s | page %s | %s' % ('  ' * level, item['title'], item['page'],
                                              'open' if item['open'] else 'closed'))
        walk(item['children'], level + 1)
walk(json.loads(run.stdout)['outlines'], 0)
print('\n'.join(lines))
)PY";

class OutlinesInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveQpdf()) GTEST_SKIP() << "qpdf not installed";
    if (RunCommand(std::string(kPython) + " -c 'import reportlab'").status != 0)
      GTEST_SKIP() << "python3-reportlab not installed";
    std::ofstream(Path("make.py")) << kMakeOutline;
    std::ofstream(Path("info_view.py")) << kInfoView;
    const auto made = RunCommand(std::string(kPython) + " " + Quote(Path("make.py")) + " " + Quote(Path("in.pdf")));
    ASSERT_EQ(made.status, 0) << made.out;
  }
  std::string Path(const std::string& name) const { return dir_.Dir() + name; }
  // qpdf's view of the outline; extra is passed to the script.
  std::string QpdfView(const std::string& pdf, const std::string& extra = "") {
    const auto run = RunCommand(std::string(kPython) + " " + Quote(FixturePath("outline_view.py")) + " " + Quote(pdf) +
                                " " + extra, TStderr::Discard);
    EXPECT_EQ(run.status, 0);
    return run.out;
  }
  std::string InfoView(const std::string& pdf, const std::string& extra = "") {
    const auto run = RunCommand(std::string(kPython) + " " + Quote(Path("info_view.py")) + " " + Quote(CliPath()) +
                                " info " + extra + " " + Quote(pdf), TStderr::Discard);
    EXPECT_EQ(run.status, 0);
    return run.out;
  }

  TTempFolder dir_{"outlines_interop"};
};

TEST_F(OutlinesInterop, RewriteAndLockKeepTheBookmarks) {
  const std::string before = QpdfView(Path("in.pdf"));
  ASSERT_NE(before.find("Chapter Two \xE6\x97\xA5\xE6\x9C\xAC | page 3 | closed"), std::string::npos) << before;
  ASSERT_NE(before.find("    Deep 1.1.1 | page 2 | open"), std::string::npos) << before;

  const auto rewrite = RunCommand(Quote(CliPath()) + " rewrite " + Quote(Path("in.pdf")) + " " + Quote(Path("out.pdf")));
  ASSERT_EQ(rewrite.status, 0) << rewrite.out;
  EXPECT_EQ(RunCommand("qpdf --check " + Quote(Path("out.pdf"))).status, 0);
  EXPECT_EQ(QpdfView(Path("out.pdf"), "--links"), before + "links: ok\n");

  ASSERT_EQ(RunCommand("mkdir " + Quote(Path("locked"))).status, 0);
  const auto lock = RunCommand("SARVANE_HOME=" + Quote(Path("home")) + " " + Quote(CliPath()) +
                               " lock --owner own --user usr --out " + Quote(Path("locked")) + " " + Quote(Path("in.pdf")));
  ASSERT_EQ(lock.status, 0) << lock.out;
  const std::string locked = Path("locked/in.pdf");
  EXPECT_EQ(RunCommand("qpdf --check --password=usr " + Quote(locked)).status, 0);
  EXPECT_EQ(QpdfView(locked, "--password usr --links"), before + "links: ok\n");
}

TEST_F(OutlinesInterop, InfoListsTheBookmarksQpdfSees) {
  // qpdf's lines without the columns info does not show.
  std::string theirs;
  const std::string view = QpdfView(Path("in.pdf"));
  for (size_t start = 0; start < view.size();) {
    const size_t end = view.find('\n', start);
    const std::string line = view.substr(start, end - start);
    theirs += line.substr(0, line.find(" | C ")) + "\n";
    start = end + 1;
  }
  EXPECT_EQ(InfoView(Path("in.pdf")), theirs);
}

}  // namespace
}  // namespace sarvane::interop
