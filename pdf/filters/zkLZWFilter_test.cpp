#include "pdf/filters/zkLZWFilter.h"

#include <gtest/gtest.h>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

using test::BitWriter;
using test::LzwEncode;

TEST(LZWFilter, DecodesTheClassicExample) {
  // "-----A---B" as codes 256 45 258 258 65 259 66 257 in 9 bits.
  const std::string data("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9);
  TzkLZWFilter f;
  EXPECT_EQ(f.DecodeText(data), "-----A---B");
  EXPECT_EQ(LzwEncode("-----A---B", true, true), data);
}

TEST(LZWFilter, RoundTrips) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "q 1 0 0 1 " + std::to_string(i % 977) + " 0 cm Q\n";
  const struct {
    const char* name;
    std::string data;
  } cases[] = {
      {"empty", ""},
      {"short", "ABABABA"},
      {"text", text},
      {"random", test::RandomBytes(200000, 9)},
      {"zeros", std::string(300000, '\0')},
  };
  for (const auto& c : cases) {
    for (bool early : {true, false}) {
      for (bool clearWhenFull : {true, false}) {
        SCOPED_TRACE(std::string(c.name) + (early ? " early" : " late") +
                     (clearWhenFull ? " clearing" : " full table"));
        EXPECT_EQ(TzkLZWFilter(early).DecodeText(LzwEncode(c.data, early, clearWhenFull)), c.data);
      }
    }
  }
}

TEST(LZWFilter, EndsWithTheDataWhenTheEndCodeIsMissing) {
  std::string enc = LzwEncode("-----A---B", true, true);
  // Drop the end code (last 9 bits span the final two bytes' tail).
  EXPECT_EQ(LZWDecode(enc.substr(0, enc.size() - 1)), "-----A---B");
  EXPECT_EQ(LZWDecode(""), "");
}

TEST(LZWFilter, RejectsCodesOutsideTheTable) {
  BitWriter noPrevious;  // clear, then a code that needs a previous one
  noPrevious.Put(256, 9);
  noPrevious.Put(258, 9);
  BitWriter tooFar;  // 'A' defines nothing yet; 300 is far past the next code (258)
  tooFar.Put(65, 9);
  tooFar.Put(300, 9);
  BitWriter atStart;
  atStart.Put(257 + 1, 9);
  const struct {
    const char* name;
    std::string data;
    const char* message;
  } cases[] = {
      {"after clear", noPrevious.Finish(), "Invalid LZW code (258)"},
      {"past next", tooFar.Finish(), "Invalid LZW code (300)"},
      {"first code", atStart.Finish(), "Invalid LZW code (258)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      LZWDecode(c.data);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(LZWFilter, RefusesOutputPastTheLimit) {
  const std::string data = LzwEncode(std::string(200000, 'a'), true, true);
  test::DecodeLimitScope scope(100000);
  EXPECT_THROW(LZWDecode(data), EDecodeLimitError);
}

}  // namespace
}  // namespace sarvane::pdf
