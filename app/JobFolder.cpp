#include "app/JobFolder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/AppFiles.h"

namespace sarvane::app {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "job-";

// Jobs of one process differ by this number; the process id tells the
// processes apart.
std::atomic<unsigned> g_nextJob{1};

// The owner's process id from "job-<pid>-<n>"; 0 for any other name.
pid_t OwnerOf(std::string_view name) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return 0;
  name.remove_prefix(kPrefix.size());
  long pid = 0;
  auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (ec != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-') return 0;
  std::string_view rest(end + 1, static_cast<size_t>(name.data() + name.size() - end - 1));
  unsigned n = 0;
  auto [last, ec2] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
  if (ec2 != std::errc() || rest.empty() || last != rest.data() + rest.size()) return 0;
  return static_cast<pid_t>(pid);
}

// A process that exists but belongs to someone else (EPERM) is alive too.
bool ProcessAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

}  // namespace

TJobFolder::TJobFolder() {
  if (!CreateWorkFolder()) return;
  const std::string work = WorkFolder();
  const std::string pid = std::to_string(::getpid());
  // A name can be taken only by a folder that an ended process with the
  // same id left behind; the next number is free then.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string dir = work + std::string(kPrefix) + pid + "-" + std::to_string(g_nextJob++);
    if (::mkdir(dir.c_str(), S_IRWXU) != 0) {
      if (errno == EEXIST) continue;
      return;
    }
    // The umask may have taken bits that the owner needs.
    if (::chmod(dir.c_str(), S_IRWXU) != 0) {
      ::rmdir(dir.c_str());
      return;
    }
    path_ = dir + "/";
    return;
  }
}

TJobFolder::~TJobFolder() {
  if (!keep_) Remove();
}

void TJobFolder::Remove() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
  path_.clear();
}

// Never a bare name, which would land in the current folder.
std::string TJobFolder::WorkFileName() const { return path_.empty() ? path_ : path_ + "input.pdf"; }

int CleanStaleJobFolders() {
  std::vector<fs::path> stale;
  std::error_code ec;
  for (fs::directory_iterator it(WorkFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    const pid_t owner = OwnerOf(it->path().filename().string());
    if (owner == 0 || owner == ::getpid() || ProcessAlive(owner)) continue;
    // Only a real folder: a link planted under such a name is not followed.
    std::error_code statError;
    if (fs::is_directory(fs::symlink_status(it->path(), statError))) stale.push_back(it->path());
  }
  int removed = 0;
  for (const fs::path& dir : stale) {
    std::error_code removeError;
    if (fs::remove_all(dir, removeError) > 0 && !removeError) ++removed;
  }
  return removed;
}

}  // namespace sarvane::app
