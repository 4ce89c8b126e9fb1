#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>

#include "pdf/document/zkPDFDestination.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::doc {
namespace {

using sarvane::interop::FixturePath;
using sarvane::interop::HaveQpdf;
using sarvane::interop::Quote;
using sarvane::interop::RunCommand;
using sarvane::interop::TStderr;
using sarvane::interop::TTempFolder;
using testutil::PdfBuilder;

// An object's text on one line.
std::string Flat(const TzkPDFObject* object) {
  std::string text = object->ToText();
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, " ");
  return text;
}

// Three pages (objects 3, 4, 5) and the objects given; the catalog's extra
// entries follow /Pages.
std::string ThreePages(const std::map<int, std::string>& objects, const std::string& catalogEntries) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R " + catalogEntries + " >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /MediaBox [0 0 600 800] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R /Rotate 270 >>");
  b.AddObject(5, "<< /Type /Page /Parent 2 0 R /Rotate 40 0 R >>");
  b.AddObject(40, "90");
  for (const auto& [n, body] : objects) b.AddObject(n, body);
  b.FinishTable("/Size 100 /Root 1 0 R");
  return b.Data();
}

// Nested, closed and coloured items; explicit and named destinations (in
// /Dests), URI and GoTo actions; titles in UTF-16 and in PDFDocEncoding
// (e-acute and the bullet, which Latin-1 lacks).
const std::map<int, std::string> kOutline = {
    {10, "<< /Type /Outlines /First 11 0 R /Last 14 0 R /Count 4 >>"},
    {11, "<< /Title (Intro) /Parent 10 0 R /Next 12 0 R /Dest [3 0 R /XYZ 0 800 0] /C 20 0 R /F 2 >>"},
    {12, "<< /Title <FEFF65E5672C> /Parent 10 0 R /Prev 11 0 R /Next 14 0 R /First 13 0 R /Last 15 0 R "
         "/Count -2 /Dest /named >>"},
    {13, "<< /Title (Caf\\351 \\200) /Parent 12 0 R /Next 15 0 R /A 21 0 R /C [0 0.5 1] >>"},
    {15, "<< /Title (GoTo) /Parent 12 0 R /Prev 13 0 R /A << /S /GoTo /D (str) >> /F 1 >>"},
    {14, "<< /Title (Last) /Parent 10 0 R /Prev 12 0 R /Dest [5 0 R /Fit] >>"},
    {20, "[1 0 0]"},
    {21, "<< /S /URI /URI (https://example.com/) >>"},
    {30, "<< /named [4 0 R /Fit] /str [5 0 R /FitH 700] >>"},
};
const char kOutlineCatalog[] = "/Outlines 10 0 R /Dests 30 0 R";

class Outlines : public ::testing::Test {
 protected:
  TTempFolder dir_{"outlines"};
  TzkPDFDocument doc_;
  std::vector<std::string> warnings_;

  std::string Path(const std::string& name) const { return dir_.Dir() + name; }
  void Load(const std::string& data) {
    std::ofstream(Path("in.pdf"), std::ios::binary) << data;
    doc_.SetShowSetupDialog(false);
    doc_.OnWarning = [this](TzkComponent*, const std::string& w) { warnings_.push_back(w); };
    ASSERT_TRUE(doc_.LoadDocument(Path("in.pdf")));
  }
  // qpdf's view of the outline (one line per item, see the script), with
  // the check of the links when asked.
  std::string View(const std::string& file, const std::string& extra = "") {
    const auto run = RunCommand("/usr/bin/python3 " + Quote(FixturePath("outline_view.py")) + " " + Quote(file) +
                                " " + extra, TStderr::Discard);
    EXPECT_EQ(run.status, 0) << run.out;
    return run.out;
  }
  void Check(const std::string& file, const std::string& extra = "") {
    const auto check = RunCommand("qpdf --check " + extra + " " + Quote(file));
    EXPECT_EQ(check.status, 0) << check.out;
  }
  // Titles of the tree in order, one per line, indented by level.
  static std::string Tree(const TzkPDFOutline* root) {
    std::string out;
    std::vector<std::pair<const TzkPDFOutline*, int>> stack;
    if (root && root->FirstChild()) stack.push_back({root->FirstChild(), 0});
    while (!stack.empty()) {
      auto [item, level] = stack.back();
      stack.pop_back();
      if (item->NextSibling()) stack.push_back({item->NextSibling(), level});
      if (item->FirstChild()) stack.push_back({item->FirstChild(), level + 1});
      out += std::string(static_cast<size_t>(level) * 2, ' ') + item->TitleBytes() + (item->Closed() ? " -" : "") +
             "\n";
    }
    return out;
  }
};

