#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/crypt/zkRC4.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestFolder.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/objects/zkPDFText.h"

namespace sarvane::pdf::doc {
namespace {

using sarvane::pdf::TzkBasePDFCrypt;
using sarvane::pdf::TzkPDFIntegerObject;
using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkPDFStringObject;
using testutil::PdfBuilder;
namespace fs = std::filesystem;

using LoadTest = testutil::FolderTest;

// A catalog, a page tree and whatever else the test adds; object numbers
// from 1 up, a classic table.
std::string SimpleFile(const std::function<void(PdfBuilder&)>& extra, const std::string& catalogExtra = "",
                       const std::string& trailerExtra = "") {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>");
  extra(b);
  b.FinishTable("/Size 100 /Root 1 0 R " + trailerExtra);
  return b.Data();
}

std::string ThreePageTree(PdfBuilder& b) {
  b.AddObject(2,
              "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 3 /Rotate 90 /MediaBox [0 0 595 842] "
              "/Resources << /ProcSet [/PDF] >> >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R /B [9 0 R] >>");
  b.AddObject(4, "<< /Type /Pages /Parent 2 0 R /Kids [5 0 R 6 0 R] /Count 2 /Rotate 0 /CropBox [10 10 110 210] >>");
  b.AddObject(5, "<< /Type /Page /Parent 4 0 R >>");
  b.AddObject(6, "<< /Type /Page /Parent 4 0 R /Rotate 270 /MediaBox [0 0 300 400] >>");
  b.AddObject(9, "<< /Type /Bead >>");
  return {};
}

int RotateOf(TzkPDFIndirectObject* page) {
  const auto* rotate = page->Value()->Cast<TzkPDFDictObject>().LookupAs<TzkPDFIntegerObject>("/Rotate");
  return rotate ? rotate->Value() : -1;
}

TEST_F(LoadTest, PagesInheritFromTheNearestAncestor) {
  const std::string path = Write("tree.pdf", SimpleFile([](PdfBuilder& b) { ThreePageTree(b); }));
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(path));
  ASSERT_EQ(doc.PageCount(), 3);
  struct Expect {
    int rotate;
    double width, height;
    bool hasCropBox;
  };
  const Expect expected[] = {
      {90, 595, 842, false},   // everything from the root
      {0, 100, 200, true},     // the intermediate node's /Rotate and /CropBox win
      {270, 100, 200, true},   // its own /Rotate; the inherited /CropBox is the visible box
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i + 1);
    TzkPDFIndirectObject* page = doc.Pages()[static_cast<size_t>(i)];
    const auto& dict = page->Value()->Cast<TzkPDFDictObject>();
    EXPECT_EQ(RotateOf(page), expected[i].rotate);
    EXPECT_EQ(dict.Lookup("/CropBox") != nullptr, expected[i].hasCropBox);
    EXPECT_NE(dict.Lookup("/MediaBox"), nullptr);
    EXPECT_NE(dict.Lookup("/Resources"), nullptr);
    EXPECT_EQ(dict.Lookup("/Parent"), nullptr);
    EXPECT_EQ(dict.Lookup("/B"), nullptr);
    double w = 0, h = 0;
    doc.GetPageSize(i + 1, muPoints, w, h);
    EXPECT_DOUBLE_EQ(w, expected[i].width);
    EXPECT_DOUBLE_EQ(h, expected[i].height);
    EXPECT_GT(page->UseCount(), 0);
  }
  // The input's page tree nodes are not written again.
  EXPECT_EQ(doc.ObjectStore().Find(doc.DocumentNumber(), 4, 0), nullptr);
}

TEST_F(LoadTest, PageSizesConvertToEveryUnit) {
  const std::string path = Write("a4.pdf", SimpleFile([](PdfBuilder& b) {
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.AddObject(3, "<< /Type /Page /MediaBox [0 0 595 842.5] >>");
  }));
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(path));
  struct Case {
    TzkMeasurementUnit unit;
    double width, height;
  };
  const Case cases[] = {
      {muPoints, 595, 842.5},
      {muMM, 595 / 2.83464, 842.5 / 2.83464},
      {muTwips, 11900, 16850},
      {muInches, 595.0 / 72, 842.5 / 72},
      {muPixels, 595.0 * 96 / 72, 842.5 * 96 / 72},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.unit));
    double w = 0, h = 0;
    doc.GetPageSize(1, c.unit, w, h);
    EXPECT_NEAR(w, c.width, 1e-9);
    EXPECT_NEAR(h, c.height, 1e-9);
    double box[4];
    doc.GetPageBox(1, c.unit, box);
    EXPECT_NEAR(box[2], c.width, 1e-9);
    EXPECT_NEAR(TzkCustomPDFDocument::ToPoints(c.unit, c.width), 595, 1e-9);
  }
  double w = 0, h = 0;
  EXPECT_THROW(doc.GetPageSize(0, muPoints, w, h), EInvalidPageError);
  EXPECT_THROW(doc.GetPageSize(2, muPoints, w, h), EInvalidPageError);
}

