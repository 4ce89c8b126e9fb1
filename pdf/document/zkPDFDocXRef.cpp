// Opening a file: the cross-reference chain, the trailer entries, object
// streams; and the routines that load objects into the store.
#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <vector>

#include "pdf/document/zkCstPDFDoc.h"
#include "pdf/filters/zkPDFFilters.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFIntegerObject;
using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkPDFStringObject;

namespace {

// PDF's own limit on the number of indirect objects of a file.
constexpr int32_t kMaxObjectNumber = 8388607;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int64_t PathKey(int32_t objectNumber, int32_t generation) {
  return (static_cast<int64_t>(objectNumber) << 16) ^ static_cast<uint16_t>(generation);
}

// The value of an integer object (32 or 64 bits), or nothing.
bool IntegerValue(const TzkPDFObject* object, int64_t& value) {
  if (!object) return false;
  if (const auto* i = object->As<TzkPDFIntegerObject>()) {
    value = i->Value();
    return true;
  }
  if (const auto* i = object->As<sarvane::pdf::TzkPDFInt64Object>()) {
    value = i->Value();
    return true;
  }
  return false;
}

bool NameIs(const TzkPDFObject* object, std::string_view name) {
  const auto* n = ObjectAs<TzkPDFNameObject>(object);
  return n && n->Text() == name;
}

// Restores a counter on every path out of a scope.
struct DepthScope {
  explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
  ~DepthScope() { --depth_; }
  int& depth_;
};

}  // namespace

// ------------------------------------------------------------------ opening

void TzkCustomPDFDocument::OpenDocumentFile(sarvane::pdf::TzkStream& file) {
  file.SetPosition(0);
  auto data = std::make_shared<std::string>(file.ReadBytes(file.Size()));
  OpenDocumentFile(std::shared_ptr<const std::string>(std::move(data)));
}

void TzkCustomPDFDocument::OpenDocumentFile(std::shared_ptr<const std::string> fileData) {
  try {
    reader_ = std::make_unique<TzkPDFStreamReader>(documentNumber_, std::move(fileData));
    fileSize_ = reader_->Size();
    // Every object needs bytes of its own somewhere in the file; the slack
    // allows for sparse numbering in small files.
    objectNumberLimit_ =
        static_cast<int32_t>(std::min<int64_t>(kMaxObjectNumber, fileSize_ + 65536));
    largestSize_ = 0;

    pdfVersion_ = static_cast<TzkPDFVersion>(reader_->ReadHeader());
    const int64_t start = reader_->FindStartXRef();
    const SectionKind kind = SectionKindAt(start);
    if (kind == SectionKind::None) throw EPDFFileCorruptedError();
    if (kind == SectionKind::Stream) StatusMessage(res::kReadingXRefStream);
    ReadXRefChain(start, kind);

    const bool encrypted = trailer_.Encryption && !trailer_.Encryption->IsNull();
    if (xref_.HasStreamEntries()) {
      // Encrypted object streams can only be read once decryption is set up.
      if (encrypted) {
        objectStreamsPending_ = true;
      } else {
        UnpackObjectStreams();
      }
    }
    SettleIdentifier();
    store_->SetHighestNumber(std::max({0, largestSize_ - 1, xref_.HighestObjectNumber()}));

    if (encrypted) {
      TzkPDFObjectPtr resolved = ResolveDeep(trailer_.Encryption.get());
      trailer_.Encryption = std::move(resolved);
      isEncrypted_ = true;
    } else {
      isEncrypted_ = false;
    }
    isLoaded_ = true;
  } catch (...) {
    reader_.reset();
    throw;
  }
}

TzkCustomPDFDocument::SectionKind TzkCustomPDFDocument::SectionKindAt(int64_t offset) const {
  if (offset <= 0 || offset >= fileSize_) return SectionKind::None;
  const std::string_view data = reader_->Data();
  const std::string_view four = data.substr(static_cast<size_t>(offset), 4);
  if (four == "xref") return SectionKind::Table;
  std::string_view five = data.substr(static_cast<size_t>(offset), 5);
  while (!five.empty() && TzkPDFStreamReader::IsWhitespace(five.front())) five.remove_prefix(1);
  while (!five.empty() && TzkPDFStreamReader::IsWhitespace(five.back())) five.remove_suffix(1);
  if (five == "xref") return SectionKind::Table;
  if (IsDigit(data[static_cast<size_t>(offset)])) return SectionKind::Stream;
  return SectionKind::None;
}