TEST_F(Outlines, ReadingKeepsTheItemsAndDropsTheLinks) {
  Load(ThreePages(kOutline, kOutlineCatalog));
  const TzkPDFOutline* root = doc_.OutlineRoot();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Tree(root), "Intro\n\xFE\xFF\x65\xE5\x67\x2C -\n  Caf\xE9 \x80\n  GoTo\nLast\n");
  const TzkPDFOutline* second = root->FirstChild()->NextSibling();
  EXPECT_EQ(second->Title(), u"\u65E5\u672C");
  EXPECT_EQ(second->FirstChild()->Title(), u"Caf\u00E9 \u2022");
  EXPECT_EQ(second->FirstChild()->Parent(), second);
  EXPECT_EQ(second->FirstChild()->NextSibling()->PrevSibling(), second->FirstChild());
  // The named destination is replaced by the explicit one, the colour and
  // the action are made direct, the links are gone.
  EXPECT_EQ(Flat(second->Dict()), "<< /Title <FEFF65E5672C> /Dest [ 4 0 R /Fit ] >>");
  EXPECT_EQ(Flat(root->FirstChild()->Dict()->Lookup("/C")), "[ 1 0 0 ]");
  EXPECT_EQ(Flat(second->FirstChild()->Dict()->Lookup("/A")), "<< /S /URI /URI (https://example.com/) >>");
  EXPECT_EQ(Flat(second->FirstChild()->NextSibling()->Dict()->Lookup("/A")),
            "<< /S /GoTo /D [ 5 0 R /FitH 700 ] >>");
}

// Read and written again, plain and encrypted: qpdf sees the same titles,
// levels, pages, open state, colours, flags and actions, and links that
// agree with each other.
TEST_F(Outlines, SurviveASaveAsQpdfSeesThem) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf not installed";
  Load(ThreePages(kOutline, kOutlineCatalog));
  const std::string before = View(Path("in.pdf"));
  EXPECT_EQ(before,
            "Intro | page 1 | open | C [1.0, 0.0, 0.0] | F 2.0 | A None\n"
            "\xE6\x97\xA5\xE6\x9C\xAC | page 2 | closed | C None | F None | A None\n"
            "  Caf\xC3\xA9 \xE2\x80\xA2 | page None | open | C [0.0, 0.5, 1.0] | F None | A /URI "
            "u:https://example.com/\n"
            "  GoTo | page None | open | C None | F 1.0 | A /GoTo\n"
            "Last | page 3 | open | C None | F None | A None\n");
  // qpdf does not look up the named destination of a go-to action; the
  // copy holds the explicit one, whose page it reports.
  std::string after = before;
  after.replace(after.find("GoTo | page None"), 16, "GoTo | page 3");
  doc_.SaveDocument(Path("plain.pdf"), 2);
  Check(Path("plain.pdf"));
  EXPECT_EQ(View(Path("plain.pdf"), "--links"), after + "links: ok\n");

  doc_.Encryption().SetEnabled(true);
  doc_.Encryption().SetLevel(sarvane::pdf::el128bit);
  doc_.Encryption().SetOwnerPassword("owner");
  doc_.Encryption().SetUserPassword("user");
  doc_.SaveDocument(Path("locked.pdf"), 2);
  Check(Path("locked.pdf"), "--password=user");
  EXPECT_EQ(View(Path("locked.pdf"), "--password user --links"), after + "links: ok\n");

  // And our own reading of the encrypted copy gives the same bytes.
  TzkPDFDocument again;
  again.SetShowSetupDialog(false);
  again.OnPassword = [](TzkComponent*, std::string& password, bool&, int) { password = "user"; };
  ASSERT_TRUE(again.LoadDocument(Path("locked.pdf")));
  EXPECT_EQ(Tree(again.OutlineRoot()), Tree(doc_.OutlineRoot()));
}

