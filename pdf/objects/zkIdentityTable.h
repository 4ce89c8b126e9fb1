#pragma once
// The store's lookup from an object's identity (document number, object
// number, generation) to its index in the object table. Every reference a
// document resolves or writes goes through it, so it is a flat table with
// open addressing: one probe is usually one cache line, where a node-based
// map cost two scattered reads and an allocation per object.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sarvane::pdf {

class TzkIdentityTable {
 public:
  // Records index for the identity unless the identity is already there
  // (the first object stored under an identity is the one found).
  void Add(int32_t documentNumber, int32_t objectNumber, uint16_t generation, int32_t index);
  // The index recorded for the identity, or -1.
  int32_t Find(int32_t documentNumber, int32_t objectNumber, uint16_t generation) const;
  int32_t Count() const { return count_; }
  void Clear();

 private:
  struct Slot {
    int32_t DocumentNumber;
    int32_t ObjectNumber;
    int32_t Index;  // -1: free
    uint16_t Generation;
  };
  static size_t Hash(int32_t documentNumber, int32_t objectNumber, uint16_t generation);
  // Doubles the slots and places every entry again.
  void Grow();
  void Place(const Slot& slot);

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  int32_t count_ = 0;
};

}  // namespace sarvane::pdf
