// The lock job end to end, judged by PDF software we did not write: inputs
// are made by qpdf from a small three-page fixture, outputs are read back with
// qpdf --show-encryption, pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
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

// "Key: value" or "Key = value" lines of qpdf and pdfinfo.
std::string Field(const std::string& text, const std::string& key) {
  size_t pos = 0;
  while ((pos = text.find(key, pos)) != std::string::npos) {
    if (pos == 0 || text[pos - 1] == '\n') {
      size_t start = text.find_first_not_of(" :=", pos + key.size());
      size_t end = text.find('\n', pos);
      if (start == std::string::npos || start > end) return "";
      return text.substr(start, end - start);
    }
    pos += key.size();
  }
  return "<missing " + key + ">";
}

// qpdf takes "--password=P", poppler "-upw P".
std::string PasswordOption(const std::string& flag, const std::string& password) {
  if (password.empty()) return std::string();
  return flag.back() == '=' ? " " + flag + Quote(password) : " " + flag + " " + Quote(password);
}

const char kTitle[] = "鍵のかかった文書 Lock test";

// The inputs, made once for the whole suite.
class LockInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TTempFolder("sarvane-interop");
    dir_ = &folder_->Dir();
    inputs_ = new std::map<std::string, std::string>;
    const std::string fixture = FixturePath("lock_three_pages.pdf");
    struct Make {
      const char* name;
      std::string args;
    };
    // Object streams make a 1.5 file; the encrypted ones are 1.4 (R3) and 1.3 (R2).
    const Make makes[] = {
        {"plain15.pdf", "--object-streams=generate"},
        {"v13.pdf", "--force-version=1.3"},
        {"enc128.pdf", "--allow-weak-crypto --encrypt user0 owner0 128 --print=none --"},
        {"enc40.pdf", "--allow-weak-crypto --encrypt '' owner40 40 --"},
    };
    for (const Make& m : makes) {
      std::string path = *dir_ + m.name;
      TCommandRun r = RunCommand("qpdf " + m.args + " " + Quote(fixture) + " " + Quote(path));
      ASSERT_EQ(r.status, 0) << m.name << ": " << r.out;
      (*inputs_)[m.name] = path;
    }
    TCommandRun text = RunCommand("pdftotext " + Quote(fixture) + " -", TStderr::Discard);
    ASSERT_EQ(text.status, 0);
    text_ = new std::string(text.out);
    ASSERT_NE(text_->find("golf hotel india"), std::string::npos);
  }
  static void TearDownTestSuite() {
    dir_ = nullptr;
    delete folder_;
    folder_ = nullptr;
    delete inputs_;
    delete text_;
  }

  static std::string Input(const std::string& name) { return inputs_->at(name); }

  static TTempFolder* folder_;
  static const std::string* dir_;  // the folder's, with a trailing "/"
  static std::map<std::string, std::string>* inputs_;
  static std::string* text_;
};

TTempFolder* LockInterop::folder_ = nullptr;
const std::string* LockInterop::dir_ = nullptr;
std::map<std::string, std::string>* LockInterop::inputs_ = nullptr;
std::string* LockInterop::text_ = nullptr;

class TQuietHost : public ILockJobHost {
 public:
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowErrorMessage(const std::string& text) override { messages.push_back(text); }
  void ProcessMessages() override {}
  void RefreshOutputList() override {}
  void ReportException(const std::exception& e) override { exceptions.push_back(e.what()); }
  std::vector<std::string> statuses, messages, exceptions;
};

// Sets the seven boxes from letters: P print, M modify, C copy, A annotate,
// D assembly, F fill, X accessibility.
void Deny(TSettings& s, const std::string& boxes) {
  for (char c : boxes) {
    switch (c) {
      case 'P': s.PR = true; break;
      case 'M': s.MD = true; break;
      case 'C': s.CP = true; break;
      case 'A': s.AN = true; break;
      case 'D': s.DA = true; break;
      case 'F': s.FF = true; break;
      case 'X': s.AC = true; break;
    }
  }
}

