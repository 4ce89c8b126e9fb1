#pragma once
// The store's lookup from an object's identity (document number, object
// number, generation) to its index in the object table. Every reference a
// document resolves or writes goes through it, so it is a flat table with
// open addressing: one probe is usually one cache line, where a node-based
// map cost two scattered reads and an allocation per object.
//
// A slot holds only a hash of the identity and the index: the identity
// itself is already in the object the index leads to, and a large document
// has a hundred thousand slots. The caller says what identity an index
// stands for (identityAt), and only a slot whose hash matches asks.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sarvane::pdf {

struct TzkIdentity {
  int32_t DocumentNumber;
  int32_t ObjectNumber;
  uint16_t Generation;
  bool operator==(const TzkIdentity&) const = default;
};

class TzkIdentityTable {
 public:
  // Records index for the identity unless the identity is already there
  // (the first object stored under an identity is the one found).
  // identityAt(i) gives the identity recorded with index i.
  template <typename IdentityAt>
  void Add(const TzkIdentity& identity, int32_t index, IdentityAt identityAt);
  // The index recorded for the identity, or -1.
  template <typename IdentityAt>
  int32_t Find(const TzkIdentity& identity, IdentityAt identityAt) const;
  int32_t Count() const { return count_; }
  void Clear();

 private:
  struct Slot {
    uint32_t Hash;
    int32_t Index;  // -1: free
  };
  static uint32_t Hash(const TzkIdentity& identity);
  // Makes room for one more entry: doubles the slots when half are taken
  // and places every entry again.
  void MakeRoom();

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  int32_t count_ = 0;
};

template <typename IdentityAt>
void TzkIdentityTable::Add(const TzkIdentity& identity, int32_t index, IdentityAt identityAt) {
  // Room is made first, so that one probe finds either the identity or its place.
  MakeRoom();
  const uint32_t hash = Hash(identity);
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  for (; slots_[i].Index >= 0; i = (i + 1) & mask) {
    if (slots_[i].Hash == hash && identityAt(slots_[i].Index) == identity) return;
  }
  slots_[i] = Slot{hash, index};
  ++count_;
}

template <typename IdentityAt>
int32_t TzkIdentityTable::Find(const TzkIdentity& identity, IdentityAt identityAt) const {
  if (slots_.empty()) return -1;
  const uint32_t hash = Hash(identity);
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.Index < 0) return -1;
    if (slot.Hash == hash && identityAt(slot.Index) == identity) return slot.Index;
  }
}

}  // namespace sarvane::pdf
