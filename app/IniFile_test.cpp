#include "app/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/AppTestSupport.h"

namespace sarvane::app {
namespace {

using testing::FolderEntries;
using testing::ModeOf;
using testing::ReadFileBytes;
using testing::TTempHome;
using testing::WriteFileBytes;

constexpr char kDef[] = "<default>";

struct TLookupCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  std::string expected;
};

TEST(IniFile, LooksUpValuesLikeThePrivateProfileFunctions) {
  const TLookupCase cases[] = {
      {"plain", "[Pos]\nTop=12\n", "Pos", "Top", "12"},
      {"section and key ignore ASCII case", "[pOS]\ntOP=12\n", "Pos", "Top", "12"},
      {"blanks around names", "  [ Pos ]  \n  Top \t=12\n", "Pos", "Top", "12"},
      {"value kept byte-exactly", "[P]\nK= \"a b\" ;x \n", "P", "K", " \"a b\" ;x "},
      {"value holds equals signs", "[P]\nK=a=b==\n", "P", "K", "a=b=="},
      {"value bytes beyond ASCII", "[P]\nK=\xFF\x83\x70\xE3\x81\x82\x1F\n", "P", "K", "\xFF\x83\x70\xE3\x81\x82\x1F"},
      {"CR LF line ends", "[P]\r\nK=v\r\nL=w\r\n", "P", "L", "w"},
      {"last line without line end", "[P]\nK=v", "P", "K", "v"},
      {"empty value is not the default", "[P]\nK=\n", "P", "K", ""},
      {"missing key", "[P]\nK=v\n", "P", "X", kDef},
      {"missing section", "[P]\nK=v\n", "Q", "K", kDef},
      {"missing file content", "", "P", "K", kDef},
      {"key of another section", "[P]\n[Q]\nK=v\n", "P", "K", kDef},
      {"key before any section", "K=v\n[P]\n", "P", "K", kDef},
      {"first of two keys", "[P]\nK=1\nk=2\n", "P", "K", "1"},
      {"first of two sections", "[P]\nK=1\n[p]\nK=2\nL=3\n", "P", "L", kDef},
      {"comment line", "[P]\n;K=1\nK=2\n", "P", "K", "2"},
      {"line without equals sign", "[P]\nK\nK=2\n", "P", "K", "2"},
      {"byte order mark before the first section", "\xEF\xBB\xBF[P]\nK=v\n", "P", "K", "v"},
  };
  TTempHome home;
  std::string name = home.Dir() + "t.ini";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(name, c.file);
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString(c.section, c.key, kDef), c.expected);
    EXPECT_EQ(ini.ValueExists(c.section, c.key), c.expected != kDef);
    EXPECT_EQ(ini.Text(), c.file);
  }
}

TEST(IniFile, MissingOrUnreadableFileReadsAsEmpty) {
  TTempHome home;
  for (std::string name : {home.Dir() + "none.ini", home.Dir(), home.Dir() + "file/below.ini"}) {
    SCOPED_TRACE(name);
    WriteFileBytes(home.Dir() + "file", "[P]\nK=v\n");
    TIniFile ini(name);
    EXPECT_FALSE(ini.SectionExists("P"));
    EXPECT_EQ(ini.ReadString("P", "K", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("P", "K", 7), 7);
    EXPECT_EQ(ini.Text(), "");
  }
}

struct TIntegerCase {
  const char* text;
  bool ok;
  int32_t value;
};

TEST(IniFile, ParsesDecimalAndHexadecimalIntegers) {
  const TIntegerCase cases[] = {
      {"12", true, 12},          {" 12\t", true, 12},     {"-5", true, -5},
      {"+7", true, 7},           {"0", true, 0},          {"0x1F", true, 31},
      {"0XfF", true, 255},       {"0x7FFFFFFF", true, 2147483647},
      {"0xFFFFFFFF", true, -1},  {"2147483647", true, 2147483647},
      {"-2147483648", true, INT32_MIN},
      {"", false, 0},            {"  ", false, 0},        {"abc", false, 0},
      {"12abc", false, 0},       {"1 2", false, 0},       {"0x", false, 0},
      {"0xG", false, 0},         {"0x100000000", false, 0},
      {"2147483648", false, 0},  {"--1", false, 0},       {"+-1", false, 0},
      {"++1", false, 0},         {"-0x10", false, 0},     {"1.5", false, 0},
  };
  TTempHome home;
  std::string name = home.Dir() + "t.ini";
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "'");
    int32_t v = 99;
    EXPECT_EQ(TIniFile::TryParseInteger(c.text, v), c.ok);
    if (c.ok) {
      EXPECT_EQ(v, c.value);
    }
    WriteFileBytes(name, std::string("[S]\nI=") + c.text + "\n");
    EXPECT_EQ(TIniFile(name).ReadInteger("S", "I", -42), c.ok ? c.value : -42);
  }
}

struct TWriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  std::string value;
  std::string after;
};

