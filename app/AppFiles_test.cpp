#include "app/AppFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/AppTestSupport.h"
#include "platform/Paths.h"

namespace sarvane::app {
namespace {

using testing::ModeOf;
using testing::TTempHome;
using testing::WriteFileBytes;

TEST(AppFiles, NamesFollowTheApplicationHomeAndTheExecutable) {
  TTempHome home;
  // The test binary stands in for the tool's executable.
  EXPECT_EQ(SettingsFileName(), home.Dir() + ExtractFileName(ExecutablePath()) + ".ini");
  EXPECT_EQ(WorkFolder(), home.Dir() + "temp/");
  EXPECT_EQ(TemplatesFolder(), ExecutableDir());
  EXPECT_EQ(DefaultOutputFolder(), ExecutableDir());
}

// An installed copy cannot write beside its executable: outputs then go to
// ~/Sarvane/, made on first use.
TEST(AppFiles, OutputFolderFallsBackToOneInTheUsersHome) {
  TTempHome home;
  const char* savedHome = getenv("HOME");
  const std::string saved = savedHome ? savedHome : "";
  setenv("HOME", (home.Dir() + "user").c_str(), 1);
  const std::string userFolder = home.Dir() + "user/Sarvane/";
  struct Case {
    const char* name;
    std::string preferred;
    std::string expected;
  } const cases[] = {
      {"writable folder", home.Dir() + "temp", home.Dir() + "temp/"},
      {"missing folder", home.Dir() + "gone/", userFolder},
      {"a file, not a folder", home.Dir() + "file", userFolder},
      {"empty", "", userFolder},
  };
  std::filesystem::create_directories(home.Dir() + "temp");
  WriteFileBytes(home.Dir() + "file", "x");
  for (const Case& c : cases) {
    EXPECT_EQ(WritableOrUserFolder(c.preferred), c.expected) << c.name;
  }
  EXPECT_TRUE(DirectoryExists(userFolder));
  setenv("HOME", saved.c_str(), 1);
}

TEST(AppFiles, WorkFolderIsCreatedPrivate) {
  struct TCase {
    const char* name;
    std::function<void(const std::string& dir)> before;  // dir without trailing "/"
    bool ok;
  } cases[] = {
      {"missing", [](const std::string&) {}, true},
      {"missing with its parents",
       [](const std::string&) { setenv("SARVANE_HOME", (std::string(getenv("SARVANE_HOME")) + "/a/b").c_str(), 1); },
       true},
      {"existing and open to all",
       [](const std::string& dir) {
         std::filesystem::create_directory(dir);
         chmod(dir.c_str(), 0777);
       },
       true},
      {"a regular file in its place", [](const std::string& dir) { WriteFileBytes(dir, "x"); }, false},
      {"a symbolic link in its place",
       [](const std::string& dir) {
         std::filesystem::create_directory(dir + ".elsewhere");
         std::filesystem::create_directory_symlink(dir + ".elsewhere", dir);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TTempHome home;
    std::string dir = home.Dir() + "temp";
    c.before(dir);
    dir = WorkFolder();
    dir.pop_back();
    EXPECT_EQ(CreateWorkFolder(), c.ok);
    if (c.ok) {
      EXPECT_TRUE(DirectoryExists(dir));
      EXPECT_EQ(ModeOf(dir), 0700u);
    }
  }
}

TEST(AppFiles, RestrictToOwnerNarrowsAFile) {
  TTempHome home;
  ASSERT_TRUE(CreateWorkFolder());
  const std::string file = WorkFolder() + "input.pdf";
  WriteFileBytes(file, "%PDF-1.4\n");
  ASSERT_EQ(chmod(file.c_str(), 0644), 0);
  EXPECT_TRUE(RestrictToOwner(file));
  EXPECT_EQ(ModeOf(file), 0600u);
  EXPECT_FALSE(RestrictToOwner(WorkFolder() + "missing.pdf"));
}

}  // namespace
}  // namespace sarvane::app
