#include "pdf/filters/zkFlateFilter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

using test::DecodeLimitScope;
using test::RandomBytes;
using test::ZlibCompress;

TEST(FlateFilter, RoundTripsAtEveryLevel) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "BT /F1 12 Tf 72 712 Td (line " + std::to_string(i) + ") Tj ET\n";
  const struct {
    const char* name;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"one byte", "x"},
      {"content stream", text},
      {"random 300k", RandomBytes(300000, 7)},
      {"zeros 5M", std::string(5u << 20, '\0')},
  };
  TzkFlateFilter f;
  for (const auto& c : cases) {
    for (int level = 0; level <= 3; ++level) {
      SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(level));
      std::string enc = f.EncodeTextLevel(c.data, level);
      // zlib itself must read what we write.
      std::string check(c.data.size(), '\0');
      uLongf len = check.size();
      ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(check.data()), &len,
                           reinterpret_cast<const Bytef*>(enc.data()), enc.size()),
                Z_OK);
      EXPECT_EQ(len, c.data.size());
      EXPECT_EQ(f.DecodeText(enc), c.data);
    }
  }
}

TEST(FlateFilter, LevelIndexSelectsZlibLevel) {
  EXPECT_EQ(FlateZlibLevel(0), 0);
  EXPECT_EQ(FlateZlibLevel(1), 1);
  EXPECT_EQ(FlateZlibLevel(2), -1);
  EXPECT_EQ(FlateZlibLevel(3), 9);
  EXPECT_THROW(FlateZlibLevel(4), EZCompressionError);
  EXPECT_THROW(FlateZlibLevel(-1), EZCompressionError);
  // Level 0 stores: the output is larger than the input, level 3 far smaller.
  std::string text(100000, 'a');
  EXPECT_GT(FlateEncode(text, 0).size(), text.size());
  EXPECT_LT(FlateEncode(text, 3).size(), 1000u);
}

TEST(FlateFilter, EncodeTextWithoutLevelCompresses) {
  std::string text(10000, 'q');
  TzkFlateFilter f;
  EXPECT_EQ(f.EncodeText(text), FlateEncode(text, 2));
  EXPECT_EQ(f.DecodeText(f.EncodeText(text)), text);
}

// Streams may end in any byte; 0x0A and 0x0D are the ones that line-end trimming
// would eat.
TEST(FlateFilter, DecodesStreamsEndingInLineEndBytes) {
  for (char last : {'\n', '\r'}) {
    std::string plain, packed;
    // The checksum's last byte moves by one with the last input byte.
    for (int i = 0; i < 256; ++i) {
      plain = "stream " + std::string(1, static_cast<char>(i));
      packed = ZlibCompress(plain);
      if (packed.back() == last) break;
    }
    ASSERT_EQ(packed.back(), last);
    EXPECT_EQ(FlateDecode(packed), plain);
  }
}

TEST(FlateFilter, ToleratesDamageAfterTheData) {
  const std::string plain = "The quick brown fox jumps over the lazy dog. " + RandomBytes(2000, 3);
  const std::string packed = ZlibCompress(plain);
  std::string badCheck = packed;
  badCheck.back() ^= 0x55;
  const struct {
    const char* name;
    std::string data;
    std::string expected;
  } cases[] = {
      {"trailing line end", packed + "\r\n", plain},
      {"trailing garbage", packed + "endstream garbage", plain},
      {"wrong checksum", badCheck, plain},
      {"checksum missing", packed.substr(0, packed.size() - 4), plain},
      {"checksum cut", packed.substr(0, packed.size() - 2), plain},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FlateDecode(c.data), c.expected);
  }
}

TEST(FlateFilter, TruncatedDataGivesWhatWasInflated) {
  const std::string plain = RandomBytes(50000, 11);
  const std::string packed = FlateEncode(plain, 0);  // stored blocks: bytes map 1:1
  std::string got = FlateDecode(packed.substr(0, packed.size() / 2));
  ASSERT_GT(got.size(), 0u);
  EXPECT_LT(got.size(), plain.size());
  EXPECT_EQ(got, plain.substr(0, got.size()));
}

TEST(FlateFilter, CorruptDataRaisesDecompressionError) {
  const std::string packed = ZlibCompress(std::string(1000, 'z') + RandomBytes(1000, 5));
  std::string badBlock = packed;
  badBlock[2] = static_cast<char>(0xFF);  // block type 3 does not exist
  const struct {
    const char* name;
    std::string data;
  } cases[] = {
      {"not zlib", "plain text, not compressed"},
      {"bad header check", std::string("\x78\x9d", 2) + packed.substr(2)},
      {"reserved block type", badBlock},
      {"preset dictionary", std::string("\x78\xbb\x00\x00\x00\x01", 6)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(FlateDecode(c.data), EZDecompressionError);
  }
  try {
    FlateDecode("xx");
    ADD_FAILURE();
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "data error");
  }
}

TEST(FlateFilter, RefusesOutputPastTheLimit) {
  const std::string bomb = FlateEncode(std::string(64u << 20, '\0'), 3);
  ASSERT_LT(bomb.size(), 100000u);
  {
    DecodeLimitScope scope(1u << 20);
    try {
      FlateDecode(bomb);
      ADD_FAILURE() << "bomb accepted";
    } catch (const EDecodeLimitError& e) {
      EXPECT_STREQ(e.what(), "Decoded stream exceeds the limit of 1048576 bytes");
    }
    // Exactly the limit still passes, one byte more does not.
    EXPECT_EQ(FlateDecode(FlateEncode(std::string(1u << 20, 'a'))).size(), 1u << 20);
    EXPECT_THROW(FlateDecode(FlateEncode(std::string((1u << 20) + 1, 'a'))), EDecodeLimitError);
  }
  // Under the default limit the same stream decodes.
  EXPECT_EQ(FlateDecode(bomb).size(), 64u << 20);
}

}  // namespace
}  // namespace sarvane::pdf
