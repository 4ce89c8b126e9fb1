#include "platform/Paths.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

extern char** environ;

namespace sarvane {

namespace fs = std::filesystem;

std::string ExecutablePath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string ExecutableDir() { return IncludeTrailingPathDelimiter(ExtractFileDir(ExecutablePath())); }

namespace {
bool EnsureDirectory(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  return DirectoryExists(dir);
}
}  // namespace

std::string ApplicationHome() {
  if (const char* home = std::getenv("SARVANE_HOME"); home && *home) {
    EnsureDirectory(home);
    return IncludeTrailingPathDelimiter(home);
  }
  std::string exeDir = ExecutableDir();
  if (!exeDir.empty() && access(exeDir.c_str(), W_OK) == 0) return exeDir;
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) base = xdg;
  else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
  else base = "/tmp";
  std::string dir = base + "/sarvane";
  EnsureDirectory(dir);
  return IncludeTrailingPathDelimiter(dir);
}

bool ShellOpen(const std::string& target) {
  // xdg-open may run the opened program in the foreground when no desktop
  // answers; a shell puts it in the background so the caller never waits.
  const char* argv[] = {"sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh", target.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (path.empty() || path.back() == '/') return path;
  return path + "/";
}

std::string ExtractFileName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFileDir(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ExtractFileExt(const std::string& path) {
  std::string name = ExtractFileName(path);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string name = ExtractFileName(path);
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return path + ext;
  return path.substr(0, path.size() - (name.size() - dot)) + ext;
}

bool FileExists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace sarvane
