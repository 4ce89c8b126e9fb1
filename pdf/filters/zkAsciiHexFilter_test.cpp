#include "pdf/filters/zkAsciiHexFilter.h"

#include <gtest/gtest.h>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

TEST(AsciiHexFilter, Decodes) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"48656C6C6F>", "Hello"},
      {"48 65 6C>", "Hel"},
      {"414>", std::string("\x41\x40")},
      {"48656c6C6f>", "Hello"},
      {"4\n8\r6\t5 >", "He"},
      {">", ""},
      {"41>42", "A"},  // never reached: the filter needs ">" last, see below
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    if (c.in.back() != '>') continue;
    EXPECT_EQ(AsciiHexDecode(c.in), c.out);
  }
  EXPECT_EQ(AsciiHexDecode("41>42>"), "A");  // decoding ends at the first ">"
}

TEST(AsciiHexFilter, RejectsBadData) {
  const struct {
    std::string in;
    const char* message;
  } cases[] = {
      {"48656C6C6F", "EndOfData marker is wrong"},
      {"", "EndOfData marker is wrong"},
      {"48>\n", "EndOfData marker is wrong"},
      {"4G>", "Illeagal character within stream"},
      {"<48>", "Illeagal character within stream"},
      {"48\f65>", "Illeagal character within stream"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    try {
      AsciiHexDecode(c.in);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(AsciiHexFilter, EncodesAndRoundTrips) {
  TzkAsciiHexFilter f;
  EXPECT_EQ(f.EncodeText("Hello"), "48656C6C6F>");
  EXPECT_EQ(f.EncodeText(""), ">");
  EXPECT_EQ(f.EncodeText(std::string("\x00\xff", 2)), "00FF>");
  const std::string data = test::RandomBytes(4096, 1);
  EXPECT_EQ(f.DecodeText(f.EncodeText(data)), data);
  EXPECT_EQ(f.EncodeTextLevel("A", 3), "41>");  // no levels: the index is ignored
}

}  // namespace
}  // namespace sarvane::pdf
