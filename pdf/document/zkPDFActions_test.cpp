#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/objects/zkPDFParser.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/CodePage.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::doc {
namespace {

using sarvane::interop::HaveQpdf;
using sarvane::interop::Quote;
using sarvane::interop::RunCommand;
using sarvane::interop::TTempFolder;
using testutil::PdfBuilder;

// A file of two pages (objects 3 and 4) plus the objects given, numbered as given.
std::string TwoPages(const std::map<int, std::string>& objects, const std::string& page1 = "",
                     const std::string& page2 = "") {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 600 800] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R " + page1 + " >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R " + page2 + " >>");
  for (const auto& [n, body] : objects) b.AddObject(n, body);
  b.FinishTable("/Size 40 /Root 1 0 R");
  return b.Data();
}

class Actions : public ::testing::Test {
 protected:
  TTempFolder dir_{"actions"};
  TzkPDFDocument doc_;

  void Load(const std::string& data) {
    const std::string path = dir_.Dir() + "in.pdf";
    std::ofstream(path, std::ios::binary) << data;
    doc_.SetShowSetupDialog(false);
    ASSERT_TRUE(doc_.LoadDocument(path));
  }
  // Saves, checks the output with qpdf when it is there, and loads it back.
  void SaveAndReload() {
    const std::string path = dir_.Dir() + "out.pdf";
    doc_.SaveDocument(path, 2);
    if (HaveQpdf()) {
      const auto check = RunCommand("qpdf --check " + Quote(path));
      EXPECT_EQ(check.status, 0) << check.out;
    }
    ASSERT_TRUE(doc_.LoadDocument(path));
  }
  TzkPDFDictObject& Page(int n) { return doc_.Pages()[static_cast<size_t>(n - 1)]->Value()->Cast<TzkPDFDictObject>(); }
  // The page's /AA as text, references followed.
  std::string AAText(int n) {
    const TzkPDFObject* aa = Page(n).Lookup("/AA");
    if (!aa) return "none";
    return doc_.ResolveDeep(aa)->ToText();
  }
  TzkPDFIndirectObject* Stored(int number) { return doc_.ObjectStore().Find(doc_.DocumentNumber(), number, 0); }
};

