// sarvane-cli lock: for each file, what the window does when the file is
// chosen and the create button is pressed. Files are locked in parallel,
// each as a job of its own with its own document and work folder.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "app/JobFolder.h"
#include "app/LockJob.h"
#include "app/Rw_ini.h"
#include "app/ViewLimit.h"
#include "cli/DenyList.h"
#include "cli/OptionParser.h"
#include "platform/CodePage.h"
#include "platform/Exception.h"
#include "platform/Paths.h"

namespace {

using sarvane::app::ILockJobHost;
using sarvane::app::TLockJob;
using sarvane::app::TSettings;

const char kLockUsage[] =
    "usage: sarvane-cli lock [OPTIONS] FILE...\n"
    "\n"
    "Writes a locked copy of each FILE into the output folder, under the same\n"
    "file name (an existing file of that name is replaced). Each file is opened\n"
    "(unlocked with the unlock password when it is encrypted), written to the\n"
    "work file, then encrypted with RC4 and copied out, with the header version\n"
    "of the input.\n"
    "\n"
    "options (each sets one value of the settings file):\n"
    "  --settings INI   start from the values of this settings file\n"
    "                   (without it: the first-run defaults)\n"
    "  --unlock P       unlock password for encrypted inputs   [Pass] Open\n"
    "  --no-security    write the copy unencrypted             [Secu] EN=0\n"
    "                   (without it the copy is always encrypted, EN=1)\n"
    "  --owner O        owner password of the copy             [Pass] Owner\n"
    "  --user U         user (open) password of the copy;      [Pass] User\n"
    "                   turns the user password on             [Secu] PW=1\n"
    "  --level 40|128|aes256  RC4 key length, or AES-256       [Secu] BT\n"
    "  --deny LIST      comma-separated operations to disable: print, modify,\n"
    "                   copy, annotate, assemble, fill, accessibility\n"
    "                   (the listed ones are disabled, the others allowed;\n"
    "                   an empty LIST allows all; highres only with print,\n"
    "                   which takes it along)        [Secu] PR MD CP AN DA FF AC\n"
    "  --out DIR        output folder                          [PDF] OutPath\n"
    "                   (without it and --settings: the current folder)\n"
    "  --expire DATE    view limit: the pages show only up to and including\n"
    "                   DATE (yyyy/MM/dd), judged by the viewer's JavaScript\n"
    "                                                          [PDF] LockDateOn=1\n"
    "  --url URL        view limit: the pages show only when the document is\n"
    "                   opened from an address that begins with URL\n"
    "                                                  [PDF] LockURLOn=1 LockURL\n"
    "  --jobs N         lock up to N files at once (default: the number of\n"
    "                   processors)\n"
    "  --help           show this text\n"
    "\n"
    "Progress and error messages go to standard error, one per line. The lines\n"
    "of one file stay together and the files keep the order they were given in.\n"
    "A copy is checked before it replaces a file in the output folder.\n"
    "Exit status: 0 when every file was locked, 1 otherwise.\n";

// The status lines of files locked at once. Each file's lines stay together
// and in their order, and the files follow each other as given: the first
// unfinished file writes through, the lines of the files after it wait
// until it is done.
class TOrderedLines {
 public:
  explicit TOrderedLines(size_t files) : held_(files), done_(files, false) {}

  void Line(size_t file, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file == next_) {
      std::cerr << text << '\n';
      std::cerr.flush();
    } else {
      held_[file] += text;
      held_[file] += '\n';
    }
  }

