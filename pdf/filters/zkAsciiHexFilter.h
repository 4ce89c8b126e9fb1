#pragma once
// /ASCIIHexDecode: two hexadecimal digits per byte, ">" at the end.
#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf {

class TzkAsciiHexFilter : public TzkFilter {
 public:
  std::string EncodeText(std::string_view source) override;
  std::string DecodeText(std::string_view source) override;
};

std::string AsciiHexEncode(std::string_view source);
// The data must end in ">"; white space is skipped; an odd digit at the end is
// completed with "0".
std::string AsciiHexDecode(std::string_view source);

}  // namespace sarvane::pdf
