#pragma once
// Where the program lives and keeps its files, and the desktop's shell open.
#include <string>

namespace sarvane {

// Full path of the running executable (/proc/self/exe).
std::string ExecutablePath();
// Its folder, with a trailing "/".
std::string ExecutableDir();
// The folder of the settings file and the work folder, with a trailing "/":
// SARVANE_HOME when set, else the executable's folder when writable, else
// $XDG_CONFIG_HOME/sarvane (~/.config/sarvane). Created when missing.
std::string ApplicationHome();

// Opens a file, folder, web or mail address in the desktop's associated
// program (xdg-open), without waiting for it. False when it could not start.
bool ShellOpen(const std::string& target);

// Path helpers.
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExtractFileName(const std::string& path);
std::string ExtractFileDir(const std::string& path);  // without trailing "/"
std::string ExtractFileExt(const std::string& path);  // with the ".", or empty
std::string ChangeFileExt(const std::string& path, const std::string& ext);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

}  // namespace sarvane
