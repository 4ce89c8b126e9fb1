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
