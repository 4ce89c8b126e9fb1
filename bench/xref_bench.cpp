// Opening a file of many objects: the cross-reference (a table, or a
// compressed cross-reference stream with object streams) and then loading
// every object from the catalog. Time per object is reported as the
// "per_object" counter; it must stay flat as the object count grows.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/filters/zkFlateFilter.h"

namespace {

using sarvane::pdf::doc::TzkPDFDocument;
using sarvane::pdf::doc::testutil::Field;
using sarvane::pdf::doc::testutil::PdfBuilder;

// Object 1 is the catalog; it lists objects 2..n in an array, and every
// object also refers to its successor, so the walk meets each one twice.
std::string Body(int i, int n) {
  std::string next = i < n ? std::to_string(i + 1) + " 0 R" : "null";
  return "<< /Type /Thing /Index " + std::to_string(i) + " /Next " + next + " /Name (object " + std::to_string(i) + ") >>";
}

std::string TableFile(int n) {
  PdfBuilder b;
  std::string kids;
  for (int i = 2; i <= n; ++i) kids += std::to_string(i) + " 0 R ";
  b.AddObject(1, "<< /Type /Catalog /All [" + kids + "] >>");
  for (int i = 2; i <= n; ++i) b.AddObject(i, Body(i, n));
  b.FinishTable("/Size " + std::to_string(n + 1) + " /Root 1 0 R");
  return b.Data();
}

// Objects 2..n in object streams of 100, the rest in a cross-reference stream.
std::string StreamFile(int n) {
  PdfBuilder b;
  std::string kids;
  for (int i = 2; i <= n; ++i) kids += std::to_string(i) + " 0 R ";
  b.AddObject(1, "<< /Type /Catalog /All [" + kids + "] >>");
  std::string rows = Field(0, 1) + Field(0, 4) + Field(255, 2) + Field(1, 1) + Field(b.OffsetOf(1), 4) + Field(0, 2);
  std::string streamRows;
  int streamNumber = n + 1;
  for (int start = 2; start <= n; start += 100, ++streamNumber) {
    std::string header, body;
    const int end = std::min(n, start + 99);
    for (int i = start; i <= end; ++i) {
      header += std::to_string(i) + " " + std::to_string(body.size()) + " ";
      body += Body(i, n) + "\n";
      rows += Field(2, 1) + Field(static_cast<uint64_t>(streamNumber), 4) + Field(static_cast<uint64_t>(i - start), 2);
    }
    b.AddStream(streamNumber,
                "/Type /ObjStm /N " + std::to_string(end - start + 1) + " /First " + std::to_string(header.size()) +
                    " /Filter /FlateDecode",
                sarvane::pdf::FlateEncode(header + body));
    streamRows += Field(1, 1) + Field(static_cast<uint64_t>(b.OffsetOf(streamNumber)), 4) + Field(0, 2);
  }
  rows += streamRows;
  const int xrefNumber = streamNumber;
  const int64_t at = b.Size();
  rows += Field(1, 1) + Field(static_cast<uint64_t>(at), 4) + Field(0, 2);
  b.AddStream(xrefNumber,
              "/Type /XRef /W [1 4 2] /Size " + std::to_string(xrefNumber + 1) + " /Root 1 0 R /Filter /FlateDecode",
              sarvane::pdf::FlateEncode(rows));
  b.Raw("startxref\n" + std::to_string(at) + "\n%%EOF\n");
  return b.Data();
}

void Open(benchmark::State& state, const std::string& file, int n) {
  auto data = std::make_shared<const std::string>(file);
  for (auto _ : state) {
    TzkPDFDocument doc;
    doc.OpenDocumentFile(data);
    sarvane::pdf::TzkPDFIndirectReference root(doc.DocumentNumber(), 0, 1);
    doc.CollectReference(&root);
    if (doc.ObjectStore().ObjectCount() != n) state.SkipWithError("objects missing");
    benchmark::DoNotOptimize(doc.ObjectStore().ObjectCount());
  }
  state.counters["per_object"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
}

void BM_OpenTable(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Open(state, TableFile(n), n);
}
void BM_OpenXRefStream(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Open(state, StreamFile(n), n);
}

BENCHMARK(BM_OpenTable)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenXRefStream)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
