#include "app/LockJob.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/AppFiles.h"
#include "app/AppTestSupport.h"
#include "pdf/objects/zkObjectPool.h"
#include "platform/Exception.h"
#include "platform/Paths.h"

namespace sarvane::app {
namespace {

using namespace sarvane::app::testing;
using sarvane::pdf::TzkUserPermissions;
namespace fs = std::filesystem;

// Everything the job shows, in order.
class TRecordingHost : public ILockJobHost {
 public:
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowErrorMessage(const std::string& text) override { messages.push_back(text); }
  void ProcessMessages() override { ++repaints; }
  void RefreshOutputList() override { ++refreshes; }
  void ReportException(const std::exception& e) override { exceptions.push_back(e.what()); }

  std::vector<std::string> statuses, messages, exceptions;
  int repaints = 0, refreshes = 0;
};

std::string FixturePath() { return std::string(SARVANE_TEST_SOURCE_DIR) + "/tests/fixtures/lock_three_pages.pdf"; }

TEST(LockJobPermissions, EachCheckedBoxRemovesItsPermissions) {
  using namespace sarvane::pdf;
  struct Case {
    const char* name;
    bool TSettings::*box;  // nullptr: no box checked
    uint8_t expected;
  };
  const Case cases[] = {
      {"none", nullptr, 0xFF},
      // print takes high-resolution print with it: bits 2 and 7.
      {"PR", &TSettings::PR, 0x7B},
      {"MD", &TSettings::MD, 0xFD},
      {"CP", &TSettings::CP, 0xFE},
      {"AN", &TSettings::AN, 0xF7},
      {"DA", &TSettings::DA, 0xBF},
      {"FF", &TSettings::FF, 0xEF},
      {"AC", &TSettings::AC, 0xDF},
  };
  for (const Case& c : cases) {
    TSettings s;
    if (c.box) s.*(c.box) = true;
    EXPECT_EQ(PermissionsFromSettings(s).Byte(), c.expected) << c.name;
  }
  TSettings all;
  all.PR = all.MD = all.CP = all.AN = all.DA = all.FF = all.AC = true;
  EXPECT_TRUE(PermissionsFromSettings(all).Empty());
  // Print alone lacks exactly the two print permissions.
  TSettings print;
  print.PR = true;
  EXPECT_EQ(PermissionsFromSettings(print), TzkUserPermissions::All() - AllowPrint - AllowHighResPrint);
}

// Runs the byte procedure over in-memory files.
std::string Restore(const std::string& input, const std::string& version, bool* ok = nullptr) {
  std::FILE* source = tmpfile();
  std::FILE* target = tmpfile();
  std::fwrite(input.data(), 1, input.size(), source);
  std::rewind(source);
  bool result = RestoreHeaderBytes(source, target, version);
  if (ok) *ok = result;
  std::rewind(target);
  std::string out;
  for (int c; (c = std::fgetc(target)) != EOF;) out.push_back(char(c));
  std::fclose(source);
  std::fclose(target);
  return out;
}

TEST(LockJobHeaderVersion, RewritesOnlyTheVersionAfterTheFirstPercent) {
  const std::string body(5000, 'x');  // more than two 2048-byte blocks
  struct Case {
    const char* name;
    std::string input, version, expected;
  };
  const Case cases[] = {
      {"library header", "%PDF-1.4\r\n%\xE2\xE3\xCF\xD3\r\n" + body, "1.3",
       "%PDF-1.3\r\n%\xE2\xE3\xCF\xD3\r\n" + body},
      {"lower-case pdf", "%pdf-1.4 rest", "1.7", "%pdf-1.7 rest"},
      {"mixed case", "%PdF-1.4", "1.0", "%PdF-1.0"},
      {"bytes before the percent", "junk%PDF-1.4tail", "1.2", "junk%PDF-1.2tail"},
      {"dash must be a dash", "%PDF_1.4", "1.3", "%PDF_1.4"},
      {"other comment first", "%abcd%PDF-1.4", "1.3", "%abcd%PDF-1.4"},
      {"no percent at all", "plain text", "1.3", "plain text"},
      {"empty", "", "1.3", ""},
      {"fewer than four after percent", "%PD", "1.3", "%PD"},
      {"fewer than three version bytes", "%PDF-1.", "1.3", "%PDF-1."},
      {"exactly the header", "%PDF-1.4", "1.5", "%PDF-1.5"},
      {"only the first header", "%PDF-1.4 %PDF-1.4", "1.6", "%PDF-1.6 %PDF-1.4"},
  };
  for (const Case& c : cases) {
    bool ok = false;
    EXPECT_EQ(Restore(c.input, c.version, &ok), c.expected) << c.name;
    EXPECT_TRUE(ok) << c.name;
  }
}

TEST(LockJobHeaderVersion, ReadAndWriteErrorsAreFailures) {
  // A write that cannot land: /dev/full refuses every byte.
  std::FILE* source = tmpfile();
  std::string data = "%PDF-1.4\r\n" + std::string(100000, 'y');
  std::fwrite(data.data(), 1, data.size(), source);
  std::rewind(source);
  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  EXPECT_FALSE(RestoreHeaderBytes(source, full, "1.3"));
  std::fclose(full);
  std::fclose(source);

  // A read that fails: a folder opened as a file reads with EISDIR.
  TTempHome home;
  std::FILE* folder = std::fopen(home.Dir().c_str(), "rb");
  ASSERT_NE(folder, nullptr);
  std::FILE* target = tmpfile();
  EXPECT_FALSE(RestoreHeaderBytes(folder, target, "1.3"));
  std::fclose(folder);
  std::fclose(target);
}

TEST(LockJobHeaderVersion, VersionTexts) {
  using namespace sarvane::pdf::doc;
  EXPECT_EQ(VersionText(pvPDF10), "1.0");
  EXPECT_EQ(VersionText(pvPDF13), "1.3");
  EXPECT_EQ(VersionText(pvPDF17), "1.7");
}

TEST(LockJobCopy, ReplacesTheTargetWholeOrNotAtAll) {
  TTempHome home;
  const std::string out = home.Dir() + "out/";
  fs::create_directories(out);
  const std::string source = home.Dir() + "source.pdf";
  const std::string target = out + "x.pdf";
  const std::string big(200000, 'n');
  WriteFileBytes(source, big);
  WriteFileBytes(target, "earlier good copy");

  // A copy that cannot be finished: the file size limit stops the write
  // half way (the signal it raises is ignored, so write() fails instead).
  struct rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 50000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok = CopyFileReplacing(source, target);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadFileBytes(target), "earlier good copy");
  EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"x.pdf"});

  // A missing source changes nothing either.
  EXPECT_FALSE(CopyFileReplacing(home.Dir() + "missing.pdf", target));
  EXPECT_EQ(ReadFileBytes(target), "earlier good copy");
  EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"x.pdf"});

  // A good copy replaces the file, with a new file's mode rather than the
  // temporary file's 0600.
  mode_t mask = umask(022);
  ok = CopyFileReplacing(source, target);
  umask(mask);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ReadFileBytes(target), big);
  EXPECT_EQ(ModeOf(target), 0644u);
  EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"x.pdf"});
}

