#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/filters/zkFlateFilter.h"

namespace sarvane::pdf::doc {
namespace {

using testutil::Field;
using testutil::PdfBuilder;
using testutil::PngUpRows;

// A document that records its warnings and status messages.
struct Opened {
  std::unique_ptr<TzkPDFDocument> doc = std::make_unique<TzkPDFDocument>();
  std::vector<std::string> warnings;
  std::vector<std::string> status;

  Opened() {
    doc->OnWarning = [this](TzkComponent*, const std::string& w) { warnings.push_back(w); };
    doc->OnStatusMessage = [this](TzkComponent*, const std::string& s) { status.push_back(s); };
  }
  void Open(const std::string& bytes) { doc->OpenDocumentFile(TzkSharedBytes::Of(std::make_shared<const std::string>(bytes))); }
  TzkPDFIndirectReference Ref(int32_t n, uint16_t g = 0) const { return {doc->DocumentNumber(), g, n}; }
  TzkPDFIndirectObject* Stored(int32_t n, uint16_t g = 0) const {
    return doc->ObjectStore().Find(doc->DocumentNumber(), n, g);
  }
  // Collects a reference to object n and returns the stored object.
  TzkPDFIndirectObject* Load(int32_t n, uint16_t g = 0) {
    TzkPDFIndirectReference ref = Ref(n, g);
    doc->CollectReference(&ref);
    return Stored(n, g);
  }
  std::string ValueText(int32_t n) const {
    TzkPDFIndirectObject* o = Stored(n);
    return o ? o->Value()->ToText() : "<missing>";
  }
  bool Warned(const std::string& text) const {
    for (const auto& w : warnings) {
      if (w == text) return true;
    }
    return false;
  }
};

std::string Compress(const std::string& data) { return sarvane::pdf::FlateEncode(data); }

// A small document of five objects in one table.
std::string SimpleFile() {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>");
  b.AddStream(4, "", "BT /F1 12 Tf (Hi) Tj ET");
  b.AddObject(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  b.FinishTable("/Size 6 /Root 1 0 R /Info 5 0 R /ID [<01> <02>]");
  return b.Data();
}

TEST(OpenDocumentFile, ReadsATableAndCollectsTheGraph) {
  Opened o;
  o.Open(SimpleFile());
  TzkPDFDocument& doc = *o.doc;
  EXPECT_TRUE(doc.IsLoaded());
  EXPECT_FALSE(doc.IsEncrypted());
  EXPECT_EQ(doc.PDFVersion(), pvPDF14);
  EXPECT_EQ(doc.Trailer().RootNumber, 1);
  ASSERT_TRUE(doc.Trailer().Information);
  EXPECT_EQ(doc.Trailer().Information->ObjectNumber(), 5);
  ASSERT_TRUE(doc.Trailer().Identifier);
  EXPECT_EQ(doc.Trailer().Identifier->Count(), 2);
  EXPECT_EQ(doc.XRefEntries().TableEntry(0), nullptr);  // "f" entry: slot 0 stays empty
  for (int n = 1; n <= 5; ++n) EXPECT_NE(doc.ObjectOffset(n), 0) << n;
  EXPECT_EQ(doc.ObjectOffset(6), 0);
  EXPECT_EQ(doc.ObjectStore().HighestNumber(), 5);
  EXPECT_EQ(o.status, std::vector<std::string>{"Reading Cross-Reference Table"});

  TzkPDFIndirectObject* root = o.Load(1);
  ASSERT_NE(root, nullptr);
  // Catalog -> Pages -> Page -> (Pages again, Contents, Font): every object
  // stored once, counted once per reference met.
  EXPECT_EQ(doc.ObjectStore().ObjectCount(), 5);
  const int expectedCounts[] = {0, 1, 2, 1, 1, 1};
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(o.Stored(n)->UseCount(), expectedCounts[n]) << n;
  EXPECT_EQ(o.Stored(4)->Value()->As<TzkPDFStreamObject>()->DataBytes(), "BT /F1 12 Tf (Hi) Tj ET");
  EXPECT_FALSE(doc.ObjectStore().LengthRepaired(o.Stored(4)));
  EXPECT_TRUE(o.warnings.empty());
}

TEST(OpenDocumentFile, IncrementalUpdateTakesTheNewestEntries) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  b.AddObject(2, "(old two)");
  b.AddObject(3, "(three)");
  const int64_t first = b.FinishTable("/Size 4 /Root 1 0 R");
  b.AddObject(2, "(new two)");
  // The update lists 2 anew and marks 3 free; then a "0 0" subsection ends the
  // table before an entry that would otherwise hide object 1.
  const auto xref = b.Size();
  b.Raw("xref\n2 2\n" + PdfBuilder::Entry(b.OffsetOf(2), 0) + PdfBuilder::Entry(-1, 1) + "0 0\n" +
        "1 1\n" + PdfBuilder::Entry(999999, 0) + "trailer\n<< /Size 4 /Root 1 0 R /Prev " + std::to_string(first) +
        " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  Opened o;
  o.Open(b.Data());
  EXPECT_EQ(o.Load(2) ? o.ValueText(2) : "", "(new two)");
  EXPECT_EQ(o.Load(3) ? o.ValueText(3) : "", "(three)");  // free only in the newest section
  EXPECT_NE(o.Load(1), nullptr);
  EXPECT_EQ(o.status.size(), 2u);
}

// A cross-reference stream with the given entries ([type, f2, f3] rows),
// widths, /Index and optional compression with the PNG Up predictor.
std::string XRefStreamFile(const std::vector<std::array<uint64_t, 3>>& rows, std::array<int, 3> w,
                           const std::string& index, bool predict, PdfBuilder& b, int32_t number,
                           const std::string& extra = "") {
  std::string data;
  for (const auto& row : rows) data += Field(row[0], w[0]) + Field(row[1], w[1]) + Field(row[2], w[2]);
  std::string entries = "/Type /XRef /W [" + std::to_string(w[0]) + " " + std::to_string(w[1]) + " " +
                        std::to_string(w[2]) + "] " + index + " /Root 1 0 R " + extra;
  if (predict) {
    const size_t columns = static_cast<size_t>(w[0] + w[1] + w[2]);
    data = Compress(PngUpRows(data, columns));
    entries += " /Filter /FlateDecode /DecodeParms << /Columns " + std::to_string(columns) + " /Predictor 12 >>";
  }
  const int64_t at = b.AddStream(number, entries, data);
  b.Raw("startxref\n" + std::to_string(at) + "\n%%EOF\n");
  return b.Data();
}

TEST(OpenDocumentFile, CrossReferenceStreamWithIndexAndPredictor) {
  for (const bool predict : {false, true}) {
    SCOPED_TRACE(predict ? "predicted" : "plain");
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog >>");
    b.AddObject(2, "(two)");
    b.AddObject(10, "(ten)");
    b.AddObject(11, "(eleven)");
    const auto at12 = b.Size();
    const std::string file =
        XRefStreamFile({{0, 0, 255}, {1, static_cast<uint64_t>(b.OffsetOf(1)), 0}, {1, static_cast<uint64_t>(b.OffsetOf(2)), 0},
                        {1, static_cast<uint64_t>(b.OffsetOf(10)), 0}, {1, static_cast<uint64_t>(b.OffsetOf(11)), 0}},
                       {1, 2, 1}, "/Index [0 3 10 2] /Size 13", predict, b, 12);
    Opened o;
    o.Open(file);
    EXPECT_EQ(o.status.front(), "Reading Cross-Reference Stream Table");
    const TzkXRefEntries& x = o.doc->XRefEntries();
    ASSERT_NE(x.StreamEntry(0), nullptr);
    EXPECT_EQ(x.StreamEntry(0)->Type, 0);
    EXPECT_EQ(x.StreamEntry(0)->Field3, 255);
    for (int n : {1, 2, 10, 11}) {
      ASSERT_NE(x.StreamEntry(n), nullptr) << n;
      EXPECT_EQ(x.StreamEntry(n)->Type, 1);
      EXPECT_EQ(o.doc->ObjectOffset(n), o.doc->ObjectOffset(n));
    }
    for (int n : {3, 9, 12}) EXPECT_EQ(x.StreamEntry(n), nullptr) << n;
    EXPECT_EQ(o.Load(10) ? o.ValueText(10) : "", "(ten)");
    EXPECT_EQ(o.Load(11) ? o.ValueText(11) : "", "(eleven)");
    EXPECT_EQ(o.doc->ObjectStore().HighestNumber(), 12);  // /Size 13
    (void)at12;
  }
}

// An object stream holding objects (number, text) without or with Flate.
std::string ObjStmData(const std::vector<std::pair<int, std::string>>& objects, int64_t& first) {
  std::string header, body;
  for (const auto& [n, text] : objects) {
    header += std::to_string(n) + " " + std::to_string(body.size()) + " ";
    body += text + "\n";
  }
  first = static_cast<int64_t>(header.size());
  return header + body;
}

TEST(UnpackObjectStreams, StoresTheLiveObjectsOfEveryStream) {
  struct Case {
    const char* name;
    bool compress;
  } const cases[] = {{"flate", true}, {"no filter", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 3 0 R >>");
    int64_t first = 0;
    std::string data = ObjStmData({{2, "(in stream)"}, {3, "<< /Type /Pages /Kids [] /Count 0 >>"}, {4, "[2 0 R]"}}, first);
    std::string entries = "/Type /ObjStm /N 3 /First " + std::to_string(first);
    if (c.compress) {
      data = Compress(data);
      entries += " /Filter /FlateDecode";
    }
    b.AddStream(5, entries, data);
    const std::string file = XRefStreamFile({{0, 0, 0}, {1, static_cast<uint64_t>(b.OffsetOf(1)), 0}, {2, 5, 0}, {2, 5, 1},
                                             {2, 5, 2}, {1, static_cast<uint64_t>(b.OffsetOf(5)), 0}},
                                            {1, 4, 2}, "/Size 6", false, b, 6);
    Opened o;
    o.Open(file);
    // Unpacked while opening: stored with generation 0; /Pages starts at 0,
    // the others at 1, plus the reference from object 4 to object 2.
    ASSERT_NE(o.Stored(2), nullptr);
    ASSERT_NE(o.Stored(3), nullptr);
    ASSERT_NE(o.Stored(4), nullptr);
    EXPECT_EQ(o.ValueText(2), "(in stream)");
    EXPECT_EQ(o.Stored(3)->UseCount(), 0);
    EXPECT_EQ(o.Stored(4)->UseCount(), 1);
    EXPECT_EQ(o.Stored(2)->UseCount(), 2);
    EXPECT_EQ(o.Stored(5), nullptr);  // the object stream itself is not kept
    EXPECT_EQ(o.doc->ObjectOffset(2), 0);
  }
}

TEST(UnpackObjectStreams, AStreamLengthInAnyObjectStreamIsResolved) {
  // Object 2 (compressed) refers to stream 6, whose /Length is object 3:
  // later in the same object stream, or in another object stream read after.
  for (const bool sameStream : {true, false}) {
    SCOPED_TRACE(sameStream ? "same object stream" : "another object stream");
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 4 0 R >>");
    b.AddObject(6, "<< /Length 3 0 R >>\nstream\nhello world\nendstream");
    int64_t first = 0;
    std::vector<std::array<uint64_t, 3>> rows;
    if (sameStream) {
      const std::string data =
          ObjStmData({{2, "<< /FontFile 6 0 R >>"}, {4, "<< /Type /Pages /Kids [] /Count 0 >>"}, {3, "11"}}, first);
      b.AddStream(5, "/Type /ObjStm /N 3 /First " + std::to_string(first), data);
      rows = {{0, 0, 0}, {1, static_cast<uint64_t>(b.OffsetOf(1)), 0}, {2, 5, 0}, {2, 5, 2}, {2, 5, 1},
              {1, static_cast<uint64_t>(b.OffsetOf(5)), 0}, {1, static_cast<uint64_t>(b.OffsetOf(6)), 0}};
    } else {
      const std::string data =
          ObjStmData({{2, "<< /FontFile 6 0 R >>"}, {4, "<< /Type /Pages /Kids [] /Count 0 >>"}}, first);
      b.AddStream(5, "/Type /ObjStm /N 2 /First " + std::to_string(first), data);
      const std::string later = ObjStmData({{3, "11"}}, first);
      b.AddStream(7, "/Type /ObjStm /N 1 /First " + std::to_string(first), later);
      rows = {{0, 0, 0}, {1, static_cast<uint64_t>(b.OffsetOf(1)), 0}, {2, 5, 0}, {2, 7, 0}, {2, 5, 1},
              {1, static_cast<uint64_t>(b.OffsetOf(5)), 0}, {1, static_cast<uint64_t>(b.OffsetOf(6)), 0},
              {1, static_cast<uint64_t>(b.OffsetOf(7)), 0}};
    }
    const int32_t xrefNumber = static_cast<int32_t>(rows.size());
    const std::string file = XRefStreamFile(rows, {1, 4, 2}, "/Size " + std::to_string(xrefNumber), false, b,
                                            xrefNumber);
    Opened o;
    o.Open(file);
    TzkPDFIndirectObject* stream = o.Stored(6);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Value()->Cast<TzkPDFStreamObject>().DataBytes(), "hello world");
    // Measured by its own /Length, not found by a search.
    EXPECT_FALSE(o.doc->ObjectStore().LengthRepaired(stream));
    EXPECT_TRUE(o.warnings.empty()) << o.warnings.front();
  }
}

// A damaged object stream fails with the place: which stream, and which
// object in it when one is being read.
TEST(UnpackObjectStreams, DamageNamesTheStreamAndTheObject) {
  struct Case {
    const char* name;
    std::string header;  // empty: made from the objects
    std::string objectText;
    std::string dictionary;  // of object 5; empty: a proper one
    std::string message;
  } const cases[] = {
      {"bad token in an object", "", "<< /A ) >>", "",
       "Error reading PDF name string ()) (object 3 in object stream 5)"},
      {"bad number in the header", "2 0 x\x01 9 ", "(x)", "", "'x0x01' is not a valid integer value (object stream 5)"},
      {"no /N", "", "(x)", "/Type /ObjStm /First 8", "Invalid object stream entry /N (object stream 5)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
    int64_t first = 0;
    std::string data = ObjStmData({{2, "<< /Type /Pages /Kids [] /Count 0 >>"}, {3, c.objectText}}, first);
    if (!c.header.empty()) data = c.header + data.substr(static_cast<size_t>(first));
    b.AddStream(5, c.dictionary.empty() ? "/Type /ObjStm /N 2 /First " + std::to_string(first) : c.dictionary, data);
    const std::string file = XRefStreamFile({{0, 0, 0}, {1, static_cast<uint64_t>(b.OffsetOf(1)), 0}, {2, 5, 0},
                                             {2, 5, 1}, {0, 0, 0}, {1, static_cast<uint64_t>(b.OffsetOf(5)), 0}},
                                            {1, 4, 2}, "/Size 6", false, b, 6);
    Opened o;
    try {
      o.Open(file);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(UnpackObjectStreams, AnUpdatedObjectIsNotTakenFromTheOldStream) {
  // Original: objects 2 and 3 in object stream 4. Update: 2 rewritten at an
  // offset, and the update's cross-reference stream lists 2 only.
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  int64_t first = 0;
  const std::string data = ObjStmData({{2, "(old)"}, {3, "(kept)"}}, first);
  b.AddStream(4, "/Type /ObjStm /N 2 /First " + std::to_string(first), data);
  const int64_t firstXRef = b.Size();
  XRefStreamFile({{0, 0, 0}, {1, static_cast<uint64_t>(b.OffsetOf(1)), 0}, {2, 4, 0}, {2, 4, 1},
                  {1, static_cast<uint64_t>(b.OffsetOf(4)), 0}},
                 {1, 4, 2}, "/Size 5", false, b, 5);
  b.AddObject(2, "(new)");
  const std::string file = XRefStreamFile({{1, static_cast<uint64_t>(b.OffsetOf(2)), 0}}, {1, 4, 2},
                                          "/Index [2 1] /Size 8", false, b, 7, "/Prev " + std::to_string(firstXRef));
  Opened o;
  o.Open(file);
  EXPECT_EQ(o.ValueText(3), "(kept)");
  EXPECT_EQ(o.Stored(2), nullptr);  // not unpacked from the stale stream
  EXPECT_EQ(o.Load(2) ? o.ValueText(2) : "", "(new)");
  EXPECT_EQ(o.doc->ObjectStore().HighestNumber(), 7);
}

TEST(OpenDocumentFile, HybridFileReadsTableAndStreamEntries) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  int64_t first = 0;
  const std::string data = Compress(ObjStmData({{2, "<< /Type /Pages /Kids [] /Count 0 >>"}, {3, "(three)"}}, first));
  b.AddStream(4, "/Type /ObjStm /N 2 /First " + std::to_string(first) + " /Filter /FlateDecode", data);
  std::string rows;
  for (const auto& row : std::vector<std::array<uint64_t, 3>>{{2, 4, 0}, {2, 4, 1}})
    rows += Field(row[0], 1) + Field(row[1], 2) + Field(row[2], 1);
  const int64_t stm = b.AddStream(5, "/Type /XRef /W [1 2 1] /Index [2 2] /Size 6", rows);
  // The table lists 1, 4 and 5 only, as a hybrid file does.
  const auto xref = b.Size();
  b.Raw("xref\n0 2\n" + PdfBuilder::Entry(-1, 65535) + PdfBuilder::Entry(b.OffsetOf(1), 0) + "4 2\n" +
        PdfBuilder::Entry(b.OffsetOf(4), 0) + PdfBuilder::Entry(stm, 0) + "trailer\n<< /Size 6 /Root 1 0 R /XRefStm " +
        std::to_string(stm) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
  Opened o;
  o.Open(b.Data());
  EXPECT_NE(o.doc->XRefEntries().TableEntry(1), nullptr);
  ASSERT_NE(o.doc->XRefEntries().StreamEntry(3), nullptr);
  EXPECT_EQ(o.ValueText(3), "(three)");
  ASSERT_NE(o.Stored(2), nullptr);
  EXPECT_EQ(o.Stored(2)->UseCount(), 0);
  EXPECT_EQ(o.doc->ObjectStore().HighestNumber(), 5);
  o.Load(1);
  EXPECT_EQ(o.Stored(2)->UseCount(), 1);
}

TEST(ReadIndirectObjectAt, StreamLengthIsRepairedAndRemembered) {
  struct Case {
    const char* name;
    std::string dict;  // without the data
    std::string expected;
    bool repaired;
    std::string tail = "\nendstream";  // what follows the data
    bool missing = false;
  } const cases[] = {
      {"right length", "<< /Length 10 >>", "0123456789", false},
      // A searched length leaves the line end before "endstream" out.
      {"too long", "<< /Length 15 >>", "0123456789", true},
      {"too short", "<< /Length 4 >>", "0123456789", true},
      {"past the end of the file", "<< /Length 99999999 >>", "0123456789", true},
      {"indirect length", "<< /Length 3 0 R >>", "0123456789", false},
      {"missing length", "<< >>", "0123456789", true},
      {"zero length with data", "<< /Length 0 >>", "0123456789", true},
      {"length of another kind", "<< /Length (ten) >>", "0123456789", true},
      {"missing length object", "<< /Length 8 0 R >>", "0123456789", true},
      {"CR LF before endstream", "<< >>", "0123456789", true, "\r\nendstream"},
      // The search stops at the next object: object 3 is not stream data.
      {"damaged keyword keeps the declared length", "<< /Length 10 >>", "0123456789", true, "\nendstrem"},
      {"damaged keyword and no length", "<< >>", "", true, "\nendstrem", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /S 2 0 R >>");
    b.AddObject(2, c.dict + "\nstream\n0123456789" + c.tail);
    b.AddObject(3, "10");
    b.AddObject(4, "<< /Length 1 >>\nstream\nx\nendstream");
    b.FinishTable("/Size 5 /Root 1 0 R");
    Opened o;
    o.Open(b.Data());
    TzkPDFIndirectObject* s = o.Load(2);
    ASSERT_NE(s, nullptr);
    const auto* stream = s->Value()->As<TzkPDFStreamObject>();
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->DataBytes(), c.expected);
    EXPECT_EQ(o.doc->ObjectStore().LengthRepaired(s), c.repaired);
    EXPECT_EQ(o.doc->StreamDataMissing(*s), c.missing);
  }
}

TEST(ReadIndirectObjectAt, Length1IsTheFallback) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  b.AddObject(2, "<< /Length (bad) /Length1 5 >>\nstream\nabcde\nendstream");
  b.FinishTable("/Size 3 /Root 1 0 R");
  Opened o;
  o.Open(b.Data());
  TzkPDFIndirectObject* s = o.Load(2);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Value()->As<TzkPDFStreamObject>()->DataBytes(), "abcde");
  EXPECT_TRUE(o.doc->ObjectStore().LengthRepaired(s));
}

TEST(ReadIndirectObjectAt, AHeaderForAnotherObjectIsNotInTheFile) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /A 2 0 R /B 3 1 R >>");
  b.AddObject(2, "(two)");
  b.AddObject(3, "(three)");
  b.FinishTable("/Size 4 /Root 1 0 R");
  // Point entry 2 at object 3's header.
  std::string file = b.Data();
  const std::string good = PdfBuilder::Entry(b.OffsetOf(2), 0);
  file.replace(file.find(good), good.size(), PdfBuilder::Entry(b.OffsetOf(3), 0));
  Opened o;
  o.Open(file);
  o.Load(1);
  EXPECT_EQ(o.Stored(2), nullptr);
  EXPECT_EQ(o.Stored(3), nullptr);  // referred to as generation 1; the file has generation 0
  EXPECT_TRUE(o.Warned("Object 2 not found at offset " + std::to_string(b.OffsetOf(3)))) << o.warnings.size();
  EXPECT_TRUE(o.Warned("Object 3 not found at offset " + std::to_string(b.OffsetOf(3))));
}

TEST(Collect, CyclesEndAtStoredObjects) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Next 2 0 R >>");
  b.AddObject(2, "<< /Next 1 0 R /S 3 0 R /Self 2 0 R >>");
  // A stream whose dictionary refers back to itself, and one whose length
  // is itself.
  b.AddObject(3, "<< /Length 4 /Me 3 0 R /Other 4 0 R >>\nstream\nabcd\nendstream");
  b.AddObject(4, "<< /Length 4 0 R >>\nstream\nwxyz\nendstream");
  b.FinishTable("/Size 5 /Root 1 0 R");
  Opened o;
  o.Open(b.Data());
  o.Load(1);
  ASSERT_NE(o.Stored(3), nullptr);
  ASSERT_NE(o.Stored(4), nullptr);
  EXPECT_EQ(o.doc->ObjectStore().ObjectCount(), 4);  // each object stored once
  EXPECT_EQ(o.Stored(1)->UseCount(), 2);
  EXPECT_EQ(o.Stored(2)->UseCount(), 2);
  EXPECT_EQ(o.Stored(3)->UseCount(), 2);
  EXPECT_EQ(o.Stored(3)->Value()->As<TzkPDFStreamObject>()->DataBytes(), "abcd");
  // The self-measuring stream cannot know its length: read up to "endstream".
  EXPECT_TRUE(o.doc->ObjectStore().LengthRepaired(o.Stored(4)));
}

TEST(Collect, LongReferenceChainsDoNotExhaustTheStack) {
  PdfBuilder b;
  const int n = 30000;
  b.AddObject(1, "<< /Type /Catalog /Next 2 0 R >>");
  for (int i = 2; i < n; ++i) b.AddObject(i, "<< /Next " + std::to_string(i + 1) + " 0 R /Arr [" + std::to_string(i) + " 0 R] >>");
  b.AddObject(n, "<< >>");
  b.FinishTable("/Size " + std::to_string(n + 1) + " /Root 1 0 R");
  Opened o;
  o.Open(b.Data());
  o.Load(1);
  EXPECT_EQ(o.doc->ObjectStore().ObjectCount(), n);
  EXPECT_EQ(o.Stored(n)->UseCount(), 1);
  EXPECT_EQ(o.Stored(n - 1)->UseCount(), 2);
}

TEST(Collect, WarnsAndReplacesNamedDestinations) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Annots [2 0 R 0 0 R] >>");
  b.AddObject(2,
              "<< /Dest (chap1) /A << /S /GoTo /D /chap1 >> /R << /S /GoToR /D (chap1) /F (x.pdf) >> "
              "/L << /S /Launch /D (chap1) >> /U << /S /GoTo /D (unknown) >> >>");
  b.FinishTable("/Size 3 /Root 1 0 R");
  Opened o;
  TzkPDFArrayObject destination;
  destination.Add(std::make_unique<TzkPDFIntegerObject>(0));
  destination.Add(std::make_unique<TzkPDFNameObject>("/Fit"));
  o.doc->NamedDestinationLookup = [&](std::string_view name) -> const TzkPDFObject* {
    return name == "chap1" ? &destination : nullptr;
  };
  o.Open(b.Data());
  o.Load(1);
  EXPECT_TRUE(o.Warned("Invalid Object number in PDF (0)"));
  const auto* d = o.Stored(2)->Value()->As<TzkPDFDictObject>();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Lookup("/Dest")->ToText(), "[ 0 /Fit ]");
  EXPECT_EQ(d->LookupAs<TzkPDFDictObject>("/A")->Lookup("/D")->ToText(), "[ 0 /Fit ]");
  EXPECT_EQ(d->LookupAs<TzkPDFDictObject>("/R")->Lookup("/D")->ToText(), "(chap1)");
  EXPECT_EQ(d->LookupAs<TzkPDFDictObject>("/L")->Lookup("/D")->ToText(), "(chap1)");
  EXPECT_EQ(d->LookupAs<TzkPDFDictObject>("/U")->Lookup("/D")->ToText(), "(unknown)");
}

TEST(Collect, StreamInsideAnArrayIsReportedNotWalked) {
  Opened o;
  o.Open(SimpleFile());
  TzkPDFArrayObject array;
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddValue("/R", std::make_unique<TzkPDFIndirectReference>(o.doc->DocumentNumber(), 0, 5));
  array.Add(std::make_unique<TzkPDFStreamObject>(std::move(dict)));
  o.doc->Collect(&array);
  EXPECT_TRUE(o.Warned("Stream Object found inside Array!"));
  EXPECT_EQ(o.Stored(5), nullptr);
}

TEST(LoadObjectCopy, CopiesWithoutStoringAndFollowsChains) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  b.AddObject(2, "3 0 R");
  b.AddObject(3, "[1 2 3]");
  b.AddObject(4, "5 0 R");
  b.AddObject(5, "4 0 R");
  b.FinishTable("/Size 6 /Root 1 0 R");
  Opened o;
  o.Open(b.Data());
  struct Case {
    int32_t number;
    const char* expected;  // nullptr: nothing
  } const cases[] = {{3, "[ 1 2 3 ]"}, {2, "[ 1 2 3 ]"}, {4, nullptr}, {9, nullptr}};
  for (const Case& c : cases) {
    TzkPDFIndirectReference ref = o.Ref(c.number);
    TzkPDFObjectPtr copy = o.doc->LoadObjectCopy(&ref);
    if (c.expected) {
      ASSERT_TRUE(copy) << c.number;
      EXPECT_EQ(copy->ToText(), c.expected);
    } else {
      EXPECT_FALSE(copy) << c.number;
    }
  }
  EXPECT_EQ(o.doc->ObjectStore().ObjectCount(), 0);
  // A stored object is copied, not re-read, and counted.
  TzkPDFIndirectObject* three = o.Load(3);
  TzkPDFIndirectReference ref = o.Ref(3);
  TzkPDFObjectPtr copy = o.doc->LoadObjectCopy(&ref);
  EXPECT_NE(copy.get(), three->Value());
  EXPECT_EQ(three->UseCount(), 2);
}