TEST_F(LoadTest, EventsFireInTheirOrder) {
  const std::string path = Write("events.pdf", SimpleFile([](PdfBuilder& b) { ThreePageTree(b); }));
  TzkPDFDocument doc;
  std::vector<std::string> log;
  doc.OnIOProgress = [&](TzkComponent* sender, int p) {
    EXPECT_EQ(sender, &doc);
    log.push_back(std::to_string(p));
  };
  doc.OnStatusMessage = [&](TzkComponent*, const std::string& s) { log.push_back(s); };
  doc.OnBeginRead = [&](TzkComponent*) { log.push_back("begin"); };
  doc.OnEndRead = [&](TzkComponent*) { log.push_back("end"); };
  ASSERT_TRUE(doc.LoadDocument(path));
  const std::vector<std::string> expected = {
      "Reading Cross-Reference Table", "begin", "10", "Traversing Pages...", "75", "30",
      "Processing Annotations...", "90", "60", "Reading Outlines...", "100",
      "Document read complete. Pages read = 3", "end"};
  EXPECT_EQ(log, expected);
}

TEST_F(LoadTest, FileNamesAndMissingFiles) {
  const std::string data = SimpleFile([](PdfBuilder& b) { ThreePageTree(b); });
  const std::string path = Write("named.pdf", data);
  TzkPDFDocument doc;
  const std::string stem = path.substr(0, path.size() - 4);
  ASSERT_TRUE(doc.LoadDocument(stem));
  EXPECT_EQ(doc.WorkFileName(), path);
  EXPECT_EQ(doc.Filename(), path);

  const std::string missing = (dir_ / "missing.pdf").string();
  try {
    doc.LoadDocument(missing);
    FAIL() << "no exception";
  } catch (const EFileNotFound& e) {
    EXPECT_EQ(std::string(e.what()), missing + " File Not Found");
  }
  // The earlier document was closed by the second load.
  EXPECT_FALSE(doc.IsLoaded());
  EXPECT_EQ(doc.PageCount(), 0);

  doc.SetFilename(path);
  EXPECT_TRUE(doc.IsLoaded());
  // Settings made for the first document do not reach the next one.
  doc.Encryption().SetEnabled(true);
  doc.Encryption().SetUserPassword("x");
  ASSERT_TRUE(doc.LoadDocument(path));
  EXPECT_FALSE(doc.Encryption().Enabled());
  EXPECT_EQ(doc.Encryption().UserPassword(), "");
  EXPECT_EQ(doc.Encryption().Level(), sarvane::pdf::el40bit);
  doc.SetFilename("");
  EXPECT_TRUE(doc.IsLoaded());
  EXPECT_EQ(doc.Filename(), "");
}

TEST_F(LoadTest, DamagedStructuresEndInExceptions) {
  using Check = std::function<void(TzkPDFDocument&, const std::string&)>;
  auto expectThrow = [](auto exceptionTag, std::string message) -> Check {
    return [message](TzkPDFDocument& doc, const std::string& path) {
      try {
        doc.LoadDocument(path);
        ADD_FAILURE() << "no exception";
      } catch (const decltype(exceptionTag)& e) {
        if (!message.empty()) {
          EXPECT_EQ(std::string(e.what()), message);
        }
      }
    };
  };
  struct Case {
    const char* name;
    std::function<void(PdfBuilder&)> objects;
    std::string catalogExtra;
    Check check;
  };
  const Case cases[] = {
      {"root not in the file",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [] /Count 0 >>"); }, "",
       // Repair by scanning finds no catalog either.
       expectThrow(EPDFFileCorruptedError(),
                   "File is corrupted (the catalog, object 1, is not in the file; no catalog found while repairing)")},
      {"kid not in the file",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 44 0 R] /Count 2 >>");
                           b.AddObject(3, "<< /Type /Page /MediaBox [0 0 1 1] >>"); },
       "", expectThrow(EPDFFileCorruptedError(), "Page tree node 44 is not in the file")},
      {"page tree cycle",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
                           b.AddObject(3, "<< /Type /Pages /Kids [2 0 R] /Count 1 >>"); },
       "", expectThrow(EPDFFileCorruptedError(), "Page tree node 2 is its own ancestor")},
      {"node that is not a dictionary",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
                           b.AddObject(3, "[0 0 1 1]"); },
       "", expectThrow(EUnexpectedObjectError(),
                       "Unexpected PDF object encountered (page tree node 3 is not a dictionary)")},
      {"kid of the wrong kind",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [7] /Count 1 >>"); }, "",
       expectThrow(EUnexpectedObjectError(),
                   "Unexpected PDF object encountered (item 0 of /Kids of page tree node 2)")},
      {"/Kids of the wrong kind",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids 5 /Count 1 >>"); }, "",
       expectThrow(EUnexpectedObjectError(),
                   "Unexpected PDF object encountered (/Kids of page tree node 2 is not an array)")},
      {"bad token in an object",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
                           b.AddObject(3, "<< /Type /Page /MediaBox [0 0 1 1] /X ) >>"); },
       "", [](TzkPDFDocument& doc, const std::string& path) {
         try {
           doc.LoadDocument(path);
           ADD_FAILURE() << "no exception";
         } catch (const Exception& e) {
           // Repair finds the same object, so the first failure is reported.
           EXPECT_TRUE(std::regex_match(e.what(), std::regex(R"(Error reading PDF name string \(\)\) \(object 3, offset [0-9]+\))")))
               << e.what();
         }
       }},
      {"/Encrypt that is no dictionary",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [] /Count 0 >>"); }, "",
       expectThrow(EPDFFileCorruptedError(), "File is corrupted (/Encrypt of the trailer is not a dictionary)")},
      {"named destination that is no destination",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [] /Count 0 >>"); }, "/Dests << /Chapter1 5 >>",
       expectThrow(sarvane::pdf::EUnexpectedError(),
                   "Unexpected PDF object encountered (named destination Chapter1 is not an array)")},
      {"name tree cycle",
       [](PdfBuilder& b) { b.AddObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
                           b.AddObject(7, "<< /Dests 8 0 R >>");
                           b.AddObject(8, "<< /Kids [9 0 R] >>");
                           b.AddObject(9, "<< /Kids [8 0 R] >>"); },
       "/Names 7 0 R", expectThrow(EPDFFileCorruptedError(), "Name tree node 8 is its own ancestor")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string data;
    if (std::string(c.name) == "root not in the file") {
      PdfBuilder b;
      c.objects(b);
      b.FinishTable("/Size 3 /Root 1 0 R");
      data = b.Data();
    } else if (std::string(c.name) == "/Encrypt that is no dictionary") {
      data = SimpleFile(c.objects, c.catalogExtra, "/Encrypt 77 0 R");
    } else {
      data = SimpleFile(c.objects, c.catalogExtra);
    }
    const std::string path = Write("damaged.pdf", data);
    TzkPDFDocument doc;
    if (c.check) {
      c.check(doc, path);
    } else {
      expectThrow(EPDFFileCorruptedError(), "File is corrupted")(doc, path);
    }
    // The component is usable again afterwards.
    const std::string good = Write("good.pdf", SimpleFile([](PdfBuilder& b) { ThreePageTree(b); }));
    EXPECT_TRUE(doc.LoadDocument(good));
    EXPECT_EQ(doc.PageCount(), 3);
  }
}

