#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace sarvane {
namespace {

TEST(Format, FillsPlaceholdersInOrder) {
  struct Case { std::string got, want; };
  const Case cases[] = {
      {Format("Invalid unique ID (%d)", 42), "Invalid unique ID (42)"},
      {Format("%s に書き込めません", "Secu"), "Secu に書き込めません"},
      {Format("%s and %d", "a", -7), "a and -7"},
      {Format("100%% of %s", "x"), "100% of x"},
      {Format("missing %s"), "missing %s"},
      {Format("trailing %"), "trailing %"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(StrToInt, TakesTheWholeTextOnly) {
  struct Case { const char* text; bool ok; int32_t value; };
  const Case cases[] = {
      {"12", true, 12},  {"-5", true, -5},       {"+3", true, 3},   {"0", true, 0},
      {"12abc", false, 0}, {"", false, 0},       {" 1", false, 0},  {"1.0", false, 0},
      {"2147483648", false, 0}, {"+-5", false, 0}, {"-2147483648", true, INT32_MIN}, {"-", false, 0},
  };
  for (const auto& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(StrToInt, RaisesConvertErrorWithTheText) {
  try {
    StrToInt("12abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12abc' is not a valid integer value");
  }
  EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
}

}  // namespace
}  // namespace sarvane