  void Done(size_t file) {
    std::lock_guard<std::mutex> lock(mutex_);
    done_[file] = true;
    while (next_ < done_.size() && done_[next_]) {
      if (++next_ < held_.size()) {
        std::cerr << held_[next_];
        std::string().swap(held_[next_]);
      }
    }
    std::cerr.flush();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> held_;
  std::vector<bool> done_;
  size_t next_ = 0;
};

// One job's surroundings on a terminal: status lines and message boxes as
// lines on standard error.
class TTerminalHost : public ILockJobHost {
 public:
  TTerminalHost(TOrderedLines& lines, size_t file) : lines_(lines), file_(file) {}
  void ShowStatus(const std::string& text) override {
    // The status line shows the same text twice at the end of a job; a
    // terminal needs it once.
    if (text == last_) return;
    last_ = text;
    lines_.Line(file_, text);
  }
  void ShowErrorMessage(const std::string& text) override {
    last_.clear();
    lines_.Line(file_, text);
  }
  void ProcessMessages() override {}
  void RefreshOutputList() override {}
  void ReportException(const std::exception& e) override {
    last_.clear();
    lines_.Line(file_, std::string("sarvane-cli: ") + e.what());
  }

 private:
  TOrderedLines& lines_;
  size_t file_;
  std::string last_;
};

// Selects and locks one file, as a job of its own. True when it was locked.
bool LockOne(const TSettings& settings, const std::string& file, TTerminalHost& host) {
  try {
    TLockJob job(host, settings);
    bool selected = job.LoadInputFile(file);
    bool locked = job.CreatePress();
    return selected && locked;
  } catch (const std::exception& e) {
    host.ReportException(e);
    return false;
  }
}

// Locks the files on up to jobs threads. True when every file was locked.
bool LockAll(const TSettings& settings, const std::vector<std::string>& files, int jobs) {
  TOrderedLines lines(files.size());
  std::atomic<size_t> next{0};
  std::atomic<bool> allOk{true};
  // Outputs are named after their inputs: a later input of the same file
  // name would overwrite an earlier one's copy, so it is refused.
  std::vector<bool> repeated(files.size(), false);
  std::set<std::string> names;
  for (size_t i = 0; i < files.size(); ++i) repeated[i] = !names.insert(sarvane::ExtractFileName(files[i])).second;
  auto work = [&] {
    for (size_t i; (i = next++) < files.size();) {
      TTerminalHost host(lines, i);
      if (repeated[i]) {
        host.ShowErrorMessage("sarvane-cli: " + files[i] +
                              ": refused, an earlier input of this run has the same file name");
        allOk = false;
      } else if (!LockOne(settings, files[i], host)) {
        allOk = false;
      }
      lines.Done(i);
    }
  };
  const size_t threads = std::min(files.size(), static_cast<size_t>(jobs));
  std::vector<std::thread> workers;
  for (size_t t = 1; t < threads; ++t) {
    // Fewer threads than asked for still lock every file.
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (std::thread& w : workers) w.join();
  return allOk;
}

int DefaultJobs() {
  const unsigned processors = std::thread::hardware_concurrency();
  return processors == 0 ? 1 : static_cast<int>(processors);
}

// A typed text becomes code-page text, as the window's edit boxes give it.
std::string FromTerminal(const std::string& text) {
  if (sarvane::SystemCodePage() == sarvane::kCodePageUtf8) return text;
  return sarvane::Utf16ToAnsi(sarvane::Utf8ToUtf16(text));
}

// The lock job's settings hold one box per operation; printing in high
// resolution only goes with printing.
bool ApplyDenyList(const std::string& list, TSettings& s, std::string& error) {
  sarvane::cli::TDeniedOperations denied;
  if (!sarvane::cli::ParseDenyList(list, denied, error)) return false;
  if (denied.HighRes && !denied.Print) {
    error = "--deny highres: lock withholds high-resolution printing only together with print";
    return false;
  }
  s.PR = denied.Print;
  s.MD = denied.Modify;
  s.CP = denied.Copy;
  s.AN = denied.Annotate;
  s.DA = denied.Assemble;
  s.FF = denied.Fill;
  s.AC = denied.Accessibility;
  return true;
}

// A real calendar day written yyyy/MM/dd, as the window's calendar gives it.
bool IsLimitDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (text[i] < '0' || text[i] > '9') return false;
  const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)),
            day = std::stoi(text.substr(8, 2));
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return !(month == 2 && day == 29 && !leap);
}