TEST_F(LoadTest, HostilePageTreesStayBounded) {
  // A page listed again is a page again (a page object of its own, as a
  // page has one parent); an intermediate node listed again is skipped, and
  // a tree deeper than any real one ends in an exception instead of
  // exhausting the stack.
  const std::string repeated = Write("repeated.pdf", SimpleFile([](PdfBuilder& b) {
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 3 0 R 4 0 R 4 0 R] /Count 4 /MediaBox [0 0 10 10] >>");
    b.AddObject(3, "<< /Type /Page /Contents 5 0 R >>");
    b.AddObject(4, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.AddObject(5, "<< /Length 3 >>\nstream\nq Q\nendstream");
  }));
  TzkPDFDocument doc;
  std::vector<std::string> warnings;
  doc.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
  ASSERT_TRUE(doc.LoadDocument(repeated));
  ASSERT_EQ(doc.PageCount(), 3);
  EXPECT_NE(doc.Pages()[0], doc.Pages()[1]);
  EXPECT_NE(doc.Pages()[1], doc.Pages()[2]);
  EXPECT_EQ(doc.Pages()[2]->Value()->ToText(), doc.Pages()[0]->Value()->ToText());
  EXPECT_EQ(warnings, (std::vector<std::string>{"Page tree node 4 listed more than once; repeat skipped"}));

  const std::string deep = Write("deep.pdf", SimpleFile([](PdfBuilder& b) {
    const int levels = 400;
    for (int n = 2; n < 2 + levels; ++n) {
      b.AddObject(n, "<< /Type /Pages /Kids [" + std::to_string(n + 1) + " 0 R] /Count 1 >>");
    }
    b.AddObject(2 + levels, "<< /Type /Page /MediaBox [0 0 1 1] >>");
  }));
  try {
    doc.LoadDocument(deep);
    FAIL() << "no exception";
  } catch (const EPDFFileCorruptedError& e) {
    EXPECT_EQ(std::string(e.what()), "Page tree nested deeper than 256 levels");
  }
}

