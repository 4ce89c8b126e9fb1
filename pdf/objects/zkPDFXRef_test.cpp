#include "pdf/objects/zkPDFXRef.h"

#include <gtest/gtest.h>

namespace sarvane::pdf {
namespace {

TzkXRefItem Item(int32_t num, int32_t offset, uint8_t type = 'n') {
  TzkXRefItem item;
  item.ObjectNumber = num;
  item.Offset = offset;
  item.Type = type;
  return item;
}

TEST(TzkXRefEntries, NewerSectionsReplaceAndFreeEntriesDoNotRemove) {
  TzkXRefEntries x;
  x.BeginSection();  // older
  x.StoreTableEntry(Item(1, 100));
  x.StoreTableEntry(Item(2, 200));
  x.StoreTableEntry(Item(3, 300));
  x.BeginSection();  // newer
  x.StoreTableEntry(Item(2, 250));
  x.StoreTableEntry(Item(3, 0, 'f'));
  x.StoreTableEntry(Item(9, 0, 'f'));
  EXPECT_EQ(x.ObjectOffset(1), 100);
  EXPECT_EQ(x.ObjectOffset(2), 250);
  EXPECT_EQ(x.ObjectOffset(3), 300);  // "f" only in the newest: the older entry stays
  EXPECT_EQ(x.ObjectOffset(9), 0);
  EXPECT_EQ(x.ObjectOffset(0), 0);
  EXPECT_EQ(x.TableSlotCount(), 4);   // a free entry past the end adds no slot
  EXPECT_EQ(x.HighestObjectNumber(), 3);
}

TEST(TzkXRefEntries, MergedViewOfTableAndStreamEntries) {
  TzkXRefEntries x;
  x.BeginSection();  // original file: a table
  x.StoreTableEntry(Item(5, 500));
  x.StoreTableEntry(Item(6, 600));
  x.StoreTableEntry(Item(7, 700));
  x.BeginSection();  // update's cross-reference stream
  x.StoreStreamEntry(5, 2, 20, 0);   // 5 moved into object stream 20
  x.StoreStreamEntry(20, 1, 900, 0);
  x.StoreStreamEntry(8, 2, 20, 1);
  x.BeginSection();  // update's table (hybrid): 6 rewritten
  x.StoreTableEntry(Item(6, 650));
  x.StoreStreamEntry(7, 0, 0, 0);    // stream says free; table keeps an older entry

  struct Case {
    int32_t num;
    int32_t offset;
    bool inStream20;
  } const cases[] = {
      {5, 0, true},     // newer stream entry: compressed, no offset
      {6, 650, false},
      {7, 700, false},  // a free stream entry decides nothing
      {8, 0, true},
      {20, 900, false},
      {30, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(x.ObjectOffset(c.num), c.offset) << c.num;
    EXPECT_EQ(x.IsCompressedIn(c.num, 20), c.inStream20) << c.num;
  }
  EXPECT_FALSE(x.IsCompressedIn(5, 21));
  EXPECT_TRUE(x.HasStreamEntries());
  EXPECT_EQ(x.HighestObjectNumber(), 20);
}

TEST(TzkXRefEntries, TableEntryOfTheSameSectionWinsOverItsStream) {
  TzkXRefEntries x;
  x.BeginSection();
  x.StoreStreamEntry(4, 2, 10, 0);
  x.StoreTableEntry(Item(4, 444));
  EXPECT_EQ(x.ObjectOffset(4), 444);
  EXPECT_FALSE(x.IsCompressedIn(4, 10));
  x.Clear();
  EXPECT_EQ(x.ObjectOffset(4), 0);
  EXPECT_FALSE(x.HasStreamEntries());
  EXPECT_EQ(x.HighestObjectNumber(), -1);
}

}  // namespace
TEST(TzkXRefEntries, AFewHighNumbersTakeNoRoomForTheNumbersBelow) {
  // A small file may use object numbers up to the format's limit.
  TzkXRefEntries e;
  e.BeginSection();
  e.StoreTableEntry(Item(1, 100));
  e.StoreTableEntry(Item(8388607, 200));
  e.StoreStreamEntry(8000000, 2, 5, 0);
  e.StoreStreamEntry(3, 2, 5, 1);
  EXPECT_LT(e.TableSlotCount(), 100);
  EXPECT_LT(e.StreamSlotCount(), 100);
  EXPECT_EQ(e.ObjectOffset(8388607), 200);
  EXPECT_EQ(e.ObjectOffset(1), 100);
  EXPECT_TRUE(e.IsCompressedIn(8000000, 5));
  EXPECT_EQ(e.StreamEntryNumbers(), (std::vector<int32_t>{3, 8000000}));
  EXPECT_EQ(e.HighestObjectNumber(), 8388607);
}

}  // namespace sarvane::pdf