TEST(LockJobPassword, OffersTheUnlockPasswordOnceThenGivesUp) {
  TTempHome home;
  TRecordingHost host;
  TSettings settings = DefaultSettings();
  settings.Open = "secret";
  TLockJob job(host, settings);
  struct Step {
    bool offeredAfter;
    bool continueAfter;
    int failureAfter;
  };
  // First request: offer; second: give up with a failure; a third request
  // (the next load) offers again.
  const Step steps[] = {{true, true, fNone}, {false, false, fFailed}, {true, true, fFailed}};
  std::string password;
  int tries = 0;
  for (const Step& s : steps) {
    bool cont = true;
    job.PDFDocPassword(&job.PDFDoc(), password, cont, tries++);
    EXPECT_EQ(password, "secret") << tries;
    EXPECT_EQ(job.PasswordOffered(), s.offeredAfter) << tries;
    EXPECT_EQ(cont, s.continueAfter) << tries;
    EXPECT_EQ(job.FailureFlag(), s.failureAfter) << tries;
  }
}

class LockJobRun : public ::testing::Test {
 protected:
  void SetUp() override {
    settings = DefaultSettings();
    settings.EN = true;
    settings.Owner = "owner";
    out = home.Dir() + "out";
    fs::create_directories(out);
    settings.OutPath = out + "/";
    in = home.Dir() + "in/";
    fs::create_directories(in);
    input = in + "doc.pdf";
    fs::copy_file(FixturePath(), input);
  }

  TTempHome home;
  TRecordingHost host;
  TSettings settings;
  std::string out, in, input;
};