TEST(ResolveDeep, BuildsAFreshTreeAndLeavesTheSourceAlone) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  b.AddObject(2, "<< /Filter /Standard /V 1 /Sub 3 0 R /Missing 9 0 R >>");
  b.AddObject(3, "[ 4 0 R (x) ]");
  b.AddObject(4, "<< /Back 3 0 R >>");
  b.FinishTable("/Size 5 /Root 1 0 R");
  Opened o;
  o.Open(b.Data());
  TzkPDFIndirectObject* stored = o.Load(2);
  ASSERT_NE(stored, nullptr);
  const std::string before = stored->Value()->ToText();
  TzkPDFObjectPtr deep = o.doc->ResolveDeep(stored);
  ASSERT_TRUE(deep);
  EXPECT_EQ(stored->Value()->ToText(), before);
  auto* dict = deep->As<TzkPDFDictObject>();
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(dict->Lookup("/Missing")->ToText(), "null");
  auto* sub = dict->LookupAs<TzkPDFArrayObject>("/Sub");
  ASSERT_NE(sub, nullptr);
  auto* back = sub->ItemAt(0)->As<TzkPDFDictObject>();
  ASSERT_NE(back, nullptr);
  // 4 refers back to 3, which is being resolved: the reference stays.
  EXPECT_TRUE(back->Lookup("/Back")->IsIndirectReference());
}

