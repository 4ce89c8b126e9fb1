#include "platform/FileBytes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace sarvane {
namespace {

namespace fs = std::filesystem;

TEST(FileBytes, ReadsSmallAndLargeRegularFilesWhole) {
  const fs::path dir = fs::path(::testing::TempDir()) / "file-bytes-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string small("%PDF-1.4\r\n\0\xFF end", 17);
  // Past the size read into huge-page memory, and not a multiple of a page.
  std::string large(3 * 1024 * 1024 + 123, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 + i / 4096);
  std::ofstream(dir / "small.pdf", std::ios::binary) << small;
  std::ofstream(dir / "large.pdf", std::ios::binary) << large;
  std::ofstream(dir / "empty.pdf", std::ios::binary);

  struct Case {
    const char* name;
    const std::string& expected;
  } const cases[] = {{"small.pdf", small}, {"large.pdf", large}, {"empty.pdf", std::string()}};
  for (const Case& c : cases) {
    const auto bytes = FileBytes::Read((dir / c.name).string());
    ASSERT_NE(bytes, nullptr) << c.name;
    EXPECT_TRUE(bytes->View() == c.expected) << c.name;
  }

  // The copy is private: the file may shrink afterwards.
  const auto held = FileBytes::Read((dir / "large.pdf").string());
  fs::resize_file(dir / "large.pdf", 10);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->View().size(), large.size());
  EXPECT_EQ(held->View().back(), large.back());

  errno = 0;
  EXPECT_EQ(FileBytes::Read((dir / "missing.pdf").string()), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(FileBytes::Read(dir.string()), nullptr);
  EXPECT_EQ(errno, EISDIR);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sarvane
