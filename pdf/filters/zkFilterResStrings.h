#pragma once
// Message texts of the filter layer. Kept in one place so they can be translated;
// "%s" and "%d" are filled by Format().

namespace sarvane::pdf::res {

// Framing and alphabet of the ASCII and RunLength encodings.
inline constexpr const char* SEndOfDataMarker = "EndOfData marker is wrong";
inline constexpr const char* SIllegalCharacter = "Illeagal character within stream";
inline constexpr const char* SMisplacedZ = "\"z\" found at inappropriate position";
inline constexpr const char* SSingleFinalCharacter = "Single Final Character";
inline constexpr const char* SAscii85GroupTooLarge = "ASCII85 group value out of range";
inline constexpr const char* SRLEEndOfDataMarker = "EndOfData Marker is wrong";
inline constexpr const char* SRLEPrematureEndOfData = "Premature EndOfData Marker found";
inline constexpr const char* SRLEUnexpectedEndOfFile = "Unexpected EndOfFile found";

// LZW.
inline constexpr const char* SLZWInvalidCode = "Invalid LZW code (%d)";

// Predictors.
inline constexpr const char* SImproperPNGAlgorithm = "Improper PNG algorithm tag in stream";
inline constexpr const char* SInvalidPredictorParameter = "Invalid predictor parameter (%s)";

// The zlib unit: its messages by zlib result code, and the size guard.
inline constexpr const char* SZNeedDictionary = "need dictionary";
inline constexpr const char* SZStreamEnd = "stream end";
inline constexpr const char* SZFileError = "file error";
inline constexpr const char* SZStreamError = "stream error";
inline constexpr const char* SZDataError = "data error";
inline constexpr const char* SZMemoryError = "insufficient memory";
inline constexpr const char* SZBufferError = "buffer error";
inline constexpr const char* SZVersionError = "incompatible version";
inline constexpr const char* SZUnknownError = "unknown zlib error (%d)";
inline constexpr const char* SDecodeLimit = "Decoded stream exceeds the limit of %d bytes";

// The scratch stream.
inline constexpr const char* SStreamReadError = "Stream read error";

// Filters that only decode.
inline constexpr const char* SEncodeNotSupported = "This filter cannot encode";

}  // namespace sarvane::pdf::res
