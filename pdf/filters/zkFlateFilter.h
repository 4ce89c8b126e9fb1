#pragma once
// /FlateDecode through zlib, with the zlib wrapper (header and Adler-32).
#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf {

class TzkFlateFilter : public TzkFilter {
 public:
  std::string EncodeTextLevel(std::string_view source, int levelIndex) override;
  std::string EncodeText(std::string_view source) override;
  std::string DecodeText(std::string_view source) override;
};

// zlib's level for a level index 0..3 (0, 1, -1, 9); EZCompressionError otherwise.
int FlateZlibLevel(int levelIndex);

// The byte-level forms the class uses.
std::string FlateEncode(std::string_view source, int levelIndex = kDefaultLevelIndex);
// Inflates until the zlib stream ends or the input runs out. Bytes after the
// stream end, a missing checksum and a wrong checksum are tolerated: many writers
// produce them and the inflated data is sound. Corrupt deflate data raises
// EZDecompressionError; output beyond DecodeLimit() raises EDecodeLimitError.
std::string FlateDecode(std::string_view source);

}  // namespace sarvane::pdf
