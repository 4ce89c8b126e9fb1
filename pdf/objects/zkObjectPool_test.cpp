#include "pdf/objects/zkObjectPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFParser.h"

namespace sarvane::pdf {
namespace {

// Every size gets memory of its own that it can fill completely (under the
// address sanitizer an undersized slot fails here), and the count of live
// slots comes back to where it was.
TEST(ObjectPool, SlotsHoldTheirSizeAndAreGivenBack) {
  const size_t before = LiveObjectSlots();
  struct Case {
    size_t Size;
    int Count;
  };
  const Case cases[] = {{1, 3}, {16, 5000}, {17, 5000}, {40, 5000}, {64, 5000}, {65, 10}, {500, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Size);
    std::vector<unsigned char*> slots;
    for (int i = 0; i < c.Count; ++i) {
      auto* slot = static_cast<unsigned char*>(AllocateObjectSlot(c.Size));
      ASSERT_NE(slot, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(slot) % 8, 0u);
      std::memset(slot, i & 0xFF, c.Size);
      slots.push_back(slot);
    }
    // No slot was handed out twice: each still holds its own pattern.
    for (int i = 0; i < c.Count; ++i) {
      for (size_t b = 0; b < c.Size; ++b) ASSERT_EQ(slots[static_cast<size_t>(i)][b], i & 0xFF);
    }
    for (unsigned char* slot : slots) FreeObjectSlot(slot, c.Size);
    EXPECT_EQ(LiveObjectSlots(), before);
  }
}

// A freed slot is reused, also after the pool gave its memory back.
TEST(ObjectPool, FreedSlotsAreReused) {
  void* first = AllocateObjectSlot(24);
  FreeObjectSlot(first, 24);
  void* again = AllocateObjectSlot(24);
  EXPECT_EQ(again, first);
  FreeObjectSlot(again, 24);

  std::vector<void*> many;
  for (int i = 0; i < 100000; ++i) many.push_back(AllocateObjectSlot(48));
  for (void* slot : many) FreeObjectSlot(slot, 48);
  auto* slot = static_cast<char*>(AllocateObjectSlot(48));
  std::memset(slot, 1, 48);
  FreeObjectSlot(slot, 48);
}

// Every value of a parsed tree goes back to the pool when the tree is freed;
// a value the model forgot to free would keep its slot.
TEST(ObjectPool, ParsedTreesGiveEverySlotBack) {
  const char* const inputs[] = {
      "<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources << /Font << /F1 3 0 R >> >> "
      "/Annots [ 7 0 R 8 0 R ] /Rect [ 0 0 595.5 842 ] /T (text) /H <41> /N null /B true >>",
      "[ 1 2 3 [ 4 [ 5 << /A [ /B /C ] >> ] ] 9999999999 -1.5 ]",
      "12 0 obj << /Length 3 >> stream\nabc\nendstream endobj",
  };
  const size_t before = LiveObjectSlots();
  for (const char* text : inputs) {
    SCOPED_TRACE(text);
    {
      TzkPDFStreamReader reader(1, std::string(text));
      TzkPDFObjectPtr object = reader.ReadObject();
      ASSERT_NE(object, nullptr);
      EXPECT_GT(LiveObjectSlots(), before);
      TzkPDFObjectPtr copy = object->Clone();
      EXPECT_EQ(copy->ToText(), object->ToText());
    }
    EXPECT_EQ(LiveObjectSlots(), before);
  }
}

// Objects may be made on a worker thread and freed elsewhere.
TEST(ObjectPool, ThreadsShareThePool) {
  const size_t before = LiveObjectSlots();
  std::vector<TzkPDFObjectPtr> made[2];
  auto work = [](std::vector<TzkPDFObjectPtr>& out) {
    for (int i = 0; i < 20000; ++i) {
      auto dict = std::make_unique<TzkPDFDictObject>();
      dict->AddInteger("/N", i);
      if (i % 3 == 0) out.push_back(std::move(dict));
    }
  };
  std::thread a(work, std::ref(made[0]));
  std::thread b(work, std::ref(made[1]));
  a.join();
  b.join();
  for (auto& list : made) {
    for (size_t i = 0; i < list.size(); ++i) {
      ASSERT_EQ(list[i]->Cast<TzkPDFDictObject>().LookupAs<TzkPDFIntegerObject>("/N")->Value(),
                static_cast<int32_t>(3 * i));
    }
    list.clear();
  }
  EXPECT_EQ(LiveObjectSlots(), before);
}

}  // namespace
}  // namespace sarvane::pdf
