#include "pdf/document/zkPDFSerializer.h"

#include <algorithm>
#include <cstring>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkPDFDocExceptions.h"
#include "pdf/filters/zkAscii85Filter.h"
#include "pdf/filters/zkAsciiHexFilter.h"
#include "pdf/filters/zkFlateFilter.h"
#include "pdf/filters/zkRLEFilter.h"
#include "pdf/objects/zkPDFText.h"

namespace sarvane::pdf::doc {

using namespace sarvane::pdf;

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string_view CompressionFilterName(uint8_t kind) {
  return kind == ckRunLength ? "/RunLengthDecode" : "/FlateDecode";
}

std::string_view AsciiFilterName(uint8_t kind) {
  return kind == aeASCII85 ? "/ASCII85Decode" : "/ASCIIHexDecode";
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (auto n : names)
    if (name == n) return true;
  return false;
}

bool ArrayHasName(const TzkPDFArrayObject& array, std::initializer_list<std::string_view> names) {
  for (int32_t i = 0; i < array.Count(); ++i) {
    const auto* name = ObjectAs<TzkPDFNameObject>(array.ItemAt(i));
    if (name && IsOneOf(name->Text(), names)) return true;
  }
  return false;
}

// Puts a filter in front of the dictionary's filters. Decode parameters stay
// paired with their filter: the new filter gets a null in front of them.
void PrependFilter(TzkPDFDictObject& dict, const TzkPDFObjectStore& store, std::string_view filterName) {
  TzkPDFObject* filter = store.Resolve(dict.Lookup("/Filter"));
  auto newName = [&] { return std::make_unique<TzkPDFNameObject>(std::string(filterName)); };
  if (auto* array = ObjectAs<TzkPDFArrayObject>(filter)) {
    auto copy = std::unique_ptr<TzkPDFArrayObject>(static_cast<TzkPDFArrayObject*>(array->Clone().release()));
    copy->Insert(0, newName());
    dict.SetValue("/Filter", std::move(copy));
  } else if (auto* name = ObjectAs<TzkPDFNameObject>(filter)) {
    auto pair = std::make_unique<TzkPDFArrayObject>();
    pair->Add(newName());
    pair->Add(name->Clone());
    dict.SetValue("/Filter", std::move(pair));
  } else {
    dict.SetValue("/Filter", newName());
    dict.Remove("/DecodeParms");
    return;
  }
  for (std::string_view key : {std::string_view("/DecodeParms"), std::string_view("/DP")}) {
    TzkPDFObject* parms = store.Resolve(dict.Lookup(key));
    if (!parms || parms->IsNull()) continue;
    if (auto* array = ObjectAs<TzkPDFArrayObject>(parms)) {
      auto copy = std::unique_ptr<TzkPDFArrayObject>(static_cast<TzkPDFArrayObject*>(array->Clone().release()));
      copy->Insert(0, std::make_unique<TzkPDFNullObject>());
      dict.SetValue(key, std::move(copy));
    } else {
      auto pair = std::make_unique<TzkPDFArrayObject>();
      pair->Add(std::make_unique<TzkPDFNullObject>());
      pair->Add(parms->Clone());
      dict.SetValue(key, std::move(pair));
    }
  }
}

// The first filter name of the dictionary, or empty.
std::string_view FirstFilter(const TzkPDFDictObject& dict, const TzkPDFObjectStore& store) {
  TzkPDFObject* filter = store.Resolve(dict.Lookup("/Filter"));
  if (auto* name = ObjectAs<TzkPDFNameObject>(filter)) return name->Text();
  if (auto* array = ObjectAs<TzkPDFArrayObject>(filter))
    if (auto* first = ObjectAs<TzkPDFNameObject>(array->ItemAt(0))) return first->Text();
  return {};
}

bool IsCleanHex(std::string_view content) {
  for (char c : content) {
    const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    const bool blank = c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0';
    if (!digit && !blank) return false;
  }
  return true;
}

}  // namespace

TzkPDFSerializer::TzkPDFSerializer(const TzkPDFObjectStore& store, const TzkPDFObjectStore* saveStore,
                                   const TzkPDFEncryption* encryption)
    : store_(store), saveStore_(saveStore), encryption_(encryption) {
  BuildDenseIndex();
}

