#pragma once
// /LZWDecode (decoding only): 9- to 12-bit codes, most significant bit first,
// 256 clears the table, 257 ends the data.
#include <cstdint>

#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf {

class TzkLZWFilter : public TzkFilter {
 public:
  // earlyChange follows /EarlyChange: true (the default) widens the codes one
  // entry early, as nearly every writer does.
  explicit TzkLZWFilter(bool earlyChange = true) : earlyChange_(earlyChange) {}
  std::string DecodeText(std::string_view source) override;

 private:
  bool earlyChange_;
};

// The table grows to 4096 entries and then stays full until a clear code.
// A code that is not in the table (other than the one entry being defined) raises
// a plain exception; output beyond DecodeLimit() raises EDecodeLimitError.
std::string LZWDecode(std::string_view source, bool earlyChange = true);

}  // namespace sarvane::pdf
