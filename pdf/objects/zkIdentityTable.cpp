#include "pdf/objects/zkIdentityTable.h"

namespace sarvane::pdf {

uint32_t TzkIdentityTable::Hash(const TzkIdentity& identity) {
  uint64_t h = static_cast<uint32_t>(identity.DocumentNumber);
  h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(identity.ObjectNumber);
  h = h * 0x9E3779B97F4A7C15ull ^ identity.Generation;
  h *= 0x9E3779B97F4A7C15ull;
  return static_cast<uint32_t>(h ^ (h >> 32));
}

void TzkIdentityTable::MakeRoom() {
  if (static_cast<size_t>(count_ + 1) * 2 <= slots_.size()) return;
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{0, -1});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.Index < 0) continue;
    size_t i = slot.Hash & mask;
    while (slots_[i].Index >= 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

void TzkIdentityTable::Clear() {
  slots_.clear();
  slots_.shrink_to_fit();
  count_ = 0;
}

}  // namespace sarvane::pdf
