#pragma once
// A test fixture with a folder of its own for each test's files, removed
// afterwards; for the document tests that load and save real files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace sarvane::pdf::doc::testutil {

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("doc_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Writes data as the file name in the folder; returns its path.
  std::string Write(const std::string& name, const std::string& data) {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << data;
    return path;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

}  // namespace sarvane::pdf::doc::testutil
