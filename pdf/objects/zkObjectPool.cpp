#include "pdf/objects/zkObjectPool.h"

#include <atomic>
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
constexpr size_t kGranule = 16;  // every slot is aligned for any object model type
constexpr size_t kClasses = 4;   // slots of 16, 32, 48 and 64 bytes
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

struct Pool {
  SpinLock Lock;
  FreeSlot* Free[kClasses] = {};
  // The unused tail of the newest slab of each class.
  char* Cursor[kClasses] = {};
  char* End[kClasses] = {};
  std::vector<void*> Slabs;
  size_t Live = 0;

  // With no object left the slabs go back: closing a large document must
  // not leave its memory with the pool. A few are kept so that a lone
  // temporary object does not take and return a slab each time.
  void ReleaseIfLarge() {
    if (Slabs.size() <= kKeptSlabs) return;
    for (void* slab : Slabs) {
      ASAN_UNPOISON_MEMORY_REGION(slab, kSlabBytes);
      ::operator delete(slab);
    }
    Slabs.clear();
    for (size_t c = 0; c < kClasses; ++c) Free[c] = nullptr, Cursor[c] = End[c] = nullptr;
  }
};

// Never destroyed: objects may still be freed while static objects go.
Pool& ThePool() {
  static Pool* pool = new Pool;
  return *pool;
}

size_t ClassOf(size_t size) { return (size + kGranule - 1) / kGranule - 1; }
}  // namespace

void* AllocateObjectSlot(size_t size) {
  if (size == 0 || size > kClasses * kGranule) return ::operator new(size);
  const size_t c = ClassOf(size);
  const size_t slotBytes = (c + 1) * kGranule;
  Pool& pool = ThePool();
  std::lock_guard<SpinLock> guard(pool.Lock);
  void* slot;
  if (FreeSlot* head = pool.Free[c]) {
    ASAN_UNPOISON_MEMORY_REGION(head, slotBytes);
    pool.Free[c] = head->Next;
    slot = head;
  } else {
    if (pool.Cursor[c] == pool.End[c]) {
      pool.Slabs.reserve(pool.Slabs.size() + 1);  // no throw after the slab is taken
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
  Pool& pool = ThePool();
  std::lock_guard<SpinLock> guard(pool.Lock);
  FreeSlot* freed = static_cast<FreeSlot*>(slot);
  freed->Next = pool.Free[c];
  pool.Free[c] = freed;
  ASAN_POISON_MEMORY_REGION(slot, (c + 1) * kGranule);
  if (--pool.Live == 0) pool.ReleaseIfLarge();
}

size_t LiveObjectSlots() {
  Pool& pool = ThePool();
  std::lock_guard<SpinLock> guard(pool.Lock);
  return pool.Live;
}

}  // namespace sarvane::pdf