TEST(OpenDocumentFile, EncryptionDictionaryIsResolved) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  b.AddObject(2, "<< /Filter /Standard /V 1 /R 2 /O 3 0 R /U <00> /P -4 >>");
  b.AddObject(3, "<0102>");
  b.FinishTable("/Size 4 /Root 1 0 R /Encrypt 2 0 R /ID 4 0 R");
  Opened o;
  o.Open(b.Data());
  EXPECT_TRUE(o.doc->IsEncrypted());
  ASSERT_TRUE(o.doc->Trailer().Encryption);
  auto* dict = o.doc->Trailer().Encryption->As<TzkPDFDictObject>();
  ASSERT_NE(dict, nullptr);
  EXPECT_EQ(dict->Lookup("/O")->ToText(), "<0102>");
  EXPECT_FALSE(o.doc->Trailer().Identifier);  // /ID points nowhere
}

TEST(ReleaseReferences, NeverBelowZero) {
  Opened o;
  o.Open(SimpleFile());
  o.Load(1);
  TzkPDFArrayObject refs;
  refs.Add(std::make_unique<TzkPDFIndirectReference>(o.doc->DocumentNumber(), 0, 5));
  refs.Add(std::make_unique<TzkPDFIndirectReference>(o.doc->DocumentNumber(), 0, 5));
  refs.Add(std::make_unique<TzkPDFIndirectReference>(o.doc->DocumentNumber(), 0, 77));
  o.doc->ReleaseReferences(&refs);
  EXPECT_EQ(o.Stored(5)->UseCount(), 0);
  o.doc->ReleaseReferences(o.Stored(4));
  o.doc->ReleaseReferences(o.Stored(4));
  EXPECT_EQ(o.Stored(4)->UseCount(), 0);
}

