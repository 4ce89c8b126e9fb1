#include "app/Rw_ini.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "app/AppFiles.h"
#include "app/AppTestSupport.h"
#include "platform/Exception.h"
#include "platform/Paths.h"

namespace sarvane::app {
namespace {

using testing::FolderEntries;
using testing::ModeOf;
using testing::ReadFileBytes;
using testing::TTempHome;
using testing::WriteFileBytes;

bool operator==(const TSettings& a, const TSettings& b) {
  return a.Top == b.Top && a.Left == b.Left && a.EN == b.EN && a.PW == b.PW && a.PR == b.PR && a.MD == b.MD &&
         a.CP == b.CP && a.AN == b.AN && a.DA == b.DA && a.FF == b.FF && a.AC == b.AC && a.BT == b.BT &&
         a.Open == b.Open && a.Owner == b.Owner && a.User == b.User && a.LockDateOn == b.LockDateOn &&
         a.LockURLOn == b.LockURLOn && a.LockURL == b.LockURL && a.OutPath == b.OutPath;
}

std::string WriteError(const std::string& fileName) { return fileName + " に書き込めません"; }

// The file that WriteSettings makes from nothing: every key, in table order.
std::string ExpectedFile(const TSettings& s, const std::string& open, const std::string& owner,
                         const std::string& user) {
  auto b = [](bool v) { return v ? "1" : "0"; };
  return "[Pos]\nTop=" + std::to_string(s.Top) + "\nLeft=" + std::to_string(s.Left) +
         "\n[Secu]\nEN=" + b(s.EN) + "\nPW=" + b(s.PW) + "\nPR=" + b(s.PR) + "\nMD=" + b(s.MD) +
         "\nCP=" + b(s.CP) + "\nAN=" + b(s.AN) + "\nDA=" + b(s.DA) + "\nFF=" + b(s.FF) + "\nAC=" + b(s.AC) +
         "\nBT=" + std::to_string(s.BT) + "\n[Pass]\nOpen=" + open + "\nOwner=" + owner + "\nUser=" + user +
         "\n[PDF]\nLockDateOn=" + b(s.LockDateOn) + "\nLockURLOn=" + b(s.LockURLOn) + "\nLockURL=" + s.LockURL +
         "\nOutPath=" + s.OutPath + "\n";
}

TEST(Rw_ini, FirstRunGivesTheDefaults) {
  TTempHome home;
  ASSERT_FALSE(FileExists(SettingsFileName()));
  TSettings s = ReadSettings();
  TSettings expected;
  expected.OutPath = ExecutableDir();
  EXPECT_TRUE(s == expected);
  EXPECT_TRUE(DefaultSettings() == expected);
  EXPECT_EQ(s.LockURL, "https://sarvane.example.org/");
  EXPECT_EQ(s.OutPath.back(), '/');
  EXPECT_FALSE(FileExists(SettingsFileName())) << "reading must not create the file";
}

TEST(Rw_ini, EveryKeyRoundTrips) {
  TTempHome home;
  std::string out = home.Dir() + "out folder/";
  std::filesystem::create_directory(out);

  TSettings allOn;
  allOn.Top = -120;
  allOn.Left = 2560;
  allOn.EN = allOn.PW = allOn.PR = allOn.MD = allOn.CP = allOn.AN = allOn.DA = allOn.FF = allOn.AC = true;
  allOn.BT = 1;
  allOn.Open = " lead and trail ";
  allOn.Owner = "=\"quoted\";[Pass]";
  allOn.User = "?`~";  // bytes that scramble to space, DEL and a
  allOn.LockDateOn = allOn.LockURLOn = true;
  allOn.LockURL = "https://example.com/a b?q=1";
  allOn.OutPath = out;

  TSettings nonAscii = DefaultSettings();
  nonAscii.Open = "\xE3\x83\x91\xE3\x82\xB9";  // UTF-8
  nonAscii.Owner = "\x83\x70\x83\x58\x5C";       // Shift-JIS with a 0x5C trail byte
  nonAscii.User = "\xFF\xE9\xA0\x80";            // Windows-1252
  nonAscii.LockURL = "";

  TSettings controls = DefaultSettings();
  controls.Open = "tab\there";
  controls.Owner = "cr\rlf\n";  // scramble to storable bytes
  controls.User = std::string(200, 'x');
  controls.BT = 0x7FFFFFFF;
  controls.Top = INT32_MIN;

  const std::pair<const char*, TSettings> cases[] = {
      {"defaults", DefaultSettings()}, {"all on", allOn}, {"non-ASCII passwords", nonAscii}, {"controls", controls}};
  for (const auto& [name, s] : cases) {
    SCOPED_TRACE(name);
    std::filesystem::remove(SettingsFileName());
    WriteSettings(s);
    TSettings back = ReadSettings();
    EXPECT_TRUE(back == s);
    std::string file = ReadFileBytes(SettingsFileName());
    EXPECT_EQ(file, ExpectedFile(s, ScramblePassword(s.Open), ScramblePassword(s.Owner), ScramblePassword(s.User)));
    for (const std::string* pw : {&s.Open, &s.Owner, &s.User})
      if (pw->size() > 1) {
        EXPECT_EQ(file.find(*pw), std::string::npos) << "password readable in the file";
      }
    EXPECT_EQ(ModeOf(SettingsFileName()), 0600u);
    // Writing over an existing file keeps it as it would be written anew.
    WriteSettings(s);
    EXPECT_EQ(ReadFileBytes(SettingsFileName()), file);
  }
}

TEST(Rw_ini, ScramblingIsAByteWiseMaskOfTheSameLength) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"A", "^"},
      {"?", " "},
      {"`", "\x7F"},
      {"\xE3\x81\x82", "\xFC\x9E\x9D"},
      {"\x0D\x0A\x09", "\x12\x15\x16"},
      // A password ends at its first zero byte, as typed text does.
      {std::string("ab\0cd", 5), "~}"},
      // Bytes that would be stored as NUL, LF or CR end what can be kept.
      {"ab\x1F" "cd", "~}"},
      {"ab\x15" "cd", "~}"},
      {"ab\x12" "cd", "~}"},
  };
  for (const auto& [plain, stored] : cases) {
    SCOPED_TRACE(plain);
    EXPECT_EQ(ScramblePassword(plain), stored);
    std::string kept = plain.substr(0, stored.size());
    EXPECT_EQ(UnscramblePassword(stored), kept);
  }
  // Every byte that can be kept comes back.
  for (int c = 1; c < 256; ++c) {
    if (c == 0x1F || c == 0x15 || c == 0x12) continue;
    std::string p(1, static_cast<char>(c));
    ASSERT_EQ(ScramblePassword(p).size(), 1u) << c;
    EXPECT_EQ(UnscramblePassword(ScramblePassword(p)), p) << c;
  }
}

