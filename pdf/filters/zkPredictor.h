#pragma once
// Reversal of the PNG and TIFF predictors that /DecodeParms asks for.
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/filters/zkFilter.h"

namespace sarvane::pdf {

// The /DecodeParms entries of one filter, with their PDF defaults.
struct TzkPredictorParams {
  int64_t Predictor = 1;
  int64_t Colors = 1;
  int64_t BitsPerComponent = 8;
  int64_t Columns = 1;
  bool EarlyChange = true;
};

// Bounds that no real image or cross-reference stream comes near; anything beyond
// them is hostile and would only make us allocate huge rows.
inline constexpr int64_t kMaxPredictorColumns = int64_t{1} << 20;
inline constexpr int64_t kMaxPredictorColors = 32;

// EInvalidPredictorParameter when a value that the predictor uses is out of range.
void CheckPredictorParams(const TzkPredictorParams& params);

// Applies the reversal the parameters name: none below 10 except 2 (TIFF), PNG
// (per-row tags) from 10 on.
std::string ApplyPredictor(std::string_view data, const TzkPredictorParams& params);

// PNG rows of one tag byte plus the row's bytes. A short last row gives only the
// bytes it has; a tag outside 0..4 raises EImproperPNGAlgorithm.
std::string UnpredictPngBytes(std::string_view data, int64_t columns, int64_t colors = 1,
                              int64_t bitsPerComponent = 8);

// TIFF predictor 2: each sample is stored as the difference to the sample of the
// same component to its left.
std::string UntiffPredictBytes(std::string_view data, int64_t columns, int64_t colors,
                               int64_t bitsPerComponent);

}  // namespace sarvane::pdf