TEST(OpenDocumentFile, LoopsInTheSectionChainEnd) {
  // /Prev of the only section points at itself; a hybrid /XRefStm points at
  // the table.
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog >>");
  const auto xref = b.Size();
  b.Raw("xref\n0 2\n" + PdfBuilder::Entry(-1, 65535) + PdfBuilder::Entry(b.OffsetOf(1), 0) +
        "trailer\n<< /Size 2 /Root 1 0 R /Prev " + std::to_string(xref) + " >>\nstartxref\n" + std::to_string(xref) +
        "\n%%EOF\n");
  Opened o;
  o.Open(b.Data());
  EXPECT_TRUE(o.Warned("Cross-reference section at offset " + std::to_string(xref) + " is already read"));
  EXPECT_NE(o.Load(1), nullptr);

  // Two stream sections pointing at each other, the second reached from a table's /Prev.
  PdfBuilder c;
  c.AddObject(1, "<< /Type /Catalog >>");
  const auto s1 = c.Size();
  const auto s2guess = s1;  // filled below
  (void)s2guess;
  std::string rows = Field(1, 1) + Field(static_cast<uint64_t>(c.OffsetOf(1)), 4) + Field(0, 1);
  c.AddStream(2, "/Type /XRef /W [1 4 1] /Index [1 1] /Size 3 /Prev 999999", rows);
  const auto tableAt = c.Size();
  c.Raw("xref\n0 1\n" + PdfBuilder::Entry(-1, 65535) + "trailer\n<< /Size 3 /Root 1 0 R /Prev " + std::to_string(s1) +
        " >>\nstartxref\n" + std::to_string(tableAt) + "\n%%EOF\n");
  Opened p;
  p.Open(c.Data());
  EXPECT_TRUE(p.Warned("No cross-reference section at offset 999999"));
  EXPECT_NE(p.Load(1), nullptr);  // a stream reached through a table's /Prev

  // A cross-reference stream whose /Prev is a classic table.
  PdfBuilder t;
  t.AddObject(1, "<< /Type /Catalog >>");
  t.AddObject(2, "(from the table)");
  const auto tableStart = t.FinishTable("/Size 3 /Root 1 0 R");
  t.AddObject(3, "(from the stream)");
  const std::string rowsT = Field(1, 1) + Field(static_cast<uint64_t>(t.OffsetOf(3)), 4) + Field(0, 1);
  const int64_t at = t.AddStream(4, "/Type /XRef /W [1 4 1] /Index [3 1] /Size 5 /Root 1 0 R /Prev " +
                                        std::to_string(tableStart), rowsT);
  t.Raw("startxref\n" + std::to_string(at) + "\n%%EOF\n");
  Opened q;
  q.Open(t.Data());
  EXPECT_EQ(q.Load(2) ? q.ValueText(2) : "", "(from the table)");
  EXPECT_EQ(q.Load(3) ? q.ValueText(3) : "", "(from the stream)");
}

