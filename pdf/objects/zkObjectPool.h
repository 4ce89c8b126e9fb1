#pragma once
// Slots for the object model's small values. A loaded document holds
// hundreds of thousands of them (names, numbers, references, small
// containers), each made and freed on its own; general-purpose malloc and
// free of that many blocks dominated loading and closing a document.
#include <cstddef>

namespace sarvane::pdf {

// Memory for one object of size bytes; sizes above the largest slot come
// from the global operator new. Thread-safe.
void* AllocateObjectSlot(size_t size);
// Gives back memory from AllocateObjectSlot with the same size.
void FreeObjectSlot(void* slot, size_t size) noexcept;
// Slots handed out and not given back: 0 once every object is freed, which
// is also when the pool returns its memory.
size_t LiveObjectSlots();

}  // namespace sarvane::pdf
