#include "pdf/objects/zkPDFObject.h"

#include <charconv>
#include <type_traits>

#include "pdf/objects/zkObjectPool.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/CodePage.h"

namespace sarvane::pdf {

namespace {
std::string KeyText(std::string_view key) {
  if (!key.empty() && key.front() == '/') return std::string(key);
  std::string text;
  text.reserve(key.size() + 1);
  text += '/';
  text += key;
  return text;
}

TzkNameText KeyNameText(std::string_view key) {
  if (!key.empty() && key.front() == '/') return TzkNameText(key);
  return TzkNameText(KeyText(key));
}

TzkPDFObjectPtr OrNull(TzkPDFObjectPtr object) {
  if (!object) return std::make_unique<TzkPDFNullObject>();
  return object;
}
}  // namespace

// The pool's slots are aligned to 8 bytes.
static_assert(alignof(TzkPDFRealObject) <= 8 && alignof(TzkPDFInt64Object) <= 8 && alignof(TzkPDFStringObject) <= 8 &&
              alignof(TzkPDFNameObject) <= 8 && alignof(TzkPDFArrayObject) <= 8 && alignof(TzkPDFDictObject) <= 8 &&
              alignof(TzkPDFStreamObject) <= 8 && alignof(TzkPDFIndirectObject) <= 8 &&
              alignof(TzkPDFIndirectReference) <= 8);
// What a large document's memory is mostly made of; a change that grows
// them should be a decision.
static_assert(sizeof(TzkPDFIntegerObject) == 8 && sizeof(TzkPDFIndirectReference) == 16 &&
              sizeof(TzkPDFNameObject) == 16 && sizeof(TzkPDFArrayObject) == 32);
void* TzkPDFObject::operator new(size_t size) { return AllocateObjectSlot(size); }
void TzkPDFObject::operator delete(void* object, size_t size) noexcept { FreeObjectSlot(object, size); }

namespace {
template <typename Target, typename Source>
using WithConstOf = std::conditional_t<std::is_const_v<Source>, const Target, Target>;

// Calls action with the object as a pointer to its own class, which its
// kind code names (each code belongs to exactly one class).
template <typename Object, typename Action>
decltype(auto) WithOwnClass(Object* object, Action&& action) {
  switch (object->Kind()) {
    case okBoolean: return action(static_cast<WithConstOf<TzkPDFBooleanObject, Object>*>(object));
    case okInteger: return action(static_cast<WithConstOf<TzkPDFIntegerObject, Object>*>(object));
    case okInt64: return action(static_cast<WithConstOf<TzkPDFInt64Object, Object>*>(object));
    case okReal: return action(static_cast<WithConstOf<TzkPDFRealObject, Object>*>(object));
    case okString: return action(static_cast<WithConstOf<TzkPDFStringObject, Object>*>(object));
    case okName: return action(static_cast<WithConstOf<TzkPDFNameObject, Object>*>(object));
    case okArray: return action(static_cast<WithConstOf<TzkPDFArrayObject, Object>*>(object));
    case okDictionary: return action(static_cast<WithConstOf<TzkPDFDictObject, Object>*>(object));
    case okStream: return action(static_cast<WithConstOf<TzkPDFStreamObject, Object>*>(object));
    case okNull: return action(static_cast<WithConstOf<TzkPDFNullObject, Object>*>(object));
    case okIndirectReference: return action(static_cast<WithConstOf<TzkPDFIndirectReference, Object>*>(object));
    default: return action(static_cast<WithConstOf<TzkPDFIndirectObject, Object>*>(object));
  }
}
}  // namespace

void TzkPDFObject::operator delete(TzkPDFObject* object, std::destroying_delete_t) noexcept {
  WithOwnClass(object, [](auto* typed) {
    using Class = std::remove_pointer_t<decltype(typed)>;
    typed->~Class();
    FreeObjectSlot(typed, sizeof(Class));
  });
}

TzkPDFObjectPtr TzkPDFObject::Clone() const {
  return WithOwnClass(this, [](const auto* typed) -> TzkPDFObjectPtr { return typed->Clone(); });
}

void TzkPDFObject::AppendText(std::string& out) const {
  WithOwnClass(this, [&out](const auto* typed) { typed->AppendText(out); });
}

std::string_view KindDisplayName(uint8_t kind) {
  if (kind < std::size(res::kKindNames)) return res::kKindNames[kind];
  return res::kUnknownKind;
}

TzkPDFObjectPtr TzkPDFBooleanObject::Clone() const { return std::make_unique<TzkPDFBooleanObject>(Value()); }
void TzkPDFBooleanObject::AppendText(std::string& out) const { out += value_ ? "true" : "false"; }

TzkPDFObjectPtr TzkPDFIntegerObject::Clone() const { return std::make_unique<TzkPDFIntegerObject>(value_); }
void TzkPDFIntegerObject::AppendText(std::string& out) const { AppendInteger(out, value_); }

TzkPDFObjectPtr TzkPDFInt64Object::Clone() const { return std::make_unique<TzkPDFInt64Object>(value_); }
void TzkPDFInt64Object::AppendText(std::string& out) const { AppendInteger(out, value_); }

TzkPDFObjectPtr TzkPDFRealObject::Clone() const { return std::make_unique<TzkPDFRealObject>(value_); }
void TzkPDFRealObject::AppendText(std::string& out) const { AppendReal(out, value_); }

std::unique_ptr<TzkPDFStringObject> TzkPDFStringObject::Literal(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + 2);
  text += '(';
  text += bytes;
  text += ')';
  return std::make_unique<TzkPDFStringObject>(std::move(text));
}