// The writer lends the items' values to what it writes; a save, also one
// that fails after the outline was built, leaves the items as they were.
TEST_F(Outlines, ItemsKeepTheirValuesThroughSaves) {
  auto items = [](const TzkPDFDocument& doc) {
    std::string out;
    std::vector<const TzkPDFOutline*> stack{doc.OutlineRoot()};
    while (!stack.empty()) {
      const TzkPDFOutline* item = stack.back();
      stack.pop_back();
      if (item->Dict()) out += Flat(item->Dict()) + "\n";
      if (item->NextSibling()) stack.push_back(item->NextSibling());
      if (item->FirstChild()) stack.push_back(item->FirstChild());
    }
    return out;
  };
  Load(ThreePages(kOutline, kOutlineCatalog));
  const std::string before = items(doc_);
  ASSERT_NE(before.find("/Title (Intro)"), std::string::npos);
  doc_.SaveDocument(Path("first.pdf"), 2);
  EXPECT_EQ(items(doc_), before);
  doc_.SaveDocument(Path("second.pdf"), 2);
  std::ifstream first(Path("first.pdf"), std::ios::binary), second(Path("second.pdf"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(first), {}),
            std::string(std::istreambuf_iterator<char>(second), {}));

  std::map<int, std::string> objects = kOutline;
  objects[3] = "<< /Type /Page /Parent 2 0 R /Contents 50 0 R >>";
  objects[50] = "<< >>\nstream\nq Q\nendstrem";  // data that cannot be located
  std::ofstream(Path("damaged.pdf"), std::ios::binary) << ThreePages(objects, kOutlineCatalog);
  TzkPDFDocument damaged;
  damaged.SetShowSetupDialog(false);
  damaged.OnWarning = [](TzkComponent*, const std::string&) {};
  ASSERT_TRUE(damaged.LoadDocument(Path("damaged.pdf")));
  EXPECT_EQ(items(damaged), before);
  EXPECT_THROW(damaged.SaveDocument(Path("failed.pdf"), 2), EPDFFileCorruptedError);
  EXPECT_EQ(items(damaged), before);
}

// Cycles through /Next and /First end where they close; the rest is read
// and written as a proper tree.
TEST_F(Outlines, CyclesEnd) {
  Load(ThreePages({{10, "<< /First 11 0 R /Count 3 >>"},
                   {11, "<< /Title (A) /Next 12 0 R /First 11 0 R /Dest [3 0 R /Fit] >>"},
                   {12, "<< /Title (B) /Next 11 0 R /First 13 0 R /Dest [4 0 R /Fit] >>"},
                   {13, "<< /Title (C) /Next 13 0 R /First 10 0 R >>"}},
                  "/Outlines 10 0 R"));
  EXPECT_EQ(Tree(doc_.OutlineRoot()), "A\nB\n  C\n");
  EXPECT_EQ(warnings_.size(), 4u);
  if (!HaveQpdf()) return;
  doc_.SaveDocument(Path("out.pdf"), 2);
  Check(Path("out.pdf"));
  EXPECT_EQ(View(Path("out.pdf"), "--links"),
            "A | page 1 | open | C None | F None | A None\n"
            "B | page 2 | open | C None | F None | A None\n"
            "  C | page None | open | C None | F None | A None\n"
            "links: ok\n");
}

// Items whose page is taken out are not written; when the last item of a
// level goes, the previous kept item becomes the last one.
TEST_F(Outlines, ItemsOfARemovedPageAreDropped) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf not installed";
  Load(ThreePages({{10, "<< /First 11 0 R /Last 14 0 R /Count 3 >>"},
                   {11, "<< /Title (A) /Next 12 0 R /Dest [3 0 R /Fit] /First 15 0 R /Last 17 0 R /Count 3 >>"},
                   {15, "<< /Title (A1) /Next 16 0 R /Dest [3 0 R /Fit] >>"},
                   {16, "<< /Title (A2) /Next 17 0 R /Dest [4 0 R /Fit] >>"},
                   {17, "<< /Title (A3) /Dest [5 0 R /Fit] >>"},
                   {12, "<< /Title (B) /Next 14 0 R /Dest [4 0 R /Fit] >>"},
                   {14, "<< /Title (C) /Dest [5 0 R /Fit] >>"}},
                  "/Outlines 10 0 R"));
  doc_.Pages()[2]->SetUseCount(0);
  doc_.SaveDocument(Path("out.pdf"), 2);
  Check(Path("out.pdf"));
  EXPECT_EQ(View(Path("out.pdf"), "--links"),
            "A | page 1 | open | C None | F None | A None\n"
            "  A1 | page 1 | open | C None | F None | A None\n"
            "  A2 | page 2 | open | C None | F None | A None\n"
            "B | page 2 | open | C None | F None | A None\n"
            "links: ok\n");
}

