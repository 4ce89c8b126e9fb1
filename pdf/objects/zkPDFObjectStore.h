#pragma once
// The object store: every indirect object a document has read or created,
// owned here, in insertion order (the writer numbers objects in this order).
// An object's identity is (document number, object number, generation).
#include <cstdint>
#include <memory>
#include <unordered_set>

#include "pdf/objects/zkIdentityTable.h"
#include "pdf/objects/zkObjectList.h"
#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf {

// The result of TzkPDFObjectStore::ResolveArray: either an array of the
// caller's tree or a one-item array made for a lone name (then owned here).
class TzkResolvedArray {
 public:
  TzkResolvedArray() = default;
  explicit TzkResolvedArray(TzkPDFArrayObject* array) : array_(array) {}
  explicit TzkResolvedArray(std::unique_ptr<TzkPDFArrayObject> owned)
      : owned_(std::move(owned)), array_(owned_.get()) {}
  TzkPDFArrayObject* get() const { return array_; }
  TzkPDFArrayObject* operator->() const { return array_; }
  TzkPDFArrayObject& operator*() const { return *array_; }
  explicit operator bool() const { return array_ != nullptr; }
  // True when the array was made for a name and is not part of any tree.
  bool IsWrapped() const { return owned_ != nullptr; }

 private:
  std::unique_ptr<TzkPDFArrayObject> owned_;
  TzkPDFArrayObject* array_ = nullptr;
};

class TzkPDFObjectStore {
 public:
  // The most references a resolver follows before it gives up; a chain that
  // long only comes from a reference cycle.
  static constexpr int kMaxReferenceHops = 64;

  TzkPDFObjectStore() = default;
  ~TzkPDFObjectStore();
  TzkPDFObjectStore(const TzkPDFObjectStore&) = delete;
  TzkPDFObjectStore& operator=(const TzkPDFObjectStore&) = delete;

  // The numeric key of an object: the decimal digits of the three numbers
  // one after the other, read as one number, low 32 bits. The sign bit is
  // cleared so that every object has a key the table accepts; the key only
  // orders and finds entries, identity is the triple itself.
  static int32_t StoreKey(int32_t documentNumber, int32_t objectNumber, uint16_t generation);

  int32_t HighestNumber() const { return highestNumber_; }
  void SetHighestNumber(int32_t number) { highestNumber_ = number; }
  // Highest number + 1, which becomes the highest number.
  int32_t NewObjectNumber();

  // Takes ownership and appends under the object's key; returns the object.
  // nullptr raises ENullObjectError.
  TzkPDFIndirectObject* Store(std::unique_ptr<TzkPDFIndirectObject> object);

  // The first stored object with the same identity, or nullptr.
  TzkPDFIndirectObject* Find(const TzkPDFIndirectReference* reference) const;
  TzkPDFIndirectObject* Find(const TzkPDFIndirectObject* object) const;
  TzkPDFIndirectObject* Find(int32_t documentNumber, int32_t objectNumber, uint16_t generation) const;
  int32_t IndexOfObject(int32_t documentNumber, int32_t objectNumber, uint16_t generation) const;
  int32_t IndexOfStoreKey(int32_t key) const { return objects_.IndexOfStoreKey(key); }

  int32_t ObjectCount() const { return objects_.Count(); }
  // "List index out of bounds (%d)" outside 0..ObjectCount-1.
  TzkPDFIndirectObject* ObjectAt(int32_t index) const { return objects_.EntryObject(index); }

  // Frees every stored object; the highest number is kept.
  void Clear();

  // Streams whose data length had to be corrected, read with /Length1 or
  // left empty while loading: their stored /Length does not describe the data.
  void SetLengthRepaired(const TzkPDFIndirectObject* object, bool repaired);
  bool LengthRepaired(const TzkPDFIndirectObject* object) const;

  // Resolvers: the object when it is of the kind; a reference is followed
  // through the store (never the file), repeatedly; nothing for an absent
  // object, a reference that is not stored or a reference cycle; any other
  // kind raises EUnexpectedObjectError.
  TzkPDFDictObject* ResolveDictionary(TzkPDFObject* object) const;
  TzkPDFIntegerObject* ResolveInteger(TzkPDFObject* object) const;
  TzkPDFNameObject* ResolveName(TzkPDFObject* object) const;
  TzkPDFStringObject* ResolveString(TzkPDFObject* object) const;
  // Like the others, but a null object gives nothing and a name gives a new
  // one-item array holding a copy of the name.
  TzkResolvedArray ResolveArray(TzkPDFObject* object) const;
  // Follows references and indirect objects to what they hold, of any kind.
  TzkPDFObject* Resolve(TzkPDFObject* object) const;

 private:
  // The identity table asks what identity an index stands for. Stored
  // objects are never renumbered, so it is the object's own.
  static TzkIdentity IdentityOf(const TzkPDFIndirectObject& object);
  auto IdentityAtIndex() const {
    return [this](int32_t index) { return IdentityOf(*objects_.EntryObject(index)); };
  }
  // The target of a chain of references, or nullptr when it ends outside the
  // store or runs in a circle.
  TzkPDFObject* FollowReferences(TzkPDFObject* object) const;
  template <typename T>
  T* ResolveAs(TzkPDFObject* object) const;

  int32_t highestNumber_ = 0;
  TzkObjectList objects_;
  TzkIdentityTable byIdentity_;
  std::unordered_set<const TzkPDFIndirectObject*> lengthRepaired_;
};

}  // namespace sarvane::pdf
