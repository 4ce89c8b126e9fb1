#include "pdf/filters/zkRLEFilter.h"

#include <gtest/gtest.h>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

TEST(RLEFilter, Encodes) {
  const int A = 'A', B = 'B', C = 'C';
  const struct {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"empty", "", Bytes({128})},
      {"single", "A", Bytes({0, A, 128})},
      {"run then literal", "AAAB", Bytes({254, A, 0, B, 128})},
      {"literals", "ABAB", Bytes({3, A, B, A, B, 128})},
      {"pair alone", "AA", Bytes({255, A, 128})},
      {"pair before literals", "AABC", Bytes({255, A, 1, B, C, 128})},
      {"literal then run", "ABBB", Bytes({0, A, 254, B, 128})},
      {"pair inside literals", "BAAC", Bytes({3, B, A, A, C, 128})},
      {"pair before pair", "BAACC", Bytes({0, B, 255, A, 255, C, 128})},
      {"run of 128", std::string(128, 'A'), Bytes({129, A, 128})},
      {"run of 129", std::string(129, 'A'), Bytes({129, A, 0, A, 128})},
      {"run of 130", std::string(130, 'A'), Bytes({129, A, 255, A, 128})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunLengthEncode(c.in), c.out);
    EXPECT_EQ(RunLengthDecode(c.out), c.in);
  }
}

TEST(RLEFilter, LongLiteralsSplitAt128) {
  std::string lit;
  for (int i = 0; i < 300; ++i) lit.push_back(i % 2 ? 'x' : 'y');
  const std::string enc = RunLengthEncode(lit);
  ASSERT_EQ(enc.size(), 300u + 3 + 1);
  EXPECT_EQ(static_cast<unsigned char>(enc[0]), 127);
  EXPECT_EQ(static_cast<unsigned char>(enc[129]), 127);
  EXPECT_EQ(static_cast<unsigned char>(enc[258]), 300 - 256 - 1);
  EXPECT_EQ(RunLengthDecode(enc), lit);
}

TEST(RLEFilter, RoundTrips) {
  std::string mixed;
  for (int i = 0; i < 2000; ++i) mixed += std::string(i % 7, static_cast<char>(i)) + "xy" + std::string(i % 300, 'r');
  const std::string cases[] = {test::RandomBytes(5000, 4), mixed, std::string(100000, '\0'),
                               std::string(1, '\x80'), std::string(3, '\x80')};
  TzkRLEFilter f;
  for (const auto& data : cases) EXPECT_EQ(f.DecodeText(f.EncodeText(data)), data);
}

TEST(RLEFilter, RejectsBadData) {
  const int A = 'A';
  const struct {
    const char* name;
    std::string in;
    const char* message;
  } cases[] = {
      {"empty", "", "EndOfData Marker is wrong"},
      {"no marker", Bytes({254, A}), "EndOfData Marker is wrong"},
      {"line end after marker", Bytes({254, A, 128, '\n'}), "EndOfData Marker is wrong"},
      {"literal cut short", Bytes({1, A, 128}), "Unexpected EndOfFile found"},
      {"run without byte", Bytes({254, 128}), "Unexpected EndOfFile found"},
      {"marker inside", Bytes({0, A, 128, 0, A, 128}), "Premature EndOfData Marker found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      RunLengthDecode(c.in);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(RunLengthDecode(Bytes({254, A, 128})), "AAA");
}

TEST(RLEFilter, RefusesOutputPastTheLimit) {
  test::DecodeLimitScope scope(1000);
  std::string runs;
  for (int i = 0; i < 8; ++i) runs += Bytes({129, 'A'});  // 8 * 128 = 1024 bytes
  EXPECT_THROW(RunLengthDecode(runs + Bytes({128})), EDecodeLimitError);
  EXPECT_EQ(RunLengthDecode(runs.substr(0, 14) + Bytes({128})).size(), 7u * 128);
}

}  // namespace
}  // namespace sarvane::pdf
