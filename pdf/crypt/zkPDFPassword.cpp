#include "pdf/crypt/zkPDFPassword.h"

#include <stringprep.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/CodePage.h"

namespace sarvane::pdf {

namespace {

std::string Cut(std::string s) {
  if (s.size() > kMaxAESPasswordBytes) s.resize(kMaxAESPasswordBytes);
  return s;
}

std::optional<std::string> SASLprep(const std::string& utf8, bool stored) {
  char* out = nullptr;
  const int rc = stringprep_profile(utf8.c_str(), &out, "SASLprep",
                                    stored ? STRINGPREP_NO_UNASSIGNED : Stringprep_profile_flags(0));
  if (rc != STRINGPREP_OK || !out) {
    std::free(out);
    return std::nullopt;
  }
  std::string prepared(out);
  std::free(out);
  return prepared;
}

std::string ToUtf8(std::string_view codePageBytes) {
  return codePageBytes.empty() ? std::string() : Utf16ToUtf8(AnsiToUtf16(codePageBytes));
}

// A NUL byte ends the C string stringprep reads: such a password is not text.
bool HasNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

}  // namespace

std::string AESPasswordForWriting(std::string_view codePageBytes) {
  const std::string utf8 = ToUtf8(codePageBytes);
  if (HasNul(utf8)) return Cut(utf8);
  return Cut(SASLprep(utf8, true).value_or(utf8));
}

std::vector<std::string> AESPasswordCandidates(std::string_view codePageBytes) {
  std::vector<std::string> candidates;
  auto add = [&candidates](std::string s) {
    s = Cut(std::move(s));
    if (std::find(candidates.begin(), candidates.end(), s) == candidates.end()) candidates.push_back(std::move(s));
  };
  const std::string utf8 = ToUtf8(codePageBytes);
  if (!HasNul(utf8)) {
    if (auto prepared = SASLprep(utf8, false)) add(std::move(*prepared));
  }
  add(utf8);
  add(std::string(codePageBytes));
  return candidates;
}

}  // namespace sarvane::pdf