// What the widely used readers open, opened here too: one row per kind of
// lenient or damaged file, built from one small sound file.
TEST_F(LoadTest, LenientAndDamagedFilesLoad) {
  auto sound = [](const std::string& header = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n") {
    PdfBuilder b(header);
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.AddObject(3, "<< /Type /Page /MediaBox [0 0 200 200] /Contents 4 0 R >>");
    b.AddStream(4, "", "BT ET");
    return b;
  };
  auto finished = [](PdfBuilder b, const std::string& trailer = "/Size 5 /Root 1 0 R") {
    b.FinishTable(trailer);
    return b.Data();
  };
  const std::string base = finished(sound());
  const size_t startxref = base.rfind("startxref") + 10;
  struct Case {
    const char* name;
    std::string file;
    int pages;
    std::string warning;  // the start of the one warning expected, or empty for none
    TzkPDFVersion version = pvPDF14;
  };
  const std::string repaired = "The file was damaged and has been repaired (";
  const Case cases[] = {
      {"sound", base, 1, ""},
      {"startxref past the end", base.substr(0, startxref) + "99999\n%%EOF\n", 1,
       repaired + "File is corrupted (startxref 99999 is past the end of the file)"},
      {"startxref on the line end before xref",
       base.substr(0, startxref) + std::to_string(base.rfind("xref\n0") - 1) + "\n%%EOF\n", 1, ""},
      {"table dropped", base.substr(0, base.rfind("endobj") + 7), 1, repaired},
      // The table is found, but its offsets lead 8 bytes short of every object.
      {"offsets shifted", [&] {
         const std::string moved = "%PDF-1.4\n% moved\n" + base.substr(9, startxref - 9);
         return moved + std::to_string(std::stoll(base.substr(startxref)) + 8) + "\n%%EOF\n";
       }(), 1, repaired + "File is corrupted (the catalog, object 1, is not at offset"},
      {"bytes before the header", "From: gateway\r\n\r\n" + base, 1, ""},
      {"version 2.0", finished(sound("%PDF-2.0\n")), 1, "", pvPDF20},
      {"version 1.8", finished(sound("%PDF-1.8\n")), 1, "", pvPDF18},
      {"21-byte entries", [&] {
         std::string f = base;
         for (size_t at = f.find(" n\r\n"); at != std::string::npos; at = f.find(" n\r\n", at + 5)) f.insert(at + 2, " ");
         return f;
       }(), 1, ""},
      {"empty object and number glued to endobj", [&] {
         PdfBuilder b = sound();
         b.AddObject(5, "");
         b.AddObject(6, "59endobj");
         return finished(b, "/Size 7 /Root 1 0 R");
       }(), 1, ""},
      {"stray delimiters and words between objects", [&] {
         PdfBuilder b;
         b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
         b.Raw("}\n");
         b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
         b.Raw("] )\n");
         b.AddObject(3, "<< /Type /Page /MediaBox [0 0 200 200] /Contents 4 0 R >>");
         b.Raw("left over words\n");
         b.AddStream(4, "", "BT ET");
         return finished(b);
       }(), 1, ""},
      {"stray delimiters and words, table dropped", [&] {
         PdfBuilder b;
         b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
         b.Raw("} ] ) words\n");
         b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
         b.AddObject(3, "<< /Type /Page /MediaBox [0 0 200 200] >>");
         return b.Data() + "trailer\n<< /Size 4 /Root 1 0 R >>\n%%EOF\n";
       }(), 1, repaired},
      {"direct /Info", finished(sound(), "/Size 5 /Root 1 0 R /Info << /Title (direct) >>"), 1, ""},
      {"untyped, direct and repeated page-tree nodes", [&] {
         PdfBuilder b;
         b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
         b.AddObject(2, "<< /Kids [3 0 R << /MediaBox [0 0 9 9] >> 3 0 R] /Count 3 >>");
         b.AddObject(3, "<< /MediaBox [0 0 200 200] >>");
         return finished(b, "/Size 4 /Root 1 0 R");
       }(), 3, ""},
      {"high object number", [&] {
         PdfBuilder b = sound();
         b.AddObject(8000000, "(far)");
         b.FinishTable("/Size 8000001 /Root 1 0 R");
         return b.Data();
       }(), 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TzkPDFDocument doc;
    std::vector<std::string> warnings;
    doc.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
    ASSERT_TRUE(doc.LoadDocument(Write("lenient.pdf", c.file)));
    EXPECT_EQ(doc.PageCount(), c.pages);
    EXPECT_EQ(doc.PDFVersion(), c.version);
    if (c.warning.empty()) {
      EXPECT_TRUE(warnings.empty()) << warnings.front();
    } else {
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_EQ(warnings[0].substr(0, c.warning.size()), c.warning);
    }
  }
}

TEST_F(LoadTest, PageBoxesResolveNumbersAndFallBackToLetter) {
  const std::string path = Write("boxes.pdf", SimpleFile([](PdfBuilder& b) {
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 >>");
    b.AddObject(3, "<< /Type /Page /MediaBox /Letter >>");
    b.AddObject(4, "<< /Type /Page /MediaBox [0 0 7 0 R 8 0 R] >>");
    b.AddObject(5, "<< /Type /Page >>");
    b.AddObject(6, "<< /Type /Page /MediaBox 9 0 R /CropBox [0 0 1] >>");
    b.AddObject(7, "300");
    b.AddObject(8, "400.5");
    b.AddObject(9, "[0 0 50 60]");
  }));
  TzkPDFDocument doc;
  std::vector<std::string> warnings;
  doc.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
  ASSERT_TRUE(doc.LoadDocument(path));
  struct Case {
    int page;
    double width, height;
    bool warned;  // no usable box: US Letter
  } const cases[] = {{1, 612, 792, true}, {2, 300, 400.5, false}, {3, 612, 792, true}, {4, 50, 60, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    warnings.clear();
    double w = 0, h = 0;
    doc.GetPageSize(c.page, muPoints, w, h);
    EXPECT_DOUBLE_EQ(w, c.width);
    EXPECT_DOUBLE_EQ(h, c.height);
    EXPECT_EQ(warnings.size(), c.warned ? 1u : 0u);
    if (c.warned) {
      EXPECT_EQ(warnings[0], "Page " + std::to_string(c.page) + " has no usable media box; US Letter assumed");
    }
  }
}

TEST_F(LoadTest, NamedDestinationsAreSortedAndReplaceNamesWhileCollecting) {
  const std::string path = Write("dests.pdf", SimpleFile(
      [](PdfBuilder& b) {
        b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 10 10] >>");
        b.AddObject(3, "<< /Type /Page /Annots [20 0 R 21 0 R 22 0 R] >>");
        b.AddObject(10, "<< /Kids [11 0 R] >>");
        b.AddObject(11, "<< /Names [<4869> [3 0 R /FitH 5] (Lit) 12 0 R (Gone) null] >>");
        b.AddObject(12, "<< /D [3 0 R /FitV 7] >>");
        b.AddObject(13, "<< /Zeta [3 0 R /Fit] /Alpha << /D [3 0 R /XYZ 0 0 0] >> >>");
        b.AddObject(20, "<< /Type /Annot /Subtype /Link /Rect [0 0 1 1] /Dest /Zeta >>");
        b.AddObject(21, "<< /Type /Annot /Subtype /Link /Rect [0 0 1 1] /Dest (Alpha) >>");
        b.AddObject(22, "<< /Type /Annot /Subtype /Link /Rect [0 0 1 1] /A << /S /GoTo /D <5A657461> >> >>");
      },
      "/Dests 13 0 R /Names << /Dests 10 0 R >>"));
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(path));
  std::vector<std::string> names;
  for (const auto& [name, dest] : doc.NamedDestinations()) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Hi", "Lit", "Zeta"}));

  struct Case {
    std::string name;
    std::string destination;  // text form, empty for none
  };
  const Case cases[] = {
      {"Zeta", "[ 3 0 R /Fit ]"}, {"Alpha", "[ 3 0 R /XYZ 0 0 0 ]"}, {"Hi", "[ 3 0 R /FitH 5 ]"},
      {"Lit", "[ 3 0 R /FitV 7 ]"}, {"Gone", ""}, {"zeta", ""},
      // Names are bytes: the digits of a hexadecimal name are not its name.
      {"4869", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TzkPDFObject* found = doc.FindNamedDestination(c.name);
    EXPECT_EQ(found ? found->ToText() : std::string(), c.destination);
  }

  // Annotations are collected after /Dests: their names are replaced, in
  // name, literal and hexadecimal form alike.
  auto annot = [&](int n) { return &doc.ObjectStore().Find(doc.DocumentNumber(), n, 0)->Value()->Cast<TzkPDFDictObject>(); };
  EXPECT_EQ(annot(20)->Lookup("/Dest")->ToText(), "[ 3 0 R /Fit ]");
  EXPECT_EQ(annot(21)->Lookup("/Dest")->ToText(), "[ 3 0 R /XYZ 0 0 0 ]");
  EXPECT_EQ(annot(22)->LookupAs<TzkPDFDictObject>("/A")->Lookup("/D")->ToText(), "[ 3 0 R /Fit ]");
}

TEST_F(LoadTest, InformationIsAdoptedWithoutProducerAndSelfContained) {
  const std::string path = Write("info.pdf", SimpleFile(
      [](PdfBuilder& b) {
        ThreePageTree(b);
        b.AddObject(7, "<< /Title (Report) /Author 8 0 R /Subject <FEFF00C4> >>");
        b.AddObject(8, "(\x80Name)");
      },
      "", "/Info 7 0 R"));
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(path));
  EXPECT_EQ(doc.DocumentInfo().Title(), u"Report");
  EXPECT_EQ(doc.DocumentInfo().Author(), u"\u2022Name");
  EXPECT_EQ(doc.DocumentInfo().Subject(), u"\u00C4");
  EXPECT_EQ(doc.DocumentInfo().Producer(), u"");
  // No reference is left to be written as null.
  EXPECT_TRUE(doc.DocumentInfo().Dictionary().Lookup("/Author")->IsString());
}

