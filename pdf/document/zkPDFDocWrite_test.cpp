#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/objects/zkPDFText.h"

namespace sarvane::pdf::doc {
namespace {

using namespace sarvane::pdf;
using testutil::PdfBuilder;

class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "writerXXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    if (!made) std::abort();
    path_ = made;
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(path_.c_str())) {
      while (dirent* e = ::readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") out.push_back(e->d_name);
      ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The parts of a written file that the layout rules speak about.
struct Layout {
  std::vector<int64_t> offsets;  // entry n is object n's offset (0 for the free entry)
  std::string trailer;           // from "trailer" to the end
  int64_t size = 0;              // /Size
};

// Reads the single cross-reference table and checks its form on the way:
// one subsection from 0, 20-byte entries, the free entry first.
Layout ReadLayout(const std::string& pdf) {
  Layout layout;
  const size_t sx = pdf.rfind("startxref\r\n");
  EXPECT_NE(sx, std::string::npos);
  if (sx == std::string::npos) return layout;
  const int64_t xref = std::stoll(pdf.substr(sx + 11));
  EXPECT_EQ(pdf.compare(static_cast<size_t>(xref), 6, "xref\r\n"), 0);
  size_t at = static_cast<size_t>(xref) + 6;
  const size_t eol = pdf.find("\r\n", at);
  const std::string head = pdf.substr(at, eol - at);
  EXPECT_EQ(head.substr(0, 2), "0 ");
  const int64_t count = std::stoll(head.substr(2));
  at = eol + 2;
  for (int64_t i = 0; i < count; ++i, at += 20) {
    const std::string entry = pdf.substr(at, 20);
    if (i == 0) {
      EXPECT_EQ(entry, "0000000000 65535 f\r\n");
      layout.offsets.push_back(0);
    } else {
      EXPECT_TRUE(std::regex_match(entry, std::regex("[0-9]{10} 00000 n\r\n"))) << entry;
      layout.offsets.push_back(std::stoll(entry.substr(0, 10)));
    }
  }
  layout.trailer = pdf.substr(at);
  std::smatch m;
  if (std::regex_search(layout.trailer, m, std::regex("/Size ([0-9]+)"))) layout.size = std::stoll(m[1]);
  return layout;
}

// The text of object n, from its number to "endobj".
std::string ObjectText(const std::string& pdf, const Layout& layout, size_t n) {
  if (n >= layout.offsets.size()) return {};
  const size_t start = static_cast<size_t>(layout.offsets[n]);
  const size_t end = pdf.find("endobj", start);
  return pdf.substr(start, end == std::string::npos ? std::string::npos : end + 6 - start);
}

// Every line break outside stream data is CR LF.
bool LineEndsAreCRLF(const std::string& pdf) {
  size_t from = 0;
  while (from < pdf.size()) {
    size_t stream = pdf.find("stream\r\n", from);
    while (stream != std::string::npos && stream >= 3 && pdf.compare(stream - 3, 3, "end") == 0)
      stream = pdf.find("stream\r\n", stream + 1);
    const size_t stop = stream == std::string::npos ? pdf.size() : stream + 8;
    for (size_t i = from; i < stop; ++i) {
      if (pdf[i] == '\n' && (i == 0 || pdf[i - 1] != '\r')) return false;
      if (pdf[i] == '\r' && (i + 1 >= pdf.size() || pdf[i + 1] != '\n')) return false;
    }
    if (stream == std::string::npos) break;
    const size_t end = pdf.find("\r\nendstream", stop);
    if (end == std::string::npos) return false;
    from = end;
  }
  return true;
}

void CheckObjectOffsets(const std::string& pdf, const Layout& layout) {
  for (size_t n = 1; n < layout.offsets.size(); ++n) {
    const std::string head = std::to_string(n) + " 0 obj\r\n";
    EXPECT_EQ(pdf.compare(static_cast<size_t>(layout.offsets[n]), head.size(), head), 0) << "object " << n;
    EXPECT_EQ(pdf.compare(static_cast<size_t>(layout.offsets[n]) - 2, 2, "\r\n"), 0) << "object " << n;
  }
}

TEST(SaveDocument, LayoutOfAnEmptyDocument) {
  TempDir dir;
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  doc.SaveDocument(dir.File("empty.pdf"), 2);
  const std::string pdf = ReadFile(dir.File("empty.pdf"));
  EXPECT_EQ(pdf.substr(0, 17), std::string("%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n"));
  EXPECT_TRUE(LineEndsAreCRLF(pdf));
  const Layout layout = ReadLayout(pdf);
  ASSERT_EQ(layout.offsets.size(), 4u);
  EXPECT_EQ(layout.size, 4);
  CheckObjectOffsets(pdf, layout);
  EXPECT_EQ(ObjectText(pdf, layout, 1), "1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 3 0 R\r\n>>\r\nendobj");
  EXPECT_EQ(ObjectText(pdf, layout, 2), "2 0 obj\r\n<<\r\n>>\r\nendobj");
  EXPECT_EQ(ObjectText(pdf, layout, 3), "3 0 obj\r\n<<\r\n/Type /Pages\r\n/Count 0\r\n/Kids [ ]\r\n>>\r\nendobj");
  EXPECT_EQ(layout.trailer, "trailer\r\n<<\r\n/Size 4\r\n/Root 1 0 R\r\n/Info 2 0 R\r\n>>\r\nstartxref\r\n" +
                                std::to_string(pdf.find("xref\r\n0 4")) + "\r\n%%EOF\r\n");
}

TEST(SaveDocument, OutputNameGetsPdfExtensionUnlessItHasOne) {
  struct Case {
    std::string given, written;
  };
  const Case cases[] = {
      {"plain", "plain.pdf"}, {"upper.PDF", "upper.PDF"}, {"mixed.Pdf", "mixed.Pdf"},
      {"other.txt", "other.txt.pdf"}, {"lower.pdf", "lower.pdf"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    TzkPDFDocument doc;
    doc.SetShowSetupDialog(false);
    doc.SaveDocument(dir.File(c.given), 2);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{c.written}) << c.given;
  }
}

struct FakeDialog : ISetupDialog {
  int result = 1;
  int shown = 0;
  int ShowModal() override {
    ++shown;
    return result;
  }
};

TEST(SaveDocument, SetupDialogMayCancelTheSave) {
  struct Case {
    const char* name;
    bool show;
    bool install;
    int result;
    int expectShown;
    bool expectFile;
  };
  const Case cases[] = {
      {"cancelled", true, true, 2, 1, false},
      {"confirmed", true, true, 1, 1, true},
      {"switched off", false, true, 2, 0, true},
      {"none installed", true, false, 2, 0, true},
  };
  for (const auto& c : cases) {
    TempDir dir;
    TzkPDFDocument doc;
    FakeDialog dialog;
    dialog.result = c.result;
    doc.SetShowSetupDialog(c.show);
    if (c.install) doc.SetSetupDialog(&dialog);
    std::vector<std::string> messages;
    doc.OnStatusMessage = [&](TzkComponent*, const std::string& m) { messages.push_back(m); };
    doc.SaveDocument(dir.File("out.pdf"), 2);
    EXPECT_EQ(dialog.shown, c.expectShown) << c.name;
    EXPECT_EQ(!dir.Entries().empty(), c.expectFile) << c.name;
    EXPECT_EQ(messages.empty(), !c.expectFile) << c.name;
  }
}

TEST(SaveDocument, ReportsItsStepsAndProgress) {
  TempDir dir;
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  TzkPDFObjectStore& store = doc.ObjectStore();
  for (int i = 1; i <= 3; ++i)
    store.Store(std::make_unique<TzkPDFIndirectObject>(doc.DocumentNumber(), std::make_unique<TzkPDFIntegerObject>(i),
                                                       0, 10 + i, i != 2));
  std::vector<std::string> messages;
  std::vector<int> progress;
  doc.OnStatusMessage = [&](TzkComponent*, const std::string& m) { messages.push_back(m); };
  doc.OnIOProgress = [&](TzkComponent*, int p) { progress.push_back(p); };
  const std::string name = dir.File("steps.pdf");
  doc.SaveDocument(name, 2);
  EXPECT_EQ(messages, (std::vector<std::string>{"Saving File " + name, "Building Outlines...", "Building Objects...",
                                                "Writing Pages", "Writing Cross-Reference Table", "Save Complete"}));
  EXPECT_EQ(progress, (std::vector<int>{33, 66, 100}));
  // Objects in use are numbered from 4 in store order; the one not in use is left out.
  const std::string pdf = ReadFile(name);
  const Layout layout = ReadLayout(pdf);
  ASSERT_EQ(layout.offsets.size(), 6u);
  EXPECT_EQ(ObjectText(pdf, layout, 4), "4 0 obj\r\n1\r\nendobj");
  EXPECT_EQ(ObjectText(pdf, layout, 5), "5 0 obj\r\n3\r\nendobj");
}

TEST(SaveDocument, CatalogEntriesInTheirOrderThenTheKeptOnes) {
  TempDir dir;
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  const int32_t dn = doc.DocumentNumber();
  auto ref = [dn](int32_t n) { return std::make_unique<TzkPDFIndirectReference>(dn, 0, n); };
  TzkPDFObjectStore& store = doc.ObjectStore();
  auto* meta = store.Store(std::make_unique<TzkPDFIndirectObject>(dn, std::make_unique<TzkPDFDictObject>(), 0, 20, true));
  (void)meta;
  auto form = std::make_unique<TzkPDFDictObject>();
  form->AddValue("/Fields", std::make_unique<TzkPDFArrayObject>());
  store.Store(std::make_unique<TzkPDFIndirectObject>(dn, std::move(form), 0, 21, true));
  TzkPDFCatalog& catalog = doc.Catalog();
  // Given in another order than they are written.
  catalog.AA = std::make_unique<TzkPDFDictObject>();
  catalog.OpenAction = std::make_unique<TzkPDFArrayObject>();
  catalog.AcroForm = ref(21);
  catalog.Outlines = ref(99);  // not kept: left out, never dangling
  catalog.Names = std::make_unique<TzkPDFDictObject>();
  catalog.Metadata = ref(20);
  catalog.OtherEntries.emplace_back("/Lang", TzkPDFStringObject::Literal("ja-JP"));
  catalog.OtherEntries.emplace_back("/PageLabels", std::make_unique<TzkPDFDictObject>());
  catalog.OtherEntries.emplace_back("/MarkInfo", ref(99));
  doc.SetPageMode(pmUseOutlines);
  doc.SetPageLayout(plSinglePage);
  doc.ViewerPreferences().SetHideToolbar(true);
  doc.SaveDocument(dir.File("catalog.pdf"), 2);
  const std::string pdf = ReadFile(dir.File("catalog.pdf"));
  const Layout layout = ReadLayout(pdf);
  EXPECT_EQ(ObjectText(pdf, layout, 1),
            "1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 3 0 R\r\n/Metadata 4 0 R\r\n/PageMode /UseOutlines\r\n"
            "/PageLayout /SinglePage\r\n/Names <<\r\n>>\r\n/ViewerPreferences <<\r\n/HideToolbar true\r\n>>\r\n"
            "/AcroForm 5 0 R\r\n/OpenAction [ ]\r\n/AA <<\r\n>>\r\n/Lang (ja-JP)\r\n/PageLabels <<\r\n>>\r\n>>\r\nendobj");
}

TEST(SaveDocument, NeedAppearancesFollowsTheMode) {
  struct Case {
    const char* name;
    int mode;
    const char* before;  // nullptr: no entry
    const char* after;
  };
  const Case cases[] = {
      {"mode 0 adds true", 0, nullptr, "true"},   {"mode 0 turns false to true", 0, "false", "true"},
      {"mode 1 adds false", 1, nullptr, "false"}, {"mode 1 turns true to false", 1, "true", "false"},
      {"mode 2 leaves it", 2, "true", "true"},    {"mode 2 adds nothing", 2, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    TempDir dir;
    TzkPDFDocument doc;
    doc.SetShowSetupDialog(false);
    const int32_t dn = doc.DocumentNumber();
    auto form = std::make_unique<TzkPDFDictObject>();
    form->AddValue("/Fields", std::make_unique<TzkPDFArrayObject>());
    if (c.before) form->SetBoolean("/NeedAppearances", std::string(c.before) == "true");
    doc.ObjectStore().Store(std::make_unique<TzkPDFIndirectObject>(dn, std::move(form), 0, 7, true));
    doc.Catalog().AcroForm = std::make_unique<TzkPDFIndirectReference>(dn, 0, 7);
    doc.SaveDocument(dir.File("f.pdf"), c.mode);
    const std::string pdf = ReadFile(dir.File("f.pdf"));
    const std::string object = ObjectText(pdf, ReadLayout(pdf), 4);
    if (c.after) {
      EXPECT_NE(object.find(std::string("/NeedAppearances ") + c.after + "\r\n"), std::string::npos) << c.name;
    } else {
      EXPECT_EQ(object.find("/NeedAppearances"), std::string::npos) << c.name;
    }
  }
  // Without an interactive form, no mode adds anything anywhere.
  TempDir dir;
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  doc.SaveDocument(dir.File("plain.pdf"), 0);
  EXPECT_EQ(ReadFile(dir.File("plain.pdf")).find("NeedAppearances"), std::string::npos);
}

TEST(SaveDocument, FailedSaveLeavesThePreviousFileAlone) {
  TempDir dir;
  const std::string name = dir.File("kept.pdf");
  WriteFile(name, "previous good file");
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  // An object the writer refuses: nested far deeper than any document.
  auto root = std::make_unique<TzkPDFArrayObject>();
  TzkPDFArrayObject* at = root.get();
  for (int i = 0; i < 2000; ++i) {
    auto next = std::make_unique<TzkPDFArrayObject>();
    auto* raw = next.get();
    at->Add(std::move(next));
    at = raw;
  }
  // Enough data before it that part of the output has reached the disk.
  doc.ObjectStore().Store(std::make_unique<TzkPDFIndirectObject>(
      doc.DocumentNumber(),
      std::make_unique<TzkPDFStreamObject>(std::make_unique<TzkPDFDictObject>(),
                                           std::make_unique<TzkMemoryStream>(std::string(9 << 20, 'x'))),
      0, 5, true));
  doc.ObjectStore().Store(std::make_unique<TzkPDFIndirectObject>(doc.DocumentNumber(), std::move(root), 0, 6, true));
  std::vector<std::string> messages;
  doc.OnStatusMessage = [&](TzkComponent*, const std::string& m) { messages.push_back(m); };
  EXPECT_THROW(doc.SaveDocument(name, 2), Exception);
  EXPECT_EQ(ReadFile(name), "previous good file");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"kept.pdf"});
  EXPECT_TRUE(std::find(messages.begin(), messages.end(), "Save Complete") == messages.end());
}

TEST(SaveDocument, UnwritableFolderRaises) {
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  EXPECT_THROW(doc.SaveDocument("/nonexistent-folder-of-sarvane/x.pdf", 2), Exception);
}

TEST(SaveDocument, EncryptedOutputLayout) {
  for (auto level : {el40bit, el128bit}) {
    TempDir dir;
    TzkPDFDocument doc;
    doc.SetShowSetupDialog(false);
    doc.Encryption().SetEnabled(true);
    doc.Encryption().SetLevel(level);
    doc.Encryption().SetOwnerPassword("owner");
    doc.Encryption().SetUserPassword("user");
    const int32_t dn = doc.DocumentNumber();
    auto dict = std::make_unique<TzkPDFDictObject>();
    dict->AddValue("/S", TzkPDFStringObject::Literal("secret"));
    doc.ObjectStore().Store(std::make_unique<TzkPDFIndirectObject>(dn, std::move(dict), 0, 9, true));
    doc.DocumentInfo().Dictionary().AddValue("/Title", TzkPDFStringObject::Literal("T"));
    doc.SaveDocument(dir.File("enc.pdf"), 2);
    const std::string pdf = ReadFile(dir.File("enc.pdf"));
    const Layout layout = ReadLayout(pdf);
    ASSERT_EQ(layout.offsets.size(), 6u);
    CheckObjectOffsets(pdf, layout);
    EXPECT_EQ(layout.size, 6);
    const TzkPDFEncryption* handler = doc.EncryptionHandler();
    ASSERT_NE(handler, nullptr);
    // Strings are encrypted with the key of their own object.
    EXPECT_EQ(ObjectText(pdf, layout, 4),
              "4 0 obj\r\n<<\r\n/S <" + BytesToHex(handler->Encrypted("secret", 4)) + ">\r\n>>\r\nendobj");
    EXPECT_EQ(ObjectText(pdf, layout, 2),
              "2 0 obj\r\n<<\r\n/Title <" + BytesToHex(handler->Encrypted("T", 2)) + ">\r\n>>\r\nendobj");
    // The encryption dictionary is the last object, its strings plain.
    const std::string encrypt = ObjectText(pdf, layout, 5);
    EXPECT_NE(encrypt.find("/O <" + BytesToHex(handler->O()) + ">"), std::string::npos);
    EXPECT_NE(encrypt.find(level == el40bit ? "/R 2" : "/R 3"), std::string::npos);
    EXPECT_NE(layout.trailer.find("/Encrypt 5 0 R\r\n"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(layout.trailer, m, std::regex("/ID \\[ <([0-9A-F]{32})> <([0-9A-F]{32})> \\]")));
    EXPECT_EQ(m[1], m[2]);
    EXPECT_EQ(std::string(m[1]), BytesToHex(handler->FileID()));
  }
}

// The remaining tests read documents written by hand.

std::string ThreePagePdf() {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /Lang (en) /PageLabels << /Nums [ 0 << /S /r >> ] >> >>");
  // The first page has the highest number: /Kids must follow page order.
  b.AddObject(2, "<< /Type /Pages /Kids [ 9 0 R 4 0 R 5 0 R ] /Count 3 /MediaBox [ 0 0 200 200 ] >>");
  b.AddObject(9, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R /Contents 7 0 R >>");
  b.AddObject(5, "<< /Type /Page /Parent 2 0 R /Contents 8 0 R >>");
  b.AddObject(6, "<< /Length 10 0 R >>\nstream\nBT (one) Tj ET\nendstream");
  b.AddObject(10, "14");
  b.AddStream(7, "", "BT (two) Tj ET");
  // A /Length too long: loading repairs it.
  b.AddObject(8, "<< /Length 400 >>\nstream\nBT (three) Tj ET\nendstream");
  b.AddObject(11, "<< /Producer (p) /Title (three pages) >>");
  b.FinishTable("/Size 12 /Root 1 0 R /Info 11 0 R /ID [ <00112233445566778899AABBCCDDEEFF> (lit\\)) ]");
  return b.Data();
}

TEST(SaveDocument, RewritesALoadedDocument) {
  TempDir dir;
  WriteFile(dir.File("in.pdf"), ThreePagePdf());
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  ASSERT_TRUE(doc.LoadDocument(dir.File("in.pdf")));
  ASSERT_EQ(doc.PageCount(), 3);
  doc.SaveDocument(dir.File("out.pdf"), 2);
  const std::string pdf = ReadFile(dir.File("out.pdf"));
  const Layout layout = ReadLayout(pdf);
  CheckObjectOffsets(pdf, layout);
  EXPECT_TRUE(LineEndsAreCRLF(pdf));
  EXPECT_EQ(layout.size, static_cast<int64_t>(layout.offsets.size()));

  // The page tree lists the pages in page order.
  const std::string tree = ObjectText(pdf, layout, 3);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(tree, m, std::regex("/Kids \\[ ([0-9]+) 0 R ([0-9]+) 0 R ([0-9]+) 0 R \\]")));
  const std::string contents[] = {"(one)", "(two)", "(three)"};
  for (int i = 0; i < 3; ++i) {
    const std::string page = ObjectText(pdf, layout, std::stoul(m[i + 1]));
    // /Parent is the last entry.
    EXPECT_NE(page.find("/Parent 3 0 R\r\n>>\r\nendobj"), std::string::npos) << page;
    EXPECT_EQ(page.find("/Parent"), page.rfind("/Parent")) << page;
    std::smatch c;
    ASSERT_TRUE(std::regex_search(page, c, std::regex("/Contents ([0-9]+) 0 R")));
    const std::string stream = ObjectText(pdf, layout, std::stoul(c[1]));
    EXPECT_NE(stream.find(contents[i]), std::string::npos) << stream;
  }
  // The unencrypted output keeps /ID as read; the kept catalog entries survive.
  EXPECT_NE(layout.trailer.find("/ID [ <00112233445566778899AABBCCDDEEFF> (lit\\)) ]\r\n"), std::string::npos)
      << layout.trailer;
  const std::string catalog = ObjectText(pdf, layout, 1);
  EXPECT_NE(catalog.find("/Lang (en)"), std::string::npos) << catalog;
  EXPECT_NE(catalog.find("/PageLabels"), std::string::npos) << catalog;
  // The repaired length is written as the data's size.
  const size_t three = pdf.find("stream\r\nBT (three) Tj ET");
  ASSERT_NE(three, std::string::npos);
  const size_t dataStart = three + 8;
  const size_t dataEnd = pdf.find("\r\nendstream", dataStart);
  const size_t lengthAt = pdf.rfind("/Length ", three);
  ASSERT_NE(lengthAt, std::string::npos);
  EXPECT_EQ(std::stoul(pdf.substr(lengthAt + 8)), dataEnd - dataStart);
}

TEST(SaveDocument, SavingOverTheLoadedFileWorks) {
  TempDir dir;
  const std::string name = dir.File("same.pdf");
  WriteFile(name, ThreePagePdf());
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  ASSERT_TRUE(doc.LoadDocument(name));
  doc.SaveDocument(name, 2);
  const std::string first = ReadFile(name);
  EXPECT_NE(first.find("(three)"), std::string::npos);
  // Saved twice: the document stayed loaded and gives the same file.
  doc.SaveDocument(name, 2);
  EXPECT_EQ(ReadFile(name), first);
  TzkPDFDocument again;
  ASSERT_TRUE(again.LoadDocument(name));
  EXPECT_EQ(again.PageCount(), 3);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"same.pdf"});
}

// A catalog key given twice: the copy must say what the input was read as.
// Here the first /Dests names nothing (object 20 does not exist), so no
// destinations are read; had the copy kept the second one, its reading would
// have met a dictionary that is no destination and refused the file.
TEST(SaveDocument, CatalogKeyGivenTwiceIsCarriedAsItWasRead) {
  TempDir dir;
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /Lang (en) /Dests 20 0 R /Lang (fr) /Dests 3 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 /MediaBox [ 0 0 200 200 ] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R >>");
  b.FinishTable("/Size 4 /Root 1 0 R");
  WriteFile(dir.File("in.pdf"), b.Data());
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  ASSERT_TRUE(doc.LoadDocument(dir.File("in.pdf")));
  doc.SaveDocument(dir.File("out.pdf"), 2);
  const std::string pdf = ReadFile(dir.File("out.pdf"));
  const std::string catalog = ObjectText(pdf, ReadLayout(pdf), 1);
  EXPECT_NE(catalog.find("/Lang (en)"), std::string::npos) << catalog;
  EXPECT_EQ(catalog.find("/Lang (fr)"), std::string::npos) << catalog;
  EXPECT_EQ(catalog.find("/Dests"), std::string::npos) << catalog;

  TzkPDFDocument copy;
  std::vector<std::string> warnings;
  copy.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
  ASSERT_TRUE(copy.LoadDocument(dir.File("out.pdf")));
  EXPECT_EQ(copy.PageCount(), 1);
  EXPECT_TRUE(warnings.empty()) << warnings.front();
}

// The writer turns a reference to an object the file does not hold into null.
// Wherever the input's reference to nothing was read without complaint, the
// copy's null must be too: else the copy of a file we opened is one we refuse.
TEST(SaveDocument, ReferenceToNothingReadsTheSameInTheCopy) {
  struct Case {
    const char* name;
    const char* catalogExtra;
    const char* pageExtra;
  };
  const Case cases[] = {
      {"name dictionary /Dests", "/Names << /Dests 29 0 R >>", ""},
      {"name tree /Kids entry", "/Names << /Dests << /Kids [ 29 0 R ] >> >>", ""},
      {"name tree value", "/Names << /Dests << /Names [ (a) 29 0 R ] >> >>", ""},
      {"catalog /Dests entry", "/Dests << /a 29 0 R >>", ""},
      {"form field", "/AcroForm << /Fields [ 29 0 R ] >>", ""},
      {"outline root", "/Outlines 29 0 R", ""},
      {"open action", "/OpenAction 29 0 R", ""},
      {"page annotation", "", "/Annots [ 29 0 R ]"},
      {"page contents", "", "/Contents 29 0 R"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    PdfBuilder b;
    b.AddObject(1, std::string("<< /Type /Catalog /Pages 2 0 R ") + c.catalogExtra + " >>");
    b.AddObject(2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 /MediaBox [ 0 0 200 200 ] >>");
    b.AddObject(3, std::string("<< /Type /Page /Parent 2 0 R ") + c.pageExtra + " >>");
    b.FinishTable("/Size 30 /Root 1 0 R");
    WriteFile(dir.File("in.pdf"), b.Data());
    TzkPDFDocument doc;
    doc.SetShowSetupDialog(false);
    ASSERT_TRUE(doc.LoadDocument(dir.File("in.pdf")));
    doc.SaveDocument(dir.File("out.pdf"), 2);

    TzkPDFDocument copy;
    copy.SetShowSetupDialog(false);
    std::vector<std::string> warnings;
    copy.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
    ASSERT_TRUE(copy.LoadDocument(dir.File("out.pdf")));
    EXPECT_EQ(copy.PageCount(), doc.PageCount());
    EXPECT_TRUE(warnings.empty()) << warnings.front();
  }
}

}  // namespace
}  // namespace sarvane::pdf::doc

namespace sarvane::pdf::doc {
namespace {

TEST(SaveDocument, PageTreeNeverPointsAtAnUnwrittenPage) {
  TempDir dir;
  WriteFile(dir.File("in.pdf"), ThreePagePdf());
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  ASSERT_TRUE(doc.LoadDocument(dir.File("in.pdf")));
  ASSERT_EQ(doc.PageCount(), 3);
  doc.Pages()[1]->SetUseCount(0);
  doc.SaveDocument(dir.File("out.pdf"), 2);
  const std::string pdf = ReadFile(dir.File("out.pdf"));
  const Layout layout = ReadLayout(pdf);
  const std::string tree = ObjectText(pdf, layout, 3);
  EXPECT_TRUE(std::regex_search(tree, std::regex("/Count 2\r\n/Kids \\[ [1-9][0-9]* 0 R [1-9][0-9]* 0 R \\]"))) << tree;
}

}  // namespace
}  // namespace sarvane::pdf::doc

namespace sarvane::pdf::doc {
namespace {

// Compression and the encryption handler belong to one document state:
// closing the document drops both, so the next document is neither
// compressed nor encrypted with the previous one's passwords.
TEST(SaveDocument, WriterStateEndsWithTheDocument) {
  TempDir dir;
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  auto addStream = [&doc] {
    doc.ObjectStore().Store(std::make_unique<TzkPDFIndirectObject>(
        doc.DocumentNumber(),
        std::make_unique<TzkPDFStreamObject>(std::make_unique<TzkPDFDictObject>(),
                                             std::make_unique<TzkMemoryStream>(std::string(500, 'a'))),
        0, 5, true));
  };
  addStream();
  doc.SetCompression(0, 3);
  doc.Encryption().SetEnabled(true);
  doc.Encryption().SetOwnerPassword("first");
  doc.SaveDocument(dir.File("a.pdf"), 2);
  const std::string first = ReadFile(dir.File("a.pdf"));
  EXPECT_NE(first.find("/Filter /FlateDecode"), std::string::npos);
  ASSERT_NE(doc.EncryptionHandler(), nullptr);
  EXPECT_EQ(doc.EncryptionHandler()->OwnerPassword(), "first");

  doc.CloseDocument();
  EXPECT_EQ(doc.EncryptionHandler(), nullptr);
  addStream();
  doc.Encryption().SetEnabled(true);
  doc.Encryption().SetOwnerPassword("second");
  doc.SaveDocument(dir.File("b.pdf"), 2);
  const std::string second = ReadFile(dir.File("b.pdf"));
  EXPECT_EQ(second.find("/FlateDecode"), std::string::npos);
  ASSERT_NE(doc.EncryptionHandler(), nullptr);
  EXPECT_EQ(doc.EncryptionHandler()->OwnerPassword(), "second");
  EXPECT_NE(second.find("/O <" + BytesToHex(doc.EncryptionHandler()->O()) + ">"), std::string::npos);
}

}  // namespace
}  // namespace sarvane::pdf::doc