void TzkPDFSerializer::BuildDenseIndex() {
  const int32_t count = store_.ObjectCount();
  if (count == 0) return;
  denseDocument_ = store_.ObjectAt(0)->DocumentNumber();
  int64_t highest = -1;
  for (int32_t i = 0; i < count; ++i) {
    const TzkPDFIndirectObject* object = store_.ObjectAt(i);
    if (object->DocumentNumber() == denseDocument_) highest = std::max<int64_t>(highest, object->ObjectNumber());
  }
  // A few sparse numbers are fine; a hostile number near 2^31 is not.
  if (highest < 0 || highest > 4 * int64_t{count} + 4096) return;
  dense_.resize(static_cast<size_t>(highest) + 1);
  for (int32_t i = 0; i < count; ++i) {
    const TzkPDFIndirectObject* object = store_.ObjectAt(i);
    if (object->DocumentNumber() != denseDocument_ || object->ObjectNumber() < 0) continue;
    DenseEntry& e = dense_[static_cast<size_t>(object->ObjectNumber())];
    if (e.State == 0) {
      e = DenseEntry{object->OutputNumber(), object->Generation(), 1};
    } else if (e.Generation != object->Generation()) {
      e.State = 2;
    }
  }
}

void TzkPDFSerializer::SetCompression(bool enabled, uint8_t kind, uint8_t levelIndex) {
  compress_ = enabled;
  compressionKind_ = kind;
  compressionLevel_ = levelIndex;
}

void TzkPDFSerializer::SetAsciiEncoding(bool enabled, uint8_t kind) {
  ascii_ = enabled;
  asciiKind_ = kind;
}

int32_t TzkPDFSerializer::OutputNumberOf(const TzkPDFIndirectReference& reference) const {
  const int32_t number = reference.ObjectNumber();
  if (reference.DocumentNumber() == denseDocument_ && number >= 0 && size_t(number) < dense_.size()) {
    const DenseEntry& e = dense_[static_cast<size_t>(number)];
    if (e.State == 1 && e.Generation == reference.Generation()) return e.OutputNumber;
    if (e.State != 2) {
      const TzkPDFIndirectObject* built = saveStore_ ? saveStore_->Find(&reference) : nullptr;
      return built ? built->OutputNumber() : 0;
    }
  }
  const TzkPDFIndirectObject* target = store_.Find(&reference);
  if (!target && saveStore_) target = saveStore_->Find(&reference);
  return target ? target->OutputNumber() : 0;
}

void TzkPDFSerializer::AppendReferenceNumber(std::string& out, int32_t number) {
  AppendInteger(out, number);
  out += " 0 R";
}

void TzkPDFSerializer::AppendLiteral(std::string& out, std::string_view bytes) {
  out += '(';
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char escaped;
    switch (bytes[i]) {
      case '\b': escaped = 'b'; break;
      case '\n': escaped = 'n'; break;
      case '\f': escaped = 'f'; break;
      case '\r': escaped = 'r'; break;
      case '(': escaped = '('; break;
      case ')': escaped = ')'; break;
      case '\\': escaped = '\\'; break;
      default: continue;
    }
    out.append(bytes.data() + start, i - start);
    out += '\\';
    out += escaped;
    start = i + 1;
  }
  out.append(bytes.data() + start, bytes.size() - start);
  out += ')';
}

void TzkPDFSerializer::AppendHex(std::string& out, std::string_view bytes) {
  const size_t at = out.size();
  out.resize(at + 2 * bytes.size() + 2);
  char* p = out.data() + at;
  *p++ = '<';
  for (unsigned char c : bytes) {
    *p++ = kHexDigits[c >> 4];
    *p++ = kHexDigits[c & 15];
  }
  *p = '>';
}

void TzkPDFSerializer::AppendValue(std::string& out, const TzkPDFObject& value, int32_t context) const {
  AppendAt(out, value, context, 0);
}

void TzkPDFSerializer::AppendStream(std::string& out, const TzkPDFStreamObject& stream, int32_t context,
                                    bool lengthRepaired) const {
  AppendStreamAt(out, stream, context, lengthRepaired, 0);
}

