#include "pdf/objects/zkObjectList.h"

#include <gtest/gtest.h>

#include <functional>

#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf {
namespace {

TEST(TzkObjectList, FirstMatchWinsAndInsertionOrderIsKept) {
  TzkPDFIndirectObject a(101, nullptr, 0, 1), b(101, nullptr, 0, 2), c(101, nullptr, 0, 3);
  TzkObjectList list;
  EXPECT_EQ(list.Append(7, &a), 0);
  EXPECT_EQ(list.Append(9, &b), 1);
  EXPECT_EQ(list.Append(7, &c), 2);
  EXPECT_EQ(list.IndexOfStoreKey(7), 0);
  EXPECT_EQ(list.IndexOfStoreKey(9), 1);
  EXPECT_EQ(list.IndexOfStoreKey(8), -1);

  // An insertion in front shifts the others; the lookups follow.
  TzkPDFIndirectObject d(101, nullptr, 0, 4);
  list.InsertAt(0, 9, &d);
  EXPECT_EQ(list.EntryObject(0), &d);
  EXPECT_EQ(list.EntryObject(1), &a);
  EXPECT_EQ(list.IndexOfStoreKey(9), 0);
  EXPECT_EQ(list.IndexOfStoreKey(7), 1);
  list.Append(5, &a);
  EXPECT_EQ(list.IndexOfStoreKey(5), 4);
}

TEST(TzkObjectList, CapacityGrowsInSteps) {
  TzkPDFIndirectObject a(101, nullptr, 0, 1);
  TzkObjectList list;
  // +4 up to 8, +16 above 8, a quarter above 64.
  const int expected[] = {4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 28};
  for (int i = 0; i < 13; ++i) {
    list.Append(i, &a);
    EXPECT_EQ(list.Capacity(), expected[i]) << "after " << i + 1 << " appends";
  }
  while (list.Count() < 77) list.Append(1, &a);
  EXPECT_EQ(list.Capacity(), 76 + 19);
}

TEST(TzkObjectList, RejectsNegativeKeysAndBadIndexes) {
  TzkPDFIndirectObject a(101, nullptr, 0, 1);
  TzkObjectList list;
  list.Append(1, &a);
  struct Case {
    const char* name;
    std::function<void()> call;
    const char* message;
  };
  const Case cases[] = {
      {"append negative key", [&] { list.Append(-1, &a); }, "Invalid unique ID (-1)"},
      {"insert negative key", [&] { list.InsertAt(0, -5, &a); }, "Invalid unique ID (-5)"},
      {"insert past end", [&] { list.InsertAt(2, 1, &a); }, "List index out of bounds (2)"},
      {"entry past end", [&] { list.EntryObject(1); }, "List index out of bounds (1)"},
      {"entry negative", [&] { list.EntryObject(-1); }, "List index out of bounds (-1)"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.message) << c.name;
    }
  }
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.IndexOfStoreKey(1), -1);
}

}  // namespace
}  // namespace sarvane::pdf
