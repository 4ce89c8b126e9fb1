// Lock jobs running at the same time with one application home: separate
// sarvane-cli processes, a job in this process beside them, and many files
// in one sarvane-cli run (--jobs). Every reported success must be true: the
// output opens with its passwords and holds its own input's pages and text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/AppFiles.h"
#include "app/AppResStrings.h"
#include "app/AppTestSupport.h"
#include "app/LockJob.h"
#include "platform/Paths.h"
#include "tests/InteropSupport.h"

namespace sarvane::app {
namespace {

using namespace sarvane::app::testing;
using namespace sarvane::interop;
namespace fs = std::filesystem;

struct TInput {
  std::string name;   // file name in the inputs folder
  std::string pages;  // qpdf page selection from the three-page fixture
  std::string path;
  std::string text;   // what pdftotext reads from it
  std::string pageCount;
};

// Inputs that differ in their pages, and so in page count and text; the
// last is encrypted (owner password "x7") and needs --unlock.
class ParallelLock : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TTempFolder("sarvane-parallel");
    inputs_ = new std::vector<TInput>;
    const std::pair<const char*, const char*> inputs[] = {
        {"p0.pdf", "1"}, {"p1.pdf", "1-2"}, {"p2.pdf", "1-3"}, {"p3.pdf", "3,2,1"}, {"p4.pdf", "2"},
        {"p5.pdf", "1,3"}, {"p6.pdf", "1-3,1"}, {"p7.pdf", "3"}, {"window.pdf", "2-3"}};
    const std::string fixture = FixturePath("lock_three_pages.pdf");
    for (auto [name, pages] : inputs) {
      TInput& in = inputs_->emplace_back();
      in.name = name;
      in.pages = pages;
      in.path = folder_->Dir() + in.name;
      std::string encrypt = in.name == "p7.pdf" ? " --allow-weak-crypto --encrypt '' x7 128 --use-aes=n --" : "";
      TCommandRun made = RunCommand("qpdf --empty --pages " + Quote(fixture) + " " + in.pages + " --" + encrypt +
                                    " " + Quote(in.path));
      ASSERT_EQ(made.status, 0) << in.name << ": " << made.out;
      in.text = RunCommand("pdftotext " + Quote(in.path) + " -", TStderr::Discard).out;
      in.pageCount = RunCommand("qpdf --show-npages " + Quote(in.path), TStderr::Discard).out;
    }
  }
  static void TearDownTestSuite() {
    delete inputs_;
    delete folder_;
  }

  static const TInput& Input(size_t i) { return (*inputs_)[i]; }

  // The locked copy opens as owner and as user, holds the input's pages
  // and text, and is encrypted with the user password.
  static void ExpectLocked(const std::string& output, const TInput& in, const std::string& owner,
                           const std::string& user) {
    SCOPED_TRACE(output);
    TCommandRun enc = RunCommand("qpdf --show-encryption --password=" + Quote(owner) + " " + Quote(output));
    EXPECT_NE(enc.out.find("Supplied password is owner password"), std::string::npos) << enc.out;
    EXPECT_NE(enc.out.find("User password = " + user + "\n"), std::string::npos) << enc.out;
    EXPECT_EQ(RunCommand("qpdf --requires-password " + Quote(output)).status, 0);
    EXPECT_EQ(RunCommand("qpdf --check --password=" + Quote(user) + " " + Quote(output)).status, 0);
    EXPECT_EQ(RunCommand("qpdf --show-npages --password=" + Quote(user) + " " + Quote(output), TStderr::Discard).out,
              in.pageCount);
    EXPECT_EQ(RunCommand("pdftotext -upw " + Quote(user) + " " + Quote(output) + " -", TStderr::Discard).out,
              in.text);
  }

  static std::vector<std::string> GoodLines(const std::string& name) {
    return {name + kSProcessStart, name + kSReadDone, name + kSWriteStart, name + kSJobDone};
  }

  static TTempFolder* folder_;
  static std::vector<TInput>* inputs_;
};

TTempFolder* ParallelLock::folder_ = nullptr;
std::vector<TInput>* ParallelLock::inputs_ = nullptr;

class TQuietHost : public ILockJobHost {
 public:
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowErrorMessage(const std::string& text) override { messages.push_back(text); }
  void ProcessMessages() override {}
  void RefreshOutputList() override {}
  void ReportException(const std::exception& e) override { exceptions.push_back(e.what()); }
  std::vector<std::string> statuses, messages, exceptions;
};

