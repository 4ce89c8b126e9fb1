#pragma once
// Test helpers of the tool's core: a private application home per test and
// small file utilities.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <string>
#include <vector>

namespace sarvane::app::testing {

// Points SARVANE_HOME at a fresh folder for the lifetime of the object.
class TTempHome {
 public:
  TTempHome() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "sarvane-app-XXXXXX").string();
    dir_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
    EXPECT_FALSE(dir_.empty());
    setenv("SARVANE_HOME", dir_.c_str(), 1);
  }
  ~TTempHome() {
    unsetenv("SARVANE_HOME");
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  TTempHome(const TTempHome&) = delete;
  TTempHome& operator=(const TTempHome&) = delete;
  // With a trailing "/".
  std::string Dir() const { return dir_ + "/"; }

 private:
  std::string dir_;
};

inline std::string ReadFileBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& name, const std::string& data) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out << data;
  ASSERT_TRUE(out.good()) << name;
}

// Mode bits (07777) of a file or folder, without following a final link.
inline unsigned ModeOf(const std::string& name) {
  std::error_code ec;
  auto st = std::filesystem::symlink_status(name, ec);
  return ec ? 0xFFFFFFFFu : static_cast<unsigned>(st.permissions()) & 07777u;
}

// Names in a folder, sorted, to see that no temporary file was left behind.
inline std::vector<std::string> FolderEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace sarvane::app::testing