TEST_F(LoadTest, CatalogEntriesAreKeptForTheWriter) {
  const std::string path = Write("catalog.pdf", SimpleFile(
      [](PdfBuilder& b) {
        ThreePageTree(b);
        b.AddObject(30, "<< /Type /StructTreeRoot /K 31 0 R >>");
        b.AddObject(31, "<< /S /Document >>");
        b.AddObject(32, "<< /HideToolbar true /Direction /R2L >>");
        b.AddObject(33, "<< /Type /Outlines /Count 0 >>");
      },
      "/Lang (en) /PageLabels << /Nums [0 << /S /D >>] >> /PageMode /UseOutlines /PageLayout /Bogus "
      "/MarkInfo << /Marked true >> /StructTreeRoot 30 0 R /ViewerPreferences 32 0 R "
      "/Outlines 33 0 R /AcroForm << /Fields [] >> /OpenAction [3 0 R /Fit]"));
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(path));
  std::vector<std::string> keys;
  for (const auto& [key, value] : doc.Catalog().OtherEntries) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"/Lang", "/PageLabels", "/MarkInfo", "/StructTreeRoot"}));
  EXPECT_EQ(doc.PageMode(), pmUseOutlines);
  EXPECT_EQ(doc.PageLayout(), plNone);
  EXPECT_TRUE(doc.ViewerPreferences().HideToolbar());
  EXPECT_EQ(doc.ViewerPreferences().ViewerPreferencesText(), "<<\r\n/HideToolbar true\r\n/Direction /R2L\r\n>>");
  const TzkPDFObjectStore& store = doc.ObjectStore();
  // The outline is held as items of its own (the writer builds its objects).
  ASSERT_NE(doc.OutlineRoot(), nullptr);
  EXPECT_EQ(doc.OutlineRoot()->ObjectNumber(), 33);
  for (int n : {30, 31}) {
    SCOPED_TRACE(n);
    const TzkPDFIndirectObject* object = store.Find(doc.DocumentNumber(), n, 0);
    ASSERT_NE(object, nullptr);
    EXPECT_GT(object->UseCount(), 0);
  }
  ASSERT_NE(doc.Catalog().Outlines, nullptr);
  EXPECT_EQ(doc.Catalog().Outlines->ToText(), "33 0 R");
  ASSERT_NE(doc.Catalog().OpenAction, nullptr);
  // A direct form dictionary became an object of its own.
  const auto* form = ObjectAs<TzkPDFIndirectReference>(doc.Catalog().AcroForm.get());
  ASSERT_NE(form, nullptr);
  const TzkPDFIndirectObject* formObject = store.Find(form);
  ASSERT_NE(formObject, nullptr);
  EXPECT_TRUE(formObject->Value()->IsDictionary());
}