// "this call raises this message"
template <typename E>
void ExpectRaises(const std::function<void()>& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST_F(Actions, DictionariesOfEachClass) {
  Load(TwoPages({}));
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  TzkPDFURIAction uri;
  uri.URI = "https://example.com/a b\x82\xA0";  // a blank and a Shift-JIS letter
  TzkPDFLaunchAction launch;
  launch.FileName = "run.exe";
  launch.Operation = 1;
  launch.NewWindow = true;
  TzkPDFGoToRAction remote;
  remote.FileName = "other";
  remote.PageNumber = 3;
  remote.DestinationKind = dkFit;
  TzkPDFGoToAction go;
  go.PageNumber = 2;
  go.DestinationKind = dkFitH;
  TzkPDFJavaScriptAction script;
  script.Script = "app.alert(\"(\\\");";
  TzkPDFAction plain;
  struct Row {
    TzkPDFAction* action;
    std::string text;
  } rows[] = {
      // A URI stays ASCII whatever the code page: %-escapes, never FEFF hex.
      {&uri, "<< /S /URI /URI (https://example.com/a%20b%E3%81%82) >>"},
      {&launch, "<< /S /Launch /Win << /F <FEFF00720075006E002E006500780065> /P <FEFF> /O (print) >> /NewWindow true >>"},
      {&remote, "<< /S /GoToR /F <FEFF006F0074006800650072002E007000640066> /D [ 2 /Fit ] /NewWindow false >>"},
      {&go, "<< /S /GoTo /D [ 4 0 R /FitH 800.0000000000 ] >>"},
      // The script's bytes as they are; the writer escapes them once.
      {&script, "<< /S /JavaScript /JS (app.alert\\(\"\\(\\\\\"\\);) >>"},
      {&plain, "<< >>"},
  };
  for (const Row& row : rows) {
    TzkPDFObjectPtr dict = doc_.MakeActionDictionary(row.action);
    ASSERT_TRUE(dict);
    std::string text = dict->ToText();
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    EXPECT_EQ(text, row.text);
  }
  SetSystemCodePageForTesting(kCodePageUtf8);
  EXPECT_EQ(remote.FileName, "other.pdf");
  EXPECT_EQ(doc_.MakeActionDictionary(nullptr), nullptr);
  go.PageNumber = 3;
  ExpectRaises<EInvalidPageError>([&] { doc_.MakeActionDictionary(&go); }, "Invalid page number (3)");
}

// Scenarios on a two-page file: what the pages' /AA read as after the
// calls, saved and loaded again (qpdf checks the saved file).
TEST_F(Actions, SettingAndRemovingPageActions) {
  struct Row {
    const char* name;
    std::map<int, std::string> objects;
    std::string page1, page2;
    std::function<void(TzkPDFDocument&, TzkPDFAction*)> edit;
    std::string aa1, aa2;
  } rows[] = {
      {"a new open action is a direct entry", {}, "", "",
       [](TzkPDFDocument& d, TzkPDFAction* a) { d.SetPageAction({a, 0}, 1); },
       "<< /O << /S /JavaScript /JS (go\\(\\)) >> >>", "none"},
      {"a second one chains through /Next", {}, "", "",
       [](TzkPDFDocument& d, TzkPDFAction* a) {
         d.SetPageAction({a, 1}, 1);
         d.SetPageAction({a, 1}, 1);
       },
       "<< /C << /S /JavaScript /JS (go\\(\\)) /Next << /S /JavaScript /JS (go\\(\\)) >> >> >>", "none"},
      {"an existing /Next runs before the new action",
       {{10, "<< /S /URI /URI (u) >>"}}, "/AA << /O << /S /URI /URI (t) /Next 10 0 R >> >>", "",
       [](TzkPDFDocument& d, TzkPDFAction* a) { d.SetPageAction({a, 0}, 1); },
       "<< /O << /S /URI /URI (t) /Next [ << /S /URI /URI (u) >> << /S /JavaScript /JS (go\\(\\)) >> ] >> >>",
       "none"},
      {"removing the only action removes /AA", {}, "/AA << /O << /S /URI /URI (t) >> >>", "",
       [](TzkPDFDocument& d, TzkPDFAction*) { d.RemovePageAction(1, 0); }, "none", "none"},
      {"removing the open action keeps the close action", {}, "/AA << /O << /S /URI /URI (t) >> /C << /S /URI /URI (c) >> >>", "",
       [](TzkPDFDocument& d, TzkPDFAction*) { d.RemovePageAction(1, 0); }, "<< /C << /S /URI /URI (c) >> >>", "none"},
      // The action object is shared: the other page keeps it whole.
      {"a shared stored action stays for the other page",
       {{10, "<< /S /URI /URI (t) /Next 11 0 R >>"}, {11, "<< /S /URI /URI (n) >>"}},
       "/AA << /O 10 0 R >>", "/AA << /O 10 0 R >>",
       [](TzkPDFDocument& d, TzkPDFAction*) { d.RemovePageAction(1, 0); }, "none",
       "<< /O << /S /URI /URI (t) /Next << /S /URI /URI (n) >> >> >>"},
      {"a shared stored action is not extended for the other page",
       {{10, "<< /S /URI /URI (t) >>"}}, "/AA << /O 10 0 R >>", "/AA << /O 10 0 R >>",
       [](TzkPDFDocument& d, TzkPDFAction* a) { d.SetPageAction({a, 0}, 1); },
       "<< /O << /S /URI /URI (t) /Next << /S /JavaScript /JS (go\\(\\)) >> >> >>", "<< /O << /S /URI /URI (t) >> >>"},
      {"a shared stored /AA is copied into the page", {{12, "<< /O << /S /URI /URI (t) >> /C << /S /URI /URI (c) >> >>"}},
       "/AA 12 0 R", "/AA 12 0 R", [](TzkPDFDocument& d, TzkPDFAction*) { d.RemovePageAction(1, 1); },
       "<< /O << /S /URI /URI (t) >> >>", "<< /O << /S /URI /URI (t) >> /C << /S /URI /URI (c) >> >>"},
      {"a /Next loop ends on removal and on chaining",
       {{10, "<< /S /URI /URI (a) /Next 11 0 R >>"}, {11, "<< /S /URI /URI (b) /Next [10 0 R 11 0 R] >>"}},
       "/AA << /O 10 0 R /C 10 0 R >>", "",
       [](TzkPDFDocument& d, TzkPDFAction* a) {
         d.RemovePageAction(1, 0);
         d.SetPageAction({a, 1}, 1);
         d.RemovePageAction(1, 1);
       },
       "none", "none"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TzkPDFJavaScriptAction script;
    script.Script = "go()";
    Load(TwoPages(row.objects, row.page1, row.page2));
    row.edit(doc_, &script);
    SaveAndReload();
    auto flat = [](std::string text) {
      for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
      return text;
    };
    EXPECT_EQ(flat(AAText(1)), row.aa1);
    EXPECT_EQ(flat(AAText(2)), row.aa2);
  }
}

// What a removed chain leaves in the store: objects only the page used are
// no longer written; one that a link also uses is written unchanged.
TEST_F(Actions, RemovingAChainGivesBackOnlyItsOwnUses) {
  Load(TwoPages({{10, "<< /S /URI /URI (a) /Next 11 0 R >>"},
                 {11, "<< /S /URI /URI (b) /Next 12 0 R >>"},
                 {12, "<< /S /URI /URI (c) /Next 13 0 R >>"},
                 {13, "<< /S /URI /URI (d) >>"},
                 {20, "<< /Type /Annot /Subtype /Link /Rect [0 0 1 1] /A 12 0 R >>"}},
                "/AA << /O 10 0 R >>", "/Annots [20 0 R]"));
  doc_.RemovePageAction(1, 0);
  EXPECT_EQ(Stored(10)->UseCount(), 0);
  EXPECT_EQ(Stored(11)->UseCount(), 0);
  EXPECT_GT(Stored(12)->UseCount(), 0);
  EXPECT_GT(Stored(13)->UseCount(), 0);
  EXPECT_EQ(Stored(12)->Value()->Cast<TzkPDFDictObject>().Count(), 3);
  EXPECT_FALSE(doc_.HasPageAction(1, 0));
}

// Each level's /Next lists the next action twice: removal visits each once.
TEST_F(Actions, SharedChainsAreWalkedOnce) {
  std::map<int, std::string> objects;
  for (int n = 10; n < 50; ++n) {
    objects[n] = "<< /S /URI /URI (u) /Next [" + std::to_string(n + 1) + " 0 R " + std::to_string(n + 1) + " 0 R] >>";
  }
  objects[50] = "<< /S /URI /URI (end) >>";
  Load(TwoPages(objects, "/AA << /O 10 0 R >>"));
  doc_.RemovePageAction(1, 0);
  for (int n = 10; n <= 50; ++n) EXPECT_EQ(Stored(n)->UseCount(), 0) << n;
}

TEST_F(Actions, PageNumbersOutsideTheDocumentRaise) {
  Load(TwoPages({}));
  TzkPDFJavaScriptAction script;
  for (int page : {0, 3, -1}) {
    const std::string message = "Invalid page number (" + std::to_string(page) + ")";
    ExpectRaises<EInvalidPageError>([&] { doc_.SetPageAction({&script, 0}, page); }, message);
    ExpectRaises<EInvalidPageError>([&] { doc_.RemovePageAction(page, 1); }, message);
  }
  doc_.SetPageAction({nullptr, 0}, 1);  // no action: nothing changes
  EXPECT_EQ(Page(1).Lookup("/AA"), nullptr);
}

// The script comes back byte for byte, read by qpdf and by our parser.
TEST_F(Actions, JavaScriptSurvivesTheWriterExactly) {
  const std::string script = "var s = \"(\"; // unbalanced ( and a \\ backslash\r\nif (s) app.alert(\")\\n\");";
  Load(TwoPages({}));
  TzkPDFJavaScriptAction action;
  action.Script = script;
  doc_.SetPageAction({&action, 0}, 1);
  SaveAndReload();
  const auto& aa = Page(1).Lookup("/AA")->Cast<TzkPDFDictObject>();
  const auto& js = aa.Lookup("/O")->Cast<TzkPDFDictObject>().Lookup("/JS")->Cast<TzkPDFStringObject>();
  EXPECT_EQ(js.Content(), script);
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf not installed";
  const auto json = RunCommand("qpdf --json=2 --json-key=qpdf " + Quote(dir_.Dir() + "out.pdf"));
  ASSERT_EQ(json.status, 0) << json.out;
  // qpdf's JSON gives the decoded string, JSON-escaped.
  std::string expected = "u:var s = \\\"(\\\"; // unbalanced ( and a \\\\ backslash\\r\\nif (s) app.alert(\\\")\\\\n\\\");";
  EXPECT_NE(json.out.find(expected), std::string::npos) << json.out;
}

}  // namespace
}  // namespace sarvane::pdf::doc

