// Repairing a file whose cross-reference information cannot be used: the
// entries are rebuilt from the object headers found by scanning the file,
// the trailer entries from its trailers and cross-reference streams. Every
// widely used reader does this for damaged files; it is used only when the
// normal path has failed.
#include <algorithm>
#include <vector>

#include "pdf/document/zkCstPDFDoc.h"

namespace sarvane::pdf::doc {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSpace(char c) { return TzkPDFStreamReader::IsWhitespace(c); }

// One "N G obj" header found by the scan.
struct FoundObject {
  int32_t Number;
  int32_t Generation;
  int64_t Offset;
};

// The header whose "obj" keyword starts at keyword, when the bytes before it
// are white space, a generation, white space, an object number and the start
// of a line or token.
bool HeaderBefore(std::string_view data, size_t keyword, FoundObject& found) {
  const size_t after = keyword + 3;
  if (after < data.size() && !TzkPDFStreamReader::IsTokenDelimiter(data[after])) return false;
  size_t p = keyword;
  auto spaceBack = [&] {
    const size_t from = p;
    while (p > 0 && IsSpace(data[p - 1])) --p;
    return p < from;
  };
  auto digitsBack = [&](int64_t& value) {
    const size_t end = p;
    while (p > 0 && end - p < 10 && IsDigit(data[p - 1])) --p;
    if (p == end) return false;
    value = 0;
    for (size_t i = p; i < end; ++i) value = value * 10 + (data[i] - '0');
    return true;
  };
  int64_t generation = 0, number = 0;
  if (!spaceBack() || !digitsBack(generation) || !spaceBack() || !digitsBack(number)) return false;
  if (p > 0 && !TzkPDFStreamReader::IsTokenDelimiter(data[p - 1])) return false;
  if (number <= 0 || generation > 0xFFFF) return false;
  found = {static_cast<int32_t>(number), static_cast<int32_t>(generation), static_cast<int64_t>(p)};
  return true;
}

// Whether the dictionary that opens the object at offset (within its first
// bytes) names key and value, written with or without a space between.
bool DictionaryNames(std::string_view data, int64_t offset, std::string_view type) {
  constexpr size_t kWindow = 4096;
  const std::string_view head = data.substr(static_cast<size_t>(offset), kWindow);
  const size_t end = std::min(head.find("stream"), head.find("endobj"));
  const std::string_view dict = head.substr(0, end);
  for (size_t at = dict.find("/Type"); at != std::string_view::npos; at = dict.find("/Type", at + 5)) {
    size_t p = at + 5;
    while (p < dict.size() && IsSpace(dict[p])) ++p;
    if (dict.substr(p, type.size()) == type &&
        (p + type.size() == dict.size() || TzkPDFStreamReader::IsTokenDelimiter(dict[p + type.size()]))) {
      return true;
    }
  }
  return false;
}

// The reason without the "File is corrupted (...)" around it, for a message
// that already says so.
std::string_view InnerReason(std::string_view reason) {
  constexpr std::string_view kPrefix = "File is corrupted (";
  if (reason.substr(0, kPrefix.size()) == kPrefix && !reason.empty() && reason.back() == ')') {
    return reason.substr(kPrefix.size(), reason.size() - kPrefix.size() - 1);
  }
  return reason;
}

}  // namespace

int64_t TzkCustomPDFDocument::FirstObjectHeaderAfter(int64_t position) const {
  const std::string_view data = reader_->Data();
  for (size_t at = data.find("obj", static_cast<size_t>(position)); at != std::string_view::npos;
       at = data.find("obj", at + 3)) {
    FoundObject found;
    if (HeaderBefore(data, at, found) && found.Offset >= position) return found.Offset;
  }
  return -1;
}

void TzkCustomPDFDocument::RebuildCrossReference(std::string_view reason) {
  const std::string_view data = reader_->Data();
  xref_.Clear();
  trailer_.Clear();
  pendingIdentifier_.reset();
  largestSize_ = 0;

  // One pass over the file for object headers; a later definition of an
  // object replaces an earlier one, as an incremental update does.
  std::vector<FoundObject> objects;
  for (size_t at = data.find("obj"); at != std::string_view::npos; at = data.find("obj", at + 3)) {
    FoundObject found;
    if (HeaderBefore(data, at, found) && found.Number <= objectNumberLimit_) objects.push_back(found);
  }

  // Cross-reference streams still tell where compressed objects lie; the
  // headers found by the scan are newer than anything they say of offsets.
  std::vector<int64_t> xrefStreams;
  for (const FoundObject& object : objects) {
    if (DictionaryNames(data, object.Offset, "/XRef")) xrefStreams.push_back(object.Offset);
  }
  for (int64_t offset : xrefStreams) {
    try {
      StoreStreamSection(offset);
    } catch (const Exception&) {
      // A damaged cross-reference stream adds nothing; the scan still does.
    }
  }
  xref_.BeginSection();
  for (const FoundObject& object : objects) {
    sarvane::pdf::TzkXRefItem item;
    item.ObjectNumber = object.Number;
    item.Generation = object.Generation;
    item.Offset = static_cast<int32_t>(std::min<int64_t>(object.Offset, INT32_MAX));
    item.Type = 'n';
    xref_.StoreTableEntry(item);
  }

  // Trailer entries, the newest first: trailers and cross-reference streams
  // in the order they stand in the file, read from the end.
  std::vector<int64_t> trailers;
  for (size_t at = data.find("trailer"); at != std::string_view::npos; at = data.find("trailer", at + 7)) {
    trailers.push_back(static_cast<int64_t>(at));
  }
  std::vector<std::pair<int64_t, bool>> sources;  // offset, is a stream
  for (int64_t t : trailers) sources.emplace_back(t, false);
  for (int64_t x : xrefStreams) sources.emplace_back(x, true);
  std::sort(sources.begin(), sources.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [offset, isStream] : sources) {
    try {
      if (isStream) {
        std::unique_ptr<TzkPDFIndirectObject> object = ReadIndirectObjectAt(offset);
        if (const auto* stream = object ? object->Value()->As<TzkPDFStreamObject>() : nullptr) {
          ApplyTrailerEntries(stream->Dict());
        }
      } else {
        reader_->Seek(offset);
        std::unique_ptr<TzkPDFDictObject> dict = reader_->ReadTrailer();
        if (dict) ApplyTrailerEntries(*dict);
      }
    } catch (const Exception&) {
      // A damaged trailer gives nothing; older ones may still.
    }
  }

  // A catalog that no trailer names (or one that names a missing object):
  // the last object that says it is one.
  if (trailer_.RootNumber <= 0 || ObjectOffset(trailer_.RootNumber) <= 0) {
    const bool compressed = trailer_.RootNumber > 0 && xref_.StreamEntry(trailer_.RootNumber) &&
                            xref_.StreamEntry(trailer_.RootNumber)->Type == 2;
    if (!compressed) {
      trailer_.RootNumber = -1;
      for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (ObjectOffset(it->Number) == it->Offset && DictionaryNames(data, it->Offset, "/Catalog")) {
          trailer_.RootNumber = it->Number;
          break;
        }
      }
    }
  }
  if (trailer_.RootNumber <= 0) throw EPDFFileCorruptedError(Format(res::kRepairFoundNoCatalog, InnerReason(reason)));
  repaired_ = true;
  Warning(Format(res::kFileRepaired, reason));
}

}  // namespace sarvane::pdf::doc