TEST(OpenDocumentFile, DamagedCrossReferenceDataIsRebuiltByScanning) {
  auto streamFile = [](const std::string& dictEntries, const std::string& data) {
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog >>");
    const int64_t at = b.AddStream(2, "/Type /XRef /Root 1 0 R " + dictEntries, data);
    b.Raw("startxref\n" + std::to_string(at) + "\n%%EOF\n");
    return b.Data();
  };
  auto tableFile = [](const std::string& table, const std::string& trailer) {
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog >>");
    const auto xref = b.Size();
    b.Raw("xref\n" + table + "trailer\n<< " + trailer + " >>\nstartxref\n" + std::to_string(xref) +
          "\n%%EOF\n");
    return b.Data();
  };
  struct Case {
    const char* name;
    std::string file;
    std::string message;
  } const cases[] = {
      {"field wider than 8", streamFile("/W [1 9 1] /Size 1", std::string(11, '\0')),
       "Invalid cross-reference stream field width (9)"},
      {"no widths at all", streamFile("/W [0 0 0] /Size 5", ""), "Invalid cross-reference stream field width (0)"},
      {"/W missing", streamFile("/Size 1", std::string("\x01\x00\x00", 3)), "Invalid cross-reference entry /W"},
      {"/W too short", streamFile("/W [1 2] /Size 1", std::string("\x01\x00\x00", 3)), "Invalid cross-reference entry /W"},
      {"/Size missing", streamFile("/W [1 1 1]", std::string("\x01\x00\x00", 3)), "Invalid cross-reference entry /Size"},
      {"/Index not numbers", streamFile("/W [1 1 1] /Index [0 /x] /Size 1", std::string("\x01\x00\x00", 3)),
       "Invalid cross-reference entry /Index"},
      {"more entries than data", streamFile("/W [1 1 1] /Size 1000", std::string(30, '\x01')),
       "Cross-reference section lists more entries than its data holds (1000)"},
      {"object number out of reach", streamFile("/W [1 1 1] /Index [2000000000 1] /Size 1", std::string("\x01\x00\x00", 3)),
       "Invalid object number in cross-reference (2000000000)"},
      {"/Size out of reach", streamFile("/W [1 1 1] /Size 2147483647", std::string("\x01\x00\x00", 3)),
       "Invalid cross-reference entry /Size"},
      {"table count beyond data", tableFile("0 100000\n" + PdfBuilder::Entry(-1, 65535), "/Size 1"),
       "Cross-reference section lists more entries than its data holds (100000)"},
      {"table first number out of reach", tableFile("2000000000 1\n" + PdfBuilder::Entry(-1, 65535), "/Size 1"),
       "Invalid object number in cross-reference (2000000000)"},
      {"table offset not a number", tableFile("0 1\n00000000x0 00000 n\r\n", "/Size 1"),
       "'00000000x0' is not a valid integer value"},
      {"subsection count not a number", tableFile("0 x\n" + PdfBuilder::Entry(-1, 65535), "/Size 1"),
       "'x' is not a valid integer value"},
      {"/Prev not a number", tableFile("0 1\n" + PdfBuilder::Entry(-1, 65535), "/Size 1 /Prev /x"),
       "Invalid class typecast (/Prev of the cross-reference section at offset "},
      {"/Root not a reference", tableFile("0 1\n" + PdfBuilder::Entry(-1, 65535), "/Size 1 /Root 1 /X 1 0 R"),
       "File is corrupted (the trailer names no catalog)"},
  };
  // Each opens with the entries rebuilt from the object headers, and the
  // warning tells what was wrong (the message is the start of the reason).
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Opened o;
    ASSERT_NO_THROW(o.Open(c.file));
    EXPECT_TRUE(o.doc->IsRepaired());
    ASSERT_EQ(o.warnings.size(), 1u);
    const std::string prefix = "The file was damaged and has been repaired (" + c.message;
    EXPECT_EQ(o.warnings[0].substr(0, prefix.size()), prefix);
    ASSERT_NE(o.Load(1), nullptr);
    EXPECT_EQ(o.ValueText(1), "<<\r\n/Type /Catalog\r\n>>");
  }
  // Nothing to rebuild from: the failure says both what was wrong and that
  // repair found no catalog.
  Opened o;
  try {
    o.Open("%PDF-1.4\n1 0 obj\n(no catalog)\nendobj\nstartxref\n999\n%%EOF\n");
    ADD_FAILURE() << "opened";
  } catch (const EPDFFileCorruptedError& e) {
    EXPECT_STREQ(e.what(),
                 "File is corrupted (startxref 999 is past the end of the file; no catalog found while repairing)");
  }
  EXPECT_FALSE(o.doc->IsLoaded());
  EXPECT_EQ(o.doc->Reader(), nullptr);
}