TEST_F(LoadTest, ReferenceToObjectZeroWarnsAndLoadingGoesOn) {
  const std::string path = Write("zero.pdf", SimpleFile([](PdfBuilder& b) {
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 10 10] >>");
    b.AddObject(3, "<< /Type /Page /Annots [4 0 R] >>");
    b.AddObject(4, "<< /Type /Annot /Subtype /Text /Rect [0 0 1 1] /Popup 0 0 R >>");
  }));
  TzkPDFDocument doc;
  std::vector<std::string> warnings;
  doc.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
  ASSERT_TRUE(doc.LoadDocument(path));
  EXPECT_EQ(warnings, std::vector<std::string>{"Invalid Object number in PDF (0)"});
}

// ---------------------------------------------------------------- passwords

// An RC4-encrypted file made here, so that revisions, key lengths and
// identifiers the usual tools never write can be tried.
struct CraftedEncryption {
  int revision = 3;
  int keyBytes = 5;
  std::string lengthEntry = "/Length 40";  // written as is; empty for none
  std::string fileId = std::string("0123456789ABCDEF");
  bool writeId = true;
  bool hexId = true;
  std::string owner = "o";
  std::string user = "u";
  int32_t p = -44;  // 0xFFFFFFD4: printing allowed, modifying and copying denied
  std::string pEntry;  // written instead of p when not empty
};

CraftedEncryption Crafted(int revision, int keyBytes, std::string lengthEntry, int32_t p = -44) {
  CraftedEncryption e;
  e.revision = revision;
  e.keyBytes = keyBytes;
  e.lengthEntry = std::move(lengthEntry);
  e.p = p;
  return e;
}

std::string CraftEncrypted(const CraftedEncryption& e) {
  const std::string paddedUser = TzkBasePDFCrypt::PadPassword(e.user);
  const std::string o =
      TzkBasePDFCrypt::ComputeO(TzkBasePDFCrypt::PadPassword(e.owner), paddedUser, e.revision, static_cast<size_t>(e.keyBytes));
  const std::string fileId = e.writeId ? e.fileId : std::string();
  const std::string key = TzkBasePDFCrypt::ComputeFileKey(paddedUser, o, static_cast<uint32_t>(e.p), fileId, e.revision,
                                                          static_cast<size_t>(e.keyBytes));
  const std::string u = TzkBasePDFCrypt::ComputeU(key, fileId, e.revision);
  auto encrypt = [&](std::string data, int32_t number) {
    sarvane::pdf::TzkRC4::Crypt(TzkBasePDFCrypt::ObjectKey(key, number, 0), data);
    return data;
  };
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 200 100] >>");
  b.AddObject(3, "<< /Type /Page /Contents 4 0 R >>");
  b.AddStream(4, "", encrypt("BT (Secret) Tj ET", 4));
  b.AddObject(5, "<< /Title <" + sarvane::pdf::BytesToHex(encrypt("Hidden title", 5)) + "> /Producer (" +
                     sarvane::pdf::EscapeLiteral(encrypt("P", 5)) + ") >>");
  b.AddObject(6, "<< /Filter /Standard /V " + std::string(e.revision == 2 ? "1" : "2") + " /R " +
                     std::to_string(e.revision) + " " + e.lengthEntry + " /O <" + sarvane::pdf::BytesToHex(o) +
                     "> /U <" + sarvane::pdf::BytesToHex(u) + "> /P " + (e.pEntry.empty() ? std::to_string(e.p) : e.pEntry) + " >>");
  std::string id;
  if (e.writeId) {
    const std::string first = e.hexId ? "<" + sarvane::pdf::BytesToHex(e.fileId) + ">"
                                      : "(" + sarvane::pdf::EscapeLiteral(e.fileId) + ")";
    id = "/ID [" + first + first + "]";
  } else {
    id = "/ID []";
  }
  b.FinishTable("/Size 7 /Root 1 0 R /Info 5 0 R /Encrypt 6 0 R " + id);
  return b.Data();
}