// An item made in memory gets a number of the store when it is written.
TEST_F(Outlines, ItemsMadeInMemoryAreNumberedAndWritten) {
  Load(ThreePages({{10, "<< /First 11 0 R >>"}, {11, "<< /Title (Read) /Dest [3 0 R /Fit] >>"}},
                  "/Outlines 10 0 R"));
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddValue("/Title", TzkPDFStringObject::Literal("Made"));
  auto made = std::make_unique<TzkPDFOutline>(&doc_, 0, std::move(dict), 0, 0);
  TzkPDFOutline* item = doc_.OutlineRoot()->FirstChild()->AddChild(std::move(made));
  doc_.SaveDocument(Path("out.pdf"), 2);
  EXPECT_GT(item->ObjectNumber(), 0);
  TzkPDFDocument again;
  again.SetShowSetupDialog(false);
  ASSERT_TRUE(again.LoadDocument(Path("out.pdf")));
  EXPECT_EQ(Tree(again.OutlineRoot()), "Read\n  Made\n");
}

TEST_F(Outlines, DestinationNotStartingWithAPageWarnsAndIsWritten) {
  Load(ThreePages({{10, "<< /First 11 0 R >>"}, {11, "<< /Title (Remote) /Dest [0 /Fit] >>"}}, "/Outlines 10 0 R"));
  doc_.SaveDocument(Path("out.pdf"), 2);
  EXPECT_NE(std::find(warnings_.begin(), warnings_.end(), "Expected Page Indirect Reference in Outline Destination!"),
            warnings_.end());
  TzkPDFDocument again;
  again.SetShowSetupDialog(false);
  ASSERT_TRUE(again.LoadDocument(Path("out.pdf")));
  EXPECT_EQ(Tree(again.OutlineRoot()), "Remote\n");
}

TEST_F(Outlines, DestinationOrActionOfAnUnexpectedKindIsRefused) {
  for (const char* item : {"<< /Title (Bad) /Dest 7 >>", "<< /Title (Bad) /A 7 >>", "<< /Title (Bad) /A 50 0 R >>"}) {
    std::ofstream(Path("in.pdf"), std::ios::binary)
        << ThreePages({{10, "<< /First 11 0 R >>"}, {11, item}, {50, "[1 2]"}}, "/Outlines 10 0 R");
    try {
      doc_.LoadDocument(Path("in.pdf"));
      ADD_FAILURE() << "no exception: " << item;
    } catch (const EUnexpectedError& e) {
      EXPECT_STREQ(e.what(), "Unexpected Error");
    }
  }
}

// An action reference to an object the file lacks is a defect that other
// readers pass over: the bookmark stays, without the action.
TEST_F(Outlines, MissingActionIsLeftOutWithAWarning) {
  Load(ThreePages({{10, "<< /First 11 0 R >>"}, {11, "<< /Title (Kept) /A 60 0 R /Dest [3 0 R /Fit] >>"}},
                  "/Outlines 10 0 R"));
  EXPECT_EQ(Tree(doc_.OutlineRoot()), "Kept\n");
  EXPECT_EQ(doc_.OutlineRoot()->FirstChild()->Dict()->Lookup("/A"), nullptr);
  EXPECT_EQ(warnings_, std::vector<std::string>{"The action of outline item 11 is not in the file; left out"});
}

// 100,000 bookmarks in one list: no recursion along the list on reading,
// writing or releasing, and time that grows with the count.
TEST_F(Outlines, LongSiblingListsAreWalkedWithoutRecursion) {
  auto build = [](int count) {
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 3 0 R >>");
    b.AddObject(2, "<< /Type /Pages /Kids [4 0 R] /Count 1 /MediaBox [0 0 600 800] >>");
    b.AddObject(3, "<< /First 10 0 R /Last " + std::to_string(9 + count) + " 0 R /Count " + std::to_string(count) +
                       " >>");
    b.AddObject(4, "<< /Type /Page /Parent 2 0 R >>");
    for (int i = 0; i < count; ++i) {
      const int n = 10 + i;
      b.AddObject(n, "<< /Title (" + std::to_string(i) + ") /Parent 3 0 R /Dest [4 0 R /Fit]" +
                         (i + 1 < count ? " /Next " + std::to_string(n + 1) + " 0 R" : std::string()) + " >>");
    }
    b.FinishTable("/Size " + std::to_string(10 + count) + " /Root 1 0 R");
    return b.Data();
  };
  Load(build(100000));
  int count = 0;
  for (const TzkPDFOutline* item = doc_.OutlineRoot()->FirstChild(); item; item = item->NextSibling()) ++count;
  EXPECT_EQ(count, 100000);
  doc_.SaveDocument(Path("out.pdf"), 2);
  TzkPDFDocument again;
  again.SetShowSetupDialog(false);
  ASSERT_TRUE(again.LoadDocument(Path("out.pdf")));
  const TzkPDFOutline* last = again.OutlineRoot()->FirstChild();
  count = 1;
  while (last->NextSibling()) {
    last = last->NextSibling();
    ++count;
  }
  EXPECT_EQ(count, 100000);
  EXPECT_EQ(last->TitleBytes(), "99999");
}

