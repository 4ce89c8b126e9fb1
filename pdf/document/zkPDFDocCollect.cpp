// Loading objects once the file is open: reading one object at its offset
// (with the search for its stream data), fetching an object from the store
// or the file, collecting what an object refers to into the store, and the
// one routine that copies a tree with its references resolved.
#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "pdf/document/zkCstPDFDoc.h"
#include "pdf/document/zkPDFObjectHeader.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::NameIs;

using sarvane::pdf::TzkPDFIntegerObject;
using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkPDFStringObject;

namespace {


int64_t IdentityKey(int32_t objectNumber, int32_t generation) {
  return (static_cast<int64_t>(objectNumber) << 16) ^ static_cast<uint16_t>(generation);
}

// Restores a counter on every path out of a scope.
struct DepthScope {
  explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
  ~DepthScope() { --depth_; }
  int& depth_;
};

// Where the object that holds position ends for a search: the first
// "endobj" that is followed by the header of another object, or the end of
// the data. A search for "endstream" that ran past it would take the next
// object's bytes as stream data.
size_t NextObjectBoundary(std::string_view data, size_t position) {
  constexpr std::string_view kEndObj = "endobj";
  for (size_t at = data.find(kEndObj, position); at != std::string_view::npos;
       at = data.find(kEndObj, at + kEndObj.size())) {
    const size_t after = at + kEndObj.size();
    if (after >= data.size() || ObjectHeaderAt(data, after)) return at;
    // "endobj" then "xref" or "trailer": the last object of a section.
    size_t p = after;
    while (p < data.size() && TzkPDFStreamReader::IsWhitespace(data[p])) ++p;
    if (data.substr(p, 4) == "xref" || data.substr(p, 7) == "trailer" || data.substr(p, 9) == "startxref") return at;
  }
  return data.size();
}

}  // namespace

// A search answers for every position between where it started and what it
// found: many damaged streams in one file then cost one pass, not one each.
size_t TzkCustomPDFDocument::StreamSearches::Boundary(std::string_view data, size_t from) {
  if (!(boundaryFrom_ <= from && from <= boundary_)) {
    boundaryFrom_ = from;
    boundary_ = NextObjectBoundary(data, from);
  }
  return boundary_;
}

size_t TzkCustomPDFDocument::StreamSearches::EndStream(std::string_view data, size_t from) {
  if (!(endStreamFrom_ <= from && from <= endStream_)) {
    endStreamFrom_ = from;
    const size_t at = data.find("endstream", from);
    endStream_ = at == std::string_view::npos ? data.size() : at;
  }
  return endStream_ == data.size() ? std::string_view::npos : endStream_;
}

// ------------------------------------------------------- locating, reading

int32_t TzkCustomPDFDocument::ObjectOffset(int32_t objectNumber) const {
  return xref_.ObjectOffset(objectNumber);
}

