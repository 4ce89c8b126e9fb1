#pragma once
// Whole files in memory: the settings file and the PDF parser both work on
// the bytes of a file at once.
#include <string>

namespace sarvane {

// Replaces data with the bytes of the regular file name. False (errno set)
// when it is missing, not a regular file or cannot be read.
bool ReadWholeFile(const std::string& name, std::string& data);

}  // namespace sarvane