void TzkPDFSerializer::AppendAt(std::string& out, const TzkPDFObject& value, int32_t context, int depth) const {
  if (depth > kMaxDepth) throw EPDFException(Format(res::kNestingTooDeep, kMaxDepth));
  switch (value.Kind()) {
    case okString:
      AppendString(out, static_cast<const TzkPDFStringObject&>(value), context);
      return;
    case okName:
      out += static_cast<const TzkPDFNameObject&>(value).Text();
      return;
    case okIndirectReference:
      AppendReference(out, static_cast<const TzkPDFIndirectReference&>(value));
      return;
    case okArray: {
      const auto& array = static_cast<const TzkPDFArrayObject&>(value);
      out += "[ ";
      for (int32_t i = 0; i < array.Count(); ++i) {
        AppendAt(out, *array.ItemAt(i), context, depth + 1);
        out += ' ';
      }
      out += ']';
      return;
    }
    case okDictionary:
      AppendDictionary(out, static_cast<const TzkPDFDictObject&>(value), context, depth, nullptr);
      return;
    case okStream:
      AppendStreamAt(out, static_cast<const TzkPDFStreamObject&>(value), context, false, depth);
      return;
    case okIndirectObject:
      // Only the store holds indirect objects; one met inside a value stands
      // for a reference to itself.
      {
        const auto& object = static_cast<const TzkPDFIndirectObject&>(value);
        TzkPDFIndirectReference reference(object.DocumentNumber(), object.Generation(), object.ObjectNumber());
        AppendReference(out, reference);
      }
      return;
    default:
      value.AppendText(out);
      return;
  }
}

void TzkPDFSerializer::AppendString(std::string& out, const TzkPDFStringObject& value, int32_t context) const {
  const std::string& text = value.Text();
  const std::string_view content =
      text.size() >= 2 ? std::string_view(text).substr(1, text.size() - 2) : std::string_view();
  if (encryption_ && context != kNoEncryption) {
    // One scratch buffer for every string: a document has many of them.
    std::string& bytes = scratch_;
    if (value.IsHex())
      bytes = HexToBytes(content);
    else
      bytes.assign(content);
    encryption_->Encrypt(bytes, context);
    AppendHex(out, bytes);
    return;
  }
  if (value.IsHex()) {
    // Kept as read when it is well formed; a stray character that the reader
    // skipped would make the copy unreadable, so then the bytes it denotes
    // are written instead.
    if (IsCleanHex(content))
      out += text;
    else
      AppendHex(out, HexToBytes(content));
    return;
  }
  AppendLiteral(out, content);
}

void TzkPDFSerializer::AppendReference(std::string& out, const TzkPDFIndirectReference& value) const {
  const int32_t number = OutputNumberOf(value);
  if (number > 0)
    AppendReferenceNumber(out, number);
  else
    out += "null";
}

void TzkPDFSerializer::AppendDictionary(std::string& out, const TzkPDFDictObject& dict, int32_t context,
                                        int depth, const std::string* lengthText) const {
  // Only an object of its own can be a page: a page dictionary copied into
  // another value (a damaged /Info can hold the catalog) is written as it
  // stands, since a /Parent added there would tie that value to the page tree.
  const auto* type = depth == 0 ? dict.LookupAs<TzkPDFNameObject>("/Type") : nullptr;
  const bool isPage = type && type->Text() == "/Page";
  bool lengthWritten = false;
  out += "<<\r\n";
  for (int32_t i = 0; i < dict.Count(); ++i) {
    const std::string& key = dict.KeyName(i);
    // The page tree is written anew, so a page's own /Parent would point
    // into a tree that no longer exists; the one written below replaces it.
    if (isPage && key == "/Parent") continue;
    out += key;
    out += ' ';
    if (lengthText && key == "/Length") {
      // A repeated /Length must not contradict the first one.
      out += *lengthText;
      lengthWritten = true;
    } else {
      AppendAt(out, *dict.ValueAt(i), context, depth + 1);
    }
    out += "\r\n";
  }
  if (lengthText && !lengthWritten) {
    out += "/Length ";
    out += *lengthText;
    out += "\r\n";
  }
  if (isPage) {
    out += "/Parent ";
    AppendReferenceNumber(out, pageTreeNumber_);
    out += "\r\n";
  }
  out += ">>";
}