TEST_F(LoadTest, CraftedRc4FilesOpenByRevisionAndKeyLength) {
  struct Case {
    const char* name;
    CraftedEncryption e;
    sarvane::pdf::TzkPDFEncryptionLevel level;
  };
  std::vector<Case> cases;
  cases.push_back({"revision 2", Crafted(2, 5, "/Length 40"), sarvane::pdf::el40bit});
  cases.push_back({"revision 3, 40-bit key", Crafted(3, 5, "/Length 40"), sarvane::pdf::el40bit});
  cases.push_back({"revision 3, no /Length", Crafted(3, 5, ""), sarvane::pdf::el40bit});
  cases.push_back({"revision 3, 128-bit key", Crafted(3, 16, "/Length 128"), sarvane::pdf::el128bit});
  {
    Case c{"8-byte literal identifier", Crafted(3, 16, "/Length 128"), sarvane::pdf::el128bit};
    c.e.fileId = "ab(c)\\de";
    c.e.hexId = false;
    cases.push_back(c);
  }
  {
    Case c{"/P written unsigned", Crafted(3, 16, "/Length 128"), sarvane::pdf::el128bit};
    c.e.p = -3904;
    c.e.pEntry = "4294963392";
    cases.push_back(c);
  }
  {
    Case c{"empty /ID array", Crafted(2, 5, "/Length 40"), sarvane::pdf::el40bit};
    c.e.writeId = false;
    cases.push_back(c);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("crafted.pdf", CraftEncrypted(c.e));
    for (const std::string password : {"u", "o"}) {
      SCOPED_TRACE(password);
      TzkPDFDocument doc;
      doc.OnPassword = [&](TzkComponent*, std::string& pw, bool& cont, int tries) {
        if (tries > 0) cont = false;
        pw = password;
      };
      ASSERT_TRUE(doc.LoadDocument(path));
      EXPECT_TRUE(doc.IsEncrypted());
      EXPECT_EQ(doc.IsOwner(), password == "o");
      EXPECT_EQ(doc.DocumentInfo().Title(), u"Hidden title");
      const auto& page = doc.Pages()[0]->Value()->Cast<TzkPDFDictObject>();
      const TzkPDFIndirectObject* content =
          doc.ObjectStore().Find(page.LookupAs<TzkPDFIndirectReference>("/Contents"));
      ASSERT_NE(content, nullptr);
      EXPECT_EQ(content->Value()->Cast<TzkPDFStreamObject>().DataBytes(), "BT (Secret) Tj ET");
      EXPECT_EQ(doc.Encryption().Level(), c.level);
      EXPECT_TRUE(doc.Encryption().Enabled());
      EXPECT_EQ(doc.Encryption().UserPassword(), "u");
    }
    TzkPDFDocument refused;
    EXPECT_FALSE(refused.LoadDocument(path));
    EXPECT_FALSE(refused.IsLoaded());
  }
}

TEST_F(LoadTest, UserOpenLocksSettingsAndMapsPermissionsByKeyLength) {
  struct Case {
    const char* name;
    CraftedEncryption e;
    bool extendedKept;
  };
  // -3904 = 0xFFFFF0C0: print, modify, copy and annotate denied, and the
  // four extended permissions too, which only a 128-bit file can deny.
  const Case cases[] = {
      {"40-bit", Crafted(2, 5, "/Length 40", -3904), true},
      {"128-bit", Crafted(3, 16, "/Length 128", -3904), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write("perm.pdf", CraftEncrypted(c.e));
    TzkPDFDocument doc;
    doc.OnPassword = [](TzkComponent*, std::string& pw, bool&, int) { pw = "u"; };
    ASSERT_TRUE(doc.LoadDocument(path));
    EXPECT_FALSE(doc.IsOwner());
    const auto perms = doc.Encryption().UserPermissions();
    for (auto denied : {sarvane::pdf::AllowPrint, sarvane::pdf::AllowModify, sarvane::pdf::AllowCopy,
                        sarvane::pdf::AllowAnnotation}) {
      EXPECT_FALSE(perms.Contains(denied)) << int(denied);
    }
    EXPECT_EQ(perms.Contains(sarvane::pdf::AllowFormFill), c.extendedKept);
    EXPECT_EQ(perms.Contains(sarvane::pdf::AllowAccessibility), c.extendedKept);
    EXPECT_EQ(perms.Contains(sarvane::pdf::AllowDocAssembly), c.extendedKept);
    EXPECT_EQ(perms.Contains(sarvane::pdf::AllowHighResPrint), c.extendedKept);
    EXPECT_EQ(doc.Encryption().OwnerPassword(), "");
    const std::string& stored = doc.Encryption().StoredOwnerPassword();
    ASSERT_GE(stored.size(), 8u + 14u + 1u);
    EXPECT_EQ(stored.substr(0, 8), "Tarnwick");
    EXPECT_TRUE(std::all_of(stored.begin() + 8, stored.end(), [](char ch) { return ch >= '0' && ch <= '9'; }));
    try {
      doc.Encryption().SetEnabled(false);
      ADD_FAILURE() << "settings not locked";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), "User cannot change encryption settings");
    }
  }
}