TEST_F(LockInterop, OutputsAreReadByOtherSoftware) {
  struct Case {
    const char* name;
    const char* input;
    const char* unlock;
    bool security;
    int bits;  // 128 or 40
    const char* owner;
    const char* user;  // nullptr: user password off
    const char* deny;
    // Expected.
    const char* version;
    int r;  // 0: not encrypted
    int p;
    const char* ownerOpens;  // the password qpdf takes as the owner password
    const char* flags;       // pdfinfo's permission summary
    bool checkText;
  };
  const Case cases[] = {
      {"128 bit, user password, all denied", "plain15.pdf", "", true, 128, "own", "usr", "PMCADFX",
       "1.5", 3, -3904, "own", "print:no copy:no change:no addNotes:no", true},
      {"40 bit, no user password", "plain15.pdf", "", true, 40, "own", nullptr, "", "1.5", 2, -4, "own",
       "print:yes copy:yes change:yes addNotes:yes", true},
      {"40 bit, user password, print and copy denied", "plain15.pdf", "", true, 40, "own", "u40", "PC",
       "1.5", 2, -24, "own", "print:no copy:no change:yes addNotes:yes", true},
      // Each box alone: printing also drops the high-resolution bit.
      {"print denied", "plain15.pdf", "", true, 128, "own", nullptr, "P", "1.5", 3, -2056, "own",
       "print:no copy:yes change:yes addNotes:yes", false},
      {"modify denied", "plain15.pdf", "", true, 128, "own", nullptr, "M", "1.5", 3, -12, "own",
       "print:yes copy:yes change:no addNotes:yes", false},
      {"copy denied", "plain15.pdf", "", true, 128, "own", nullptr, "C", "1.5", 3, -20, "own",
       "print:yes copy:no change:yes addNotes:yes", false},
      {"annotate denied", "plain15.pdf", "", true, 128, "own", nullptr, "A", "1.5", 3, -36, "own",
       "print:yes copy:yes change:yes addNotes:no", false},
      {"assembly denied", "plain15.pdf", "", true, 128, "own", nullptr, "D", "1.5", 3, -1028, "own",
       "print:yes copy:yes change:yes addNotes:yes", false},
      {"form fill denied", "plain15.pdf", "", true, 128, "own", nullptr, "F", "1.5", 3, -260, "own",
       "print:yes copy:yes change:yes addNotes:yes", false},
      {"accessibility denied", "plain15.pdf", "", true, 128, "own", nullptr, "X", "1.5", 3, -516, "own",
       "print:yes copy:yes change:yes addNotes:yes", false},
      // An empty owner password: the user password is the owner password too.
      {"owner password empty, user password on", "plain15.pdf", "", true, 128, "", "usr", "", "1.5", 3,
       -4, "usr", "print:yes copy:yes change:yes addNotes:yes", true},
      {"owner and user password empty", "plain15.pdf", "", true, 128, "", nullptr, "M", "1.5", 3, -12, "",
       "print:yes copy:yes change:no addNotes:yes", false},
      {"security off", "plain15.pdf", "", false, 128, "own", "usr", "PMCADFX", "1.5", 0, 0, "", "", true},
      {"1.3 input keeps its version", "v13.pdf", "", true, 128, "own", nullptr, "", "1.3", 3, -4, "own",
       "print:yes copy:yes change:yes addNotes:yes", true},
      // Encrypted inputs opened with their owner password take the new settings.
      {"128-bit input opened as owner", "enc128.pdf", "owner0", true, 40, "new", nullptr, "M", "1.4", 2,
       -12, "new", "print:yes copy:yes change:no addNotes:yes", true},
      {"40-bit input opened as owner", "enc40.pdf", "owner40", true, 128, "o2", "u2", "", "1.4", 3, -4,
       "o2", "print:yes copy:yes change:yes addNotes:yes", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTempHome home;
    const std::string out = home.Dir() + "out/";
    fs::create_directories(out);
    TSettings s = DefaultSettings();
    s.OutPath = out;
    s.Open = c.unlock;
    s.EN = c.security;
    s.BT = c.bits == 40 ? 1 : 0;
    s.Owner = c.owner;
    s.PW = c.user != nullptr;
    s.User = c.user ? c.user : "ignored-while-off";
    Deny(s, c.deny);
    TQuietHost host;
    TLockJob job(host, s);
    ASSERT_TRUE(job.LoadInputFile(Input(c.input)));
    // The work file is the input decrypted.
    EXPECT_EQ(ReadFileBytes(job.WorkFileName()).find("/Encrypt"), std::string::npos);
    ASSERT_TRUE(job.CreatePress()) << (host.exceptions.empty() ? "" : host.exceptions[0]);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(job.WorkFileName().empty());
    EXPECT_TRUE(FolderEntries(WorkFolder()).empty());
    const std::string output = out + c.input;
    ASSERT_TRUE(FileExists(output));
    EXPECT_EQ(ReadFileBytes(output).substr(0, 8), std::string("%PDF-") + c.version);

    const std::string user = c.user && c.security ? c.user : "";
    TCommandRun enc =
        RunCommand("qpdf --show-encryption" + PasswordOption("--password=", c.ownerOpens) + " " + Quote(output));
    if (c.r == 0) {
      EXPECT_NE(enc.out.find("File is not encrypted"), std::string::npos) << enc.out;
    } else {
      EXPECT_EQ(Field(enc.out, "R"), std::to_string(c.r)) << enc.out;
      EXPECT_EQ(Field(enc.out, "P"), std::to_string(c.p)) << enc.out;
      EXPECT_NE(enc.out.find("Supplied password is owner password"), std::string::npos) << enc.out;
      EXPECT_EQ(Field(enc.out, "User password"), user) << enc.out;
    }
    if (!user.empty()) {
      // qpdf exits 0 when the file cannot be opened without a password.
      EXPECT_EQ(RunCommand("qpdf --requires-password " + Quote(output)).status, 0);
    }

    // Poppler opens it with the user password alone.
    TCommandRun info = RunCommand("pdfinfo" + PasswordOption("-upw", user) + " " + Quote(output));
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_EQ(Field(info.out, "Pages"), "3") << info.out;
    EXPECT_EQ(Field(info.out, "Title"), kTitle) << info.out;
    EXPECT_EQ(Field(info.out, "Author"), "Sarvane tests") << info.out;
    if (c.r == 0) {
      EXPECT_EQ(Field(info.out, "Encrypted"), "no") << info.out;
    } else {
      EXPECT_EQ(Field(info.out, "Encrypted"), std::string("yes (") + c.flags + " algorithm:RC4)") << info.out;
    }
    if (c.checkText) {
      TCommandRun text =
          RunCommand("pdftotext" + PasswordOption("-upw", user) + " " + Quote(output) + " -", TStderr::Discard);
      EXPECT_EQ(text.status, 0);
      EXPECT_EQ(text.out, *text_);
    }
  }
}

TEST_F(LockInterop, InputsThatDoNotOpenAsOwnerAreRefused) {
  struct Case {
    const char* name;
    const char* input;
    const char* unlock;
    const char* message;
    int flag;
  };
  const Case cases[] = {
      {"user password of a 128-bit file", "enc128.pdf", "user0", kSUserRightsOnly, fUserRights},
      {"wrong password", "enc128.pdf", "nope", kSWrongPassword, fFailed},
      // Its user password is empty: an empty unlock password opens it as user only.
      {"empty unlock password, empty user password", "enc40.pdf", "", kSUserRightsOnly, fUserRights},
      {"wrong password of a 40-bit file", "enc40.pdf", "owner0", kSWrongPassword, fFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTempHome home;
    const std::string out = home.Dir() + "out/";
    fs::create_directories(out);
    TSettings s = DefaultSettings();
    s.OutPath = out;
    s.EN = true;
    s.Open = c.unlock;
    TQuietHost host;
    TLockJob job(host, s);
    EXPECT_FALSE(job.LoadInputFile(Input(c.input)));
    EXPECT_EQ(job.FailureFlag(), c.flag);
    EXPECT_EQ(host.messages, std::vector<std::string>{c.message});
    const std::string name = c.input;
    EXPECT_EQ(host.statuses, (std::vector<std::string>{name + kSProcessStart, name + kSReadError}));
    EXPECT_TRUE(job.WorkFileName().empty());
    EXPECT_TRUE(FolderEntries(WorkFolder()).empty());
    EXPECT_FALSE(job.CreatePress());
    EXPECT_EQ(host.statuses.back(), name + kSJobFailed);
    EXPECT_TRUE(FolderEntries(out).empty());
    EXPECT_TRUE(host.exceptions.empty());
  }
}

TEST_F(LockInterop, EncryptedInputsSelectedOneAfterTheOtherBothLoad) {
  TTempHome home;
  TSettings s = DefaultSettings();
  s.Open = "owner0";
  TQuietHost host;
  TLockJob job(host, s);
  // The unlock password is offered afresh for each load.
  EXPECT_TRUE(job.LoadInputFile(Input("enc128.pdf")));
  EXPECT_TRUE(job.LoadInputFile(Input("enc128.pdf")));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.statuses.back(), "enc128.pdf" + std::string(kSReadDone));
}

TEST_F(LockInterop, CommandLineLocksEachFileInTurn) {
  const std::string cli = CliPath();
  ASSERT_TRUE(FileExists(cli)) << cli;
  TTempHome home;  // the child inherits SARVANE_HOME
  const std::string out = home.Dir() + "out";
  fs::create_directories(out);

  TCommandRun help = RunCommand(Quote(cli) + " lock --help", TStderr::Discard);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--deny LIST"), std::string::npos);
  EXPECT_EQ(RunCommand(Quote(cli) + " lock --level 56 x.pdf").status, 1);
  EXPECT_EQ(RunCommand(Quote(cli) + " lock --deny print,scan x.pdf").status, 1);
  // One vocabulary with rewrite; the lock job withholds highres only with print.
  TCommandRun highres = RunCommand(Quote(cli) + " lock --deny highres x.pdf");
  EXPECT_EQ(highres.status, 1);
  EXPECT_NE(highres.out.find("only together with print"), std::string::npos) << highres.out;
  EXPECT_EQ(RunCommand(Quote(cli) + " lock").status, 1);

  // A good file and one whose unlock password is wrong: both run, exit 1.
  TCommandRun both =
      RunCommand(Quote(cli) + " lock --level 40 --deny print,copy --owner o --user u --unlock nope --out " +
                 Quote(out) + " " + Quote(Input("v13.pdf")) + " " + Quote(Input("enc128.pdf")));
  EXPECT_EQ(both.status, 1) << both.out;
  EXPECT_EQ(Lines(both.out),
            (std::vector<std::string>{"v13.pdfの処理開始", "v13.pdfの読み込み完了", "v13.pdfの書き込み開始",
                                      "v13.pdfの処理完了", "enc128.pdfの処理開始", "パスワードが違います",
                                      "enc128.pdfの読み込みエラー", "enc128.pdfの処理異常"}));
  const std::string output = out + "/v13.pdf";
  EXPECT_EQ(ReadFileBytes(output).substr(0, 8), "%PDF-1.3");
  TCommandRun enc = RunCommand("qpdf --show-encryption --password=o " + Quote(output));
  EXPECT_EQ(Field(enc.out, "R"), "2") << enc.out;
  EXPECT_EQ(Field(enc.out, "P"), "-24") << enc.out;
  EXPECT_EQ(Field(enc.out, "User password"), "u") << enc.out;
  EXPECT_FALSE(FileExists(out + "/enc128.pdf"));

  // Settings from a file; the existing output is replaced, unencrypted now.
  TSettings file = DefaultSettings();
  file.OutPath = out + "/";
  file.Open = "owner0";
  const std::string ini = home.Dir() + "job.ini";
  WriteSettings(ini, file);
  TCommandRun again = RunCommand(Quote(cli) + " lock --no-security --settings " + Quote(ini) + " " +
                                 Quote(Input("v13.pdf")) + " " + Quote(Input("enc128.pdf")));
  EXPECT_EQ(again.status, 0) << again.out;
  EXPECT_EQ(ReadFileBytes(output).find("/Encrypt"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(out + "/enc128.pdf").find("/Encrypt"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(out + "/enc128.pdf").substr(0, 8), "%PDF-1.4");

  // Without --out (and --settings) the copy goes to the current folder.
  const std::string here = home.Dir() + "here";
  fs::create_directories(here);
  TCommandRun inPlace =
      RunCommand("cd " + Quote(here) + " && " + Quote(cli) + " lock --owner o " + Quote(Input("v13.pdf")));
  EXPECT_EQ(inPlace.status, 0) << inPlace.out;
  EXPECT_NE(ReadFileBytes(here + "/v13.pdf").find("/Encrypt"), std::string::npos);

  // Two inputs of one name would write one output: the later is refused.
  const std::string twin = home.Dir() + "twin";
  fs::create_directories(twin);
  fs::copy_file(Input("v13.pdf"), twin + "/v13.pdf");
  fs::remove(out + "/v13.pdf");
  TCommandRun twins = RunCommand(Quote(cli) + " lock --owner o --out " + Quote(out) + " " + Quote(Input("v13.pdf")) +
                                 " " + Quote(twin + "/v13.pdf"));
  EXPECT_EQ(twins.status, 1) << twins.out;
  EXPECT_EQ(Lines(twins.out).back(),
            "sarvane-cli: " + twin + "/v13.pdf: refused, an earlier input of this run has the same file name");
  EXPECT_TRUE(FileExists(out + "/v13.pdf"));

  // A failed copy says why after its status: the path and the system's text.
  const std::string missing = home.Dir() + "missing";
  TCommandRun failed =
      RunCommand(Quote(cli) + " lock --owner o --out " + Quote(missing) + " " + Quote(Input("v13.pdf")));
  EXPECT_EQ(failed.status, 1) << failed.out;
  const std::vector<std::string> lines = Lines(failed.out);
  ASSERT_GE(lines.size(), 2u) << failed.out;
  EXPECT_EQ(lines[lines.size() - 2], "v13.pdfの処理異常");
  EXPECT_EQ(lines.back(), missing + "/v13.pdf に書き込めません (No such file or directory)");
}

}  // namespace
}  // namespace sarvane::app
