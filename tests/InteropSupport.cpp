#include "tests/InteropSupport.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace sarvane::interop {

TCommandRun RunCommand(const std::string& command, TStderr stderrTo) {
  TCommandRun r;
  const char* redirect = stderrTo == TStderr::Merge ? " 2>&1" : " 2>/dev/null";
  std::FILE* p = popen((command + redirect).c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::string Quote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool HaveQpdf() { return RunCommand("qpdf --version").status == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string CliPath() { return SARVANE_CLI_PATH; }

std::string FixturePath(const std::string& name) { return std::string(SARVANE_SOURCE_ROOT "/tests/fixtures/") + name; }
std::string SourcePath(const std::string& relative) { return std::string(SARVANE_SOURCE_ROOT "/") + relative; }

TTempFolder::TTempFolder(const std::string& prefix) {
  std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(tmpl.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp " + tmpl);
  dir_ = tmpl + "/";
}

TTempFolder::~TTempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

}  // namespace sarvane::interop
