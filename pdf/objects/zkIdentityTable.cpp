#include "pdf/objects/zkIdentityTable.h"

namespace sarvane::pdf {

size_t TzkIdentityTable::Hash(int32_t documentNumber, int32_t objectNumber, uint16_t generation) {
  uint64_t h = static_cast<uint32_t>(documentNumber);
  h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(objectNumber);
  h = h * 0x9E3779B97F4A7C15ull ^ generation;
  h *= 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(h ^ (h >> 32));
}

void TzkIdentityTable::Place(const Slot& slot) {
  const size_t mask = slots_.size() - 1;
  size_t i = Hash(slot.DocumentNumber, slot.ObjectNumber, slot.Generation) & mask;
  while (slots_[i].Index >= 0) i = (i + 1) & mask;
  slots_[i] = slot;
}

void TzkIdentityTable::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{0, 0, -1, 0});
  for (const Slot& slot : old) {
    if (slot.Index >= 0) Place(slot);
  }
}

void TzkIdentityTable::Add(int32_t documentNumber, int32_t objectNumber, uint16_t generation, int32_t index) {
  // Grown first, so that one probe finds either the identity or its place.
  if (static_cast<size_t>(count_ + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = Hash(documentNumber, objectNumber, generation) & mask;
  for (; slots_[i].Index >= 0; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.ObjectNumber == objectNumber && slot.DocumentNumber == documentNumber && slot.Generation == generation)
      return;
  }
  slots_[i] = Slot{documentNumber, objectNumber, index, generation};
  ++count_;
}

int32_t TzkIdentityTable::Find(int32_t documentNumber, int32_t objectNumber, uint16_t generation) const {
  if (slots_.empty()) return -1;
  const size_t mask = slots_.size() - 1;
  for (size_t i = Hash(documentNumber, objectNumber, generation) & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.Index < 0) return -1;
    if (slot.ObjectNumber == objectNumber && slot.DocumentNumber == documentNumber &&
        slot.Generation == generation)
      return slot.Index;
  }
}

void TzkIdentityTable::Clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  count_ = 0;
}

}  // namespace sarvane::pdf
