#pragma once
// What the cross-unit tests share: running other programs (qpdf, poppler,
// our command line) through the shell, a scratch folder, and whole-file reads.
#include <string>
#include <vector>

namespace sarvane::interop {

struct TCommandRun {
  int status = -1;  // the exit code; -1 when the command did not exit normally
  std::string out;
};

// Where the command's stderr goes: into out beside stdout, or away (for output
// that is compared byte for byte, such as pdftotext's).
enum class TStderr { Merge, Discard };

// Runs a shell command and captures what it prints.
TCommandRun RunCommand(const std::string& command, TStderr stderrTo = TStderr::Merge);

// One shell word, whatever the text holds.
std::string Quote(const std::string& text);

bool HaveQpdf();

std::string ReadFile(const std::string& path);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// The sarvane-cli executable of this build.
std::string CliPath();

// A file of tests/fixtures in the source tree this build was made from.
std::string FixturePath(const std::string& name);
// A path inside the source tree ("fuzz/corpus/open_document/").
std::string SourcePath(const std::string& relative);

// A fresh private folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TTempFolder {
 public:
  explicit TTempFolder(const std::string& prefix);
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;
  // With a trailing "/".
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace sarvane::interop