namespace sarvane::pdf::doc {
namespace {

// Actions read from the file (outline items): named destinations become
// explicit ones, remote ones stay, and anything else there is an error.
TEST_F(Actions, ReadingAnActionMakesItsDestinationExplicit) {
  PdfBuilder b;
  // Objects 10 and 11 are loaded through /Extra: reading an action after
  // loading works on the store.
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /Dests << /here [3 0 R /Fit] >> /Extra [10 0 R 11 0 R] >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 600 800] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R >>");
  b.AddObject(10, "[3 0 R /FitH 5]");
  b.AddObject(11, "<< /Length 4 >>\nstream\ngo()\nendstream");
  b.FinishTable("/Size 20 /Root 1 0 R");
  Load(b.Data());
  struct Row {
    std::string action, after, error;
  } rows[] = {
      {"<< /S /GoTo /D /here >>", "<< /S /GoTo /D [ 3 0 R /Fit ] >>", ""},
      {"<< /S /GoTo /D (here) >>", "<< /S /GoTo /D [ 3 0 R /Fit ] >>", ""},
      {"<< /S /GoTo /D 10 0 R >>", "<< /S /GoTo /D [ 3 0 R /FitH 5 ] >>", ""},
      {"<< /S /GoTo /D (elsewhere) >>", "<< /S /GoTo /D (elsewhere) >>", ""},
      {"<< /S /GoToR /F (x.pdf) /D /here >>", "<< /S /GoToR /F (x.pdf) /D /here >>", ""},
      {"<< /S /JavaScript /JS 11 0 R >>", "<< /S /JavaScript /JS 11 0 R >>", ""},
      {"<< /S /GoTo /D 7 >>", "", "Unexpected Error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.action);
    TzkPDFStreamReader reader(doc_.DocumentNumber(), row.action);
    TzkPDFObjectPtr action = reader.ReadObject();
    auto& dict = action->Cast<TzkPDFDictObject>();
    if (!row.error.empty()) {
      ExpectRaises<sarvane::pdf::EUnexpectedError>([&] { doc_.ReadAction(dict); }, row.error);
      continue;
    }
    doc_.ReadAction(dict);
    std::string text = dict.ToText();
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    EXPECT_EQ(text, row.after);
  }
  EXPECT_GT(Stored(11)->UseCount(), 0);
}

}  // namespace
}  // namespace sarvane::pdf::doc
