#pragma once
// The object table of the store: (key, indirect object) entries kept in
// insertion order. Keys need not be unique; a lookup gives the first entry
// with the key. The table never frees the objects it lists.
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace sarvane::pdf {

class TzkPDFIndirectObject;

class TzkObjectList {
 public:
  struct Entry {
    int32_t Key;
    TzkPDFIndirectObject* Object;
  };

  // Appends and returns the new index. A negative key raises EInvalidID.
  int32_t Append(int32_t key, TzkPDFIndirectObject* object);
  // Inserts before index (0..Count), shifting later entries. A negative key
  // raises EInvalidID; an index outside 0..Count raises
  // "List index out of bounds (%d)".
  void InsertAt(int32_t index, int32_t key, TzkPDFIndirectObject* object);
  // Index of the first entry with the key, or -1.
  int32_t IndexOfStoreKey(int32_t key) const;
  // An index outside 0..Count-1 raises "List index out of bounds (%d)".
  TzkPDFIndirectObject* EntryObject(int32_t index) const;
  int32_t EntryKey(int32_t index) const;
  void Clear();

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  int32_t Capacity() const { return capacity_; }

 private:
  void Grow();
  void CheckIndex(int32_t index) const;
  void RebuildIndex() const;

  std::vector<Entry> entries_;
  int32_t capacity_ = 0;
  // Key -> index of its first entry, built on the first lookup by key
  // (loading and writing never ask, so they don't pay for it) and kept up
  // by appends after that. Insertion in the middle shifts indices, so the
  // index is rebuilt lazily after one.
  mutable std::unordered_map<int32_t, int32_t> firstIndex_;
  mutable bool indexStale_ = true;
};

}  // namespace sarvane::pdf