bool TzkPDFSerializer::LengthMatches(const TzkPDFDictObject& dict, size_t size) const {
  const TzkPDFObject* length = dict.Lookup("/Length");
  if (!length) return false;
  if (const auto* reference = length->As<TzkPDFIndirectReference>()) {
    // An indirect length is only usable when its object is written too.
    if (OutputNumberOf(*reference) <= 0) return false;
    const TzkPDFIndirectObject* target = store_.Find(reference);
    if (!target && saveStore_) target = saveStore_->Find(reference);
    length = target ? target->Value() : nullptr;
  }
  if (const auto* n = ObjectAs<TzkPDFIntegerObject>(length)) return n->Value() >= 0 && size_t(n->Value()) == size;
  if (const auto* n = ObjectAs<TzkPDFInt64Object>(length)) return n->Value() >= 0 && uint64_t(n->Value()) == size;
  return false;
}

void TzkPDFSerializer::AppendStreamAt(std::string& out, const TzkPDFStreamObject& stream, int32_t context,
                                      bool lengthRepaired, int depth) const {
  std::string_view data = stream.DataBytes();
  const TzkPDFDictObject* dict = &stream.Dict();
  std::unique_ptr<TzkPDFDictObject> changed;
  std::string encoded;

  if (compress_) {
    const TzkPDFObject* filter = store_.Resolve(dict->Lookup("/Filter"));
    bool skip = false;
    if (const auto* name = ObjectAs<TzkPDFNameObject>(filter))
      skip = IsOneOf(name->Text(), {"/DCTDecode", "/JBIG2Decode", "/CCITTFaxDecode",
                                    CompressionFilterName(compressionKind_)});
    else if (const auto* array = ObjectAs<TzkPDFArrayObject>(filter))
      skip = ArrayHasName(*array, {"/FlateDecode", "/RunLengthDecode", "/CCITTFaxDecode"});
    if (!skip) {
      encoded = compressionKind_ == ckRunLength ? RunLengthEncode(data) : FlateEncode(data, compressionLevel_);
      data = encoded;
      changed.reset(static_cast<TzkPDFDictObject*>(dict->Clone().release()));
      PrependFilter(*changed, store_, CompressionFilterName(compressionKind_));
      dict = changed.get();
    }
  }
  if (ascii_ && FirstFilter(*dict, store_) != AsciiFilterName(asciiKind_)) {
    std::string next = asciiKind_ == aeASCII85 ? Ascii85Encode(data) : AsciiHexEncode(data);
    encoded = std::move(next);
    data = encoded;
    if (!changed) changed.reset(static_cast<TzkPDFDictObject*>(dict->Clone().release()));
    PrependFilter(*changed, store_, AsciiFilterName(asciiKind_));
    dict = changed.get();
  }

  // AES makes the data longer (IV and padding), so it is encrypted before
  // /Length is settled; RC4 keeps the length and is applied in place below.
  const bool encrypt = encryption_ && context != kNoEncryption;
  const bool encryptFirst = encrypt && !encryption_->PreservesLength();
  if (encryptFirst) {
    std::string next = encryption_->Encrypted(data, context);
    encoded = std::move(next);
    data = encoded;
  }

  // The written /Length always describes the bytes written: when loading had
  // to repair it, when it points at an object that is not written, or when
  // the data was re-encoded, it becomes a direct integer.
  std::string lengthText;
  const bool replaceLength = lengthRepaired || changed || !LengthMatches(*dict, data.size());
  if (replaceLength) AppendInteger(lengthText, static_cast<int64_t>(data.size()));
  AppendDictionary(out, *dict, context, depth, replaceLength ? &lengthText : nullptr);

  out += "\r\nstream\r\n";
  const size_t at = out.size();
  out.append(data);
  if (encrypt && !encryptFirst && !data.empty()) encryption_->Encrypt(out.data() + at, data.size(), context);
  out += "\r\nendstream";
}

}  // namespace sarvane::pdf::doc