void TzkCustomPDFDocument::CheckObjectNumber(int64_t objectNumber) const {
  if (objectNumber < 0 || objectNumber > objectNumberLimit_) {
    throw ECrossReferenceError(
        Format(res::kXRefObjectNumber, objectNumber));
  }
}

void TzkCustomPDFDocument::ApplyTrailerEntries(const TzkPDFDictObject& dict) {
  if (trailer_.RootNumber == -1) {
    if (TzkPDFObject* root = dict.Lookup("/Root")) {
      trailer_.RootNumber = root->Cast<TzkPDFIndirectReference>().ObjectNumber();
    }
  }
  if (!pendingIdentifier_) {
    if (TzkPDFObject* id = dict.Lookup("/ID")) pendingIdentifier_ = id->Clone();
  }
  if (!trailer_.Encryption) {
    if (TzkPDFObject* encrypt = dict.Lookup("/Encrypt")) trailer_.Encryption = encrypt->Clone();
  }
  if (!trailer_.Information) {
    if (TzkPDFObject* info = dict.Lookup("/Info")) {
      const auto& ref = info->Cast<TzkPDFIndirectReference>();
      trailer_.Information = std::make_unique<TzkPDFIndirectReference>(ref.DocumentNumber(), ref.Generation(),
                                                                       ref.ObjectNumber());
    }
  }
  int64_t size = 0;
  if (TzkPDFObject* sizeObject = dict.Lookup("/Size")) {
    if (!IntegerValue(sizeObject, size) || size < 0 || size - 1 > objectNumberLimit_) {
      throw ECrossReferenceError(Format(res::kInvalidXRefValue, "/Size"));
    }
    largestSize_ = std::max(largestSize_, static_cast<int32_t>(size));
  }
}

// The sections form a chain through /Prev, and a hybrid section also points
// at a cross-reference stream through /XRefStm. Older sections are stored
// first so that newer entries replace theirs: each section is stored after
// everything it points at, which is a post-order walk. The walk keeps its own
// stack (chains can be long) and reads each offset once (chains can loop).
void TzkCustomPDFDocument::ReadXRefChain(int64_t start, SectionKind startKind) {
  struct Frame {
    int64_t Offset;
    SectionKind Kind;
    int Phase;  // 0 not read, 1 /Prev pushed, 2 /XRefStm pushed
    int64_t Prev;
    int64_t XRefStm;
  };
  std::vector<Frame> stack;
  std::unordered_set<int64_t> visited;
  visited.insert(start);
  stack.push_back({start, startKind, 0, -1, -1});

  auto follow = [&](int64_t offset, bool mustBeStream) {
    if (offset < 0) return;
    if (visited.count(offset)) {
      Warning(Format(res::kXRefLoop, offset));
      return;
    }
    const SectionKind kind = SectionKindAt(offset);
    if (kind == SectionKind::None || (mustBeStream && kind != SectionKind::Stream)) {
      Warning(Format(res::kXRefNotFound, offset));
      return;
    }
    visited.insert(offset);
    stack.push_back({offset, kind, 0, -1, -1});
  };

  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.Phase == 0) {
      frame.Phase = 1;
      std::unique_ptr<TzkPDFDictObject> trailerDict;
      std::unique_ptr<TzkPDFIndirectObject> streamObject;
      const TzkPDFDictObject* dict = nullptr;
      if (frame.Kind == SectionKind::Table) {
        StatusMessage(res::kReadingXRefTable);
        reader_->Seek(frame.Offset);
        trailerDict = reader_->ReadTrailer();
        dict = trailerDict.get();
      } else {
        streamObject = ReadIndirectObjectAt(frame.Offset);
        if (!streamObject) throw EInvalidCast();
        dict = &streamObject->Value()->Cast<TzkPDFStreamObject>().Dict();
      }
      ApplyTrailerEntries(*dict);
      int64_t value = 0;
      if (TzkPDFObject* prev = dict->Lookup("/Prev")) {
        if (!IntegerValue(prev, value)) throw EInvalidCast();
        frame.Prev = value;
      }
      if (frame.Kind == SectionKind::Table) {
        if (TzkPDFObject* xrefStm = dict->Lookup("/XRefStm")) {
          if (!IntegerValue(xrefStm, value)) throw EInvalidCast();
          frame.XRefStm = value;
        }
      }
      const int64_t prev = frame.Prev;
      follow(prev, false);  // may reallocate the stack: frame is not used after this
    } else if (frame.Phase == 1) {
      frame.Phase = 2;
      const int64_t xrefStm = frame.XRefStm;
      follow(xrefStm, true);
    } else {
      const Frame done = frame;
      stack.pop_back();
      if (done.Kind == SectionKind::Table) {
        StoreTableSection(done.Offset);
      } else {
        StoreStreamSection(done.Offset);
      }
    }
  }
}