TEST(OpenDocumentFile, StartXRefMustPointAtASection) {
  std::string file = SimpleFile();
  const size_t at = file.rfind("startxref\n") + 10;
  const size_t end = file.find('\n', at);
  const int64_t offset = std::stoll(file.substr(at, end - at));
  struct Case {
    const char* name;
    int64_t target;
    std::string reason;
  } const cases[] = {
      {"middle of a line", offset + 2, "File is corrupted (no cross-reference section at startxref " +
                                           std::to_string(offset + 2) + ")"},
      {"start of file", 0, "File is corrupted (no cross-reference section at startxref 0)"},
      {"past the end", 99999999, "File is corrupted (startxref 99999999 is past the end of the file)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string damaged = file.substr(0, at) + std::to_string(c.target) + "\n%%EOF\n";
    Opened o;
    ASSERT_NO_THROW(o.Open(damaged));
    EXPECT_EQ(o.warnings, std::vector<std::string>{"The file was damaged and has been repaired (" + c.reason + ")"});
    EXPECT_NE(o.Load(1), nullptr);
  }
  // " xref" with white space around it is still a table.
  std::string spaced = SimpleFile();
  const size_t xrefAt = spaced.rfind("xref\n0");
  spaced.replace(xrefAt, 5, "\nxref\n");
  const size_t sxAt = spaced.rfind("startxref\n") + 10;
  spaced = spaced.substr(0, sxAt) + std::to_string(xrefAt) + "\n%%EOF\n";
  Opened o;
  EXPECT_NO_THROW(o.Open(spaced));
}

// ----------------------------------------------------------------- qpdf

std::filesystem::path TempDir() {
  auto dir = std::filesystem::temp_directory_path() / ("sarvane_xref_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  return dir;
}

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Object numbers in use according to qpdf --show-xref.
std::vector<int> QpdfObjectsInUse(const std::filesystem::path& file) {
  const auto out = file.string() + ".xref.txt";
  const std::string cmd = "qpdf --show-xref '" + file.string() + "' > '" + out + "' 2>/dev/null";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  std::vector<int> numbers;
  std::istringstream lines(ReadAll(out));
  std::string line;
  const std::regex entry(R"(^(\d+)/(\d+): (uncompressed|compressed))");
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, m, entry)) numbers.push_back(std::stoi(m[1]));
  }
  return numbers;
}

