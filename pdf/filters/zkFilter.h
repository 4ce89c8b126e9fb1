#pragma once
// The common base of the stream filters, the exceptions they raise and the
// guard against decompression bombs.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/objects/zkClasses.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

// A PNG row tag outside 0..4.
class EImproperPNGAlgorithm : public Exception {
 public:
  EImproperPNGAlgorithm();
};

// /DecodeParms values that are out of range or of the wrong kind.
class EInvalidPredictorParameter : public Exception {
 public:
  using Exception::Exception;
};

// The zlib unit's exceptions.
class EZCompressionError : public Exception {
 public:
  using Exception::Exception;
};
class EZDecompressionError : public Exception {
 public:
  using Exception::Exception;
};

// Decoded data would grow past DecodeLimit().
class EDecodeLimitError : public Exception {
 public:
  explicit EDecodeLimitError(std::size_t limit);
};

// The most bytes one decoding step may produce. Real streams stay far below the
// default (1 GiB); hostile ones that inflate without end are stopped here.
std::size_t DecodeLimit();
void SetDecodeLimit(std::size_t limit);
inline constexpr std::size_t kDefaultDecodeLimit = std::size_t{1} << 30;

// Raises EDecodeLimitError when size is above DecodeLimit().
void CheckDecodeLimit(std::size_t size);

// Flate level index: 0 none, 1 fastest, 2 zlib's default, 3 maximum.
inline constexpr int kDefaultLevelIndex = 2;

// All bytes of a stream from position 0; its position is left where it was.
std::string StreamBytes(TzkStream& source);

// Base of the filters. The text forms do the work; the stream forms read the
// source from position 0 (leaving it unchanged) and return a new stream at
// position 0, owned by the caller.
class TzkFilter {
 public:
  virtual ~TzkFilter() = default;

  virtual std::unique_ptr<TzkMemoryStream> EncodeStreamLevel(TzkStream& source, int levelIndex);
  virtual std::unique_ptr<TzkMemoryStream> EncodeStream(TzkStream& source);
  virtual std::unique_ptr<TzkMemoryStream> DecodeStream(TzkStream& source);

  // Filters without levels ignore the index.
  virtual std::string EncodeTextLevel(std::string_view source, int levelIndex);
  // Raises a plain exception for filters that only decode, rather than handing
  // back empty data that a caller could write out as if it were the encoding.
  virtual std::string EncodeText(std::string_view source);
  virtual std::string DecodeText(std::string_view source) = 0;
};

}  // namespace sarvane::pdf
