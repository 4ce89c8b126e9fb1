// The check of a lock job's copy against what the job wrote, on encrypted
// documents of many pages, beside the encrypted save that wrote them: the
// check must stay a small share of the save.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/OutputCheck.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"

namespace {

using sarvane::app::TWrittenOutput;
using sarvane::pdf::doc::TzkPDFDocument;
using sarvane::pdf::doc::testutil::PdfBuilder;

// Catalog 1, page tree root 2 with every page, pages from 3 on, each with
// a content stream of its own.
std::string ManyPages(int pages) {
  PdfBuilder b;
  std::string kids;
  for (int i = 0; i < pages; ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Count " + std::to_string(pages) + " /Kids [" + kids + "] >>");
  for (int i = 0; i < pages; ++i) {
    b.AddObject(3 + 2 * i, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents " +
                               std::to_string(4 + 2 * i) + " 0 R >>");
    b.AddStream(4 + 2 * i, "", "BT /F1 12 Tf 72 720 Td (page " + std::to_string(i + 1) + ") Tj ET");
  }
  b.FinishTable("/Size " + std::to_string(3 + 2 * pages) + " /Root 1 0 R");
  return b.Data();
}

struct TFiles {
  explicit TFiles(int pages) {
    char tmpl[] = "/tmp/sarvane-checkbench-XXXXXX";
    dir = mkdtemp(tmpl) ? tmpl : "";
    input = dir + "/in.pdf";
    output = dir + "/out.pdf";
    std::ofstream(input, std::ios::binary) << ManyPages(pages);
  }
  ~TFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir, input, output;
};

void SaveEncrypted(TzkPDFDocument& doc, const std::string& output) {
  doc.SetShowSetupDialog(false);
  doc.Encryption().SetEnabled(true);
  doc.Encryption().SetOwnerPassword("owner");
  doc.SaveDocument(output, 2);
}

void BM_CheckOfTheCopy(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  TFiles files(pages);
  {
    TzkPDFDocument doc;
    doc.LoadDocument(files.input);
    SaveEncrypted(doc, files.output);
  }
  for (auto _ : state) {
    TWrittenOutput written;
    written.Version = "1.4";
    written.Encrypted = true;
    written.PageCount = pages;
    std::string reason = sarvane::app::DescribeWrittenFile(files.output, written);
    if (reason.empty()) reason = sarvane::app::CheckOutputCopy(files.output, written);
    if (!reason.empty()) state.SkipWithError(reason.c_str());
  }
}

void BM_EncryptedSave(benchmark::State& state) {
  TFiles files(static_cast<int>(state.range(0)));
  TzkPDFDocument doc;
  doc.LoadDocument(files.input);
  for (auto _ : state) SaveEncrypted(doc, files.output);
}

BENCHMARK(BM_CheckOfTheCopy)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncryptedSave)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