void TzkCustomPDFDocument::StoreTableSection(int64_t offset) {
  xref_.BeginSection();
  TzkPDFStreamReader& r = *reader_;
  r.Seek(offset);
  while (!r.EndOfData() && !IsDigit(r.PeekChar())) r.Skip(1);
  while (!r.EndOfData()) {
    const int32_t first = StrToInt(r.ReadToken());
    const int32_t count = StrToInt(r.ReadToken());
    if (count == 0) break;
    // An entry is 20 bytes; 18 is the least the lenient reading below takes.
    const int64_t remaining = r.Size() - r.Position();
    if (count < 0 || count > remaining / 18) throw ECrossReferenceError(Format(res::kXRefEntriesBeyondData, count));
    CheckObjectNumber(first);
    CheckObjectNumber(static_cast<int64_t>(first) + count - 1);
    while (!r.EndOfData() && !IsDigit(r.PeekChar())) r.Skip(1);
    for (int32_t i = 0; i < count; ++i) {
      const std::string_view entry = r.ReadText(18);
      if (entry.size() < 18) throw ECrossReferenceError(Format(res::kXRefEntriesBeyondData, count));
      sarvane::pdf::TzkXRefItem item;
      item.Offset = StrToInt(entry.substr(0, 10));
      std::string_view generation = entry.substr(10, 6);
      while (!generation.empty() && generation.front() == ' ') generation.remove_prefix(1);
      item.Generation = StrToInt(generation);
      item.Type = static_cast<uint8_t>(entry[17]);
      item.ObjectNumber = first + i;
      // The line end: two bytes as written, one in files that cut it short.
      for (int k = 0; k < 2 && (r.PeekChar() == ' ' || r.PeekChar() == '\r' || r.PeekChar() == '\n'); ++k) r.Skip(1);
      xref_.StoreTableEntry(item);
    }
    r.SkipWhitespace();
    if (r.PeekText(7) == "trailer") break;
  }
}

// The decoded data of a cross-reference or object stream, predictors
// reversed as /DecodeParms asks (PNG from /Predictor 10 on).
std::string TzkCustomPDFDocument::DecodedStreamData(TzkPDFStreamObject& stream) {
  const TzkPDFDictObject& dict = stream.Dict();
  const TzkPDFObject* filter = store_->Resolve(dict.Lookup("/Filter"));
  if (!filter || filter->IsNull()) return std::string(stream.DataBytes());
  const sarvane::pdf::TzkObjectResolver resolve = [this](const TzkPDFObject* object) -> const TzkPDFObject* {
    return store_->Resolve(const_cast<TzkPDFObject*>(object));
  };
  return sarvane::pdf::DecodeChain(stream.DataBytes(), filter, store_->Resolve(dict.Lookup("/DecodeParms")), resolve);
}

