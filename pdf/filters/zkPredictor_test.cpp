#include "pdf/filters/zkPredictor.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// A PNG encoder for test data, one tag for all rows.
std::string PngEncode(const std::string& raw, std::size_t rowBytes, std::size_t bpp, int tag) {
  std::string out;
  std::string above(rowBytes, '\0');
  for (std::size_t r = 0; r < raw.size(); r += rowBytes) {
    const std::string row = raw.substr(r, rowBytes);
    out.push_back(static_cast<char>(tag));
    for (std::size_t i = 0; i < row.size(); ++i) {
      const int x = static_cast<uint8_t>(row[i]);
      const int a = i >= bpp ? static_cast<uint8_t>(row[i - bpp]) : 0;
      const int b = static_cast<uint8_t>(above[i]);
      const int c = i >= bpp ? static_cast<uint8_t>(above[i - bpp]) : 0;
      int pred = 0;
      switch (tag) {
        case 1: pred = a; break;
        case 2: pred = b; break;
        case 3: pred = (a + b) / 2; break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
          break;
        }
      }
      out.push_back(static_cast<char>(x - pred));
    }
    above = row;
  }
  return out;
}

TEST(PngPredictor, ReversesEachTag) {
  const struct {
    const char* name;
    std::string in;
    int64_t columns;
    std::string out;
  } cases[] = {
      {"up", Bytes({2, 1, 2, 3, 4, 2, 1, 1, 1, 1}), 4, Bytes({1, 2, 3, 4, 2, 3, 4, 5})},
      {"none", Bytes({0, 9, 8, 0, 7, 6}), 2, Bytes({9, 8, 7, 6})},
      {"sub wraps", Bytes({1, 200, 100}), 2, Bytes({200, 44})},
      {"average", Bytes({1, 1, 2, 3, 3, 10, 10, 10}), 3, Bytes({1, 3, 6, 10, 16, 21})},
      {"paeth picks a", Bytes({0, 5, 5, 4, 1, 0}), 2, Bytes({5, 5, 6, 6})},
      {"paeth picks c", Bytes({0, 5, 9, 4, 252, 0}), 2, Bytes({5, 9, 1, 5})},
      {"paeth first row is sub", Bytes({4, 7, 3}), 2, Bytes({7, 10})},
      {"short last row", Bytes({0, 1, 2, 3, 2, 1}), 3, Bytes({1, 2, 3, 2})},
      {"tag only", Bytes({0, 1, 2, 0}), 2, Bytes({1, 2})},
      {"empty", "", 4, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UnpredictPngBytes(c.in, c.columns), c.out);
  }
}

TEST(PngPredictor, UsesWholePixelsForTheLeftNeighbour) {
  const struct {
    int64_t columns, colors, bpc;
    std::size_t rowBytes, bpp;
  } shapes[] = {
      {5, 3, 8, 15, 3}, {7, 1, 16, 14, 2}, {4, 4, 16, 32, 8}, {10, 1, 1, 2, 1}, {3, 3, 4, 5, 1},
  };
  const std::string raw = test::RandomBytes(32 * 6, 21);
  for (const auto& s : shapes) {
    for (int tag = 0; tag <= 4; ++tag) {
      SCOPED_TRACE(std::to_string(s.colors) + "x" + std::to_string(s.bpc) + " tag " +
                   std::to_string(tag));
      const std::string data = raw.substr(0, s.rowBytes * 5);
      EXPECT_EQ(UnpredictPngBytes(PngEncode(data, s.rowBytes, s.bpp, tag), s.columns, s.colors, s.bpc),
                data);
    }
  }
}

TEST(PngPredictor, RejectsUnknownTags) {
  try {
    UnpredictPngBytes(Bytes({0, 1, 2, 5, 1, 2}), 2);
    ADD_FAILURE();
  } catch (const EImproperPNGAlgorithm& e) {
    EXPECT_STREQ(e.what(), "Improper PNG algorithm tag in stream");
  }
}

