#pragma once
// The filter tables and the routines that decode by filter code and through a
// whole /Filter chain.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/filters/zkAscii85Filter.h"
#include "pdf/filters/zkAsciiHexFilter.h"
#include "pdf/filters/zkExtMemStream.h"
#include "pdf/filters/zkFilter.h"
#include "pdf/filters/zkFlateFilter.h"
#include "pdf/filters/zkLZWFilter.h"
#include "pdf/filters/zkPredictor.h"
#include "pdf/filters/zkRLEFilter.h"
#include "pdf/objects/zkPDFObjects.h"

namespace sarvane::pdf {

// Filter codes; fixed, they index kFilterNames.
enum TzkFilterCode : uint8_t {
  fcASCIIHexDecode = 0,
  fcASCII85Decode = 1,
  fcFlateDecode = 2,
  fcRunLengthDecode = 3,
  fcLZWDecode = 4,
  fcCCITTFaxDecode = 5,
  fcDCTDecode = 6,
};

// The names in code order, as they are written.
inline constexpr std::string_view kFilterNames[] = {
    "/ASCIIHexDecode", "/ASCII85Decode", "/FlateDecode", "/RunLengthDecode",
    "/LZWDecode",      "/CCITTFaxDecode", "/DCTDecode"};

// Maps an indirect reference to its object (nullptr when it cannot). Without
// one, objects are taken as they are.
using TzkObjectResolver = std::function<const TzkPDFObject*(const TzkPDFObject*)>;

// The code of a filter name, compared exactly ("/A85" is also ASCII85);
// EUnsupportedFilterError "Unsupported filter (%s)" otherwise.
uint8_t FilterCodeOf(std::string_view name);

// The codes of a /Filter value: a name gives one, an array one per item (each
// must be a name: EInvalidCast otherwise); any other kind raises
// EUnexpectedFilterObject. nullptr gives none.
std::vector<uint8_t> FilterCodes(const TzkPDFObject* filter, const TzkObjectResolver& resolve = {});

// One decoding step. Trailing CR and LF are dropped for the two ASCII filters
// only (the binary ones may end in those bytes), and ASCIIHex data gets its ">"
// when it lacks one. CCITTFax and DCT data come back unchanged; any other code
// raises EUnsupportedFilterError "Unsupported filter". The source is not changed.
std::unique_ptr<TzkMemoryStream> DecodeByCode(uint8_t code, TzkStream& source);
// As DecodeByCode, except that code 5 (CCITTFax) is unsupported here.
std::string DecodeTextByCode(uint8_t code, std::string_view source);

// The /DecodeParms entries that concern one filter. Absent values keep their
// defaults; values must be numbers (EInvalidPredictorParameter otherwise).
TzkPredictorParams ReadDecodeParms(const TzkPDFObject* parms, const TzkObjectResolver& resolve = {});

// Decodes through every filter of the chain in order, skipping DCT. When
// decodeParms is given (a dictionary, or an array parallel to the filters),
// LZW honours /EarlyChange and Flate and LZW stages reverse their predictor:
// PNG from /Predictor 10 on, TIFF for 2. No filter (nullptr or null) gives a copy.
std::string DecodeChain(std::string_view data, const TzkPDFObject* filter,
                        const TzkPDFObject* decodeParms = nullptr,
                        const TzkObjectResolver& resolve = {});
std::unique_ptr<TzkMemoryStream> DecodeChain(TzkStream& data, const TzkPDFObject* filter,
                                             const TzkPDFObject* decodeParms = nullptr,
                                             const TzkObjectResolver& resolve = {});

// PNG predictor reversal with one byte per pixel, from the source's current
// position; the result is a new stream at position 0.
std::unique_ptr<TzkMemoryStream> UnpredictPng(TzkStream& source, int64_t columns);

}  // namespace sarvane::pdf
