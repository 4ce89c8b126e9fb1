#include "pdf/objects/zkIdentityTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace sarvane::pdf {
namespace {

// What the store does: the identities recorded, by index.
struct Recorded {
  std::vector<TzkIdentity> identities;
  TzkIdentityTable table;

  auto At() const {
    return [this](int32_t index) { return identities[static_cast<size_t>(index)]; };
  }
  void Add(TzkIdentity identity) {
    identities.push_back(identity);
    table.Add(identity, static_cast<int32_t>(identities.size() - 1), At());
  }
  int32_t Find(TzkIdentity identity) const { return table.Find(identity, At()); }
};

TEST(TzkIdentityTable, FindsWhatWasAddedByTheWholeIdentity) {
  Recorded r;
  EXPECT_EQ(r.Find({1, 1, 0}), -1);
  r.Add({1, 7, 0});       // 0
  r.Add({2, 7, 0});       // 1: same object number, other document
  r.Add({1, 7, 3});       // 2: same number, other generation
  r.Add({1, 7, 0});       // 3: a repeat keeps the first index
  r.Add({-5, 0, 65535});  // 4
  EXPECT_EQ(r.Find({1, 7, 0}), 0);
  EXPECT_EQ(r.Find({2, 7, 0}), 1);
  EXPECT_EQ(r.Find({1, 7, 3}), 2);
  EXPECT_EQ(r.Find({-5, 0, 65535}), 4);
  EXPECT_EQ(r.Find({1, 8, 0}), -1);
  EXPECT_EQ(r.table.Count(), 4);
  r.table.Clear();
  EXPECT_EQ(r.Find({1, 7, 0}), -1);
  EXPECT_EQ(r.table.Count(), 0);
}

TEST(TzkIdentityTable, KeepsEveryEntryAcrossGrowth) {
  // Enough entries to double the table many times, with identities that
  // differ only in one field, as a document's objects do.
  Recorded r;
  for (int32_t n = 0; n < 100000; ++n) r.Add({3, n, static_cast<uint16_t>(n % 3)});
  for (int32_t n = 0; n < 100000; ++n) {
    ASSERT_EQ(r.Find({3, n, static_cast<uint16_t>(n % 3)}), n) << n;
    ASSERT_EQ(r.Find({3, n, static_cast<uint16_t>(n % 3 + 1)}), -1) << n;
  }
  EXPECT_EQ(r.Find({4, 5, 2}), -1);
}

}  // namespace
}  // namespace sarvane::pdf
