#pragma once
// Cross-reference entries and the trailer record of an opened file.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf {

// One entry of a cross-reference table.
struct TzkXRefItem {
  int32_t Generation = 0;
  uint8_t Type = 0;  // 'n' or 'f' as written; 0 marks an empty slot
  int32_t ObjectNumber = 0;
  int32_t Offset = 0;
  // Ordinal of the section that supplied the entry, in reading order (older
  // sections are read first); compares entries of the two lists by age.
  uint32_t Section = 0;
};

// One entry of a cross-reference stream.
struct TzkXRefStmItem {
  int32_t Type = 0;    // 0 free, 1 at an offset, 2 compressed in an object stream
  int32_t Field2 = 0;  // type 1: byte offset; type 2: number of the object stream
  int32_t Field3 = 0;  // type 1: generation; type 2: index inside the object stream
  uint32_t Section = 0;
  bool Present = false;
};

// The trailer entries a document keeps.
struct TzkPDFTrailer {
  int32_t RootNumber = -1;
  TzkPDFObjectPtr Encryption;                         // reference or dictionary
  std::unique_ptr<TzkPDFIndirectReference> Information;
  std::unique_ptr<TzkPDFArrayObject> Identifier;

  void Clear() {
    RootNumber = -1;
    Encryption.reset();
    Information.reset();
    Identifier.reset();
  }
};

// The two entry lists, indexed by object number, merged on lookup.
class TzkXRefEntries {
 public:
  // Starts the entries of the next section; later sections are newer.
  void BeginSection() { ++section_; }

  // A table entry replaces the slot of its object number; an "f" entry is
  // dropped, so that an older section still supplies the object.
  // Negative numbers are ignored.
  void StoreTableEntry(const TzkXRefItem& item);
  // A stream entry replaces the slot of its object number whatever its type.
  void StoreStreamEntry(int32_t objectNumber, int32_t type, int32_t field2, int32_t field3);
  // Announces count entries from number first, about to be stored: a dense
  // list takes room for them at once instead of doubling on the way (which
  // left up to half of a large file's list unused). The caller has checked
  // that the data holds them.
  void ReserveTableEntries(int32_t first, int32_t count);
  void ReserveStreamEntries(int32_t first, int32_t count);

  const TzkXRefItem* TableEntry(int32_t objectNumber) const;
  const TzkXRefStmItem* StreamEntry(int32_t objectNumber) const;
  // Slots held in the dense lists (numbers below the count); entries for
  // numbers far beyond the others are held apart, so that memory follows
  // the entries present and not the highest number.
  int32_t TableSlotCount() const { return static_cast<int32_t>(table_.size()); }
  int32_t StreamSlotCount() const { return static_cast<int32_t>(stream_.size()); }
  // The numbers of all objects with a stream entry, ascending.
  std::vector<int32_t> StreamEntryNumbers() const;
  bool HasStreamEntries() const { return streamEntryCount_ != 0; }

  // Byte offset of object n, or 0 when it has no in-use entry at an offset.
  // When both lists know n, the newer entry decides; an entry saying the
  // object lies compressed gives 0.
  int32_t ObjectOffset(int32_t objectNumber) const;
  // Whether the newest entry of n says it lies in object stream s.
  bool IsCompressedIn(int32_t objectNumber, int32_t objectStream) const;
  // How many entries of either list are present.
  int64_t EntryCount() const { return static_cast<int64_t>(tableEntryCount_) + streamEntryCount_; }
  // The largest object number of any stored entry, or -1.
  int32_t HighestObjectNumber() const { return highest_; }

  void Clear();

 private:
  // Numbers up to this many past the entries present are held densely.
  static constexpr size_t kDenseSlack = 65536;
  static bool HeldDensely(size_t objectNumber, size_t present) { return objectNumber <= present * 4 + kDenseSlack; }
  template <typename Item>
  static void Reserve(std::vector<Item>& dense, size_t present, int32_t first, int32_t count);
  template <typename Item>
  static Item& Slot(std::vector<Item>& dense, std::unordered_map<int32_t, Item>& sparse, size_t present,
                    int32_t objectNumber);
  std::vector<TzkXRefItem> table_;
  std::vector<TzkXRefStmItem> stream_;
  std::unordered_map<int32_t, TzkXRefItem> sparseTable_;
  std::unordered_map<int32_t, TzkXRefStmItem> sparseStream_;
  size_t tableEntryCount_ = 0;
  uint32_t section_ = 0;
  int32_t highest_ = -1;
  int64_t streamEntryCount_ = 0;
};

}  // namespace sarvane::pdf
