#pragma once
// The settings file: window position, security choices, passwords, view-limit
// switches, the allowed address and the output folder, kept between runs.
//
// The file is read once when the main window is created and written once when
// it closes. Its name is the executable's file name with ".ini", in the
// application home (see AppFiles.h). Sections and keys, in file order:
//
//   [Pos]  Top Left
//   [Secu] EN PW PR MD CP AN DA FF AC BT
//   [Pass] Open Owner User           (scrambled in the file)
//   [PDF]  LockDateOn LockURLOn LockURL OutPath
#include <cstdint>
#include <string>
#include <string_view>

#include "app/AppResStrings.h"
#include "pdf/crypt/zkPDFCrypt.h"

namespace sarvane::app {

// Allowed address of the URL limit until the user types another.
inline constexpr const char* kDefaultLockURL = kMakerHomePage;

// The passwords are XOR-ed with this byte in the file. It hides them from a
// casual look and is no protection. A C0 control byte is used because no
// text of the supported code pages (UTF-8, Shift-JIS, Windows-1252) contains
// 0x1F, 0x15 or 0x12, the only bytes that would turn into NUL, LF or CR and so
// could not be kept on an INI line; every typed password therefore comes
// back unchanged. Printable ASCII stays printable ASCII.
inline constexpr unsigned char kPasswordMask = 0x1F;

// Everything the file holds, with its defaults. Check boxes are bools (any
// non-zero value in the file reads as checked and is written back as 1).
// The passwords here are plain, as typed; they are scrambled only in the file.
struct TSettings {
  // [Pos] main window position, screen pixels.
  int32_t Top = 0;
  int32_t Left = 0;
  // [Secu]
  bool EN = false;  // CheckBox11  use security
  bool PW = false;  // CheckBox1   give the output a user password
  bool PR = false;  // CheckBox2   printing disabled
  bool MD = false;  // CheckBox3   changing disabled
  bool CP = false;  // CheckBox4   copying of content disabled
  bool AN = false;  // CheckBox5   annotations disabled
  bool DA = false;  // CheckBox6   document assembly disabled
  bool FF = false;  // CheckBox7   form filling disabled
  bool AC = false;  // CheckBox8   accessibility extraction disabled
  int32_t BT = 0;   // RadioGroup1 item index: 0 = "128bits", 1 = "40bits", 2 = "AES 256bits"
  // [Pass] unlock, owner and user password (EditOpenPW, EditOwnerPW, EditUserPW).
  std::string Open;
  std::string Owner;
  std::string User;
  // [PDF]
  bool LockDateOn = false;  // CheckBoxLockDate
  bool LockURLOn = false;   // CheckBoxLockURL
  std::string LockURL = kDefaultLockURL;  // EditURL
  // The limit date as yyyy/MM/dd (MonthCalendar1); not kept in the file.
  std::string LimitDate;
  // Output folder, always ending with "/". Empty only in a default-constructed
  // value; ReadSettings and DefaultSettings fill it.
  std::string OutPath;
};

// The first-run values: all defaults, OutPath = the executable's folder.
TSettings DefaultSettings();

// Reads the settings file. A missing file, or a missing or non-numeric key,
// gives that key's default. Integers may be decimal or 0x hexadecimal.
// An OutPath that names no existing folder becomes the executable's folder;
// an existing one is given its trailing "/" so that a file name can be
// joined to it directly.
TSettings ReadSettings();
TSettings ReadSettings(const std::string& fileName);

// Writes every key in the order above, each as soon as it is set, so that a
// failure leaves the keys before it written and the file whole. When a key
// cannot be written, raises sarvane::Exception "<file> に書き込めません" and
// writes no further key. The file is created with mode 0600.
void WriteSettings(const TSettings& settings);
void WriteSettings(const std::string& fileName, const TSettings& settings);

// The file form of a password: each byte XOR kPasswordMask, up to the first
// byte that cannot be stored (a zero byte, or one that would scramble into
// NUL, CR or LF; typed text never holds one). The stored text has the length
// of what it keeps.
std::string ScramblePassword(std::string_view text);
// The same XOR back, up to the first byte that would unscramble to zero.
// UnscramblePassword(ScramblePassword(p)) == p for every password without
// the bytes 0x00, 0x12, 0x15, 0x1F.
std::string UnscramblePassword(std::string_view stored);

// The encryption level a BT value stands for: 0 RC4 128-bit, 2 AES-256, any
// other value RC4 40-bit (what every value but 0 meant before AES came).
sarvane::pdf::TzkPDFEncryptionLevel EncryptionLevelOf(int32_t bt);
// The RadioGroup1 item a BT value selects: -1 none (below 0); past the items
// the 40-bit one, as before the third item was added.
int32_t RadioGroupIndexOf(int32_t bt);

}  // namespace sarvane::app
