#include "pdf/objects/zkIdentityTable.h"

#include <gtest/gtest.h>

namespace sarvane::pdf {
namespace {

TEST(TzkIdentityTable, FindsWhatWasAddedByTheWholeIdentity) {
  TzkIdentityTable table;
  EXPECT_EQ(table.Find(1, 1, 0), -1);
  table.Add(1, 7, 0, 10);
  table.Add(2, 7, 0, 11);   // same object number, other document
  table.Add(1, 7, 3, 12);   // same number, other generation
  table.Add(1, 7, 0, 99);   // a repeat keeps the first index
  table.Add(-5, 0, 65535, 13);
  EXPECT_EQ(table.Find(1, 7, 0), 10);
  EXPECT_EQ(table.Find(2, 7, 0), 11);
  EXPECT_EQ(table.Find(1, 7, 3), 12);
  EXPECT_EQ(table.Find(-5, 0, 65535), 13);
  EXPECT_EQ(table.Find(1, 8, 0), -1);
  EXPECT_EQ(table.Count(), 4);
  table.Clear();
  EXPECT_EQ(table.Find(1, 7, 0), -1);
  EXPECT_EQ(table.Count(), 0);
}

TEST(TzkIdentityTable, KeepsEveryEntryAcrossGrowth) {
  // Enough entries to double the table many times, with identities that
  // differ only in one field, as a document's objects do.
  TzkIdentityTable table;
  for (int32_t n = 0; n < 100000; ++n) table.Add(3, n, static_cast<uint16_t>(n % 3), n);
  for (int32_t n = 0; n < 100000; ++n) {
    ASSERT_EQ(table.Find(3, n, static_cast<uint16_t>(n % 3)), n) << n;
    ASSERT_EQ(table.Find(3, n, static_cast<uint16_t>(n % 3 + 1)), -1) << n;
  }
  EXPECT_EQ(table.Find(4, 5, 2), -1);
}

}  // namespace
}  // namespace sarvane::pdf