std::unique_ptr<TzkPDFIndirectObject> TzkCustomPDFDocument::ReadIndirectObjectAt(int64_t position,
                                                                                 int32_t expectedNumber,
                                                                                 int32_t expectedGeneration,
                                                                                 bool* lengthRepaired) {
  if (lengthRepaired) *lengthRepaired = false;
  if (!reader_ || position <= 0) return nullptr;
  if (position >= reader_->Size()) {
    Warning(Format(res::kObjectNotAtOffset, expectedNumber, position));
    return nullptr;
  }
  // Stream lengths held in other objects make reads nest; only a hostile
  // file nests them deeply.
  if (readDepth_ >= kMaxReadDepth) return nullptr;
  DepthScope depth(readDepth_);

  TzkPDFStreamReader& r = *reader_;
  std::unique_ptr<TzkPDFIndirectObject> object;
  try {
    r.Seek(position);
    TzkPDFObjectPtr read = r.ReadObject();
    if (!read || !read->IsIndirectObject()) throw EInvalidCast();
    object.reset(static_cast<TzkPDFIndirectObject*>(read.release()));
  } catch (Exception& e) {
    // The parser knows the bad token, not which object it was reading.
    if (expectedNumber > 0) {
      e.AddDetail(Format(res::kObjectAtOffset, expectedNumber, position));
    } else {
      e.AddDetail(Format(res::kAtOffset, position));
    }
    throw;
  }
  if ((expectedNumber >= 0 && object->ObjectNumber() != expectedNumber) ||
      (expectedGeneration >= 0 && object->Generation() != expectedGeneration)) {
    Warning(Format(res::kObjectNotAtOffset, expectedNumber, position));
    return nullptr;
  }
  auto* stream = object->Value()->As<TzkPDFStreamObject>();
  if (!stream) return object;

  const int64_t start = r.ReadStreamStart();
  const StreamExtent extent = LocateStreamData(*stream, start);
  stream->SetData(r.TakeStreamData(start, extent.Length, object->ObjectNumber(), object->Generation(), &stream->Dict()));
  if (!extent.Found) {
    unreadableStreams_.insert(object->ObjectNumber());
    Warning(Format(res::kStreamDataNotFound, object->ObjectNumber(), start));
  } else if (extent.Repaired) {
    Warning(Format(res::kStreamLengthRepaired, object->ObjectNumber()));
  }
  if (lengthRepaired) *lengthRepaired = extent.Repaired || !extent.Found;
  return object;
}

// The length a stream dictionary gives under key, when it is a usable one:
// an integer (here or in an object of its own) that keeps the data inside
// the file. A length held in an object of its own is loaded first; a
// cross-reference stream is read before the objects are, so its length
// object is read for the moment only.
std::optional<int64_t> TzkCustomPDFDocument::DeclaredStreamLength(TzkPDFDictObject& dict, std::string_view key,
                                                                  int64_t start) {
  TzkPDFObject* value = dict.Lookup(key);
  TzkPDFObjectPtr copy;
  if (auto* reference = ObjectAs<TzkPDFIndirectReference>(value)) {
    if (NameIs(dict.Lookup("/Type"), "/XRef")) {
      copy = LoadObjectCopy(reference);
      value = copy.get();
    } else {
      CollectReference(reference);
      value = store_->Resolve(reference);
    }
  }
  const std::optional<int64_t> length = sarvane::pdf::IntegerOf(value);
  if (!length || *length < 0 || *length > reader_->Size() - start) return std::nullopt;
  return length;
}

// Where the data of a stream ends, tried in order: the declared /Length, then
// /Length1, then the first "endstream" before the next object starts.
TzkCustomPDFDocument::StreamExtent TzkCustomPDFDocument::LocateStreamData(TzkPDFStreamObject& stream,
                                                                          int64_t start) {
  TzkPDFStreamReader& r = *reader_;
  TzkPDFDictObject& dict = stream.Dict();
  const std::optional<int64_t> declared = DeclaredStreamLength(dict, "/Length", start);
  if (declared && r.EndStreamFollows(start + *declared)) return {*declared, false, true};
  const std::optional<int64_t> length1 = DeclaredStreamLength(dict, "/Length1", start);
  if (length1 && r.EndStreamFollows(start + *length1)) return {*length1, true, true};

  const std::string_view data = r.Data();
  const auto from = static_cast<size_t>(start);
  const size_t boundary = searches_.Boundary(data, from);
  size_t found = searches_.EndStream(data, from);
  if (found >= boundary) found = std::string_view::npos;
  if (found != std::string_view::npos) {
    // The line end before "endstream" belongs to the keyword, not the data.
    size_t end = found;
    if (end > from && data[end - 1] == '\n') --end;
    if (end > from && data[end - 1] == '\r') --end;
    return {static_cast<int64_t>(end - from), true, true};
  }
  // A damaged keyword after data of the declared length: the declared
  // length is still the best account of the data.
  if (declared && *declared > 0) return {*declared, true, true};
  return {0, true, false};
}