struct TRawValueCase {
  const char* name;
  std::string lines;  // inserted into a file after the section header
  std::function<bool(const TSettings&)> check;
};

TEST(Rw_ini, ReadsHandEditedValues) {
  TTempHome home;
  std::string exeDir = ExecutableDir();
  std::string existing = home.Dir() + "existing";
  std::filesystem::create_directory(existing);
  const TRawValueCase cases[] = {
      {"2 in EN is checked", "[Secu]\nEN=2\n", [](const TSettings& s) { return s.EN; }},
      {"-1 is checked", "[Secu]\nPR=-1\n", [](const TSettings& s) { return s.PR; }},
      {"0x10 is checked", "[Secu]\nAC=0x10\n", [](const TSettings& s) { return s.AC; }},
      {"0x0 is clear", "[Secu]\nAC=0x0\n", [](const TSettings& s) { return !s.AC; }},
      {"non-numeric check is its default", "[Secu]\nMD=yes\n", [](const TSettings& s) { return !s.MD; }},
      {"hexadecimal position", "[Pos]\nTop=0x1F4\nLeft=-0\n",
       [](const TSettings& s) { return s.Top == 500 && s.Left == 0; }},
      {"non-numeric position is its default", "[Pos]\nTop=12px\nLeft=\n",
       [](const TSettings& s) { return s.Top == 0 && s.Left == 0; }},
      {"blanks around an integer", "[Secu]\nBT= 1 \n", [](const TSettings& s) { return s.BT == 1; }},
      {"any case of names", "[secu]\nbt=1\n[PDF]\nlockurl=x\n",
       [](const TSettings& s) { return s.BT == 1 && s.LockURL == "x"; }},
      {"deleted output folder", "[PDF]\nOutPath=" + home.Dir() + "gone/\n",
       [exeDir](const TSettings& s) { return s.OutPath == exeDir; }},
      {"empty output folder", "[PDF]\nOutPath=\n", [exeDir](const TSettings& s) { return s.OutPath == exeDir; }},
      {"output folder that is a file", "[PDF]\nOutPath=" + ExecutablePath() + "\n",
       [exeDir](const TSettings& s) { return s.OutPath == exeDir; }},
      {"output folder without trailing delimiter", "[PDF]\nOutPath=" + existing + "\n",
       [existing](const TSettings& s) { return s.OutPath == existing + "/"; }},
      {"stored password", "[Pass]\nOwner=o}xz\n", [](const TSettings& s) { return s.Owner == "pbge"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(SettingsFileName(), c.lines);
    EXPECT_TRUE(c.check(ReadSettings()));
  }
}

TEST(Rw_ini, CheckedValuesAndRecoveredFolderAreWrittenBackNormalized) {
  TTempHome home;
  WriteFileBytes(SettingsFileName(),
                 "[Secu]\nEN=2\nBT=0x1\n[PDF]\nOutPath=" + home.Dir() + "gone/\nLockDateOn=0x10\n");
  TSettings s = ReadSettings();
  WriteSettings(s);
  std::string file = ReadFileBytes(SettingsFileName());
  EXPECT_NE(file.find("\nEN=1\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\nBT=1\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\nLockDateOn=1\n"), std::string::npos) << file;
  EXPECT_NE(file.find("\nOutPath=" + ExecutableDir() + "\n"), std::string::npos) << file;
}

TEST(Rw_ini, UnwritableFileRaisesTheWriteError) {
  TTempHome home;
  WriteFileBytes(home.Dir() + "plain", "a regular file");
  std::filesystem::create_directory(home.Dir() + "folder.ini");
  for (std::string name : {home.Dir() + "plain/sarvane.ini", home.Dir() + "folder.ini",
                           home.Dir() + "missing/sarvane.ini"}) {
    SCOPED_TRACE(name);
    try {
      WriteSettings(name, DefaultSettings());
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), WriteError(name).c_str());
    }
  }
  EXPECT_EQ(FolderEntries(home.Dir()), (std::vector<std::string>{"folder.ini", "plain"}));
}

