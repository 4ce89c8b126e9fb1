#include "pdf/filters/zkPredictor.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {

[[noreturn]] void ThrowParam(std::string_view key, int64_t value) {
  throw EInvalidPredictorParameter(
      Format(res::SInvalidPredictorParameter, std::string(key) + " " + std::to_string(value)));
}

struct RowShape {
  std::size_t rowBytes;  // bytes of one row without the tag
  std::size_t pixelBytes;  // distance to "the byte to the left", at least 1
};

RowShape ShapeOf(int64_t columns, int64_t colors, int64_t bpc) {
  TzkPredictorParams p;
  p.Predictor = 10;
  p.Columns = columns;
  p.Colors = colors;
  p.BitsPerComponent = bpc;
  CheckPredictorParams(p);
  const auto bitsPerPixel = static_cast<std::size_t>(colors * bpc);
  return {(static_cast<std::size_t>(columns) * bitsPerPixel + 7) / 8,
          std::max<std::size_t>(1, bitsPerPixel / 8)};
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  if (pb <= pc) return static_cast<uint8_t>(b);
  return static_cast<uint8_t>(c);
}

}  // namespace

void CheckPredictorParams(const TzkPredictorParams& params) {
  if (params.Predictor != 2 && params.Predictor < 10) return;  // nothing uses the rest
  if (params.Columns < 1 || params.Columns > kMaxPredictorColumns)
    ThrowParam("/Columns", params.Columns);
  if (params.Colors < 1 || params.Colors > kMaxPredictorColors)
    ThrowParam("/Colors", params.Colors);
  switch (params.BitsPerComponent) {
    case 1: case 2: case 4: case 8: case 16: break;
    default: ThrowParam("/BitsPerComponent", params.BitsPerComponent);
  }
}

std::string UnpredictPngBytes(std::string_view data, int64_t columns, int64_t colors,
                              int64_t bitsPerComponent) {
  const RowShape shape = ShapeOf(columns, colors, bitsPerComponent);
  const auto* in = reinterpret_cast<const uint8_t*>(data.data());
  const std::size_t size = data.size();
  // A row can be no longer than the data; hostile /Columns must not size buffers.
  const std::size_t rowBytes = std::min(shape.rowBytes, size);
  const std::size_t bpp = shape.pixelBytes;

  std::string out;
  out.reserve(size);
  std::vector<uint8_t> above(rowBytes, 0);
  std::size_t pos = 0;
  while (pos < size) {
    const uint8_t tag = in[pos++];
    const std::size_t n = std::min(rowBytes, size - pos);
    const uint8_t* x = in + pos;
    pos += n;
    const std::size_t start = out.size();
    out.resize(start + n);
    auto* row = reinterpret_cast<uint8_t*>(out.data() + start);
    switch (tag) {
      case 0:
        std::copy(x, x + n, row);
        break;
      case 1:
        for (std::size_t i = 0; i < n; ++i) row[i] = x[i] + (i >= bpp ? row[i - bpp] : 0);
        break;
      case 2:
        for (std::size_t i = 0; i < n; ++i) row[i] = x[i] + above[i];
        break;
      case 3:
        for (std::size_t i = 0; i < n; ++i) {
          const int a = i >= bpp ? row[i - bpp] : 0;
          row[i] = static_cast<uint8_t>(x[i] + (a + above[i]) / 2);
        }
        break;
      case 4:
        for (std::size_t i = 0; i < n; ++i) {
          const int a = i >= bpp ? row[i - bpp] : 0;
          const int c = i >= bpp ? above[i - bpp] : 0;
          row[i] = static_cast<uint8_t>(x[i] + Paeth(a, above[i], c));
        }
        break;
      default:
        throw EImproperPNGAlgorithm();
    }
    std::copy(row, row + n, above.begin());
  }
  return out;
}

std::string UntiffPredictBytes(std::string_view data, int64_t columns, int64_t colors,
                               int64_t bitsPerComponent) {
  const RowShape shape = ShapeOf(columns, colors, bitsPerComponent);
  std::string out(data);
  auto* bytes = reinterpret_cast<uint8_t*>(out.data());
  const std::size_t size = out.size();
  const auto ncolors = static_cast<std::size_t>(colors);
  const auto bpc = static_cast<unsigned>(bitsPerComponent);
  for (std::size_t rowStart = 0; rowStart < size; rowStart += shape.rowBytes) {
    uint8_t* row = bytes + rowStart;
    const std::size_t n = std::min(shape.rowBytes, size - rowStart);
    if (bpc == 8) {
      for (std::size_t i = ncolors; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - ncolors]);
    } else if (bpc == 16) {
      const std::size_t step = 2 * ncolors;
      for (std::size_t i = step; i + 1 < n; i += 2) {
        const unsigned left = (row[i - step] << 8) | row[i - step + 1];
        const unsigned v = (((row[i] << 8) | row[i + 1]) + left) & 0xFFFF;
        row[i] = static_cast<uint8_t>(v >> 8);
        row[i + 1] = static_cast<uint8_t>(v);
      }
    } else {
      // 1, 2 or 4 bits: samples packed from the high bit, never across a byte.
      const unsigned mask = (1u << bpc) - 1;
      const std::size_t samples = n * 8 / bpc;
      const std::size_t rowSamples =
          std::min(samples, static_cast<std::size_t>(columns) * ncolors);
      auto get = [&](std::size_t s) {
        const std::size_t bit = s * bpc;
        return (row[bit / 8] >> (8 - bpc - bit % 8)) & mask;
      };
      for (std::size_t s = ncolors; s < rowSamples; ++s) {
        const unsigned v = (get(s) + get(s - ncolors)) & mask;
        const std::size_t bit = s * bpc;
        const unsigned shift = 8 - bpc - bit % 8;
        row[bit / 8] = static_cast<uint8_t>((row[bit / 8] & ~(mask << shift)) | (v << shift));
      }
    }
  }
  return out;
}

std::string ApplyPredictor(std::string_view data, const TzkPredictorParams& params) {
  if (params.Predictor >= 10)
    return UnpredictPngBytes(data, params.Columns, params.Colors, params.BitsPerComponent);
  if (params.Predictor == 2)
    return UntiffPredictBytes(data, params.Columns, params.Colors, params.BitsPerComponent);
  return std::string(data);
}

}  // namespace sarvane::pdf
