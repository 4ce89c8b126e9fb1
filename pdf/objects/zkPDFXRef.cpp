#include "pdf/objects/zkPDFXRef.h"

namespace sarvane::pdf {

void TzkXRefEntries::StoreTableEntry(const TzkXRefItem& item) {
  if (item.Type == 'f' || item.Type == 0 || item.ObjectNumber < 0) return;
  const auto n = static_cast<size_t>(item.ObjectNumber);
  if (n >= table_.size()) table_.resize(n + 1);
  table_[n] = item;
  table_[n].Section = section_;
  if (item.ObjectNumber > highest_) highest_ = item.ObjectNumber;
}

void TzkXRefEntries::StoreStreamEntry(int32_t objectNumber, int32_t type, int32_t field2, int32_t field3) {
  if (objectNumber < 0) return;
  const auto n = static_cast<size_t>(objectNumber);
  if (n >= stream_.size()) stream_.resize(n + 1);
  TzkXRefStmItem& slot = stream_[n];
  if (!slot.Present) ++streamEntryCount_;
  slot = TzkXRefStmItem{type, field2, field3, section_, true};
  if (objectNumber > highest_) highest_ = objectNumber;
}

const TzkXRefItem* TzkXRefEntries::TableEntry(int32_t objectNumber) const {
  if (objectNumber < 0 || static_cast<size_t>(objectNumber) >= table_.size()) return nullptr;
  const TzkXRefItem& item = table_[static_cast<size_t>(objectNumber)];
  return item.Type == 0 ? nullptr : &item;
}

const TzkXRefStmItem* TzkXRefEntries::StreamEntry(int32_t objectNumber) const {
  if (objectNumber < 0 || static_cast<size_t>(objectNumber) >= stream_.size()) return nullptr;
  const TzkXRefStmItem& item = stream_[static_cast<size_t>(objectNumber)];
  return item.Present ? &item : nullptr;
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
  section_ = 0;
  highest_ = -1;
  streamEntryCount_ = 0;
}

}  // namespace sarvane::pdf