TEST(Predictor, RejectsParametersOutOfRange) {
  const struct {
    int64_t predictor, columns, colors, bpc;
    const char* message;
  } cases[] = {
      {12, 0, 1, 8, "Invalid predictor parameter (/Columns 0)"},
      {12, -5, 1, 8, "Invalid predictor parameter (/Columns -5)"},
      {12, (int64_t{1} << 20) + 1, 1, 8, "Invalid predictor parameter (/Columns 1048577)"},
      {12, 4, 0, 8, "Invalid predictor parameter (/Colors 0)"},
      {12, 4, 33, 8, "Invalid predictor parameter (/Colors 33)"},
      {2, 4, 1, 3, "Invalid predictor parameter (/BitsPerComponent 3)"},
      {15, 4, 1, 32, "Invalid predictor parameter (/BitsPerComponent 32)"},
      {2, int64_t{1} << 40, 1, 8, "Invalid predictor parameter (/Columns 1099511627776)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TzkPredictorParams p;
    p.Predictor = c.predictor;
    p.Columns = c.columns;
    p.Colors = c.colors;
    p.BitsPerComponent = c.bpc;
    try {
      ApplyPredictor(Bytes({0, 1, 2, 3}), p);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidPredictorParameter& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  // A huge but allowed width with little data stays cheap and correct.
  TzkPredictorParams wide;
  wide.Predictor = 12;
  wide.Columns = int64_t{1} << 20;
  wide.Colors = 32;
  wide.BitsPerComponent = 16;
  EXPECT_EQ(ApplyPredictor(Bytes({2, 1, 2}), wide), Bytes({1, 2}));
}

TEST(Predictor, AppliesOnlyTheNamedPredictor) {
  const std::string data = Bytes({2, 1, 2, 3, 4, 2, 1, 1, 1, 1});
  const struct {
    int64_t predictor;
    std::string out;
  } cases[] = {
      {1, data},
      {0, data},
      {5, data},
      {10, Bytes({1, 2, 3, 4, 2, 3, 4, 5})},
      {12, Bytes({1, 2, 3, 4, 2, 3, 4, 5})},
      {15, Bytes({1, 2, 3, 4, 2, 3, 4, 5})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.predictor);
    TzkPredictorParams p;
    p.Predictor = c.predictor;
    // Columns 0 would be refused; it is not even looked at without a predictor.
    p.Columns = c.predictor >= 10 ? 4 : 0;
    EXPECT_EQ(ApplyPredictor(data, p), c.out);
  }
}

TEST(TiffPredictor, AddsTheSampleToTheLeft) {
  const struct {
    const char* name;
    int64_t columns, colors, bpc;
    std::string in, out;
  } cases[] = {
      {"gray 8", 4, 1, 8, Bytes({10, 1, 1, 255, 5, 5, 0, 0}), Bytes({10, 11, 12, 11, 5, 10, 10, 10})},
      {"rgb 8", 2, 3, 8, Bytes({1, 2, 3, 1, 1, 1}), Bytes({1, 2, 3, 2, 3, 4})},
      {"gray 16", 2, 1, 16, Bytes({0x01, 0xFF, 0x00, 0x02}), Bytes({0x01, 0xFF, 0x02, 0x01})},
      {"gray 4", 4, 1, 4, Bytes({0x11, 0x1F}), Bytes({0x12, 0x32})},
      {"gray 1 rows", 3, 1, 1, Bytes({0b11100000, 0b01000000}), Bytes({0b10100000, 0b01100000})},
      {"gray 2 padding untouched", 3, 1, 2, Bytes({0b01010111}), Bytes({0b01101111})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TzkPredictorParams p;
    p.Predictor = 2;
    p.Columns = c.columns;
    p.Colors = c.colors;
    p.BitsPerComponent = c.bpc;
    EXPECT_EQ(ApplyPredictor(c.in, p), c.out);
  }
}

}  // namespace
}  // namespace sarvane::pdf
