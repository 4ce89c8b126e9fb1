#include "platform/ReplacingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace sarvane {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ReplacingFile, TargetChangesOnlyOnCommitAndNothingIsLeftBehind) {
  const fs::path dir = fs::path(::testing::TempDir()) / "replacing-file-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = dir / "out.pdf";
  std::ofstream(target) << "old";

  {
    TReplacingFile abandoned(target.string());
    ASSERT_TRUE(abandoned.IsOpen());
    ASSERT_TRUE(abandoned.Write("half", 4));
  }
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  TReplacingFile file(target.string());
  ASSERT_TRUE(file.Write("new data", 8));
  EXPECT_EQ(file.Size(), 8);
  EXPECT_EQ(Read(target), "old");
  ASSERT_TRUE(file.Commit(true));
  EXPECT_EQ(Read(target), "new data");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

  TReplacingFile nowhere((dir / "missing" / "x.pdf").string());
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_FALSE(nowhere.Write("x", 1));
  EXPECT_FALSE(nowhere.Commit(false));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace sarvane
