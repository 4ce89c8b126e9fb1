#pragma once
// The forms tests' document fixture: load bytes written in the test, save
// with qpdf judging the output, and load the output back.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "pdf/document/zkPDFDoc.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::forms::testutil {

class TDocumentTest : public ::testing::Test {
 protected:
  explicit TDocumentTest(const std::string& prefix) : dir_(prefix) {}

  sarvane::interop::TTempFolder dir_;
  sarvane::pdf::doc::TzkPDFDocument doc_;

  void Load(const std::string& data) {
    const std::string path = dir_.Dir() + "in.pdf";
    std::ofstream(path, std::ios::binary) << data;
    doc_.SetShowSetupDialog(false);
    ASSERT_TRUE(doc_.LoadDocument(path));
  }
  // Saves, has qpdf check the output when it is there, and loads it back.
  void SaveAndReload() {
    const std::string path = dir_.Dir() + "out.pdf";
    doc_.SaveDocument(path, 2);
    if (sarvane::interop::HaveQpdf()) {
      const auto check = sarvane::interop::RunCommand("qpdf --check " + sarvane::interop::Quote(path));
      EXPECT_EQ(check.status, 0) << check.out;
    }
    ASSERT_TRUE(doc_.LoadDocument(path));
  }
};

}  // namespace sarvane::pdf::forms::testutil