TEST_F(LockJobRun, SelectionWritesAPrivateWorkFile) {
  TLockJob job(host, settings);
  EXPECT_TRUE(job.LoadInputFile(input));
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"doc.pdfの処理開始", "doc.pdfの読み込み完了"}));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(job.FailureFlag(), fNone);
  EXPECT_EQ(job.RecordedVersion(), sarvane::pdf::doc::pvPDF14);
  EXPECT_EQ(job.CurrentInput(), input);
  EXPECT_EQ(job.InputPageCount(), 3);
  // input.pdf in a folder of this job's own inside temp/.
  const std::string work = job.WorkFileName();
  ASSERT_TRUE(FileExists(work));
  EXPECT_EQ(ExtractFileName(work), "input.pdf");
  const std::string folder = ExtractFileDir(work);
  EXPECT_EQ(ExtractFileDir(folder) + "/", WorkFolder());
  EXPECT_EQ(ModeOf(work), 0600u);
  EXPECT_EQ(ModeOf(folder), 0700u);
  EXPECT_EQ(ModeOf(home.Dir() + "temp"), 0700u);
  EXPECT_EQ(ReadFileBytes(work).substr(0, 5), "%PDF-");
  // A second job object never shares it.
  TRecordingHost otherHost;
  TLockJob other(otherHost, settings);
  ASSERT_TRUE(other.LoadInputFile(input));
  EXPECT_NE(ExtractFileDir(other.WorkFileName()), folder);
  EXPECT_EQ(FolderEntries(WorkFolder()).size(), 2u);
}

TEST_F(LockJobRun, SuccessfulJobCopiesOutAndRemovesTheWorkFile) {
  // The output folder comes without its trailing delimiter.
  settings.OutPath = out;
  WriteFileBytes(out + "/doc.pdf", "an older copy");
  TLockJob job(host, settings);
  ASSERT_TRUE(job.LoadInputFile(input));
  EXPECT_TRUE(job.CreatePress());
  EXPECT_EQ(host.statuses, (std::vector<std::string>{"doc.pdfの処理開始", "doc.pdfの読み込み完了",
                                                     "doc.pdfの書き込み開始", "doc.pdfの処理完了",
                                                     "doc.pdfの処理完了"}));
  EXPECT_TRUE(host.exceptions.empty());
  EXPECT_EQ(host.refreshes, 1);
  EXPECT_EQ(ReadFileBytes(out + "/doc.pdf").substr(0, 8), "%PDF-1.4");
  // The job's folder went with its work file.
  EXPECT_TRUE(job.WorkFileName().empty());
  EXPECT_TRUE(FolderEntries(WorkFolder()).empty());
  EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"doc.pdf"});
  EXPECT_TRUE(job.CurrentInput().empty());
  EXPECT_FALSE(job.PasswordOffered());
  // The work file was used up: pressing again on the same input is refused.
  host.statuses.clear();
  EXPECT_FALSE(job.CreatePress(input));
  EXPECT_EQ(host.statuses, std::vector<std::string>{"doc.pdfの処理異常"});
}

// PDF objects live in the object model's own pool, out of the leak
// checker's sight: a whole job, with encryption and information texts, must
// give every object back once the job and its document are gone.
TEST_F(LockJobRun, AJobGivesEveryObjectBack) {
  const size_t before = sarvane::pdf::LiveObjectSlots();
  {
    settings.PW = true;
    settings.User = "user";
    TLockJob job(host, settings);
    ASSERT_TRUE(job.LoadInputFile(input));
    ASSERT_TRUE(job.CreatePress());
  }
  EXPECT_EQ(sarvane::pdf::LiveObjectSlots(), before);
}

