#include "app/JobFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/AppFiles.h"
#include "app/AppTestSupport.h"
#include "platform/Paths.h"

namespace sarvane::app {
namespace {

using namespace sarvane::app::testing;
namespace fs = std::filesystem;

// The id of a process that has ended (and been reaped).
pid_t EndedProcess() {
  pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return child;
}

TEST(JobFolder, EachJobHasItsOwnPrivateFolder) {
  TTempHome home;
  std::string firstPath;
  {
    TJobFolder first, second;
    ASSERT_TRUE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    EXPECT_NE(first.Path(), second.Path());
    firstPath = first.Path();
    const std::string prefix = WorkFolder() + "job-" + std::to_string(getpid()) + "-";
    EXPECT_EQ(firstPath.substr(0, prefix.size()), prefix);
    EXPECT_EQ(ModeOf(firstPath.substr(0, firstPath.size() - 1)), 0700u);
    EXPECT_EQ(first.WorkFileName(), firstPath + "input.pdf");
    WriteFileBytes(first.WorkFileName(), "%PDF-1.4");
    WriteFileBytes(second.WorkFileName(), "%PDF-1.4");
    second.Keep();
  }
  // The first went with its file; the kept one stays.
  EXPECT_FALSE(DirectoryExists(firstPath));
  EXPECT_EQ(FolderEntries(WorkFolder()).size(), 1u);

  // Removed at once when asked, kept or not; its names are empty then,
  // never a bare file name in the current folder.
  TJobFolder third;
  third.Keep();
  const std::string thirdPath = third.Path();
  third.Remove();
  EXPECT_FALSE(DirectoryExists(thirdPath));
  EXPECT_TRUE(third.WorkFileName().empty());
}

TEST(JobFolder, StaleFoldersOfEndedProcessesAreCleaned) {
  TTempHome home;
  ASSERT_TRUE(CreateWorkFolder());
  const std::string work = WorkFolder();
  const std::string ended = std::to_string(EndedProcess());
  struct Case {
    std::string name;
    bool folder;  // else a regular file of that name
    bool removed;
  };
  const Case cases[] = {
      {"job-" + ended + "-1", true, true},
      {"job-" + ended + "-7", true, true},
      // Running owners: this process and the first process of the system.
      {"job-" + std::to_string(getpid()) + "-99", true, false},
      {"job-1-1", true, false},
      // Not a job folder's name, or not a folder.
      {"job-" + ended, true, false},
      {"job-" + ended + "-x", true, false},
      {"keep-" + ended + "-1", true, false},
      {"job-" + ended + "-2", false, false},
  };
  for (const Case& c : cases) {
    if (c.folder) {
      fs::create_directory(work + c.name);
      WriteFileBytes(work + c.name + "/input.pdf", "%PDF-1.4");
    } else {
      WriteFileBytes(work + c.name, "x");
    }
  }
  // A link under a stale name is not followed into what it points at.
  fs::create_directory(home.Dir() + "elsewhere");
  WriteFileBytes(home.Dir() + "elsewhere/precious.pdf", "keep me");
  fs::create_directory_symlink(home.Dir() + "elsewhere", work + "job-" + ended + "-3");

  EXPECT_EQ(CleanStaleJobFolders(), 2);
  for (const Case& c : cases) EXPECT_EQ(fs::exists(work + c.name), !c.removed) << c.name;
  EXPECT_EQ(ReadFileBytes(home.Dir() + "elsewhere/precious.pdf"), "keep me");
}

}  // namespace
}  // namespace sarvane::app
