#pragma once
// Passwords of the AES-256 handler (revisions 5 and 6) are UTF-8, prepared
// with SASLprep and cut at 127 bytes, while the program hands the library
// byte strings in the system code page. This unit makes the one from the
// other. SASLprep comes from libidn's stringprep (libidn2 no longer has it).
#include <string>
#include <string_view>
#include <vector>

namespace sarvane::pdf {

inline constexpr size_t kMaxAESPasswordBytes = 127;

// The password written into a new file: code page to UTF-8, SASLprep for a
// stored string, cut at 127 bytes. A password SASLprep refuses (a control
// character, say) is taken as plain UTF-8 rather than refused.
std::string AESPasswordForWriting(std::string_view codePageBytes);

// The byte strings to try when opening, most likely first and none twice:
// the SASLprep form, the plain UTF-8 (what writers that skip SASLprep
// produce), and the bytes as given (a password that is not valid text in
// the code page).
std::vector<std::string> AESPasswordCandidates(std::string_view codePageBytes);

}  // namespace sarvane::pdf