TEST_F(LockJobRun, RefusedJobsWriteNothing) {
  const std::string original = ReadFileBytes(input);
  struct Case {
    const char* name;
    // Prepares the job and returns the input to press create on.
    std::function<std::string(TLockJob&)> prepare;
    std::string outFolder;
    std::string reason = {};  // a part of the reason shown after the status
  };
  const std::string garbage = in + "garbage.pdf";
  WriteFileBytes(garbage, "this is no PDF file at all");
  const Case cases[] = {
      {"no selection", [&](TLockJob&) { return input; }, out + "/"},
      {"failed selection after a good one",
       [&](TLockJob& job) {
         EXPECT_TRUE(job.LoadInputFile(input));
         EXPECT_FALSE(job.LoadInputFile(garbage));
         EXPECT_TRUE(job.WorkFileName().empty());
         EXPECT_TRUE(FolderEntries(WorkFolder()).empty());
         return garbage;
       },
       out + "/"},
      {"selection of another input",
       [&](TLockJob& job) {
         EXPECT_TRUE(job.LoadInputFile(input));
         return garbage;
       },
       out + "/"},
      {"output folder is the input's folder",
       [&](TLockJob& job) {
         EXPECT_TRUE(job.LoadInputFile(input));
         return input;
       },
       in, "は入力ファイルそのものです"},
      {"output folder is the input's folder by another path",
       [&](TLockJob& job) {
         EXPECT_TRUE(job.LoadInputFile(input));
         return input;
       },
       out + "/../in", "は入力ファイルそのものです"},
      {"output folder is the work folder",
       [&](TLockJob& job) {
         const std::string named = in + "input.pdf";
         fs::copy_file(input, named, fs::copy_options::overwrite_existing);
         EXPECT_TRUE(job.LoadInputFile(named));
         return named;
       },
       WorkFolder(), "は作業フォルダの中にあります"},
  };
  for (const Case& c : cases) {
    TRecordingHost h;
    TSettings s = settings;
    s.OutPath = c.outFolder;
    TLockJob job(h, s);
    std::string pressed = c.prepare(job);
    h.statuses.clear();
    EXPECT_FALSE(job.CreatePress(pressed)) << c.name;
    EXPECT_EQ(job.FailureFlag(), fFailed) << c.name;
    EXPECT_EQ(h.statuses, std::vector<std::string>{ExtractFileName(pressed) + "の処理異常"}) << c.name;
    if (c.reason.empty()) {
      EXPECT_TRUE(h.messages.empty()) << c.name;
    } else {
      ASSERT_EQ(h.messages.size(), 1u) << c.name;
      EXPECT_NE(h.messages[0].find(c.reason), std::string::npos) << c.name << ": " << h.messages[0];
      EXPECT_EQ(job.FailureReason(), h.messages[0]) << c.name;
    }
    EXPECT_TRUE(FolderEntries(out).empty()) << c.name;
    EXPECT_EQ(ReadFileBytes(input), original) << c.name;
    EXPECT_EQ(h.refreshes, 0) << c.name;
  }
}

// A name of the longest length a file name may have locks like any other:
// nothing the job writes lengthens it.
TEST_F(LockJobRun, ALongestFileNameLocks) {
  const std::string name = std::string(251, 'n') + ".pdf";
  fs::copy_file(input, in + name);
  TLockJob job(host, settings);
  ASSERT_TRUE(job.LoadInputFile(in + name));
  EXPECT_TRUE(job.CreatePress()) << (host.messages.empty() ? "" : host.messages[0]);
  EXPECT_TRUE(FileExists(out + "/" + name));
  EXPECT_EQ(FolderEntries(out), std::vector<std::string>{name});
}

TEST_F(LockJobRun, FailedCopyKeepsTheWorkFile) {
  settings.OutPath = home.Dir() + "no-such-folder/";
  TLockJob job(host, settings);
  ASSERT_TRUE(job.LoadInputFile(input));
  EXPECT_FALSE(job.CreatePress());
  EXPECT_EQ(host.statuses.back(), "doc.pdfの処理異常");
  EXPECT_EQ(job.FailureFlag(), fFailed);
  // The reason follows the status: the path and the system's error text.
  EXPECT_EQ(host.messages, std::vector<std::string>{Format(kSCannotWriteFileBecause,
                                                           home.Dir() + "no-such-folder/doc.pdf",
                                                           "No such file or directory")});
  const std::string work = job.WorkFileName();
  EXPECT_TRUE(FileExists(work));
  EXPECT_EQ(host.refreshes, 0);
  EXPECT_FALSE(DirectoryExists(home.Dir() + "no-such-folder"));
  // The failed job's folder outlives the job object, for a later start to
  // clean up; the next selection of the same object replaces it at once.
  {
    TRecordingHost h;
    TLockJob failed(h, settings);
    ASSERT_TRUE(failed.LoadInputFile(input));
    EXPECT_FALSE(failed.CreatePress());
    const std::string kept = failed.WorkFileName();
    ASSERT_TRUE(FileExists(kept));
  }
  EXPECT_EQ(FolderEntries(WorkFolder()).size(), 2u);
  ASSERT_TRUE(job.LoadInputFile(input));
  EXPECT_FALSE(FileExists(work));
  EXPECT_EQ(FolderEntries(WorkFolder()).size(), 2u);
}