TEST_F(LoadTest, PasswordLoopAsksUntilTheHandlerGivesUp) {
  struct Case {
    const char* name;
    std::string owner, user;
    bool withHandler;
    std::function<void(std::string&, bool&, int)> handler;
    bool loaded;
    std::vector<int> tries;
    bool owner_;
  };
  const Case cases[] = {
      {"gives up on the third call", "o", "u", true,
       [](std::string& pw, bool& cont, int tries) {
         pw = "wrong" + std::to_string(tries);
         if (tries == 2) cont = false;
       },
       false, {0, 1, 2}, true},
      {"second try right", "o", "u", true,
       [](std::string& pw, bool&, int tries) { pw = tries == 0 ? "bad" : "u"; }, true, {0, 1}, false},
      {"empty passwords, handler still asked once", "", "", true, [](std::string&, bool&, int) {}, true, {0}, true},
      {"empty passwords without handler", "", "", false, nullptr, true, {}, true},
      {"user password set, no handler", "o", "u", false, nullptr, false, {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CraftedEncryption e;
    e.owner = c.owner;
    e.user = c.user;
    const std::string path = Write("loop.pdf", CraftEncrypted(e));
    TzkPDFDocument doc;
    std::vector<int> seen;
    std::string previous;
    if (c.withHandler) {
      doc.OnPassword = [&](TzkComponent* sender, std::string& pw, bool& cont, int tries) {
        EXPECT_EQ(sender, &doc);
        EXPECT_TRUE(cont);
        EXPECT_EQ(pw, previous);  // what the handler left there last time
        seen.push_back(tries);
        c.handler(pw, cont, tries);
        previous = pw;
      };
    }
    EXPECT_EQ(doc.LoadDocument(path), c.loaded);
    EXPECT_EQ(doc.IsLoaded(), c.loaded);
    EXPECT_EQ(seen, c.tries);
    if (c.loaded) {
      EXPECT_EQ(doc.IsOwner(), c.owner_);
      EXPECT_EQ(doc.PageCount(), 1);
    } else {
      EXPECT_EQ(doc.PageCount(), 0);
      EXPECT_FALSE(doc.IsEncrypted());
    }
  }
}

TEST_F(LoadTest, DefectiveEncryptionDictionariesRaise) {
  struct Case {
    std::string dictionary;
    std::string id;
    std::string message;
  };
  const std::string good = "<00112233445566778899AABBCCDDEEFF>";
  const Case cases[] = {
      {"<< /Filter /Standard /V 1 /R 2 /O <00> /U <00> /P -4 >>", "/ID [5 5]", "Invalid FileId."},
      {"<< /Filter /Standard /V 1 /R 2 /U <00> /P -4 >>", "/ID [" + good + good + "]", "Invalid Owner Key."},
      {"<< /Filter /Standard /V 1 /R 2 /O <00> /U 7 /P -4 >>", "/ID [" + good + good + "]", "Invalid User Key."},
      {"<< /Filter /Standard /V 1 /R 2 /O <00> /U <00> /P /All >>", "/ID [" + good + good + "]",
       "Invalid permission in encryption dictionary"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.AddObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
    b.AddObject(3, c.dictionary);
    b.FinishTable("/Size 4 /Root 1 0 R /Encrypt 3 0 R " + c.id);
    const std::string path = Write("defective.pdf", b.Data());
    TzkPDFDocument doc;
    try {
      doc.LoadDocument(path);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST_F(LoadTest, EncryptionWeCannotReadIsNamedNotTried) {
  struct Case {
    std::string dictionary;
    std::string message;
  };
  const Case cases[] = {
      {"<< /Filter /Standard /V 4 /R 4 /Length 128 /CF << /StdCF << /CFM /AESV9 /Length 16 >> >> /StmF /StdCF "
       "/StrF /StdCF /O <00> /U <00> /P -4 >>",
       "Unsupported encryption method: crypt filter /AESV9 (/V 4, /R 4)"},
      {"<< /Filter /Standard /V 4 /R 4 /CF << /StdCF << /CFM /V2 >> >> /StmF /Missing /O <00> /U <00> /P -4 >>",
       "Unsupported encryption method: crypt filter /Missing (/V 4, /R 4)"},
      {"<< /Filter /Standard /V 3 /R 3 /O <00> /U <00> /P -4 >>", "Unsupported encryption method: /V 3, /R 3"},
      {"<< /Filter /Adobe.PubSec /V 2 /R 3 /O <00> /U <00> /P -4 >>",
       "Unsupported encryption method: security handler /Adobe.PubSec"},
      {"<< /Filter /Standard /V 2 /R 7 /O <00> /U <00> /P -4 >>",
       "Unsupported encryption method: standard security handler revision 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.AddObject(2, "<< /Type /Pages /Kids [] /Count 0 >>");
    b.AddObject(3, c.dictionary);
    b.FinishTable("/Size 4 /Root 1 0 R /Encrypt 3 0 R /ID [<00112233445566778899AABBCCDDEEFF><00>]");
    const std::string path = Write("unsupported.pdf", b.Data());
    TzkPDFDocument doc;
    int calls = 0;
    doc.OnPassword = [&](TzkComponent*, std::string&, bool& cont, int) {
      ++calls;
      cont = false;  // a file that did open would otherwise be asked forever
    };
    try {
      doc.LoadDocument(path);
      ADD_FAILURE() << "no exception";
    } catch (const EPDFException& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(calls, 0);
  }
}

}  // namespace
}  // namespace sarvane::pdf::doc
