#include "pdf/filters/zkFilter.h"

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {
std::size_t gDecodeLimit = kDefaultDecodeLimit;
}

EImproperPNGAlgorithm::EImproperPNGAlgorithm() : Exception(res::SImproperPNGAlgorithm) {}

EDecodeLimitError::EDecodeLimitError(std::size_t limit)
    : Exception(Format(res::SDecodeLimit, limit)) {}

std::size_t DecodeLimit() { return gDecodeLimit; }
void SetDecodeLimit(std::size_t limit) { gDecodeLimit = limit; }

void CheckDecodeLimit(std::size_t size) {
  if (size > gDecodeLimit) throw EDecodeLimitError(gDecodeLimit);
}

std::string TzkFilter::EncodeTextLevel(std::string_view source, int /*levelIndex*/) {
  return EncodeText(source);
}

std::string TzkFilter::EncodeText(std::string_view /*source*/) {
  throw Exception(res::SEncodeNotSupported);
}

}  // namespace sarvane::pdf
