#include "pdf/filters/zkAscii85Filter.h"

#include <gtest/gtest.h>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

using namespace std::string_literals;

TEST(Ascii85Filter, EncodesAndDecodes) {
  // Each pair must hold both ways.
  const struct {
    std::string plain, encoded;
  } cases[] = {
      {""s, "~>"},
      {"\0\0\0\0"s, "z~>"},
      {"\0"s, "!!~>"},
      {"\0\0\0\2"s, "!!!!#~>"},
      {"\0\0\0\0\0\0\0\0\1"s, "zz!<~>"},
      {"\xff\xff\xff\xff"s, "s8W-!~>"},
      {"Man "s, "9jqo^~>"},
      {"Man is"s, "9jqo^Bla~>"},
      {"\0\0\0\0\0"s, "z!!~>"},
  };
  TzkAscii85Filter f;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoded);
    EXPECT_EQ(f.EncodeText(c.plain), c.encoded);
    EXPECT_EQ(f.DecodeText(c.encoded), c.plain);
  }
  const std::string data = test::RandomBytes(10001, 2) + std::string(8, '\0');
  EXPECT_EQ(f.DecodeText(f.EncodeText(data)), data);
}

TEST(Ascii85Filter, DecodingSkipsWhiteSpace) {
  EXPECT_EQ(Ascii85Decode("9jq\r\no^ \tBla~>"), "Man is");
  EXPECT_EQ(Ascii85Decode("z \n z~>"), std::string(8, '\0'));
}

TEST(Ascii85Filter, RejectsBadData) {
  const struct {
    std::string in;
    const char* message;
  } cases[] = {
      {"9jqo^", "EndOfData marker is wrong"},
      {"9jqo^~> ", "EndOfData marker is wrong"},
      {"~", "EndOfData marker is wrong"},
      {"<~9jqo^~>", "Illeagal character within stream"},
      {"9jq{o^~>", "Illeagal character within stream"},
      {"9jzqo~>", "\"z\" found at inappropriate position"},
      {"9jqo^B~>", "Single Final Character"},
      {"!~>", "Single Final Character"},
      {"uuuuu~>", "ASCII85 group value out of range"},
      {"s8W-\"~>", "ASCII85 group value out of range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    try {
      Ascii85Decode(c.in);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace sarvane::pdf
