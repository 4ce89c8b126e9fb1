#include "platform/Clock.h"

#include <gtest/gtest.h>

#include "platform/Random.h"

namespace sarvane {
namespace {

TEST(FormatDateTime, UsesTheRuntimePatterns) {
  LocalDateTime t{2026, 3, 7, 9, 5, 4, 12};
  EXPECT_EQ(FormatDateTime("yyyymmddhhnnss", t), "20260307090504");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", t), "2026/03/07");
  EXPECT_EQ(FormatDateTime("hh:mm:ss.zzz", t), "09:05:04.012");
}

TEST(Random, StaysInRange) {
  for (int i = 0; i < 1000; ++i) {
    int32_t r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
  }
  EXPECT_EQ(Random(0), 0);
}

}  // namespace
}  // namespace sarvane