int UsageError(const std::string& message) {
  std::cerr << "sarvane-cli lock: " << message << "\n\n" << kLockUsage;
  return 1;
}

}  // namespace

int CmdLock(int argc, char** argv) {
  constexpr sarvane::cli::TOptionSpec kLockOptions[] = {
      {"--settings", true}, {"--unlock", true}, {"--owner", true}, {"--user", true},
      {"--level", true},    {"--deny", true},   {"--out", true},   {"--expire", true},
      {"--url", true},      {"--jobs", true},   {"--no-security", false},
  };
  sarvane::cli::TParsedOptions parsed;
  std::string error;
  if (!sarvane::cli::ParseOptions(argc, argv, kLockOptions, parsed, error)) return UsageError(error);
  if (parsed.Help) {
    std::cout << kLockUsage;
    return 0;
  }
  auto has = [&](std::string_view name) { return parsed.Has(name); };
  auto value = [&](std::string_view name) -> const std::string& { return parsed.Value(name); };
  const std::vector<std::string>& files = parsed.Operands;

  if (files.empty()) return UsageError("no input file");
  int jobs = DefaultJobs();
  // More threads than this only cost memory: each holds a whole document.
  constexpr int kMaxJobs = 256;
  if (has("--jobs") && (!sarvane::TryStrToInt(value("--jobs"), jobs) || jobs < 1 || jobs > kMaxJobs))
    return UsageError("--jobs must be a number from 1 to " + std::to_string(kMaxJobs));

  TSettings settings;
  const std::string& settingsFile = value("--settings");
  if (!settingsFile.empty()) {
    if (!sarvane::FileExists(settingsFile)) return UsageError("settings file '" + settingsFile + "' not found");
    settings = sarvane::app::ReadSettings(settingsFile);
  } else {
    settings = sarvane::app::DefaultSettings();
  }
  settings.EN = !has("--no-security");
  if (has("--unlock")) settings.Open = FromTerminal(value("--unlock"));
  if (has("--owner")) settings.Owner = FromTerminal(value("--owner"));
  if (has("--user")) {
    settings.User = FromTerminal(value("--user"));
    settings.PW = true;
  }
  if (has("--level")) {
    if (value("--level") == "128") settings.BT = 0;
    else if (value("--level") == "40") settings.BT = 1;
    else if (value("--level") == "aes256") settings.BT = 2;
    else return UsageError("--level must be 40, 128 or aes256");
  }
  if (has("--deny")) {
    if (!ApplyDenyList(value("--deny"), settings, error)) return UsageError(error);
  }
  if (has("--out")) {
    if (value("--out").empty()) return UsageError("--out needs a folder");
    settings.OutPath = sarvane::IncludeTrailingPathDelimiter(value("--out"));
  } else if (settingsFile.empty()) {
    // As command-line tools do: into the folder the command runs in.
    settings.OutPath = "./";
  }

  if (has("--expire")) {
    if (!IsLimitDate(value("--expire"))) return UsageError("--expire needs a date yyyy/MM/dd");
    settings.LockDateOn = true;
    settings.LimitDate = value("--expire");
  }
  if (has("--url")) {
    if (value("--url").empty()) return UsageError("--url needs an address");
    if (!sarvane::app::IsSafeLimitURL(value("--url")))
      return UsageError("--url must not hold quotes, backslashes, parentheses, blanks, control or non-ASCII characters");
    settings.LockURLOn = true;
    settings.LockURL = value("--url");
  }

  // Folders that jobs of ended runs left behind; running jobs, also those
  // of other processes, keep theirs.
  sarvane::app::CleanStaleJobFolders();
  return LockAll(settings, files, jobs) ? 0 : 1;
}
