#pragma once
// Slots for the object model's small values. A loaded document holds
// hundreds of thousands of them (names, numbers, references, small
// containers), each made and freed on its own; general-purpose malloc and
// free of that many blocks dominated loading and closing a document.
#include <cstddef>
#include <new>

namespace sarvane::pdf {

// Memory for one object of size bytes; sizes above the largest slot come
// from the global operator new. Thread-safe.
void* AllocateObjectSlot(size_t size);
// Gives back memory from AllocateObjectSlot with the same size.
void FreeObjectSlot(void* slot, size_t size) noexcept;
// Slots handed out and not given back: 0 once every object is freed, which
// is also when the pool returns its memory.
size_t LiveObjectSlots();

// The allocator of the lists inside objects (array items, dictionary pairs).
// Most hold a handful of entries, for which malloc's block header and
// rounding added a third to their size.
template <typename T>
struct TzkPoolAllocator {
  using value_type = T;
  TzkPoolAllocator() = default;
  template <typename U>
  TzkPoolAllocator(const TzkPoolAllocator<U>&) noexcept {}
  T* allocate(size_t count) {
    if (count > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateObjectSlot(count * sizeof(T)));
  }
  void deallocate(T* items, size_t count) noexcept { FreeObjectSlot(items, count * sizeof(T)); }
  template <typename U>
  bool operator==(const TzkPoolAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace sarvane::pdf