TEST(OpenDocumentFile, FilesWrittenByQpdfOpenStructurally) {
  if (std::system("qpdf --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf not installed";
  const auto dir = TempDir();
  // A source with a few pages, an outline and an information dictionary.
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 8 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 612 792] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources << /Font << /F1 6 0 R >> >> >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R /Contents 7 0 R /Resources << /Font << /F1 6 0 R >> >> >>");
  b.AddStream(5, "", "BT /F1 24 Tf 72 700 Td (One) Tj ET");
  b.AddObject(6, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  b.AddStream(7, "", "BT /F1 24 Tf 72 700 Td (Two) Tj ET");
  b.AddObject(8, "<< /Type /Outlines /First 9 0 R /Last 9 0 R /Count 1 >>");
  b.AddObject(9, "<< /Title (One) /Parent 8 0 R /Dest [3 0 R /Fit] >>");
  b.AddObject(10, "<< /Producer (test) /Title (Sample) >>");
  b.FinishTable("/Size 11 /Root 1 0 R /Info 10 0 R");
  const auto source = dir / "source.pdf";
  std::ofstream(source, std::ios::binary) << b.Data();

  struct Case {
    const char* name;
    const char* options;
  } const cases[] = {
      {"object streams", "--object-streams=generate"},
      {"linearized", "--linearize"},
      {"linearized with object streams", "--linearize --object-streams=generate"},
      {"compressed streams", "--compress-streams=y --object-streams=preserve"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto out = dir / (std::string("out_") + std::to_string(&c - cases) + ".pdf");
    const std::string cmd = std::string("qpdf ") + c.options + " '" + source.string() + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::vector<int> inUse = QpdfObjectsInUse(out);
    ASSERT_FALSE(inUse.empty());

    Opened o;
    o.Open(ReadAll(out));
    ASSERT_GT(o.doc->Trailer().RootNumber, 0);
    o.Load(o.doc->Trailer().RootNumber);
    for (int n : inUse) {
      // Object streams and cross-reference streams are read, not kept.
      TzkPDFIndirectObject* obj = o.Load(n);
      // The information dictionary of an object stream goes to its holder.
      if (!obj && o.doc->InformationHandler && o.doc->Trailer().Information &&
          o.doc->Trailer().Information->ObjectNumber() == n) {
        continue;
      }
      if (!obj) {
        TzkPDFIndirectReference ref = o.Ref(n);
        TzkPDFObjectPtr copy = o.doc->LoadObjectCopy(&ref);
        ASSERT_TRUE(copy) << "object " << n;
        const auto* s = copy->As<TzkPDFStreamObject>();
        ASSERT_NE(s, nullptr) << "object " << n;
        const auto* type = ObjectAs<TzkPDFNameObject>(s->Dict().Lookup("/Type"));
        ASSERT_NE(type, nullptr) << "object " << n;
        EXPECT_TRUE(type->Text() == "/ObjStm" || type->Text() == "/XRef") << "object " << n;
        continue;
      }
      EXPECT_GE(obj->UseCount(), 1) << "object " << n;
    }
    // The pages' content streams came through intact.
    int pagesWithText = 0;
    for (int32_t i = 0; i < o.doc->ObjectStore().ObjectCount(); ++i) {
      const auto* s = o.doc->ObjectStore().ObjectAt(i)->Value()->As<TzkPDFStreamObject>();
      if (s && (s->DataBytes().find("(One)") != std::string::npos || s->DataBytes().find("(Two)") != std::string::npos ||
                s->Dict().Lookup("/Filter"))) {
        ++pagesWithText;
      }
    }
    EXPECT_GE(pagesWithText, 2);
    EXPECT_TRUE(o.warnings.empty()) << o.warnings.front();
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sarvane::pdf::doc