void TzkCustomPDFDocument::StoreStreamSection(int64_t offset) {
  xref_.BeginSection();
  std::unique_ptr<TzkPDFIndirectObject> object = ReadIndirectObjectAt(offset);
  if (!object) throw EInvalidCast();
  auto& stream = object->Value()->Cast<TzkPDFStreamObject>();
  const TzkPDFDictObject& dict = stream.Dict();

  // /W: three widths of at most eight bytes each.
  const auto* w = ObjectAs<TzkPDFArrayObject>(store_->Resolve(dict.Lookup("/W")));
  if (!w || w->Count() < 3) throw ECrossReferenceError(Format(res::kInvalidXRefValue, "/W"));
  int64_t widths[3];
  for (int i = 0; i < 3; ++i) {
    if (!IntegerValue(store_->Resolve(w->ItemAt(i)), widths[i])) {
      throw ECrossReferenceError(Format(res::kInvalidXRefValue, "/W"));
    }
    if (widths[i] < 0 || widths[i] > 8) throw ECrossReferenceError(Format(res::kXRefFieldWidth, widths[i]));
  }
  const int64_t entrySize = widths[0] + widths[1] + widths[2];
  if (entrySize == 0) throw ECrossReferenceError(Format(res::kXRefFieldWidth, 0));

  // Subsections: /Index pairs, or (0, /Size).
  std::vector<std::pair<int64_t, int64_t>> subsections;
  if (const TzkPDFObject* indexObject = store_->Resolve(dict.Lookup("/Index"))) {
    const auto* index = ObjectAs<TzkPDFArrayObject>(indexObject);
    if (!index) throw ECrossReferenceError(Format(res::kInvalidXRefValue, "/Index"));
    for (int32_t k = 0; k + 1 < index->Count(); k += 2) {
      int64_t first = 0, count = 0;
      if (!IntegerValue(store_->Resolve(index->ItemAt(k)), first) ||
          !IntegerValue(store_->Resolve(index->ItemAt(k + 1)), count)) {
        throw ECrossReferenceError(Format(res::kInvalidXRefValue, "/Index"));
      }
      if (count == 0) break;
      subsections.emplace_back(first, count);
    }
  } else {
    int64_t size = 0;
    if (!IntegerValue(store_->Resolve(dict.Lookup("/Size")), size) || size < 0) {
      throw ECrossReferenceError(Format(res::kInvalidXRefValue, "/Size"));
    }
    if (size > 0) subsections.emplace_back(0, size);
  }

  const std::string data = DecodedStreamData(stream);
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  int64_t available = static_cast<int64_t>(data.size()) / entrySize;
  size_t pos = 0;
  auto field = [&](int64_t width, int64_t absent) -> int64_t {
    if (width == 0) return absent;
    uint64_t v = 0;
    for (int64_t i = 0; i < width; ++i) v = (v << 8) | bytes[pos++];
    return v > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                          : static_cast<int64_t>(v);
  };
  for (const auto& [first, count] : subsections) {
    if (count < 0 || count > available) throw ECrossReferenceError(Format(res::kXRefEntriesBeyondData, count));
    CheckObjectNumber(first);
    CheckObjectNumber(first + count - 1);
    available -= count;
    for (int64_t i = 0; i < count; ++i) {
      const int64_t type = field(widths[0], 1);
      const int64_t field2 = field(widths[1], 0);
      const int64_t field3 = field(widths[2], 0);
      xref_.StoreStreamEntry(static_cast<int32_t>(first + i), static_cast<int32_t>(type),
                             static_cast<int32_t>(field2), static_cast<int32_t>(field3));
    }
  }
}

void TzkCustomPDFDocument::SettleIdentifier() {
  TzkPDFObjectPtr pending = std::move(pendingIdentifier_);
  if (!pending) return;
  if (pending->IsArray()) {
    trailer_.Identifier.reset(static_cast<TzkPDFArrayObject*>(pending.release()));
  } else if (const auto* ref = pending->As<TzkPDFIndirectReference>()) {
    TzkPDFObjectPtr value = LoadObjectCopy(ref);
    if (value && value->IsArray()) trailer_.Identifier.reset(static_cast<TzkPDFArrayObject*>(value.release()));
  }
}

// ---------------------------------------------------------- object streams

void TzkCustomPDFDocument::UnpackObjectStreams() {
  objectStreamsPending_ = false;
  std::unordered_set<int32_t> unpacked;
  const int32_t slots = xref_.StreamSlotCount();
  for (int32_t n = 0; n < slots; ++n) {
    const sarvane::pdf::TzkXRefStmItem* entry = xref_.StreamEntry(n);
    if (!entry || entry->Type != 2) continue;
    const int32_t streamNumber = entry->Field2;
    if (!unpacked.insert(streamNumber).second) continue;
    UnpackObjectStream(streamNumber);
  }
}

