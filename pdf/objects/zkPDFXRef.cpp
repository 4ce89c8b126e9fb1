#include "pdf/objects/zkPDFXRef.h"

#include <algorithm>

namespace sarvane::pdf {

template <typename Item>
Item& TzkXRefEntries::Slot(std::vector<Item>& dense, std::unordered_map<int32_t, Item>& sparse, size_t present,
                           int32_t objectNumber) {
  const auto n = static_cast<size_t>(objectNumber);
  if (n < dense.size()) return dense[n];
  if (auto it = sparse.find(objectNumber); it != sparse.end()) return it->second;
  if (!HeldDensely(n, present)) return sparse[objectNumber];
  dense.resize(n + 1);
  return dense[n];
}

template <typename Item>
void TzkXRefEntries::Reserve(std::vector<Item>& dense, size_t present, int32_t first, int32_t count) {
  if (first < 0 || count <= 0) return;
  const size_t end = static_cast<size_t>(first) + static_cast<size_t>(count);
  // Only what Slot would hold densely; many small sections still grow the
  // list by doubling, never by one exact step each.
  if (end <= dense.capacity() || !HeldDensely(end - 1, present + static_cast<size_t>(count))) return;
  dense.reserve(std::max(end, dense.capacity() * 2));
}

void TzkXRefEntries::ReserveTableEntries(int32_t first, int32_t count) {
  Reserve(table_, tableEntryCount_, first, count);
}

void TzkXRefEntries::ReserveStreamEntries(int32_t first, int32_t count) {
  Reserve(stream_, static_cast<size_t>(streamEntryCount_), first, count);
}

void TzkXRefEntries::StoreTableEntry(const TzkXRefItem& item) {
  if (item.Type == 'f' || item.Type == 0 || item.ObjectNumber < 0) return;
  TzkXRefItem& slot = Slot(table_, sparseTable_, tableEntryCount_, item.ObjectNumber);
  if (slot.Type == 0) ++tableEntryCount_;
  slot = item;
  slot.Section = section_;
  if (item.ObjectNumber > highest_) highest_ = item.ObjectNumber;
}

void TzkXRefEntries::StoreStreamEntry(int32_t objectNumber, int32_t type, int32_t field2, int32_t field3) {
  if (objectNumber < 0) return;
  TzkXRefStmItem& slot =
      Slot(stream_, sparseStream_, static_cast<size_t>(streamEntryCount_), objectNumber);
  if (!slot.Present) ++streamEntryCount_;
  slot = TzkXRefStmItem{type, field2, field3, section_, true};
  if (objectNumber > highest_) highest_ = objectNumber;
}

const TzkXRefItem* TzkXRefEntries::TableEntry(int32_t objectNumber) const {
  if (objectNumber < 0) return nullptr;
  const TzkXRefItem* item = nullptr;
  if (static_cast<size_t>(objectNumber) < table_.size()) {
    item = &table_[static_cast<size_t>(objectNumber)];
  } else if (auto it = sparseTable_.find(objectNumber); it != sparseTable_.end()) {
    item = &it->second;
  }
  return item && item->Type != 0 ? item : nullptr;
}

const TzkXRefStmItem* TzkXRefEntries::StreamEntry(int32_t objectNumber) const {
  if (objectNumber < 0) return nullptr;
  const TzkXRefStmItem* item = nullptr;
  if (static_cast<size_t>(objectNumber) < stream_.size()) {
    item = &stream_[static_cast<size_t>(objectNumber)];
  } else if (auto it = sparseStream_.find(objectNumber); it != sparseStream_.end()) {
    item = &it->second;
  }
  return item && item->Present ? item : nullptr;
}

std::vector<int32_t> TzkXRefEntries::StreamEntryNumbers() const {
  std::vector<int32_t> numbers;
  numbers.reserve(static_cast<size_t>(streamEntryCount_));
  for (size_t n = 0; n < stream_.size(); ++n) {
    if (stream_[n].Present) numbers.push_back(static_cast<int32_t>(n));
  }
  const size_t dense = numbers.size();
  for (const auto& [n, item] : sparseStream_) {
    if (item.Present) numbers.push_back(n);
  }
  std::sort(numbers.begin() + static_cast<std::ptrdiff_t>(dense), numbers.end());
  return numbers;
}

int32_t TzkXRefEntries::ObjectOffset(int32_t objectNumber) const {
  const TzkXRefItem* table = TableEntry(objectNumber);
  if (table && table->Offset == 0) table = nullptr;
  const TzkXRefStmItem* stream = StreamEntry(objectNumber);
  if (stream && stream->Type != 1 && stream->Type != 2) stream = nullptr;
  if (table && (!stream || table->Section >= stream->Section)) return table->Offset;
  if (stream && stream->Type == 1) return stream->Field2;
  return 0;
}

bool TzkXRefEntries::IsCompressedIn(int32_t objectNumber, int32_t objectStream) const {
  const TzkXRefStmItem* stream = StreamEntry(objectNumber);
  if (!stream || stream->Type != 2 || stream->Field2 != objectStream) return false;
  const TzkXRefItem* table = TableEntry(objectNumber);
  return !table || table->Offset == 0 || table->Section < stream->Section;
}

void TzkXRefEntries::Clear() {
  table_.clear();
  table_.shrink_to_fit();
  stream_.clear();
  stream_.shrink_to_fit();
  sparseTable_.clear();
  sparseStream_.clear();
  tableEntryCount_ = 0;
  section_ = 0;
  highest_ = -1;
  streamEntryCount_ = 0;
}

}  // namespace sarvane::pdf
