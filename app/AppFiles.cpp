#include "app/AppFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace sarvane::app {

std::string SettingsFileName() {
  std::string exe = ExecutablePath();
  std::string base = exe.empty() ? std::string("sarvane") : ExtractFileName(exe);
  return ApplicationHome() + ChangeFileExt(base, ".ini");
}

std::string WorkFolder() { return ApplicationHome() + "temp/"; }

std::string TemplatesFolder() { return ExecutableDir(); }
std::string DefaultOutputFolder() { return WritableOrUserFolder(ExecutableDir()); }

std::string WritableOrUserFolder(const std::string& preferred) {
  // A copy run from a folder of its own keeps its outputs beside it; an
  // installed one cannot write there and uses a folder in the user's home.
  if (IsWritableFolder(preferred)) return IncludeTrailingPathDelimiter(preferred);
  const char* home = std::getenv("HOME");
  const std::string dir = std::string(home && *home ? home : "/tmp") + "/Sarvane/";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

bool IsWritableFolder(const std::string& dir) {
  return !dir.empty() && DirectoryExists(dir) && access(dir.c_str(), W_OK | X_OK) == 0;
}

bool CreateWorkFolder() {
  std::string dir = WorkFolder();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  // lstat without the trailing "/": a symbolic link planted in place of the
  // folder is not followed.
  std::string noSlash = dir.substr(0, dir.size() - 1);
  struct stat st{};
  if (lstat(noSlash.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if ((st.st_mode & 07777) != S_IRWXU && chmod(dir.c_str(), S_IRWXU) != 0) return false;
  return true;
}

bool RestrictToOwner(const std::string& fileName) {
  return FileExists(fileName) && chmod(fileName.c_str(), S_IRUSR | S_IWUSR) == 0;
}

}  // namespace sarvane::app