void TzkCustomPDFDocument::UnpackObjectStream(int32_t streamNumber) {
  const int32_t offset = ObjectOffset(streamNumber);
  if (streamNumber <= 0 || offset <= 0) {
    Warning(Format(res::kObjectStreamSkipped, streamNumber, "not in the file"));
    return;
  }
  std::unique_ptr<TzkPDFIndirectObject> object = ReadIndirectObjectAt(offset, streamNumber);
  if (!object) return;  // reported by ReadIndirectObjectAt
  auto& stream = object->Value()->Cast<TzkPDFStreamObject>();
  const TzkPDFDictObject& dict = stream.Dict();
  if (!NameIs(store_->Resolve(dict.Lookup("/Type")), "/ObjStm")) {
    Warning(Format(res::kObjectStreamSkipped, streamNumber, "/Type is not /ObjStm"));
    return;
  }
  // Image codecs cannot hold objects: their data cannot be decoded here.
  TzkPDFObject* filter = store_->Resolve(dict.Lookup("/Filter"));
  if (filter) {
    const auto* filters = filter->As<TzkPDFArrayObject>();
    const int32_t count = filters ? filters->Count() : 1;
    for (int32_t i = 0; i < count; ++i) {
      const TzkPDFObject* item = filters ? store_->Resolve(filters->ItemAt(i)) : filter;
      if (NameIs(item, "/DCTDecode")) {
        Warning(Format(res::kObjectStreamSkipped, streamNumber, "/DCTDecode"));
        return;
      }
    }
  }
  int64_t n = 0, first = 0;
  if (!IntegerValue(store_->Resolve(dict.Lookup("/N")), n)) {
    throw ECrossReferenceError(Format(res::kObjectStreamValue, "/N"));
  }
  if (!IntegerValue(store_->Resolve(dict.Lookup("/First")), first)) {
    throw ECrossReferenceError(Format(res::kObjectStreamValue, "/First"));
  }
  std::string data = DecodedStreamData(stream);
  const auto size = static_cast<int64_t>(data.size());
  // A pair in the header takes at least four bytes ("1 0 ").
  if (first < 0 || first > size) throw ECrossReferenceError(Format(res::kObjectStreamValue, "/First"));
  if (n < 0 || n > first / 2 + 1) throw ECrossReferenceError(Format(res::kObjectStreamValue, "/N"));
  object.reset();

  TzkPDFStreamReader inner(documentNumber_, std::move(data));
  for (int64_t i = 0; i < n; ++i) {
    const int32_t number = StrToInt(inner.ReadToken());
    const int32_t relative = StrToInt(inner.ReadToken());
    const int64_t resume = inner.Position();
    if (number <= 0 || relative < 0 || first + relative >= size) continue;
    // Only the live version of an object: the newest cross-reference entry
    // must place it in this stream, and nothing stored may be replaced.
    if (!xref_.IsCompressedIn(number, streamNumber) || store_->Find(documentNumber_, number, 0)) continue;
    inner.Seek(first + relative);
    inner.SetCurrentObject(number, 0);
    TzkPDFObjectPtr value = inner.ReadObject();
    inner.Seek(resume);
    if (!value) continue;
    const auto* valueDict = value->As<TzkPDFDictObject>();
    const bool walked = !(valueDict && NameIs(store_->Resolve(valueDict->Lookup("/Type")), "/Pages"));
    if (walked) Collect(value.get());
    if (trailer_.Information && trailer_.Information->ObjectNumber() == number && InformationHandler) {
      InformationHandler(value->Clone());
      continue;
    }
    auto indirect = std::make_unique<TzkPDFIndirectObject>(documentNumber_, std::move(value), 0, number);
    if (walked) indirect->IncUseCount();
    store_->Store(std::move(indirect));
  }
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
  r.Seek(position);
  TzkPDFObjectPtr read = r.ReadObject();
  if (!read || !read->IsIndirectObject()) throw EInvalidCast();
  std::unique_ptr<TzkPDFIndirectObject> object(static_cast<TzkPDFIndirectObject*>(read.release()));
  if ((expectedNumber >= 0 && object->ObjectNumber() != expectedNumber) ||
      (expectedGeneration >= 0 && object->Generation() != expectedGeneration)) {
    Warning(Format(res::kObjectNotAtOffset, expectedNumber, position));
    return nullptr;
  }
  auto* stream = object->Value()->As<TzkPDFStreamObject>();
  if (!stream) return object;

  const int64_t streamPosition = r.Position();
  TzkPDFDictObject& dict = stream->Dict();
  // The length may be an object of its own: load it (and only it) first.
  // A cross-reference stream is read before the objects are, so its length
  // object is read for the moment only.
  TzkPDFObjectPtr lengthCopy;
  if (auto* lengthRef = ObjectAs<TzkPDFIndirectReference>(dict.Lookup("/Length"))) {
    if (NameIs(dict.Lookup("/Type"), "/XRef")) {
      lengthCopy = LoadObjectCopy(lengthRef);
    } else {
      CollectReference(lengthRef);
    }
    r.Seek(streamPosition);
  }
  const int32_t number = object->ObjectNumber();
  const int32_t generation = object->Generation();
  bool corrected = false;
  try {
    const TzkPDFIntegerObject* length =
        lengthCopy ? lengthCopy->As<TzkPDFIntegerObject>() : store_->ResolveInteger(dict.Lookup("/Length"));
    if (!length || length->Value() < 0) throw EInvalidCast();
    int64_t declared = length->Value();
    // A length running past the end of the file: take the data up to the
    // first "endstream" instead of searching back from the end of the file.
    const std::string_view data = r.Data();
    if (declared > r.Size() - streamPosition) {
      const size_t end = data.find("endstream", static_cast<size_t>(streamPosition));
      if (end == std::string_view::npos) throw EInvalidCast();
      declared = static_cast<int64_t>(end) - streamPosition;
      corrected = true;
    }
    r.Seek(streamPosition);
    bool searched = false;
    stream->SetData(r.ReadStreamData(declared, number, generation, &searched, &dict));
    corrected = corrected || searched;
  } catch (const Exception&) {
    corrected = true;
    r.Seek(streamPosition);
    const TzkPDFIntegerObject* length1 = nullptr;
    try {
      length1 = store_->ResolveInteger(dict.Lookup("/Length1"));
    } catch (const Exception&) {
      length1 = nullptr;
    }
    if (length1 && length1->Value() >= 0 && length1->Value() <= r.Size() - streamPosition) {
      stream->SetData(r.ReadStreamData(length1->Value(), number, generation, nullptr, &dict));
    } else {
      stream->SetData(std::make_unique<sarvane::pdf::TzkMemoryStream>());
    }
    Warning(Format(res::kStreamLengthRepaired, number));
  }
  if (lengthRepaired) *lengthRepaired = corrected;
  return object;
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
  if (TzkPDFIndirectObject* found = store_->Find(reference)) {
    found->IncUseCount();
    return nullptr;
  }
  // Only this document's file can supply the object, and only when no
  // version of the object is stored yet.
  if (reference->DocumentNumber() != documentNumber_ || !reader_) return nullptr;
  if (store_->Find(documentNumber_, number, 0)) return nullptr;
  // An object whose own read asks for it (a stream measured by itself) is
  // not read again inside that read.
  if (readingObjects_.count(number)) return nullptr;
  bool repaired = false;
  std::unique_ptr<TzkPDFIndirectObject> read;
  readingObjects_.insert(number);
  try {
    read = ReadObjectFromFile(number, reference->Generation(), &repaired);
  } catch (...) {
    readingObjects_.erase(number);
    throw;
  }
  readingObjects_.erase(number);
  if (!read) return nullptr;
  if (TzkPDFIndirectObject* found = store_->Find(reference)) {
    found->IncUseCount();
    return nullptr;
  }
  // Stored before its value is walked, so that a cycle ends here.
  read->IncUseCount();
  TzkPDFIndirectObject* stored = StoreRead(std::move(read), repaired);
  return stored->Value();
}