TEST_F(ParallelLock, EightProcessesAndAWindowJobAtOnceEachLockTheirOwnFile) {
  TTempHome home;  // one application home for all; the children inherit it
  const std::string out = home.Dir() + "out";
  fs::create_directories(out);
  const std::string logs = home.Dir() + "logs/";
  fs::create_directories(logs);

  constexpr size_t kProcesses = 8;
  std::string script;
  for (size_t i = 0; i < kProcesses; ++i) {
    const std::string n = std::to_string(i);
    script += "(" + Quote(CliPath()) + " lock --jobs 1 --unlock x7 --owner o" + n + " --user u" + n + " --out " +
              Quote(out) + " " + Quote(Input(i).path) + " >" + logs + n + ".log 2>&1; echo $? >" + logs + n +
              ".rc) & ";
  }
  script += "wait";
  std::thread processes([&] { RunCommand(script); });

  // The window's job, in this process, meanwhile.
  TSettings s = DefaultSettings();
  s.OutPath = out + "/";
  s.EN = true;
  s.Owner = "ow";
  s.PW = true;
  s.User = "uw";
  TQuietHost host;
  TLockJob job(host, s);
  const TInput& window = Input(kProcesses);
  bool windowOk = job.LoadInputFile(window.path) && job.CreatePress();
  processes.join();

  EXPECT_TRUE(windowOk) << (host.exceptions.empty() ? "" : host.exceptions[0]);
  EXPECT_TRUE(host.messages.empty());
  ExpectLocked(out + "/" + window.name, window, "ow", "uw");
  for (size_t i = 0; i < kProcesses; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(ReadFile(logs + n + ".rc"), "0\n") << i;
    EXPECT_EQ(Lines(ReadFile(logs + n + ".log")), GoodLines(Input(i).name)) << i;
    ExpectLocked(out + "/" + Input(i).name, Input(i), "o" + n, "u" + n);
  }
  // Every job succeeded, so none left its folder behind.
  EXPECT_TRUE(FolderEntries(WorkFolder()).empty());
}

TEST_F(ParallelLock, JobsOptionLocksManyFilesInOneRun) {
  const std::vector<std::string> badLines = {"p7.pdf" + std::string(kSProcessStart), kSWrongPassword,
                                             "p7.pdf" + std::string(kSReadError), "p7.pdf" + std::string(kSJobFailed)};
  struct Case {
    const char* name;
    const char* jobs;  // empty: the default
    std::vector<size_t> inputs;
    int status;
  };
  const Case cases[] = {
      {"one at a time", "1", {0, 1, 2, 3}, 0},
      {"two at a time", "2", {0, 1, 2, 3, 4, 5}, 0},
      {"more jobs than files", "16", {2, 6, 4}, 0},
      {"as many as processors", "", {3, 5, 1}, 0},
      // p7 needs an unlock password that is not given: it fails, the rest lock.
      {"a failing file among good ones", "2", {0, 7, 1, 2}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTempHome home;
    const std::string out = home.Dir() + "out";
    fs::create_directories(out);
    std::string command = Quote(CliPath()) + " lock --unlock nope --owner own --user usr --out " + Quote(out);
    if (*c.jobs) command += std::string(" --jobs ") + c.jobs;
    std::vector<std::string> expected;
    for (size_t i : c.inputs) {
      command += " " + Quote(Input(i).path);
      const std::vector<std::string> lines = i == 7 ? badLines : GoodLines(Input(i).name);
      expected.insert(expected.end(), lines.begin(), lines.end());
    }
    TCommandRun run = RunCommand(command);
    EXPECT_EQ(run.status, c.status) << run.out;
    // Each file's lines whole, the files in the order given.
    EXPECT_EQ(Lines(run.out), expected);
    for (size_t i : c.inputs) {
      if (i == 7) {
        EXPECT_FALSE(FileExists(out + "/p7.pdf"));
        continue;
      }
      ExpectLocked(out + "/" + Input(i).name, Input(i), "own", "usr");
    }
  }

  for (const char* jobs : {"0", "-1", "two", "257", ""}) {
    TCommandRun bad = RunCommand(Quote(CliPath()) + " lock --owner o --jobs=" + jobs + " " + Quote(Input(0).path));
    EXPECT_EQ(bad.status, 1) << jobs;
    EXPECT_NE(bad.out.find("--jobs must be a number from 1 to 256"), std::string::npos) << bad.out;
  }
}

}  // namespace
}  // namespace sarvane::app
