#include "pdf/objects/zkObjectList.h"

#include <limits>

#include "pdf/objects/zkPDFExceptions.h"
#include "pdf/objects/zkPDFResStrings.h"

namespace sarvane::pdf {

void TzkObjectList::Grow() {
  int32_t delta = 4;
  if (capacity_ > 64) {
    delta = capacity_ / 4;
  } else if (capacity_ > 8) {
    delta = 16;
  }
  if (capacity_ > std::numeric_limits<int32_t>::max() - delta) {
    throw Exception(Format(res::kListIndexOutOfBounds, capacity_));
  }
  capacity_ += delta;
  entries_.reserve(static_cast<size_t>(capacity_));
}

void TzkObjectList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= Count()) throw Exception(Format(res::kListIndexOutOfBounds, index));
}

int32_t TzkObjectList::Append(int32_t key, TzkPDFIndirectObject* object) {
  if (key < 0) throw EInvalidID(key);
  if (Count() == capacity_) Grow();
  const int32_t index = Count();
  entries_.push_back({key, object});
  if (!indexStale_) firstIndex_.try_emplace(key, index);
  return index;
}

void TzkObjectList::InsertAt(int32_t index, int32_t key, TzkPDFIndirectObject* object) {
  if (key < 0) throw EInvalidID(key);
  if (index < 0 || index > Count()) throw Exception(Format(res::kListIndexOutOfBounds, index));
  if (index == Count()) {
    Append(key, object);
    return;
  }
  if (Count() == capacity_) Grow();
  entries_.insert(entries_.begin() + index, Entry{key, object});
  indexStale_ = true;
}

void TzkObjectList::RebuildIndex() const {
  firstIndex_.clear();
  firstIndex_.reserve(entries_.size());
  for (int32_t i = 0; i < Count(); ++i) firstIndex_.try_emplace(entries_[static_cast<size_t>(i)].Key, i);
  indexStale_ = false;
}

int32_t TzkObjectList::IndexOfStoreKey(int32_t key) const {
  if (indexStale_) RebuildIndex();
  auto it = firstIndex_.find(key);
  return it == firstIndex_.end() ? -1 : it->second;
}

TzkPDFIndirectObject* TzkObjectList::EntryObject(int32_t index) const {
  CheckIndex(index);
  return entries_[static_cast<size_t>(index)].Object;
}

int32_t TzkObjectList::EntryKey(int32_t index) const {
  CheckIndex(index);
  return entries_[static_cast<size_t>(index)].Key;
}

void TzkObjectList::Clear() {
  entries_.clear();
  entries_.shrink_to_fit();
  capacity_ = 0;
  firstIndex_.clear();
  indexStale_ = true;
}

}  // namespace sarvane::pdf
