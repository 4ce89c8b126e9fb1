#pragma once
// /RunLengthDecode: length bytes below 128 introduce literals, above 128 runs,
// 128 ends the data.
#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf {

class TzkRLEFilter : public TzkFilter {
 public:
  std::string EncodeText(std::string_view source) override;
  std::string DecodeText(std::string_view source) override;
};

// Empty input encodes to the end marker alone.
std::string RunLengthEncode(std::string_view source);
// The data must end in 128; output beyond DecodeLimit() raises EDecodeLimitError.
std::string RunLengthDecode(std::string_view source);

}  // namespace sarvane::pdf
