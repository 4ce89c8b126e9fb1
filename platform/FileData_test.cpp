#include "platform/FileData.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace sarvane {
namespace {

namespace fs = std::filesystem;

TEST(ReadWholeFile, ReadsRegularFilesOnly) {
  const fs::path dir = fs::path(::testing::TempDir()) / "file-data-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string bytes("%PDF-1.4\r\n\0\xFF end", 17);
  std::ofstream(dir / "a.pdf", std::ios::binary) << bytes;
  std::ofstream(dir / "empty.pdf", std::ios::binary);

  std::string data = "stale";
  ASSERT_TRUE(ReadWholeFile((dir / "a.pdf").string(), data));
  EXPECT_EQ(data, bytes);
  ASSERT_TRUE(ReadWholeFile((dir / "empty.pdf").string(), data));
  EXPECT_EQ(data, "");
  EXPECT_FALSE(ReadWholeFile((dir / "missing.pdf").string(), data));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(ReadWholeFile(dir.string(), data));
  EXPECT_EQ(errno, EISDIR);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sarvane
