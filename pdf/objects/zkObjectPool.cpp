#include "pdf/objects/zkObjectPool.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace sarvane::pdf {

namespace {
// Slots of 8, 16, ... 128 bytes, each aligned to 8, which is all any object
// model type needs (zkPDFObject.cpp checks): an integer of 8 bytes or a
// reference of 16 takes no more. The larger classes hold the item lists of
// small arrays and dictionaries.
constexpr size_t kGranule = 8;
constexpr size_t kClasses = 16;
constexpr size_t kSlabBytes = 64 * 1024;
constexpr size_t kKeptSlabs = 4;

struct FreeSlot {
  FreeSlot* Next;
};

// Held for a few instructions and almost never contended: std::mutex cost
// more than the pool saved.
class SpinLock {
 public:
  void lock() noexcept {
    while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  void unlock() noexcept { flag_.clear(std::memory_order_release); }

 private:
  std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

// One shard of the pool. Each thread takes its objects from a shard of its
// own, so that jobs on several threads do not queue for one lock; a slot
// freed on another thread goes to that thread's shard, which is fine as
// long as slabs are given back only all together.
struct alignas(64) Shard {
  SpinLock Lock;
  FreeSlot* Free[kClasses] = {};
  // The unused tail of the newest slab of each class.
  char* Cursor[kClasses] = {};
  char* End[kClasses] = {};
  std::vector<void*> Slabs;
  // Slots taken here less slots freed here; below 0 when this thread freed
  // another's objects. The sum over the shards is what is in use.
  std::ptrdiff_t Live = 0;

  void Release() {
    for (void* slab : Slabs) {
      ASAN_UNPOISON_MEMORY_REGION(slab, kSlabBytes);
      ::operator delete(slab);
    }
    Slabs.clear();
    for (size_t c = 0; c < kClasses; ++c) Free[c] = nullptr, Cursor[c] = End[c] = nullptr;
  }
};

constexpr size_t kShards = 8;

// Never destroyed: objects may still be freed while static objects go.
Shard* TheShards() {
  static Shard* shards = new Shard[kShards];
  return shards;
}

Shard& MyShard() {
  static std::atomic<size_t> nextShard{0};
  thread_local Shard& shard = TheShards()[nextShard++ % kShards];
  return shard;
}

// With no object left anywhere the slabs go back: closing a large document
// must not leave its memory with the pool. A few are kept so that a lone
// temporary object does not take and return a slab each time. Called with
// no shard lock held.
void ReleaseIfUnused() {
  Shard* shards = TheShards();
  for (size_t i = 0; i < kShards; ++i) shards[i].Lock.lock();
  std::ptrdiff_t live = 0;
  size_t slabs = 0;
  for (size_t i = 0; i < kShards; ++i) live += shards[i].Live, slabs += shards[i].Slabs.size();
  if (live == 0 && slabs > kKeptSlabs)
    for (size_t i = 0; i < kShards; ++i) shards[i].Release();
  for (size_t i = kShards; i-- > 0;) shards[i].Lock.unlock();
}

size_t ClassOf(size_t size) { return (size + kGranule - 1) / kGranule - 1; }
}  // namespace

void* AllocateObjectSlot(size_t size) {
  if (size == 0 || size > kClasses * kGranule) return ::operator new(size);
  const size_t c = ClassOf(size);
  const size_t slotBytes = (c + 1) * kGranule;
  Shard& pool = MyShard();
  std::lock_guard<SpinLock> guard(pool.Lock);
  void* slot;
  if (FreeSlot* head = pool.Free[c]) {
    ASAN_UNPOISON_MEMORY_REGION(head, slotBytes);
    pool.Free[c] = head->Next;
    slot = head;
  } else {
    if (pool.Cursor[c] == pool.End[c]) {
      // No throw after the slab is taken; room doubles, never grows by one.
      if (pool.Slabs.size() == pool.Slabs.capacity()) pool.Slabs.reserve(pool.Slabs.size() * 2 + 16);
      char* slab = static_cast<char*>(::operator new(kSlabBytes));
      ASAN_POISON_MEMORY_REGION(slab, kSlabBytes);
      pool.Slabs.push_back(slab);
      pool.Cursor[c] = slab;
      pool.End[c] = slab + kSlabBytes / slotBytes * slotBytes;
    }
    slot = pool.Cursor[c];
    pool.Cursor[c] += slotBytes;
    ASAN_UNPOISON_MEMORY_REGION(slot, slotBytes);
  }
  ++pool.Live;
  return slot;
}

void FreeObjectSlot(void* slot, size_t size) noexcept {
  if (!slot) return;
  if (size == 0 || size > kClasses * kGranule) {
    ::operator delete(slot);
    return;
  }
  const size_t c = ClassOf(size);
  Shard& pool = MyShard();
  bool emptied;
  {
    std::lock_guard<SpinLock> guard(pool.Lock);
    FreeSlot* freed = static_cast<FreeSlot*>(slot);
    freed->Next = pool.Free[c];
    pool.Free[c] = freed;
    ASAN_POISON_MEMORY_REGION(slot, (c + 1) * kGranule);
    emptied = --pool.Live == 0;
  }
  // Only then can the whole pool be unused; one thread's shard running dry
  // while others work costs one look at all shards.
  if (emptied) ReleaseIfUnused();
}

size_t LiveObjectSlots() {
  Shard* shards = TheShards();
  std::ptrdiff_t live = 0;
  for (size_t i = 0; i < kShards; ++i) {
    std::lock_guard<SpinLock> guard(shards[i].Lock);
    live += shards[i].Live;
  }
  return static_cast<size_t>(live);
}

}  // namespace sarvane::pdf
