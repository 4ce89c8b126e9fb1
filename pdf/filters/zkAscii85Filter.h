#pragma once
// /ASCII85Decode: five characters "!".."u" per four bytes, "z" for four zeros,
// "~>" at the end.
#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf {

class TzkAscii85Filter : public TzkFilter {
 public:
  std::string EncodeText(std::string_view source) override;
  std::string DecodeText(std::string_view source) override;
};

std::string Ascii85Encode(std::string_view source);
// The data must end in "~>"; no "<~" prefix is accepted. A group whose value
// does not fit in four bytes raises a plain exception.
std::string Ascii85Decode(std::string_view source);

}  // namespace sarvane::pdf