// --------------------------------------------------------- destinations

struct DestinationCase {
  const char* what;
  uint8_t kind;
  uint8_t remoteKind = 0;
  int32_t page = 1;
  double left = 0, bottom = 0, right = 0, top = 0, zoom = 0;
  std::string expected;  // with the page reference as "P"
};

TEST_F(Outlines, MakeDestinationConvertsFromTheTopOfThePage) {
  Load(ThreePages({}, ""));
  doc_.SetMeasurementUnit(muMM);
  // A remote file whose page is 500 points high.
  PdfBuilder other;
  other.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  other.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>");
  other.AddObject(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] >>");
  other.AddObject(4, "<< /Type /Page /Parent 2 0 R /MediaBox [0 100 300 600] >>");
  other.FinishTable("/Size 5 /Root 1 0 R");
  std::ofstream(Path("other.pdf"), std::ios::binary) << other.Data();

  const double mm = TzkCustomPDFDocument::ToPoints(muMM, 1);
  const auto R = [](double v) { return TzkPDFRealObject(v).ToText(); };
  const std::string p = "3 0 R";
  const DestinationCase cases[] = {
      {.what = "xyz", .kind = dkXYZ, .left = 10, .top = 20, .zoom = 1.5,
       .expected = "[ P /XYZ " + R(10 * mm) + " " + R(800 - 20 * mm) + " " + R(1.5) + " ]"},
      {.what = "fit", .kind = dkFit, .expected = "[ P /Fit ]"},
      {.what = "fith", .kind = dkFitH, .top = 0, .expected = "[ P /FitH " + R(800) + " ]"},
      {.what = "fitv", .kind = dkFitV, .left = 10, .expected = "[ P /FitV " + R(10 * mm) + " ]"},
      {.what = "fitr", .kind = dkFitR, .left = 0, .bottom = 100, .right = 50, .top = 0,
       .expected = "[ P /FitR " + R(0) + " " + R(800 - 100 * mm) + " " + R(50 * mm) + " " + R(800) + " ]"},
      {.what = "fitb", .kind = dkFitB, .expected = "[ P /FitB ]"},
      {.what = "fitbh", .kind = dkFitBH, .top = 10, .expected = "[ P /FitBH " + R(800 - 10 * mm) + " ]"},
      {.what = "index", .kind = dkPageIndex, .page = 99, .expected = "[ 1 ]"},
      {.what = "remote", .kind = dkRemote, .remoteKind = dkFitH, .page = 99, .top = 0, .expected = "[ 1 /FitH " + R(500) + " ]"},
      {.what = "remote other kind", .kind = dkRemote, .remoteKind = 40, .expected = "[ 1 /Fit ]"},
  };
  for (const DestinationCase& c : cases) {
    TzkPDFDestination d;
    d.DestinationKind = c.kind;
    d.PageNumber = c.page;
    d.Left = c.left;
    d.Bottom = c.bottom;
    d.Right = c.right;
    d.Top = c.top;
    d.Zoom = c.zoom;
    d.Remote->FileName = Path("other.pdf");
    d.Remote->PageNumber = 2;
    d.Remote->DestinationKind = c.remoteKind;
    std::string text = Flat(MakeDestination(doc_, d).get());
    if (const size_t at = text.find(p); at != std::string::npos) text.replace(at, p.size(), "P");
    EXPECT_EQ(text, c.expected) << c.what;
  }
  // -1 after conversion leaves the coordinate to the viewer.
  doc_.SetMeasurementUnit(muPoints);
  TzkPDFDestination keep;
  keep.Left = -1;
  keep.Top = 801;
  EXPECT_EQ(Flat(MakeDestination(doc_, keep).get()), "[ 3 0 R /XYZ null null " + R(0) + " ]");

  for (int32_t page : {0, 4}) {
    TzkPDFDestination d;
    d.PageNumber = page;
    try {
      MakeDestination(doc_, d);
      ADD_FAILURE() << page;
    } catch (const EInvalidPageError& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid page number (" + std::to_string(page) + ")");
    }
  }
}

}  // namespace
}  // namespace sarvane::pdf::doc
