#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace sarvane {
namespace {

TEST(Paths, SplitsNames) {
  EXPECT_EQ(ExtractFileName("/a/b/x.pdf"), "x.pdf");
  EXPECT_EQ(ExtractFileDir("/a/b/x.pdf"), "/a/b");
  EXPECT_EQ(ExtractFileExt("/a.b/x"), "");
  EXPECT_EQ(ExtractFileExt("/a/x.PDF"), ".PDF");
  EXPECT_EQ(ChangeFileExt("/a/sarvane", ".ini"), "/a/sarvane.ini");
  EXPECT_EQ(ChangeFileExt("/a/x.pdf", ".ini"), "/a/x.ini");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/out"), "/out/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("/out/"), "/out/");
}

TEST(Paths, ExecutableDirIsTheTestBinaryFolder) {
  std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(FileExists(ExecutablePath()));
  EXPECT_TRUE(DirectoryExists(dir));
}

TEST(Paths, HomeFollowsTheEnvironment) {
  std::string tmp = ::testing::TempDir() + "sarvane-home-test";
  setenv("SARVANE_HOME", tmp.c_str(), 1);
  EXPECT_EQ(ApplicationHome(), tmp + "/");
  EXPECT_TRUE(DirectoryExists(tmp));
  unsetenv("SARVANE_HOME");
}

}  // namespace
}  // namespace sarvane
