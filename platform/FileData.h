#pragma once
// Whole files in memory: the settings file and the PDF parser both work on
// the bytes of a file at once.
#include <cstddef>
#include <string>

namespace sarvane {

// Replaces data with the bytes of the regular file name. False (errno set)
// when it is missing, not a regular file or cannot be read.
bool ReadWholeFile(const std::string& name, std::string& data);

// The pieces of ReadWholeFile, for a reader that keeps the bytes elsewhere.
// Opens the regular file name for reading: its descriptor, with its size
// in size, or -1 (errno set) as ReadWholeFile fails.
int OpenRegularFile(const std::string& name, size_t& size);
// Replaces data with what fd holds from its position to its end, sized for
// size bytes first (a file that grows meanwhile is still read to its end).
// False (errno set) on a read error.
bool ReadToEnd(int fd, size_t size, std::string& data);

}  // namespace sarvane
