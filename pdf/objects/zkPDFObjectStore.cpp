#include "pdf/objects/zkPDFObjectStore.h"

#include <limits>

#include "pdf/objects/zkPDFExceptions.h"

namespace sarvane::pdf {

namespace {
// Appends the decimal digits of value (at most ten here) to an accumulator,
// modulo 2^64; only the low bits are kept in the end.
void AppendDigits(uint64_t& acc, uint64_t value) {
  uint64_t scale = 10;
  while (scale <= value) scale *= 10;
  acc = acc * scale + value;
}
uint64_t Magnitude(int32_t n) { return n < 0 ? 0ull - static_cast<uint64_t>(static_cast<int64_t>(n)) : static_cast<uint64_t>(n); }
}  // namespace

TzkPDFObjectStore::~TzkPDFObjectStore() { Clear(); }

TzkIdentity TzkPDFObjectStore::IdentityOf(const TzkPDFIndirectObject& object) {
  return TzkIdentity{object.DocumentNumber(), object.ObjectNumber(), object.Generation()};
}

int32_t TzkPDFObjectStore::StoreKey(int32_t documentNumber, int32_t objectNumber, uint16_t generation) {
  uint64_t acc = 0;
  AppendDigits(acc, Magnitude(documentNumber));
  AppendDigits(acc, Magnitude(objectNumber));
  AppendDigits(acc, generation);
  return static_cast<int32_t>(static_cast<uint32_t>(acc) & 0x7FFFFFFFu);
}

int32_t TzkPDFObjectStore::NewObjectNumber() {
  if (highestNumber_ == std::numeric_limits<int32_t>::max()) throw EInvalidID(highestNumber_);
  return ++highestNumber_;
}

TzkPDFIndirectObject* TzkPDFObjectStore::Store(std::unique_ptr<TzkPDFIndirectObject> object) {
  if (!object) throw ENullObjectError();
  TzkPDFIndirectObject* raw = object.get();
  const int32_t index = objects_.Append(StoreKey(raw->DocumentNumber(), raw->ObjectNumber(), raw->Generation()), raw);
  object.release();
  byIdentity_.Add(IdentityOf(*raw), index, IdentityAtIndex());
  return raw;
}

int32_t TzkPDFObjectStore::IndexOfObject(int32_t documentNumber, int32_t objectNumber, uint16_t generation) const {
  return byIdentity_.Find(TzkIdentity{documentNumber, objectNumber, generation}, IdentityAtIndex());
}

TzkPDFIndirectObject* TzkPDFObjectStore::Find(int32_t documentNumber, int32_t objectNumber, uint16_t generation) const {
  const int32_t index = IndexOfObject(documentNumber, objectNumber, generation);
  return index < 0 ? nullptr : objects_.EntryObject(index);
}

TzkPDFIndirectObject* TzkPDFObjectStore::Find(const TzkPDFIndirectReference* reference) const {
  if (!reference) return nullptr;
  return Find(reference->DocumentNumber(), reference->ObjectNumber(), reference->Generation());
}

TzkPDFIndirectObject* TzkPDFObjectStore::Find(const TzkPDFIndirectObject* object) const {
  if (!object) return nullptr;
  return Find(object->DocumentNumber(), object->ObjectNumber(), object->Generation());
}

void TzkPDFObjectStore::Clear() {
  for (int32_t i = 0; i < objects_.Count(); ++i) delete objects_.EntryObject(i);
  objects_.Clear();
  byIdentity_.Clear();
  lengthRepaired_.clear();
}

void TzkPDFObjectStore::SetLengthRepaired(const TzkPDFIndirectObject* object, bool repaired) {
  if (!object) return;
  if (repaired) {
    lengthRepaired_.insert(object);
  } else {
    lengthRepaired_.erase(object);
  }
}

bool TzkPDFObjectStore::LengthRepaired(const TzkPDFIndirectObject* object) const {
  return lengthRepaired_.count(object) != 0;
}

TzkPDFObject* TzkPDFObjectStore::FollowReferences(TzkPDFObject* object) const {
  for (int hop = 0; object && object->IsIndirectReference(); ++hop) {
    if (hop == kMaxReferenceHops) return nullptr;
    TzkPDFIndirectObject* target = Find(static_cast<TzkPDFIndirectReference*>(object));
    object = target ? target->Value() : nullptr;
  }
  return object;
}

template <typename T>
T* TzkPDFObjectStore::ResolveAs(TzkPDFObject* object) const {
  object = FollowReferences(object);
  if (!object) return nullptr;
  if (object->Kind() != T::kKind) throw EUnexpectedObjectError();
  return static_cast<T*>(object);
}

TzkPDFDictObject* TzkPDFObjectStore::ResolveDictionary(TzkPDFObject* object) const {
  return ResolveAs<TzkPDFDictObject>(object);
}
TzkPDFIntegerObject* TzkPDFObjectStore::ResolveInteger(TzkPDFObject* object) const {
  return ResolveAs<TzkPDFIntegerObject>(object);
}
TzkPDFNameObject* TzkPDFObjectStore::ResolveName(TzkPDFObject* object) const {
  return ResolveAs<TzkPDFNameObject>(object);
}
TzkPDFStringObject* TzkPDFObjectStore::ResolveString(TzkPDFObject* object) const {
  return ResolveAs<TzkPDFStringObject>(object);
}

TzkResolvedArray TzkPDFObjectStore::ResolveArray(TzkPDFObject* object) const {
  object = FollowReferences(object);
  if (!object || object->IsNull()) return TzkResolvedArray();
  if (auto* array = object->As<TzkPDFArrayObject>()) return TzkResolvedArray(array);
  if (object->IsName()) {
    auto wrapped = std::make_unique<TzkPDFArrayObject>();
    wrapped->Add(object->Clone());
    return TzkResolvedArray(std::move(wrapped));
  }
  throw EUnexpectedObjectError();
}

TzkPDFObject* TzkPDFObjectStore::Resolve(TzkPDFObject* object) const {
  for (int hop = 0; object; ++hop) {
    if (hop == kMaxReferenceHops) return nullptr;
    if (auto* ref = object->As<TzkPDFIndirectReference>()) {
      TzkPDFIndirectObject* target = Find(ref);
      object = target ? target->Value() : nullptr;
    } else if (auto* indirect = object->As<TzkPDFIndirectObject>()) {
      object = indirect->Value();
    } else {
      return object;
    }
  }
  return nullptr;
}

}  // namespace sarvane::pdf