void TzkCustomPDFDocument::ApplyDestinationRule(TzkPDFDictObject& dict, int32_t index) {
  if (!NamedDestinationLookup) return;
  const std::string& key = dict.KeyAt(index)->Text();
  if (key != "/Dest" && key != "/D") return;
  if (key == "/D") {
    // A remote, embedded or launch target names a destination elsewhere.
    const TzkPDFObject* s = store_->Resolve(dict.Lookup("/S"));
    if (NameIs(s, "/GoToR") || NameIs(s, "/GoToE") || NameIs(s, "/Launch")) return;
  }
  const TzkPDFObject* value = dict.ValueAt(index);
  std::string name;
  if (const auto* str = ObjectAs<TzkPDFStringObject>(value)) {
    // A name written as a hexadecimal string is the bytes its digits denote.
    name = str->IsHex() ? sarvane::pdf::HexToBytes(str->Content()) : str->Content();
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
  int32_t number = reference->ObjectNumber();
  int32_t generation = reference->Generation();
  int32_t documentNumber = reference->DocumentNumber();
  for (int hop = 0; hop < kMaxReferenceHops; ++hop) {
    std::unique_ptr<TzkPDFIndirectObject> ownRead;
    TzkPDFIndirectObject* object = store_->Find(documentNumber, number, static_cast<uint16_t>(generation));
    if (!object && documentNumber == documentNumber_ && number > 0 && reader_ &&
        !store_->Find(documentNumber, number, 0)) {
      ownRead = ReadObjectFromFile(number, generation, nullptr);
      object = ownRead.get();
      // A stream read here still brings what its dictionary refers to.
      if (object && object->Value()->IsStream()) Collect(object->Value());
    }
    if (!object) return nullptr;
    object->IncUseCount();
    const auto* next = object->Value()->As<TzkPDFIndirectReference>();
    if (!next) return object->Value()->Clone();
    number = next->ObjectNumber();
    generation = next->Generation();
    documentNumber = next->DocumentNumber();
  }
  return nullptr;
}

TzkPDFObjectPtr TzkCustomPDFDocument::ResolveDeep(const TzkPDFObject* object) {
  std::unordered_set<int64_t> path;
  return ResolveDeepAt(object, 0, path);
}

TzkPDFObjectPtr TzkCustomPDFDocument::ResolveDeepAt(const TzkPDFObject* object, int depth,
                                                    std::unordered_set<int64_t>& path) {
  if (!object) return nullptr;
  if (depth > kMaxResolveDepth) throw EPDFException(Format(res::kNestingTooDeep, kMaxResolveDepth));
  switch (object->Kind()) {
    case sarvane::pdf::okArray: {
      const auto& array = *static_cast<const TzkPDFArrayObject*>(object);
      auto result = std::make_unique<TzkPDFArrayObject>();
      for (int32_t i = 0; i < array.Count(); ++i) result->Add(ResolveDeepAt(array.ItemAt(i), depth + 1, path));
      return result;
    }
    case sarvane::pdf::okDictionary: {
      const auto& dict = *static_cast<const TzkPDFDictObject*>(object);
      auto result = std::make_unique<TzkPDFDictObject>();
      for (int32_t i = 0; i < dict.Count(); ++i) {
        result->Add(std::make_unique<TzkPDFNameObject>(dict.KeyAt(i)->Text()),
                    ResolveDeepAt(dict.ValueAt(i), depth + 1, path));
      }
      return result;
    }
    case sarvane::pdf::okIndirectReference: {
      const auto& ref = *static_cast<const TzkPDFIndirectReference*>(object);
      const int64_t key = PathKey(ref.ObjectNumber(), ref.Generation());
      if (path.count(key)) return ref.Clone();  // a reference back into its own chain
      std::unique_ptr<TzkPDFIndirectObject> ownRead;
      TzkPDFIndirectObject* target = store_->Find(&ref);
      if (!target && ref.DocumentNumber() == documentNumber_ && ref.ObjectNumber() > 0 && reader_ &&
          !store_->Find(documentNumber_, ref.ObjectNumber(), 0)) {
        ownRead = ReadObjectFromFile(ref.ObjectNumber(), ref.Generation(), nullptr);
        target = ownRead.get();
      }
      if (!target) return std::make_unique<sarvane::pdf::TzkPDFNullObject>();
      target->IncUseCount();
      path.insert(key);
      TzkPDFObjectPtr result = ResolveDeepAt(target->Value(), depth + 1, path);
      path.erase(key);
      return result;
    }
    case sarvane::pdf::okIndirectObject:
      return ResolveDeepAt(static_cast<const TzkPDFIndirectObject*>(object)->Value(), depth + 1, path);
    default:
      return object->Clone();
  }
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
      break;
  }
}

}  // namespace sarvane::pdf::doc