std::unique_ptr<TzkPDFIndirectObject> TzkCustomPDFDocument::ReadObjectFromFile(int32_t objectNumber,
                                                                               int32_t generation,
                                                                               bool* lengthRepaired) {
  if (lengthRepaired) *lengthRepaired = false;
  const int32_t offset = ObjectOffset(objectNumber);
  if (offset <= 0) return nullptr;
  return ReadIndirectObjectAt(offset, objectNumber, generation, lengthRepaired);
}

TzkPDFIndirectObject* TzkCustomPDFDocument::StoreRead(std::unique_ptr<TzkPDFIndirectObject> object,
                                                      bool lengthRepaired) {
  TzkPDFIndirectObject* stored = store_->Store(std::move(object));
  if (lengthRepaired) store_->SetLengthRepaired(stored, true);
  return stored;
}

bool TzkCustomPDFDocument::StreamDataMissing(const TzkPDFIndirectObject& object) const {
  return object.DocumentNumber() == documentNumber_ && unreadableStreams_.count(object.ObjectNumber()) != 0;
}

// ---------------------------------------------------------------- fetching

// In the store under its identity; else, for an object of this document's
// file of which no version is stored, read from the file (not stored).
// anyGeneration also takes the stored generation 0 and whatever generation
// the file has at the object's offset.
TzkCustomPDFDocument::TzkFetched TzkCustomPDFDocument::FetchObject(const TzkPDFIndirectReference& reference,
                                                                   bool anyGeneration) {
  TzkFetched result;
  result.Object = store_->Find(&reference);
  if (result.Object) return result;
  const int32_t number = reference.ObjectNumber();
  if (reference.DocumentNumber() != documentNumber_ || number <= 0) return result;
  if (TzkPDFIndirectObject* stored = store_->Find(documentNumber_, number, 0)) {
    if (anyGeneration) result.Object = stored;
    return result;
  }
  if (!reader_) return result;
  result.Owned = ReadObjectFromFile(number, anyGeneration ? -1 : reference.Generation(), &result.LengthRepaired);
  result.Object = result.Owned.get();
  return result;
}

// ------------------------------------------------------------- collecting

// The walk keeps its own stack: reference chains through a file (outline
// siblings, page lists) can be far deeper than the machine stack allows.
struct TzkCustomPDFDocument::WalkFrame {
  TzkPDFObject* Container;  // an array or a dictionary
  int32_t Index;
};

TzkPDFObject* TzkCustomPDFDocument::CollectReferenceStep(TzkPDFIndirectReference* reference) {
  const int32_t number = reference->ObjectNumber();
  if (number <= 0) {
    Warning(Format(res::kInvalidObjectNumber, number));
    return nullptr;
  }
  // An object whose own read asks for it (a stream measured by itself) is
  // not read again inside that read.
  if (reference->DocumentNumber() == documentNumber_ && readingObjects_.count(number)) {
    if (TzkPDFIndirectObject* found = store_->Find(reference)) found->IncUseCount();
    return nullptr;
  }
  readingObjects_.insert(number);
  TzkFetched fetched;
  try {
    fetched = FetchObject(*reference, false);
  } catch (...) {
    readingObjects_.erase(number);
    throw;
  }
  readingObjects_.erase(number);
  if (!fetched.Object) return nullptr;
  if (!fetched.Owned) {
    fetched.Object->IncUseCount();
    return nullptr;
  }
  // The read may have stored the object already (a stream whose length
  // object is itself).
  if (TzkPDFIndirectObject* found = store_->Find(reference)) {
    found->IncUseCount();
    return nullptr;
  }
  // Stored before its value is walked, so that a cycle ends here.
  fetched.Owned->IncUseCount();
  TzkPDFIndirectObject* stored = StoreRead(std::move(fetched.Owned), fetched.LengthRepaired);
  return stored->Value();
}

