#include "pdf/document/zkCstPDFDoc.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "pdf/document/zkPDFDoc.h"

namespace sarvane::pdf::doc {
namespace {

TEST(TzkCustomPDFDocument, DocumentNumbersAreUniqueAcrossThreads) {
  TzkPDFDocument first;
  EXPECT_GT(first.DocumentNumber(), 100);
  std::vector<std::vector<int32_t>> drawn(4);
  std::vector<std::thread> threads;
  for (auto& list : drawn) {
    threads.emplace_back([&list] {
      for (int i = 0; i < 1000; ++i) list.push_back(TzkCustomPDFDocument::NextDocumentNumber());
    });
  }
  for (auto& t : threads) t.join();
  std::set<int32_t> all;
  for (const auto& list : drawn) all.insert(list.begin(), list.end());
  EXPECT_EQ(all.size(), 4000u);
  EXPECT_GT(*all.begin(), first.DocumentNumber());
  // A fresh document state takes a new number.
  const int32_t before = first.DocumentNumber();
  first.ClearDocument();
  first.InitDocument();
  EXPECT_GT(first.DocumentNumber(), *all.rbegin());
  EXPECT_NE(first.DocumentNumber(), before);
}

TEST(TzkCustomPDFDocument, FreshStateIsEmpty) {
  TzkPDFDocument doc;
  EXPECT_FALSE(doc.IsLoaded());
  EXPECT_FALSE(doc.IsEncrypted());
  EXPECT_EQ(doc.PDFVersion(), pvPDF14);
  EXPECT_EQ(doc.Trailer().RootNumber, -1);
  EXPECT_EQ(doc.ObjectStore().ObjectCount(), 0);
  EXPECT_EQ(doc.Reader(), nullptr);
}

}  // namespace
}  // namespace sarvane::pdf::doc
