// Feeds arbitrary bytes to every decoder, and through /Filter chains with
// predictor parameters. Each decode must end in data or one of the library's
// exceptions; encoders must round-trip. Anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pdf/filters/zkPDFFilters.h"

using namespace sarvane;
using namespace sarvane::pdf;

namespace {

template <typename F>
void Expect(F&& f) {
  try {
    f();
  } catch (const Exception&) {
  }
}

void RoundTrip(TzkFilter& filter, std::string_view data) {
  if (filter.DecodeText(filter.EncodeText(data)) != data) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  // Bombs are refused at the limit; a small one keeps each run fast.
  static const bool limited = (SetDecodeLimit(8u << 20), true);
  (void)limited;
  if (size < 4) return 0;
  const uint8_t chain = bytes[0];
  const uint8_t predictor = bytes[1];
  const uint8_t columns = bytes[2];
  const uint8_t shape = bytes[3];
  const std::string_view data(reinterpret_cast<const char*>(bytes + 4), size - 4);

  for (uint8_t code = 0; code < 8; ++code) {
    Expect([&] { DecodeTextByCode(code, data); });
    Expect([&] {
      TzkMemoryStream s{std::string(data)};
      DecodeByCode(code, s);
    });
  }
  Expect([&] { LZWDecode(data, false); });
  Expect([&] { UnpredictPngBytes(data, columns + 1); });

  // Up to three stages picked by the first byte, with one set of parameters.
  TzkPDFArrayObject filters;
  for (int i = 0; i < 3; ++i) {
    const int pick = (chain >> (2 * i)) & 7;
    if (i > 0 && pick >= 7) break;
    filters.Add(std::make_unique<TzkPDFNameObject>(std::string(kFilterNames[pick % 7])));
  }
  TzkPDFDictObject parms;
  parms.AddInteger("/Predictor", predictor % 16);
  parms.AddInteger("/Columns", columns - 8);
  parms.AddInteger("/Colors", (shape & 7) + 1 - (shape >> 7));
  static constexpr int kBits[] = {1, 2, 4, 8, 16, 3, 0, 8};
  parms.AddInteger("/BitsPerComponent", kBits[(shape >> 3) & 7]);
  parms.AddInteger("/EarlyChange", (shape >> 6) & 1);
  Expect([&] { DecodeChain(data, &filters, &parms); });

  TzkFlateFilter flate;
  TzkAsciiHexFilter hex;
  TzkAscii85Filter a85;
  TzkRLEFilter rle;
  RoundTrip(flate, data);
  RoundTrip(hex, data);
  RoundTrip(a85, data);
  RoundTrip(rle, data);
  return 0;
}