std::string TzkPDFStringObject::Content() const {
  if (text_.size() < 2) return std::string();
  return text_.substr(1, text_.size() - 2);
}

std::optional<int64_t> IntegerOf(const TzkPDFObject* object) {
  if (!object) return std::nullopt;
  if (const auto* i = object->As<TzkPDFIntegerObject>()) return i->Value();
  if (const auto* i = object->As<TzkPDFInt64Object>()) return i->Value();
  return std::nullopt;
}

bool NameIs(const TzkPDFObject* object, std::string_view name) {
  const auto* n = ObjectAs<TzkPDFNameObject>(object);
  return n && n->Text() == name;
}

std::string TzkPDFStringObject::Bytes() const { return hex_ ? HexToBytes(Content()) : Content(); }

std::u16string TzkPDFStringObject::UnicodeValue() const {
  const std::string content = Content();
  if (hex_) return DecodeTextHex(content);
  if (content.size() >= 2 && static_cast<unsigned char>(content[0]) == 0xFE &&
      static_cast<unsigned char>(content[1]) == 0xFF) {
    std::u16string out;
    out.reserve(content.size() / 2);
    for (size_t i = 2; i + 1 < content.size(); i += 2) {
      out += static_cast<char16_t>((static_cast<unsigned char>(content[i]) << 8) |
                                   static_cast<unsigned char>(content[i + 1]));
    }
    return out;
  }
  return AnsiToUtf16(content);
}

TzkPDFObjectPtr TzkPDFStringObject::Clone() const {
  return std::make_unique<TzkPDFStringObject>(text_, hex_ != 0);
}

void TzkPDFStringObject::AppendText(std::string& out) const {
  if (hex_) {
    out += text_;
    return;
  }
  out += '(';
  if (text_.size() >= 2) out += EscapeLiteral(std::string_view(text_).substr(1, text_.size() - 2));
  out += ')';
}

TzkPDFObjectPtr TzkPDFNameObject::Clone() const { return std::make_unique<TzkPDFNameObject>(text_); }

TzkPDFObjectPtr TzkPDFNullObject::Clone() const { return std::make_unique<TzkPDFNullObject>(); }

// Array

int32_t TzkPDFArrayObject::Add(TzkPDFObjectPtr item) {
  // Most arrays are short (rectangles, destinations); skip the first regrowths.
  if (items_.capacity() == 0) items_.reserve(8);
  items_.push_back(OrNull(std::move(item)));
  return Count() - 1;
}

int32_t TzkPDFArrayObject::AddInteger(int32_t value) { return Add(std::make_unique<TzkPDFIntegerObject>(value)); }
int32_t TzkPDFArrayObject::AddReal(double value) { return Add(std::make_unique<TzkPDFRealObject>(value)); }

TzkPDFObject* TzkPDFArrayObject::ItemAt(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}

void TzkPDFArrayObject::Insert(int32_t index, TzkPDFObjectPtr item) {
  if (index < 0 || index > Count()) throw EInvalidIndex();
  items_.insert(items_.begin() + index, OrNull(std::move(item)));
}