void TzkCustomPDFDocument::ApplyDestinationRule(TzkPDFDictObject& dict, int32_t index) {
  if (!NamedDestinationLookup) return;
  const std::string& key = dict.KeyName(index);
  if (key != "/Dest" && key != "/D") return;
  if (key == "/D") {
    // A remote, embedded or launch target names a destination elsewhere.
    const TzkPDFObject* s = store_->Resolve(dict.Lookup("/S"));
    if (NameIs(s, "/GoToR") || NameIs(s, "/GoToE") || NameIs(s, "/Launch")) return;
  }
  const TzkPDFObject* value = dict.ValueAt(index);
  std::string name;
  if (const auto* str = ObjectAs<TzkPDFStringObject>(value)) {
    name = str->Bytes();
  } else if (const auto* nm = ObjectAs<TzkPDFNameObject>(value)) {
    name = nm->BareName();
  } else {
    return;
  }
  if (const TzkPDFObject* destination = NamedDestinationLookup(name)) {
    dict.PutValueAt(index, destination->Clone());
  }
}

void TzkCustomPDFDocument::Collect(TzkPDFObject* object) {
  std::vector<WalkFrame> stack;
  // Starts the walk of one value; containers are pushed, references loaded.
  auto visit = [&](TzkPDFObject* value, bool insideArray) {
    while (value) {
      switch (value->Kind()) {
        case sarvane::pdf::okArray:
        case sarvane::pdf::okDictionary:
          stack.push_back({value, 0});
          return;
        case sarvane::pdf::okStream:
          if (insideArray) {
            Warning(res::kStreamInsideArray);
            return;
          }
          stack.push_back({&static_cast<TzkPDFStreamObject*>(value)->Dict(), 0});
          return;
        case sarvane::pdf::okIndirectObject:
          value = static_cast<TzkPDFIndirectObject*>(value)->Value();
          break;
        case sarvane::pdf::okIndirectReference:
          // Gives the value of an object stored just now, or nothing; each
          // round stores a new object, so a chain of references ends.
          value = CollectReferenceStep(static_cast<TzkPDFIndirectReference*>(value));
          break;
        default:
          return;
      }
      insideArray = false;
    }
  };
  visit(object, false);
  while (!stack.empty()) {
    WalkFrame& frame = stack.back();
    TzkPDFObject* container = frame.Container;
    if (auto* array = container->As<TzkPDFArrayObject>()) {
      if (frame.Index >= array->Count()) {
        stack.pop_back();
        continue;
      }
      TzkPDFObject* item = array->ItemAt(frame.Index++);
      visit(item, true);
      continue;
    }
    auto* dict = static_cast<TzkPDFDictObject*>(container);
    if (frame.Index >= dict->Count()) {
      stack.pop_back();
      continue;
    }
    const int32_t index = frame.Index++;
    TzkPDFObject* value = dict->ValueAt(index);
    if (value && (value->IsString() || value->IsName())) {
      ApplyDestinationRule(*dict, index);
      continue;
    }
    visit(value, false);
  }
}

void TzkCustomPDFDocument::CollectReference(TzkPDFIndirectReference* reference) { Collect(reference); }

// --------------------------------------------------------------- copying

TzkPDFObjectPtr TzkCustomPDFDocument::LoadObjectCopy(const TzkPDFIndirectReference* reference) {
  if (!reference) return nullptr;
  TzkPDFIndirectReference current(reference->DocumentNumber(), reference->Generation(), reference->ObjectNumber());
  for (int hop = 0; hop < kMaxReferenceHops; ++hop) {
    TzkFetched fetched = FetchObject(current, false);
    TzkPDFIndirectObject* object = fetched.Object;
    if (!object) return nullptr;
    // A stream read here still brings what its dictionary refers to.
    if (fetched.Owned && object->Value()->IsStream()) Collect(object->Value());
    object->IncUseCount();
    const auto* next = object->Value()->As<TzkPDFIndirectReference>();
    if (!next) return object->Value()->Clone();
    current.SetDocumentNumber(next->DocumentNumber());
    current.SetGeneration(next->Generation());
    current.SetObjectNumber(next->ObjectNumber());
  }
  return nullptr;
}

