#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestFolder.h"
#include "pdf/document/zkPDFDocTestUtil.h"

namespace sarvane::pdf::doc {
namespace {

using testutil::PdfBuilder;
namespace fs = std::filesystem;

using CollectTest = testutil::FolderTest;

// Objects first..first+levels-1, each naming the next one twice through
// shape ("%" stands for the next reference): expanded as a tree they make
// 2^levels nodes from a few kilobytes.
void AddSharedChain(PdfBuilder& b, int32_t first, int levels, const std::string& shape) {
  for (int32_t n = first; n < first + levels; ++n) {
    std::string body = shape;
    const std::string next = std::to_string(n + 1) + " 0 R";
    for (size_t at = body.find('%'); at != std::string::npos; at = body.find('%', at + next.size())) {
      body.replace(at, 1, next);
    }
    b.AddObject(n, body);
  }
  b.AddObject(first + levels, "<< >>");
}

TEST_F(CollectTest, SharedSubtreesCostLinearWork) {
  constexpr int kLevels = 40;
  const std::string kArrays = "[% %]";
  struct Case {
    const char* name;
    std::string catalogExtra;  // the chain starts at object 10
    std::string pageExtra;
    std::string trailerExtra;
    std::string shape;
    bool refused;  // loading stops with the expansion message
  } const cases[] = {
      {"encryption dictionary", "", "", "/Encrypt 8 0 R", kArrays, true},
      {"document information", "", "", "/Info 9 0 R", kArrays, true},
      {"catalog entry passed through", "/Custom 10 0 R", "", "", kArrays, false},
      {"page resources", "", "/Resources 10 0 R", "", "<< /A % /B % >>", false},
      {"outlines", "/Outlines 10 0 R", "", "", "<< /First % /Last % /Next % >>", false},
      {"form fields", "/AcroForm << /Fields [10 0 R] >>", "", "", "<< /T (f) /Kids [% %] >>", false},
      {"action chain", "/OpenAction 10 0 R", "", "", "<< /S /JavaScript /JS (1) /Next [% %] >>", false},
      {"named destinations", "/Names << /Dests 10 0 R >>", "", "", "<< /Kids [% %] >>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R " + c.catalogExtra + " >>");
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.AddObject(3, "<< /Type /Page /MediaBox [0 0 10 10] " + c.pageExtra + " >>");
    b.AddObject(8, "<< /Filter /Standard /V 1 /R 2 /O <00> /U <00> /P -4 /X 10 0 R >>");
    b.AddObject(9, "<< /Title (t) /X 10 0 R >>");
    AddSharedChain(b, 10, kLevels, c.shape);
    b.FinishTable("/Size 100 /Root 1 0 R /ID [<01> <01>] " + c.trailerExtra);
    const std::string input = Write("dag.pdf", b.Data());

    const auto start = std::chrono::steady_clock::now();
    TzkPDFDocument doc;
    try {
      ASSERT_TRUE(doc.LoadDocument(input));
      EXPECT_FALSE(c.refused) << "loaded";
      EXPECT_EQ(doc.PageCount(), 1);
      doc.SaveDocument(Path("out.pdf"), 2);
      ASSERT_TRUE(doc.LoadDocument(Path("out.pdf")));
      EXPECT_EQ(doc.PageCount(), 1);
    } catch (const EExpansionError& e) {
      EXPECT_TRUE(c.refused) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("Objects share each other too often: expanding object ", 0), 0u)
          << e.what();
    }
    // Seconds, not the hours that 2^40 nodes take; generous for sanitizer builds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
}

TEST_F(CollectTest, AStreamWithoutDataFailsTheSaveAndNamesIt) {
  // Neither a length nor an "endstream" before the next object: nothing
  // tells where the data ends.
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.AddObject(3, "<< /Type /Page /MediaBox [0 0 10 10] /Contents 4 0 R >>");
  b.AddObject(4, "<< >>\nstream\nBT ET\nendstrea");
  b.FinishTable("/Size 5 /Root 1 0 R");
  const std::string input = Write("broken.pdf", b.Data());
  TzkPDFDocument doc;
  std::vector<std::string> warnings;
  doc.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
  ASSERT_TRUE(doc.LoadDocument(input));
  EXPECT_NE(std::find(warnings.begin(), warnings.end(), "Stream data of object 4 not found after offset " +
                                                            std::to_string(b.OffsetOf(4) + 21)),
            warnings.end());
  try {
    doc.SaveDocument(Path("out.pdf"), 2);
    FAIL() << "saved";
  } catch (const EPDFFileCorruptedError& e) {
    EXPECT_STREQ(e.what(), "File is corrupted (the data of stream object 4 cannot be found)");
  }
  EXPECT_FALSE(fs::exists(Path("out.pdf")));
}

TEST_F(CollectTest, AStreamIsNeverCopiedIntoAnotherValue) {
  // An information dictionary that refers to a stream (here the catalog's
  // page tree, as a damaged file had it): the copy kept as the document's
  // information cannot hold the stream, and the saved file must read back.
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.AddObject(3, "<< /Type /Page /MediaBox [0 0 10 10] /Contents 4 0 R >>");
  b.AddStream(4, "", "BT ET");
  b.AddObject(5, "<< /Title (t) /Thumb 4 0 R /Tree 2 0 R >>");
  b.FinishTable("/Size 6 /Root 1 0 R /Info 5 0 R");
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(Write("info.pdf", b.Data())));
  const std::string info = doc.DocumentInfo().Dictionary().ToText();
  EXPECT_EQ(info.find("stream"), std::string::npos) << info;
  doc.SaveDocument(Path("out.pdf"), 2);
  TzkPDFDocument copy;
  ASSERT_TRUE(copy.LoadDocument(Path("out.pdf")));
  EXPECT_EQ(copy.PageCount(), 1);
}

TEST_F(CollectTest, ManyDamagedStreamsCostOnePass) {
  // Streams with neither a length nor an "endstream", and no object after
  // them: every search would run to the end of the file.
  constexpr int kStreams = 20000;
  std::string contents;
  for (int i = 0; i < kStreams; ++i) contents += std::to_string(10 + i) + " 0 R ";
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.AddObject(3, "<< /Type /Page /MediaBox [0 0 10 10] /Contents [" + contents + "] >>");
  std::string tail;
  std::vector<int64_t> offsets;
  const int64_t first = b.Size();
  for (int i = 0; i < kStreams; ++i) {
    offsets.push_back(first + static_cast<int64_t>(tail.size()));
    tail += std::to_string(10 + i) + " 0 obj << >> stream\nq Q\n";
  }
  b.Raw(tail);
  const int64_t xref = b.Size();
  std::string table = "xref\n0 4\n" + PdfBuilder::Entry(-1, 65535) + PdfBuilder::Entry(b.OffsetOf(1), 0) +
                      PdfBuilder::Entry(b.OffsetOf(2), 0) + PdfBuilder::Entry(b.OffsetOf(3), 0) + "10 " +
                      std::to_string(kStreams) + "\n";
  for (int64_t offset : offsets) table += PdfBuilder::Entry(offset, 0);
  b.Raw(table + "trailer\n<< /Size " + std::to_string(10 + kStreams) + " /Root 1 0 R >>\nstartxref\n" +
        std::to_string(xref) + "\n%%EOF\n");

  const auto start = std::chrono::steady_clock::now();
  TzkPDFDocument doc;
  ASSERT_TRUE(doc.LoadDocument(Write("many.pdf", b.Data())));
  EXPECT_EQ(doc.PageCount(), 1);
  EXPECT_THROW(doc.SaveDocument(Path("out.pdf"), 2), EPDFFileCorruptedError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace sarvane::pdf::doc