TEST(IniFile, WritesKeysInPlaceOrAtTheEndOfTheirSection) {
  const TWriteCase cases[] = {
      {"new file", "", "Pos", "Top", "5", "[Pos]\nTop=5\n"},
      {"replaced in place", "[P]\nA=1\nK=old\nB=2\n", "P", "K", "new", "[P]\nA=1\nK=new\nB=2\n"},
      {"replaced without regard to case", "[p]\nk=old\n", "P", "K", "new", "[p]\nK=new\n"},
      {"only the first of two keys", "[P]\nK=1\nK=2\n", "P", "K", "3", "[P]\nK=3\nK=2\n"},
      {"appended after the section's last key", "[P]\nA=1\n\n; note\n[Q]\nB=2\n", "P", "K", "v",
       "[P]\nA=1\nK=v\n\n; note\n[Q]\nB=2\n"},
      {"appended to an empty section", "[P]\n[Q]\n", "P", "K", "v", "[P]\nK=v\n[Q]\n"},
      {"appended to the last section", "[P]\nA=1\n", "P", "K", "v", "[P]\nA=1\nK=v\n"},
      {"new section at the end of the file", "[P]\nA=1\n", "Q", "K", "v", "[P]\nA=1\n[Q]\nK=v\n"},
      {"last line without line end", "[P]\nA=1", "P", "K", "v", "[P]\nA=1\nK=v\n"},
      {"new section after a last line without line end", "[P]\nA=1", "Q", "K", "v", "[P]\nA=1\n[Q]\nK=v\n"},
      {"CR LF kept", "[P]\r\nA=1\r\n", "P", "K", "v", "[P]\r\nA=1\r\nK=v\r\n"},
      {"CR LF kept for a new section", "[P]\r\nA=1\r\n", "Q", "K", "v", "[P]\r\nA=1\r\n[Q]\r\nK=v\r\n"},
      {"value written byte-exactly", "", "P", "K", " \"q\" =\xFF\x83\x70 ", "[P]\nK= \"q\" =\xFF\x83\x70 \n"},
      {"empty value", "[P]\nK=x\n", "P", "K", "", "[P]\nK=\n"},
      {"byte order mark kept", "\xEF\xBB\xBF[P]\nK=1\n", "P", "K", "2", "\xEF\xBB\xBF[P]\nK=2\n"},
      {"keys before any section are no section", "K=1\n", "P", "K", "2", "K=1\n[P]\nK=2\n"},
  };
  TTempHome home;
  std::string name = home.Dir() + "t.ini";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(name);
    if (!c.before.empty()) WriteFileBytes(name, c.before);
    TIniFile ini(name);
    ASSERT_TRUE(ini.WriteString(c.section, c.key, c.value));
    EXPECT_EQ(ReadFileBytes(name), c.after);
    EXPECT_EQ(ini.Text(), c.after);
    EXPECT_EQ(TIniFile(name).ReadString(c.section, c.key, kDef), c.value);
  }
}

TEST(IniFile, WrittenFileIsPrivateAndLeavesNoTemporaryFile) {
  TTempHome home;
  std::string name = home.Dir() + "t.ini";
  WriteFileBytes(name, "[P]\nK=1\n");
  ASSERT_EQ(chmod(name.c_str(), 0644), 0);
  TIniFile ini(name);
  ASSERT_TRUE(ini.WriteInteger("P", "K", -3));
  EXPECT_EQ(ReadFileBytes(name), "[P]\nK=-3\n");
  EXPECT_EQ(ModeOf(name), 0600u);
  EXPECT_EQ(FolderEntries(home.Dir()), std::vector<std::string>{"t.ini"});
}

struct TFailedWriteCase {
  const char* name;
  std::string fileName;  // relative to the home folder
  const char* section;
  const char* key;
  std::string value;
};

TEST(IniFile, FailedWriteReportsFailureAndChangesNothing) {
  TTempHome home;
  const std::string before = "[P]\nK=1\n";
  WriteFileBytes(home.Dir() + "plain", "not a folder");
  std::filesystem::create_directory(home.Dir() + "dir.ini");
  const TFailedWriteCase cases[] = {
      {"value with LF", "t.ini", "P", "K", "a\nb"},
      {"value with CR", "t.ini", "P", "K", "a\rb"},
      {"value with NUL", "t.ini", "P", "K", std::string("a\0b", 3)},
      {"key with equals sign", "t.ini", "P", "K=", "v"},
      {"key with LF", "t.ini", "P", "K\n[X]", "v"},
      {"empty key", "t.ini", "P", "", "v"},
      {"section with bracket", "t.ini", "P]", "K", "v"},
      {"empty section", "t.ini", "", "K", "v"},
      {"parent is a regular file", "plain/t.ini", "P", "K", "2"},
      {"file is a folder", "dir.ini", "P", "K", "2"},
      {"missing folder", "nowhere/t.ini", "P", "K", "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string name = home.Dir() + c.fileName;
    if (c.fileName == "t.ini") WriteFileBytes(name, before);
    TIniFile ini(name);
    std::string text = ini.Text();
    EXPECT_FALSE(ini.WriteString(c.section, c.key, c.value));
    EXPECT_EQ(ini.Text(), text);
    if (c.fileName == "t.ini") {
      EXPECT_EQ(ReadFileBytes(name), before);
    }
  }
  EXPECT_EQ(FolderEntries(home.Dir()), (std::vector<std::string>{"dir.ini", "plain", "t.ini"}));
  EXPECT_TRUE(std::filesystem::is_empty(home.Dir() + "dir.ini"));
}

}  // namespace
}  // namespace sarvane::app