// One copy of a tree with its references resolved. Every indirect object is
// fetched once per copy however often it is met, and every node the copy
// makes is paid for from the document's expansion budget, so that a small
// file whose objects share each other many times over cannot make a copy
// exponentially large.
struct TzkCustomPDFDocument::TreeCopy {
  TzkCustomPDFDocument& Document;
  TzkCopyOptions Options;
  std::unordered_map<int64_t, TzkFetched> Fetched;
  std::unordered_set<int64_t> OnPath;  // the references being expanded
  int32_t Expanding = 0;      // the innermost object being expanded, for messages

  TzkPDFObjectPtr Copy(const TzkPDFObject* object, int depth) {
    if (!object) return nullptr;
    if (depth > kMaxResolveDepth) throw EPDFException(Format(res::kNestingTooDeep, kMaxResolveDepth));
    Document.SpendExpansionBudget(Expanding);
    switch (object->Kind()) {
      case sarvane::pdf::okArray: {
        const auto& array = *static_cast<const TzkPDFArrayObject*>(object);
        auto result = std::make_unique<TzkPDFArrayObject>();
        for (int32_t i = 0; i < array.Count(); ++i) result->Add(Copy(array.ItemAt(i), depth + 1));
        return result;
      }
      case sarvane::pdf::okDictionary: {
        const auto& dict = *static_cast<const TzkPDFDictObject*>(object);
        auto result = std::make_unique<TzkPDFDictObject>();
        for (int32_t i = 0; i < dict.Count(); ++i) {
          result->AddValue(dict.KeyName(i), Copy(dict.ValueAt(i), depth + 1));
        }
        return result;
      }
      case sarvane::pdf::okIndirectReference:
        return CopyReference(*static_cast<const TzkPDFIndirectReference*>(object), depth);
      case sarvane::pdf::okIndirectObject:
        return Copy(static_cast<const TzkPDFIndirectObject*>(object)->Value(), depth + 1);
      default:
        return object->Clone();
    }
  }

  TzkPDFObjectPtr CopyReference(const TzkPDFIndirectReference& reference, int depth) {
    const int64_t key = IdentityKey(reference.ObjectNumber(), reference.Generation());
    if (OnPath.count(key)) {
      // A reference back into its own chain.
      if (Options.CycleAsReference) return reference.Clone();
      return std::make_unique<sarvane::pdf::TzkPDFNullObject>();
    }
    auto it = Fetched.find(key);
    if (it == Fetched.end()) {
      it = Fetched.emplace(key, Document.FetchObject(reference, Options.AnyGeneration)).first;
      // A read from the file is paid for like a node: what it brings in is
      // paid for again as it is copied. (Charging its whole size here would
      // make a tree written out directly cost twice on reading back.)
      if (it->second.Owned) Document.SpendExpansionBudget(reference.ObjectNumber());
    }
    TzkPDFIndirectObject* target = it->second.Object;
    if (!target) return std::make_unique<sarvane::pdf::TzkPDFNullObject>();
    // A stream is only ever an object of its own: it cannot be copied into
    // another value.
    if (target->Value()->IsStream()) {
      if (Options.CycleAsReference) return reference.Clone();
      return std::make_unique<sarvane::pdf::TzkPDFNullObject>();
    }
    if (Options.CountUses) target->IncUseCount();
    OnPath.insert(key);
    const int32_t outer = Expanding;
    Expanding = reference.ObjectNumber();
    TzkPDFObjectPtr result = Copy(target->Value(), depth + 1);
    Expanding = outer;
    OnPath.erase(key);
    return result;
  }
};

