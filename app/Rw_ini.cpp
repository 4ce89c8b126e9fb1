#include "app/Rw_ini.h"

#include "app/AppFiles.h"
#include "app/AppResStrings.h"
#include "app/IniFile.h"
#include "platform/Exception.h"
#include "platform/Paths.h"

namespace sarvane::app {

namespace {

constexpr char kPos[] = "Pos";
constexpr char kSecu[] = "Secu";
constexpr char kPass[] = "Pass";
constexpr char kPDF[] = "PDF";

// A password byte that ends the text (NUL) or whose scrambled form cannot
// stand in an INI value.
bool Unstorable(unsigned char c) {
  unsigned char s = static_cast<unsigned char>(c ^ kPasswordMask);
  return c == 0 || s == 0 || s == '\r' || s == '\n';
}

bool ReadCheck(const TIniFile& ini, const char* section, const char* key, bool def) {
  return ini.ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::string UsableOutPath(const std::string& path) {
  if (!IsWritableFolder(path)) return DefaultOutputFolder();
  return IncludeTrailingPathDelimiter(path);
}

class TSettingsWriter {
 public:
  explicit TSettingsWriter(const std::string& fileName) : ini_(fileName) {}
  void Text(const char* section, const char* key, std::string_view value) {
    if (!ini_.WriteString(section, key, value)) throw Exception(Format(kSCannotWriteFile, ini_.FileName()));
  }
  void Integer(const char* section, const char* key, int32_t value) { Text(section, key, std::to_string(value)); }
  void Check(const char* section, const char* key, bool value) { Text(section, key, value ? "1" : "0"); }

 private:
  TIniFile ini_;
};

}  // namespace

std::string ScramblePassword(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (Unstorable(b)) break;
    out += static_cast<char>(b ^ kPasswordMask);
  }
  return out;
}

std::string UnscramblePassword(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  for (char c : stored) {
    char p = static_cast<char>(static_cast<unsigned char>(c) ^ kPasswordMask);
    if (p == 0) break;  // the text ends at its first zero byte
    out += p;
  }
  return out;
}

TSettings DefaultSettings() {
  TSettings s;
  s.OutPath = DefaultOutputFolder();
  return s;
}

TSettings ReadSettings() { return ReadSettings(SettingsFileName()); }

TSettings ReadSettings(const std::string& fileName) {
  const TIniFile ini(fileName);
  const TSettings d = DefaultSettings();
  TSettings s;
  s.Top = ini.ReadInteger(kPos, "Top", d.Top);
  s.Left = ini.ReadInteger(kPos, "Left", d.Left);
  s.EN = ReadCheck(ini, kSecu, "EN", d.EN);
  s.PW = ReadCheck(ini, kSecu, "PW", d.PW);
  s.PR = ReadCheck(ini, kSecu, "PR", d.PR);
  s.MD = ReadCheck(ini, kSecu, "MD", d.MD);
  s.CP = ReadCheck(ini, kSecu, "CP", d.CP);
  s.AN = ReadCheck(ini, kSecu, "AN", d.AN);
  s.DA = ReadCheck(ini, kSecu, "DA", d.DA);
  s.FF = ReadCheck(ini, kSecu, "FF", d.FF);
  s.AC = ReadCheck(ini, kSecu, "AC", d.AC);
  s.BT = ini.ReadInteger(kSecu, "BT", d.BT);
  s.Open = UnscramblePassword(ini.ReadString(kPass, "Open", ""));
  s.Owner = UnscramblePassword(ini.ReadString(kPass, "Owner", ""));
  s.User = UnscramblePassword(ini.ReadString(kPass, "User", ""));
  s.LockDateOn = ReadCheck(ini, kPDF, "LockDateOn", d.LockDateOn);
  s.LockURLOn = ReadCheck(ini, kPDF, "LockURLOn", d.LockURLOn);
  s.LockURL = ini.ReadString(kPDF, "LockURL", d.LockURL);
  s.OutPath = UsableOutPath(ini.ReadString(kPDF, "OutPath", d.OutPath));
  return s;
}

void WriteSettings(const TSettings& settings) { WriteSettings(SettingsFileName(), settings); }

void WriteSettings(const std::string& fileName, const TSettings& s) {
  TSettingsWriter w(fileName);
  w.Integer(kPos, "Top", s.Top);
  w.Integer(kPos, "Left", s.Left);
  w.Check(kSecu, "EN", s.EN);
  w.Check(kSecu, "PW", s.PW);
  w.Check(kSecu, "PR", s.PR);
  w.Check(kSecu, "MD", s.MD);
  w.Check(kSecu, "CP", s.CP);
  w.Check(kSecu, "AN", s.AN);
  w.Check(kSecu, "DA", s.DA);
  w.Check(kSecu, "FF", s.FF);
  w.Check(kSecu, "AC", s.AC);
  w.Integer(kSecu, "BT", s.BT);
  w.Text(kPass, "Open", ScramblePassword(s.Open));
  w.Text(kPass, "Owner", ScramblePassword(s.Owner));
  w.Text(kPass, "User", ScramblePassword(s.User));
  w.Check(kPDF, "LockDateOn", s.LockDateOn);
  w.Check(kPDF, "LockURLOn", s.LockURLOn);
  w.Text(kPDF, "LockURL", s.LockURL);
  w.Text(kPDF, "OutPath", s.OutPath);
}

sarvane::pdf::TzkPDFEncryptionLevel EncryptionLevelOf(int32_t bt) {
  if (bt == 0) return sarvane::pdf::el128bit;
  if (bt == 2) return sarvane::pdf::el256bitAES;
  return sarvane::pdf::el40bit;
}

int32_t RadioGroupIndexOf(int32_t bt) {
  if (bt < 0) return -1;
  return bt > 2 ? 1 : bt;
}

}  // namespace sarvane::app
