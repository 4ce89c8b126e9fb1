#pragma once
// A small INI file with the semantics of the Windows private-profile
// functions that the settings file relies on:
//   - "[Section]" lines open a section, "Key=Value" lines hold values;
//     lines that are neither (blank lines, ";" comments) are kept but ignored;
//   - sections and keys are found without regard to ASCII case; the first
//     section and the first key of a name count;
//   - values are bytes in the system code page, taken byte-exactly from the
//     first "=" to the end of the line: no trimming, no quote stripping, no
//     re-encoding, so any value that was written reads back the same;
//   - writing a key replaces its line in place, appends it to the end of its
//     section, or appends the section (and the key) to the end of the file;
//   - every write goes to disk at once.
// Unlike the Windows functions, a write never leaves a half-written file: the
// new content goes to a private (0600) temporary file beside the target,
// which then replaces it. The file keeps the line ends it had (LF for a new
// file).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sarvane::app {

class TIniFile {
 public:
  // Reads the file when it exists; a missing or unreadable file is empty.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  // The value, or def when the section or the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // The value as a whole decimal or 0x hexadecimal integer (spaces and tabs
  // around it allowed); def when missing or not such a number.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;

  // Sets the key and writes the file. False, with the file and this object
  // unchanged, when the file cannot be written, or when the value holds a
  // byte that cannot stand on an INI line (NUL, CR, LF) or the names are not
  // valid INI names.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInteger(std::string_view section, std::string_view key, int32_t value);

  // The file's content as it stands (what the last successful write left).
  std::string Text() const;

  // Parses an integer the way ReadInteger does.
  static bool TryParseInteger(std::string_view text, int32_t& value);

 private:
  struct TLine {
    std::string text;  // without its line end
    std::string eol;   // "\n", "\r\n" or empty for a last line without one
  };
  struct TSectionRange {
    size_t header;  // index of the "[...]" line
    size_t end;     // one past the section's last line
  };

  bool FindSection(std::string_view section, TSectionRange& range) const;
  bool FindKey(const TSectionRange& range, std::string_view key, size_t& line) const;
  std::string NewLineEnd() const;
  bool Save() const;

  std::string fileName_;
  std::vector<TLine> lines_;
};

}  // namespace sarvane::app