// A value that cannot stand on an INI line stops the write at its key.
TEST(Rw_ini, OutputFolderWithLineBreakIsAWriteErrorNotAnInjectedKey) {
  TTempHome home;
  TSettings s = DefaultSettings();
  s.OutPath = home.Dir() + "x\n[Pass]\nOwner=/";
  try {
    WriteSettings(s);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), WriteError(SettingsFileName()).c_str());
  }
  std::string file = ReadFileBytes(SettingsFileName());
  EXPECT_EQ(file.find("OutPath"), std::string::npos);
  EXPECT_NE(file.find("LockURL=https://sarvane.example.org/\n"), std::string::npos) << file;
}

// Limits the size of files this process may write, as a full disk would.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit lim = saved_;
    lim.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_{};
};

// BT=2 is AES-256; every other value keeps the meaning it had before.
TEST(Rw_ini, StrengthIndexGivesTheEncryptionLevelAndItem) {
  const struct {
    int32_t bt;
    sarvane::pdf::TzkPDFEncryptionLevel level;
    int32_t item;
  } cases[] = {
      {0, sarvane::pdf::el128bit, 0},   {1, sarvane::pdf::el40bit, 1}, {2, sarvane::pdf::el256bitAES, 2},
      {3, sarvane::pdf::el40bit, 1},    {-1, sarvane::pdf::el40bit, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bt);
    EXPECT_EQ(EncryptionLevelOf(c.bt), c.level);
    EXPECT_EQ(RadioGroupIndexOf(c.bt), c.item);
  }
}

TEST(Rw_ini, FailingKeyStopsTheWriteAndLeavesTheFileWhole) {
  TTempHome home;
  const std::string name = SettingsFileName();

  // From no file: keys up to MD fit, CP does not.
  TSettings s = DefaultSettings();
  s.EN = s.MD = s.CP = true;
  const std::string full = ExpectedFile(s, "", "", "");
  const size_t throughMD = full.find("CP=");
  ASSERT_NE(throughMD, std::string::npos);

  // Over an older file: the Owner line grows past the limit.
  TSettings old = DefaultSettings();
  TSettings changed = old;
  changed.Top = 7;
  changed.EN = true;
  changed.Open = "o";
  changed.Owner = std::string(300, 'p');
  changed.User = "u";
  const std::string oldFile = ExpectedFile(old, "", "", "");
  const std::string partlyChanged = ExpectedFile(changed, ScramblePassword("o"), "", "");

  struct TCase {
    const char* name;
    const std::string* before;  // null: no file
    const TSettings* write;
    size_t limit;
    std::string after;
  } cases[] = {
      {"new file", nullptr, &s, throughMD, full.substr(0, throughMD)},
      {"existing file", &oldFile, &changed, oldFile.size() + 8, partlyChanged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(name);
    if (c.before) WriteFileBytes(name, *c.before);
    std::string message;
    {
      TFileSizeLimit limit(c.limit);
      try {
        WriteSettings(*c.write);
      } catch (const Exception& e) {
        message = e.what();
      }
    }
    EXPECT_EQ(message, WriteError(name));
    EXPECT_EQ(ReadFileBytes(name), c.after);
    EXPECT_EQ(FolderEntries(home.Dir()), std::vector<std::string>{ExtractFileName(name)});
  }
}

}  // namespace
}  // namespace sarvane::app
