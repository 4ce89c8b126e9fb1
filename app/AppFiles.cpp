#include "app/AppFiles.h"

#include <sys/stat.h>

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
std::string DefaultOutputFolder() { return ExecutableDir(); }

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