TzkPDFObjectPtr TzkPDFArrayObject::PutItem(int32_t index, TzkPDFObjectPtr item) {
  if (index < 0 || index >= Count()) throw EInvalidIndex();
  TzkPDFObjectPtr old = std::move(items_[static_cast<size_t>(index)]);
  items_[static_cast<size_t>(index)] = OrNull(std::move(item));
  return old;
}

void TzkPDFArrayObject::Delete(int32_t index) { Extract(index); }

TzkPDFObjectPtr TzkPDFArrayObject::Extract(int32_t index) {
  if (index < 0 || index >= Count()) throw EInvalidIndex();
  TzkPDFObjectPtr old = std::move(items_[static_cast<size_t>(index)]);
  items_.erase(items_.begin() + index);
  return old;
}

TzkPDFObjectPtr TzkPDFArrayObject::Clone() const {
  auto copy = std::make_unique<TzkPDFArrayObject>();
  copy->items_.reserve(items_.size());
  for (const auto& item : items_) copy->items_.push_back(item->Clone());
  return copy;
}

void TzkPDFArrayObject::AppendText(std::string& out) const {
  out += "[ ";
  for (const auto& item : items_) {
    item->AppendText(out);
    out += ' ';
  }
  out += ']';
}

// Dictionary

void TzkPDFDictObject::Add(std::unique_ptr<TzkPDFNameObject> key, TzkPDFObjectPtr value) {
  AppendEntry(TzkNameText(key ? std::string_view(key->Text()) : std::string_view("/")), std::move(value));
}

void TzkPDFDictObject::AppendEntry(TzkNameText key, TzkPDFObjectPtr value) {
  // Most dictionaries have a handful of keys; skip the first regrowths.
  if (entries_.capacity() == 0) entries_.reserve(8);
  entries_.push_back(Entry{std::move(key), OrNull(std::move(value))});
}

void TzkPDFDictObject::AddName(std::string_view key, std::string_view name) {
  if (name.empty()) return;
  AddValue(key, std::make_unique<TzkPDFNameObject>(KeyText(name)));
}

void TzkPDFDictObject::AddInteger(std::string_view key, int32_t value) {
  AddValue(key, std::make_unique<TzkPDFIntegerObject>(value));
}

void TzkPDFDictObject::AddReal(std::string_view key, double value) {
  AddValue(key, std::make_unique<TzkPDFRealObject>(value));
}

void TzkPDFDictObject::AddValue(std::string_view key, TzkPDFObjectPtr value) {
  AppendEntry(KeyNameText(key), std::move(value));
}

