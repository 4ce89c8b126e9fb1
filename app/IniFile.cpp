#include "app/IniFile.h"

#include <sys/stat.h>

#include <charconv>
#include <cstddef>
#include <cstdio>

#include "platform/FileData.h"
#include "platform/ReplacingFile.h"

namespace sarvane::app {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// "[Name]" (blanks allowed around the brackets and the name); a header whose
// "]" is missing names the rest of the line, as the Windows functions read it.
bool ParseSectionLine(std::string_view text, std::string_view& name) {
  std::string_view t = Trim(text);
  if (t.empty() || t.front() != '[') return false;
  t.remove_prefix(1);
  size_t close = t.find(']');
  name = Trim(close == std::string_view::npos ? t : t.substr(0, close));
  return true;
}

// "Key=Value": the key is trimmed, the value is everything after the first "=".
bool ParseKeyLine(std::string_view text, std::string_view& key, std::string_view& value) {
  std::string_view t = Trim(text);
  if (t.empty() || t.front() == ';' || t.front() == '[') return false;
  size_t eq = text.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(text.substr(0, eq));
  if (key.empty()) return false;
  value = text.substr(eq + 1);
  return true;
}

bool HasLineBreakOrNul(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

bool ValidSectionName(std::string_view s) {
  return !s.empty() && Trim(s).size() == s.size() && !HasLineBreakOrNul(s) && s.find(']') == std::string_view::npos;
}

bool ValidKeyName(std::string_view s) {
  return !s.empty() && Trim(s).size() == s.size() && !HasLineBreakOrNul(s) &&
         s.find('=') == std::string_view::npos && s.front() != ';' && s.front() != '[';
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  std::string data;
  if (!ReadWholeFile(fileName_, data)) return;
  size_t pos = 0;
  while (pos < data.size()) {
    size_t nl = data.find('\n', pos);
    if (nl == std::string::npos) {
      lines_.push_back({data.substr(pos), std::string()});
      break;
    }
    const bool crlf = nl > pos && data[nl - 1] == '\r';
    const size_t end = crlf ? nl - 1 : nl;
    lines_.push_back({data.substr(pos, end - pos), crlf ? std::string("\r\n") : std::string("\n")});
    pos = nl + 1;
  }
}

bool TIniFile::FindSection(std::string_view section, TSectionRange& range) const {
  bool found = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view text = lines_[i].text;
    // A byte order mark left by an editor must not hide the first section.
    if (i == 0 && text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    std::string_view name;
    if (!ParseSectionLine(text, name)) continue;
    if (found) {
      range.end = i;
      return true;
    }
    if (SameNameAscii(name, section)) {
      found = true;
      range.header = i;
    }
  }
  if (found) range.end = lines_.size();
  return found;
}

bool TIniFile::FindKey(const TSectionRange& range, std::string_view key, size_t& line) const {
  for (size_t i = range.header + 1; i < range.end; ++i) {
    std::string_view k, v;
    if (ParseKeyLine(lines_[i].text, k, v) && SameNameAscii(k, key)) {
      line = i;
      return true;
    }
  }
  return false;
}

bool TIniFile::SectionExists(std::string_view section) const {
  TSectionRange range{};
  return FindSection(section, range);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  TSectionRange range{};
  size_t line = 0;
  return FindSection(section, range) && FindKey(range, key, line);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  TSectionRange range{};
  size_t line = 0;
  if (!FindSection(section, range) || !FindKey(range, key, line)) return std::string(def);
  std::string_view k, v;
  ParseKeyLine(lines_[line].text, k, v);
  return std::string(v);
}

bool TIniFile::TryParseInteger(std::string_view text, int32_t& value) {
  std::string_view t = Trim(text);
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    // Hexadecimal is a 32-bit pattern: 0xFFFFFFFF is -1.
    uint32_t u = 0;
    auto [ptr, ec] = std::from_chars(t.data() + 2, t.data() + t.size(), u, 16);
    if (ec != std::errc() || ptr != t.data() + t.size()) return false;
    value = static_cast<int32_t>(u);
    return true;
  }
  bool plus = !t.empty() && t.front() == '+';
  if (plus) t.remove_prefix(1);
  if (t.empty() || t.front() == '+' || (plus && t.front() == '-')) return false;
  int32_t v = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 10);
  if (ec != std::errc() || ptr != t.data() + t.size()) return false;
  value = v;
  return true;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  int32_t v = 0;
  return TryParseInteger(ReadString(section, key, std::string_view()), v) ? v : def;
}

std::string TIniFile::NewLineEnd() const {
  for (const TLine& l : lines_)
    if (!l.eol.empty()) return l.eol;
  return "\n";
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!ValidSectionName(section) || !ValidKeyName(key) || HasLineBreakOrNul(value)) return false;
  std::vector<TLine> before = lines_;
  std::string keyLine = std::string(key) + "=" + std::string(value);
  std::string eol = NewLineEnd();
  TSectionRange range{};
  size_t line = 0;
  if (FindSection(section, range)) {
    if (FindKey(range, key, line)) {
      lines_[line].text = std::move(keyLine);
    } else {
      // After the section's last key, so that blank lines and comments
      // between sections stay where they are.
      size_t at = range.header + 1;
      for (size_t i = range.header + 1; i < range.end; ++i) {
        std::string_view k, v;
        if (ParseKeyLine(lines_[i].text, k, v)) at = i + 1;
      }
      if (lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol;
      lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), TLine{std::move(keyLine), eol});
    }
  } else {
    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
    std::string header(1, '[');
    header.append(section).push_back(']');
    lines_.push_back({std::move(header), eol});
    lines_.push_back({std::move(keyLine), eol});
  }
  if (Save()) return true;
  lines_ = std::move(before);
  return false;
}

bool TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

std::string TIniFile::Text() const {
  std::string out;
  for (const TLine& l : lines_) {
    out += l.text;
    out += l.eol;
  }
  return out;
}

bool TIniFile::Save() const {
  const std::string data = Text();
  TReplacingFile file(fileName_);
  // The file holds passwords: readable by its owner only.
  return file.SetMode(S_IRUSR | S_IWUSR) && file.Write(data.data(), data.size()) && file.Commit(true);
}

}  // namespace sarvane::app
