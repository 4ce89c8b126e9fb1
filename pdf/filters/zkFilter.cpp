#include "pdf/filters/zkFilter.h"

#include <atomic>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {
// Read by every decode, on whatever thread a job runs.
std::atomic<std::size_t> gDecodeLimit{kDefaultDecodeLimit};
}

EImproperPNGAlgorithm::EImproperPNGAlgorithm() : Exception(res::SImproperPNGAlgorithm) {}

EDecodeLimitError::EDecodeLimitError(std::size_t limit)
    : Exception(Format(res::SDecodeLimit, limit)) {}

std::size_t DecodeLimit() { return gDecodeLimit; }
void SetDecodeLimit(std::size_t limit) { gDecodeLimit = limit; }

void CheckDecodeLimit(std::size_t size) {
  const std::size_t limit = gDecodeLimit;
  if (size > limit) throw EDecodeLimitError(limit);
}

std::string StreamBytes(TzkStream& source) {
  // The library's streams are nearly always in memory: no copy through Read.
  if (const auto* memory = dynamic_cast<const TzkMemoryStream*>(&source)) return std::string(memory->Bytes());
  const int64_t saved = source.Position();
  source.Seek(0, soBeginning);
  std::string bytes = source.ReadBytes(source.Size());
  source.Seek(saved, soBeginning);
  return bytes;
}

namespace {
// Runs a text form on the source's bytes, without copying a memory stream.
template <typename F>
std::unique_ptr<TzkMemoryStream> ThroughText(TzkStream& source, F&& f) {
  if (const auto* memory = dynamic_cast<const TzkMemoryStream*>(&source))
    return std::make_unique<TzkMemoryStream>(f(std::string_view(memory->Bytes())));
  const std::string bytes = StreamBytes(source);
  return std::make_unique<TzkMemoryStream>(f(std::string_view(bytes)));
}
}  // namespace

std::unique_ptr<TzkMemoryStream> TzkFilter::EncodeStreamLevel(TzkStream& source, int levelIndex) {
  return ThroughText(source, [&](std::string_view s) { return EncodeTextLevel(s, levelIndex); });
}

std::unique_ptr<TzkMemoryStream> TzkFilter::EncodeStream(TzkStream& source) {
  return ThroughText(source, [&](std::string_view s) { return EncodeText(s); });
}

std::unique_ptr<TzkMemoryStream> TzkFilter::DecodeStream(TzkStream& source) {
  return ThroughText(source, [&](std::string_view s) { return DecodeText(s); });
}

std::string TzkFilter::EncodeTextLevel(std::string_view source, int /*levelIndex*/) {
  return EncodeText(source);
}

std::string TzkFilter::EncodeText(std::string_view /*source*/) {
  throw Exception(res::SEncodeNotSupported);
}

}  // namespace sarvane::pdf