int32_t TzkPDFDictObject::IndexOfKey(std::string_view key) const {
  // Keys given without "/" are compared as if they had one.
  const bool slash = !key.empty() && key.front() == '/';
  for (size_t i = 0; i < entries_.size(); ++i) {
    const std::string& k = entries_[i].Key.Text();
    if (slash ? k == key : (k.size() == key.size() + 1 && k[0] == '/' && std::string_view(k).substr(1) == key)) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

TzkPDFObject* TzkPDFDictObject::Lookup(std::string_view key) const {
  const int32_t i = IndexOfKey(key);
  return i < 0 ? nullptr : entries_[static_cast<size_t>(i)].Value.get();
}

const std::string& TzkPDFDictObject::KeyName(int32_t index) const {
  if (index < 0 || index >= Count()) throw EInvalidIndex();
  return entries_[static_cast<size_t>(index)].Key.Text();
}

TzkPDFObject* TzkPDFDictObject::ValueAt(int32_t index) const {
  if (index < 0 || index >= Count()) throw EInvalidIndex();
  return entries_[static_cast<size_t>(index)].Value.get();
}

void TzkPDFDictObject::SetValue(std::string_view key, TzkPDFObjectPtr value) {
  const int32_t i = IndexOfKey(key);
  if (i < 0) {
    AddValue(key, std::move(value));
  } else {
    entries_[static_cast<size_t>(i)].Value = OrNull(std::move(value));
  }
}

void TzkPDFDictObject::SetName(std::string_view key, std::string_view name) {
  SetValue(key, std::make_unique<TzkPDFNameObject>(KeyText(name)));
}

void TzkPDFDictObject::SetBoolean(std::string_view key, bool value) {
  SetValue(key, std::make_unique<TzkPDFBooleanObject>(value));
}

void TzkPDFDictObject::SetInteger(std::string_view key, int32_t value) {
  SetValue(key, std::make_unique<TzkPDFIntegerObject>(value));
}

void TzkPDFDictObject::Remove(std::string_view key) {
  const int32_t i = IndexOfKey(key);
  if (i >= 0) DeleteAt(i);
}

void TzkPDFDictObject::DeleteAt(int32_t index) {
  if (index < 0 || index >= Count()) throw EInvalidIndex();
  entries_.erase(entries_.begin() + index);
}

TzkPDFObjectPtr TzkPDFDictObject::PutValueAt(int32_t index, TzkPDFObjectPtr value) {
  if (index < 0 || index >= Count()) throw EInvalidIndex();
  TzkPDFObjectPtr old = std::move(entries_[static_cast<size_t>(index)].Value);
  entries_[static_cast<size_t>(index)].Value = OrNull(std::move(value));
  return old;
}

void TzkPDFDictObject::MergeFrom(const TzkPDFDictObject* other) {
  if (!other || other == this) return;
  for (size_t i = 0; i < other->entries_.size(); ++i) {
    SetValue(other->entries_[i].Key.Text(), other->entries_[i].Value->Clone());
  }
}

TzkPDFObjectPtr TzkPDFDictObject::Clone() const {
  auto copy = std::make_unique<TzkPDFDictObject>();
  copy->entries_.reserve(entries_.size());
  for (const Entry& entry : entries_) copy->entries_.push_back(Entry{entry.Key, entry.Value->Clone()});
  return copy;
}

void TzkPDFDictObject::AppendText(std::string& out) const {
  out += "<<\r\n";
  for (const Entry& entry : entries_) {
    out += entry.Key.Text();
    out += ' ';
    entry.Value->AppendText(out);
    out += "\r\n";
  }
  out += ">>";
}

// Stream

TzkPDFStreamObject::TzkPDFStreamObject(std::unique_ptr<TzkPDFDictObject> dict,
                                       std::unique_ptr<TzkMemoryStream> data)
    : TzkPDFObject(kKind), dict_(std::move(dict)), data_(std::move(data)) {
  if (!dict_) dict_ = std::make_unique<TzkPDFDictObject>();
}

std::string_view TzkPDFStreamObject::DataBytes() const {
  return data_ ? std::string_view(data_->Bytes()) : std::string_view();
}

TzkPDFObjectPtr TzkPDFStreamObject::Clone() const {
  std::unique_ptr<TzkMemoryStream> data;
  if (data_) data = data_->Copy();
  std::unique_ptr<TzkPDFDictObject> dict(static_cast<TzkPDFDictObject*>(dict_->Clone().release()));
  return std::make_unique<TzkPDFStreamObject>(std::move(dict), std::move(data));
}

void TzkPDFStreamObject::AppendText(std::string& out) const {
  dict_->AppendText(out);
  out += "\r\nstream\r\n";
  out += DataBytes();
  out += "\r\nendstream";
}

// References and indirect objects

TzkPDFObjectPtr TzkPDFIndirectReference::Clone() const {
  return std::make_unique<TzkPDFIndirectReference>(documentNumber_, generation_, objectNumber_);
}

void TzkPDFIndirectReference::AppendText(std::string& out) const {
  AppendInteger(out, objectNumber_);
  out += ' ';
  AppendInteger(out, generation_);
  out += " R";
}

TzkPDFIndirectObject::TzkPDFIndirectObject(int32_t documentNumber, TzkPDFObjectPtr value,
                                           uint16_t generation, int32_t objectNumber, bool countUse)
    : TzkPDFObject(kKind), documentNumber_(documentNumber), objectNumber_(objectNumber),
      generation_(generation), useCount_(countUse ? 1 : 0), value_(OrNull(std::move(value))) {}

TzkPDFObjectPtr TzkPDFIndirectObject::PutValue(TzkPDFObjectPtr value) {
  TzkPDFObjectPtr old = std::move(value_);
  value_ = OrNull(std::move(value));
  return old;
}

TzkPDFObjectPtr TzkPDFIndirectObject::Clone() const {
  auto copy = std::make_unique<TzkPDFIndirectObject>(documentNumber_, value_->Clone(), generation_, objectNumber_);
  copy->outputNumber_ = outputNumber_;
  copy->useCount_ = useCount_;
  return copy;
}

void TzkPDFIndirectObject::AppendText(std::string& out) const {
  AppendInteger(out, outputNumber_ != 0 ? outputNumber_ : objectNumber_);
  out += ' ';
  AppendInteger(out, generation_);
  out += " obj\r\n";
  value_->AppendText(out);
  out += "\r\nendobj";
}

}  // namespace sarvane::pdf