TzkPDFObjectPtr TzkCustomPDFDocument::CopyResolved(const TzkPDFObject* object, const TzkCopyOptions& options) {
  TreeCopy copy{*this, options, {}, {}, 0};
  if (const auto* indirect = ObjectAs<TzkPDFIndirectObject>(object)) copy.Expanding = indirect->ObjectNumber();
  return copy.Copy(object, 0);
}

TzkPDFObjectPtr TzkCustomPDFDocument::ResolveDeep(const TzkPDFObject* object) {
  return CopyResolved(object, {.CountUses = true, .CycleAsReference = true, .AnyGeneration = false});
}

TzkPDFObjectPtr TzkCustomPDFDocument::DetachedCopy(const TzkPDFObject* object) {
  return CopyResolved(object, {.CountUses = false, .CycleAsReference = false, .AnyGeneration = true});
}

void TzkCustomPDFDocument::ResetExpansionBudget() {
  const int64_t objects = std::max<int64_t>(xref_.EntryCount(), store_ ? store_->ObjectCount() : 0);
  // The file's size allows for reading and copying once what the file
  // holds directly (a node takes at least a byte or two of the file).
  expansionBudget_ = kExpansionPerObject * objects + fileSize_ + kExpansionAllowance;
  expansionLimit_ = expansionBudget_;
}

void TzkCustomPDFDocument::SpendExpansionBudget(int32_t expanding, int64_t nodes) {
  expansionBudget_ -= nodes;
  if (expansionBudget_ >= 0) return;
  throw EExpansionError(Format(res::kExpansionTooLarge, expanding, expansionLimit_));
}

int64_t TzkCustomPDFDocument::CountDirectNodes(const TzkPDFObject& object) {
  int64_t count = 0;
  std::vector<const TzkPDFObject*> pending{&object};
  while (!pending.empty()) {
    const TzkPDFObject* node = pending.back();
    pending.pop_back();
    ++count;
    if (const auto* array = node->As<TzkPDFArrayObject>()) {
      for (int32_t i = 0; i < array->Count(); ++i) pending.push_back(array->ItemAt(i));
    } else if (const auto* dict = node->As<TzkPDFDictObject>()) {
      for (int32_t i = 0; i < dict->Count(); ++i) pending.push_back(dict->ValueAt(i));
    } else if (const auto* stream = node->As<TzkPDFStreamObject>()) {
      pending.push_back(&stream->Dict());
    }
  }
  return count;
}

// -------------------------------------------------------------- releasing

void TzkCustomPDFDocument::ReleaseReferences(const TzkPDFObject* object) {
  if (!object) return;
  switch (object->Kind()) {
    case sarvane::pdf::okArray: {
      const auto& array = *static_cast<const TzkPDFArrayObject*>(object);
      for (int32_t i = 0; i < array.Count(); ++i) ReleaseReferences(array.ItemAt(i));
      break;
    }
    case sarvane::pdf::okDictionary: {
      const auto& dict = *static_cast<const TzkPDFDictObject*>(object);
      for (int32_t i = 0; i < dict.Count(); ++i) ReleaseReferences(dict.ValueAt(i));
      break;
    }
    case sarvane::pdf::okStream:
      ReleaseReferences(&static_cast<const TzkPDFStreamObject*>(object)->Dict());
      break;
    case sarvane::pdf::okIndirectReference: {
      TzkPDFIndirectObject* target = store_->Find(static_cast<const TzkPDFIndirectReference*>(object));
      if (target && target->UseCount() > 0) target->DecUseCount();
      break;
    }
    case sarvane::pdf::okIndirectObject: {
      auto* indirect = const_cast<TzkPDFIndirectObject*>(static_cast<const TzkPDFIndirectObject*>(object));
      if (indirect->UseCount() > 0) indirect->DecUseCount();
      break;
    }
    default:
      return;
  }
}

}  // namespace sarvane::pdf::doc
