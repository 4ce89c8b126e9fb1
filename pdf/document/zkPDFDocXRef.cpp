// Opening a file: the cross-reference chain, the trailer entries, object
// streams; and the routines that load objects into the store.
#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <vector>

#include "pdf/document/zkCstPDFDoc.h"
#include "pdf/document/zkPDFObjectHeader.h"
#include "pdf/filters/zkPDFFilters.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::NameIs;

using sarvane::pdf::TzkPDFIntegerObject;
using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkPDFStringObject;

namespace {

// PDF's own limit on the number of indirect objects of a file.
constexpr int32_t kMaxObjectNumber = 8388607;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of an integer object of either width, or nothing.
bool IntegerValue(const TzkPDFObject* object, int64_t& value) {
  const std::optional<int64_t> integer = sarvane::pdf::IntegerOf(object);
  if (integer) value = *integer;
  return integer.has_value();
}

}  // namespace

// ------------------------------------------------------------------ opening

void TzkCustomPDFDocument::OpenDocumentFile(sarvane::pdf::TzkStream& file) {
  file.SetPosition(0);
  auto data = std::make_shared<const std::string>(file.ReadBytes(file.Size()));
  OpenDocumentFile(TzkSharedBytes::Of(std::move(data)));
}

void TzkCustomPDFDocument::OpenDocumentFile(TzkSharedBytes fileData) {
  try {
    // Bytes before the header (a mail gateway's, a server's): the offsets
    // inside count from the header, as the program that wrote them saw it.
    const int64_t header = TzkPDFStreamReader::FindHeader(fileData.Bytes);
    if (header > 0) fileData.Bytes.remove_prefix(static_cast<size_t>(header));
    reader_ = std::make_unique<TzkPDFStreamReader>(documentNumber_, std::move(fileData));
    fileSize_ = reader_->Size();
    searches_ = StreamSearches();
    objectNumberLimit_ = kMaxObjectNumber;
    largestSize_ = 0;
    repaired_ = false;

    pdfVersion_ = VersionFromHeader(reader_->ReadHeader());
    if (repairRequested_) {
      RebuildCrossReference(repairReason_);
    } else {
      try {
        ReadCrossReference();
      } catch (const Exception& e) {
        RebuildCrossReference(e.what());
      }
    }

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
    ResetExpansionBudget();

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

TzkPDFVersion TzkCustomPDFDocument::VersionFromHeader(int32_t header) {
  if (header == 20) return pvPDF20;
  if (header == 18) return pvPDF18;
  return static_cast<TzkPDFVersion>(std::clamp(header - 10, 0, 7));
}

// The cross-reference chain from startxref, and the catalog where it says.
void TzkCustomPDFDocument::ReadCrossReference() {
  const int64_t start = reader_->FindStartXRef();
  if (start >= fileSize_) throw EPDFFileCorruptedError(Format(res::kStartXRefPastEnd, start));
  const auto [kind, at] = SectionAt(start);
  if (kind == SectionKind::None) throw EPDFFileCorruptedError(Format(res::kNoSectionAtStartXRef, start));
  if (kind == SectionKind::Stream) StatusMessage(res::kReadingXRefStream);
  ReadXRefChain(at, kind);
  CheckCatalogPlacement();
  // Objects after the last startxref belong to an update whose
  // cross-reference was lost: reading the older revision would drop them.
  const size_t keyword = reader_->Data().rfind("startxref");
  if (keyword != std::string_view::npos) {
    const int64_t after = FirstObjectHeaderAfter(static_cast<int64_t>(keyword));
    if (after >= 0) throw EPDFFileCorruptedError(Format(res::kObjectsAfterLastSection, after));
  }
}

// Tables whose offsets lead nowhere are met in damaged files; the catalog
// is where that shows first, and a rebuilt table is the cure.
void TzkCustomPDFDocument::CheckCatalogPlacement() const {
  const int32_t root = trailer_.RootNumber;
  if (root <= 0) throw EPDFFileCorruptedError(std::string(res::kNoRootInTrailer));
  const sarvane::pdf::TzkXRefStmItem* entry = xref_.StreamEntry(root);
  if (entry && entry->Type == 2 && ObjectOffset(root) == 0) return;
  const int64_t offset = ObjectOffset(root);
  if (offset <= 0) throw EPDFFileCorruptedError(Format(res::kCatalogMissing, root));
  const std::optional<TzkObjectHeader> header = ObjectHeaderAt(reader_->Data(), static_cast<size_t>(offset));
  if (!header || header->Number != root) {
    throw EPDFFileCorruptedError(Format(res::kCatalogNotAtOffset, root, offset));
  }
}

// A section at offset, or at the first non-blank byte after it: offsets
// that land on the line end before "xref" or on the blank before an object
// header are common and every reader takes them.
std::pair<TzkCustomPDFDocument::SectionKind, int64_t> TzkCustomPDFDocument::SectionAt(int64_t offset) const {
  if (offset <= 0 || offset >= fileSize_) return {SectionKind::None, offset};
  const std::string_view data = reader_->Data();
  auto at = static_cast<size_t>(offset);
  while (at < data.size() && at - static_cast<size_t>(offset) < 64 && TzkPDFStreamReader::IsWhitespace(data[at])) {
    ++at;
  }
  if (data.substr(at, 4) == "xref") return {SectionKind::Table, static_cast<int64_t>(at)};
  if (at < data.size() && IsDigit(data[at])) return {SectionKind::Stream, static_cast<int64_t>(at)};
  return {SectionKind::None, offset};
}

void TzkCustomPDFDocument::CheckObjectNumber(int64_t objectNumber) const {
  if (objectNumber < 0 || objectNumber > objectNumberLimit_) {
    throw ECrossReferenceError(
        Format(res::kXRefObjectNumber, objectNumber));
  }
}

void TzkCustomPDFDocument::ApplyTrailerEntries(const TzkPDFDictObject& dict) {
  if (trailer_.RootNumber == -1) {
    if (const auto* root = ObjectAs<TzkPDFIndirectReference>(dict.Lookup("/Root"))) {
      trailer_.RootNumber = root->ObjectNumber();
    }
  }
  if (!pendingIdentifier_) {
    if (TzkPDFObject* id = dict.Lookup("/ID")) pendingIdentifier_ = id->Clone();
  }
  if (!trailer_.Encryption) {
    if (TzkPDFObject* encrypt = dict.Lookup("/Encrypt")) trailer_.Encryption = encrypt->Clone();
  }
  if (!trailer_.Information && !directInformation_) {
    TzkPDFObject* info = dict.Lookup("/Info");
    if (const auto* ref = ObjectAs<TzkPDFIndirectReference>(info)) {
      trailer_.Information = std::make_unique<TzkPDFIndirectReference>(ref->DocumentNumber(), ref->Generation(),
                                                                       ref->ObjectNumber());
    } else if (info && info->IsDictionary()) {
      // Written into the trailer itself: taken as the information dictionary.
      directInformation_ = true;
      if (InformationHandler) InformationHandler(info->Clone());
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
    const auto [kind, at] = SectionAt(offset);
    if (kind == SectionKind::None || (mustBeStream && kind != SectionKind::Stream)) {
      Warning(Format(res::kXRefNotFound, offset));
      return;
    }
    visited.insert(offset);
    stack.push_back({at, kind, 0, -1, -1});
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
        const auto* stream = streamObject ? streamObject->Value()->As<TzkPDFStreamObject>() : nullptr;
        if (!stream) throw EInvalidCast(Format(res::kNoXRefStreamAt, frame.Offset));
        dict = &stream->Dict();
      }
      ApplyTrailerEntries(*dict);
      int64_t value = 0;
      if (TzkPDFObject* prev = dict->Lookup("/Prev")) {
        if (!IntegerValue(prev, value)) throw EInvalidCast(Format(res::kSectionEntryNotNumber, "/Prev", frame.Offset));
        frame.Prev = value;
      }
      if (frame.Kind == SectionKind::Table) {
        if (TzkPDFObject* xrefStm = dict->Lookup("/XRefStm")) {
          if (!IntegerValue(xrefStm, value)) throw EInvalidCast(Format(res::kSectionEntryNotNumber, "/XRefStm", frame.Offset));
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
    xref_.ReserveTableEntries(first, count);
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
      // The line end: two bytes as written, one or three in files that are
      // a byte short or long.
      for (int k = 0; k < 3 && (r.PeekChar() == ' ' || r.PeekChar() == '\r' || r.PeekChar() == '\n'); ++k) r.Skip(1);
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
  auto* streamValue = object ? object->Value()->As<TzkPDFStreamObject>() : nullptr;
  if (!streamValue) throw EInvalidCast(Format(res::kNoXRefStreamAt, offset));
  auto& stream = *streamValue;
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
    xref_.ReserveStreamEntries(static_cast<int32_t>(first), static_cast<int32_t>(count));
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

// Every object stream is unpacked before any of their objects is walked: a
// stream among them may keep its /Length in an object that sits later in
// the same object stream, or in another one.
void TzkCustomPDFDocument::UnpackObjectStreams() {
  objectStreamsPending_ = false;
  std::unordered_set<int32_t> unpacked;
  std::vector<TzkPDFIndirectObject*> toWalk;
  for (const int32_t n : xref_.StreamEntryNumbers()) {
    const sarvane::pdf::TzkXRefStmItem* entry = xref_.StreamEntry(n);
    if (!entry || entry->Type != 2) continue;
    const int32_t streamNumber = entry->Field2;
    if (!unpacked.insert(streamNumber).second) continue;
    UnpackObjectStream(streamNumber, toWalk);
  }
  for (TzkPDFIndirectObject* object : toWalk) Collect(object->Value());
}

void TzkCustomPDFDocument::UnpackObjectStream(int32_t streamNumber, std::vector<TzkPDFIndirectObject*>& toWalk) {
  const int32_t offset = ObjectOffset(streamNumber);
  if (streamNumber <= 0 || offset <= 0) {
    Warning(Format(res::kObjectStreamSkipped, streamNumber, "not in the file"));
    return;
  }
  std::unique_ptr<TzkPDFIndirectObject> object = ReadIndirectObjectAt(offset, streamNumber);
  if (!object) return;  // reported by ReadIndirectObjectAt
  auto* stream = object->Value()->As<TzkPDFStreamObject>();
  if (!stream) throw EInvalidCast(Format(res::kObjectStreamNotStream, streamNumber));
  const TzkPDFDictObject& dict = stream->Dict();
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
    throw ECrossReferenceError(Format(res::kObjectStreamValue, "/N", streamNumber));
  }
  if (!IntegerValue(store_->Resolve(dict.Lookup("/First")), first)) {
    throw ECrossReferenceError(Format(res::kObjectStreamValue, "/First", streamNumber));
  }
  std::string data;
  try {
    data = DecodedStreamData(*stream);
  } catch (Exception& e) {
    e.AddDetail(Format(res::kObjectStreamHeaderAt, streamNumber));
    throw;
  }
  const auto size = static_cast<int64_t>(data.size());
  // A pair in the header takes at least four bytes ("1 0 ").
  if (first < 0 || first > size) throw ECrossReferenceError(Format(res::kObjectStreamValue, "/First", streamNumber));
  if (n < 0 || n > first / 2 + 1) throw ECrossReferenceError(Format(res::kObjectStreamValue, "/N", streamNumber));
  object.reset();

  TzkPDFStreamReader inner(documentNumber_, std::move(data));
  for (int64_t i = 0; i < n; ++i) {
    int32_t number = 0, relative = 0;
    try {
      number = StrToInt(inner.ReadToken());
      relative = StrToInt(inner.ReadToken());
    } catch (Exception& e) {
      e.AddDetail(Format(res::kObjectStreamHeaderAt, streamNumber));
      throw;
    }
    const int64_t resume = inner.Position();
    if (number <= 0 || relative < 0 || first + relative >= size) continue;
    // Only the live version of an object: the newest cross-reference entry
    // must place it in this stream, and nothing stored may be replaced.
    if (!xref_.IsCompressedIn(number, streamNumber) || store_->Find(documentNumber_, number, 0)) continue;
    inner.Seek(first + relative);
    inner.SetCurrentObject(number, 0);
    TzkPDFObjectPtr value;
    try {
      value = inner.ReadObject();
    } catch (Exception& e) {
      e.AddDetail(Format(res::kObjectInObjectStream, number, streamNumber));
      throw;
    }
    inner.Seek(resume);
    if (!value) continue;
    if (trailer_.Information && trailer_.Information->ObjectNumber() == number && InformationHandler) {
      InformationHandler(std::move(value));
      continue;
    }
    const auto* valueDict = value->As<TzkPDFDictObject>();
    const bool walked = !(valueDict && NameIs(store_->Resolve(valueDict->Lookup("/Type")), "/Pages"));
    auto indirect = std::make_unique<TzkPDFIndirectObject>(documentNumber_, std::move(value), 0, number);
    if (walked) indirect->IncUseCount();
    TzkPDFIndirectObject* stored = store_->Store(std::move(indirect));
    if (walked) toWalk.push_back(stored);
  }
}

}  // namespace sarvane::pdf::doc
