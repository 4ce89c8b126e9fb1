#pragma once
// The check a lock job makes before it reports success: the copy in the
// output folder is the file the job wrote.
//
// A job once reported success for an empty copy and for another job's
// unencrypted file. Reading the copy back whole would double the cost of a
// large job, so the check reads only a few places: the size, the header,
// the end of the file (startxref, the trailer, "%%EOF"), the one
// cross-reference entry for the catalog and the one for the page tree root.
// That is enough to tell that the copy is complete, that it is this job's
// document (its trailer, with its file identifier, is byte for byte the
// one written), whether it is encrypted, and how many pages it has.
#include <cstdint>
#include <string>

namespace sarvane::app {

// What the job wrote and asked for.
struct TWrittenOutput {
  int64_t Size = -1;      // bytes of the finished work file
  std::string Version;    // header version, "1.0" … "1.7"
  std::string Trailer;    // the written file from its last "trailer" keyword to its end
  bool Encrypted = false; // security was asked for
  int PageCount = 0;      // pages of the input
};

// Fills Size and Trailer from the finished work file. Empty when that
// worked, else the reason.
std::string DescribeWrittenFile(const std::string& fileName, TWrittenOutput& written);

// Checks the copy against what was written. Empty when it is right, else
// the reason, in the order: size, header, end of file and cross-reference,
// encryption, page count, trailer bytes.
std::string CheckOutputCopy(const std::string& fileName, const TWrittenOutput& written);

}  // namespace sarvane::app