// A copy in the output folder that is not what the job wrote is refused
// before it takes the output's name: the earlier file stays, the reason is
// shown, and the job's files are kept. Each fault keeps the size unless
// size is the point, so that the check meant is the one that catches it.
TEST_F(LockJobRun, AWrongCopyIsRefusedAndTheEarlierFileStays) {
  auto flipAfter = [](std::string& bytes, const std::string& mark, size_t skip) {
    size_t at = bytes.rfind(mark);
    ASSERT_NE(at, std::string::npos) << mark;
    char& c = bytes[at + mark.size() + skip];
    c = c == '0' ? '1' : '0';
  };
  struct Case {
    const char* name;
    std::function<void(std::string& bytes)> damage;
    std::function<std::string(const TWrittenOutput& written)> reason;
  };
  const Case cases[] = {
      {"truncated", [](std::string& b) { b.resize(b.size() / 2); },
       [](const TWrittenOutput& w) { return Format(kSCheckSize, w.Size / 2, w.Size); }},
      {"emptied", [](std::string& b) { b.clear(); },
       [](const TWrittenOutput& w) { return Format(kSCheckSize, 0, w.Size); }},
      // The trailer no longer names the encryption dictionary.
      {"unencrypted", [](std::string& b) { b.replace(b.rfind("/Encrypt"), 8, "/Encrypx"); },
       [](const TWrittenOutput&) { return Format(kSCheckNotEncrypted); }},
      {"wrong page count",
       [](std::string& b) {
         size_t at = b.find("/Count 3");
         ASSERT_NE(at, std::string::npos);
         ASSERT_EQ(b.find("/Count 3", at + 1), std::string::npos);
         b[at + 7] = '2';
       },
       [](const TWrittenOutput&) { return Format(kSCheckPageCount, 2, 3); }},
      // Another file identifier: not the file this job wrote.
      {"other identifier", [&](std::string& b) { flipAfter(b, "/ID", 2); },
       [](const TWrittenOutput&) { return Format(kSCheckTrailer); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(out + "/doc.pdf", "an older copy");
    TRecordingHost h;
    TLockJob job(h, settings);
    job.OnOutputCopied = [&](const std::string& copy) {
      std::string bytes = ReadFileBytes(copy);
      c.damage(bytes);
      WriteFileBytes(copy, bytes);
    };
    ASSERT_TRUE(job.LoadInputFile(input));
    EXPECT_FALSE(job.CreatePress());
    EXPECT_EQ(h.statuses.back(), "doc.pdfの処理異常");
    EXPECT_EQ(h.messages, std::vector<std::string>{Format(kSOutputCheckFailed, job.OutputFileName(input),
                                                          c.reason(job.WrittenOutput()))});
    EXPECT_EQ(ReadFileBytes(out + "/doc.pdf"), "an older copy");
    EXPECT_EQ(FolderEntries(out), std::vector<std::string>{"doc.pdf"});
    EXPECT_TRUE(FileExists(job.WorkFileName()));
    EXPECT_EQ(h.refreshes, 0);
  }
  // Undamaged, the same job lands and the check finds nothing.
  TRecordingHost h;
  TLockJob job(h, settings);
  int checked = 0;
  job.OnOutputCopied = [&](const std::string&) { ++checked; };
  ASSERT_TRUE(job.LoadInputFile(input));
  EXPECT_TRUE(job.CreatePress());
  EXPECT_EQ(checked, 1);
  EXPECT_TRUE(h.messages.empty());
  EXPECT_NE(ReadFileBytes(out + "/doc.pdf"), "an older copy");
}

TEST_F(LockJobRun, MissingInputIsReportedAndNothingRuns) {
  TLockJob job(host, settings);
  const std::string missing = in + "missing.pdf";
  EXPECT_FALSE(job.LoadInputFile(missing));
  EXPECT_EQ(host.statuses, std::vector<std::string>{"missing.pdfの処理開始"});
  EXPECT_EQ(host.exceptions.size(), 1u);
  // The create press on a file that does not exist does nothing at all.
  host.statuses.clear();
  EXPECT_FALSE(job.CreatePress());
  EXPECT_TRUE(host.statuses.empty());
  EXPECT_FALSE(job.LastPressRaised());
}

}  // namespace
}  // namespace sarvane::app
