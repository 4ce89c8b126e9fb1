#pragma once
// The in-memory PDF object model: twelve kinds of value, identified by a
// fixed one-byte kind code. Containers own what they hold.
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/objects/zkClasses.h"
#include "pdf/objects/zkNameText.h"
#include "pdf/objects/zkObjectPool.h"
#include "pdf/objects/zkPDFExceptions.h"

namespace sarvane::pdf {

// Kind codes; they are part of the file-independent model and never change.
enum TzkPDFObjectKind : uint8_t {
  okBoolean = 0,
  okInteger = 1,
  okInt64 = 2,
  okReal = 3,
  okString = 4,
  okName = 5,
  okArray = 6,
  okDictionary = 7,
  okStream = 8,
  okNull = 9,
  okIndirectReference = 10,
  okIndirectObject = 11,
};

// Display name of a kind code for messages ("Array Object"); 64-bit integers
// are "Int64 Object".
std::string_view KindDisplayName(uint8_t kind);

// The classes have no virtual functions: a large document holds a million
// values, and a table pointer in each was a tenth of its memory. The kind
// code decides instead, in Clone, AppendText and the deleting of an object
// through a pointer to any of its bases (the destroying delete below runs
// the destructor of the object's own class).
class TzkPDFObject {
 public:
  TzkPDFObject(const TzkPDFObject&) = delete;
  TzkPDFObject& operator=(const TzkPDFObject&) = delete;
  // Public for the delete expression, which some compilers check although
  // the destroying delete below never calls it on its own.
  ~TzkPDFObject() = default;

  // Objects live in the pool of small slots (zkObjectPool.h).
  static void* operator new(size_t size);
  static void operator delete(TzkPDFObject* object, std::destroying_delete_t) noexcept;
  // Gives back the memory of an object whose constructor threw.
  static void operator delete(void* object, size_t size) noexcept;

  uint8_t Kind() const { return kind_; }
  // A new, independent deep copy.
  std::unique_ptr<TzkPDFObject> Clone() const;
  // Appends the PDF text form of the value to out.
  void AppendText(std::string& out) const;
  std::string ToText() const {
    std::string out;
    AppendText(out);
    return out;
  }

  bool IsBoolean() const { return kind_ == okBoolean; }
  bool IsInteger() const { return kind_ == okInteger; }
  bool IsInt64() const { return kind_ == okInt64; }
  bool IsReal() const { return kind_ == okReal; }
  bool IsString() const { return kind_ == okString; }
  bool IsName() const { return kind_ == okName; }
  bool IsArray() const { return kind_ == okArray; }
  bool IsDictionary() const { return kind_ == okDictionary; }
  bool IsStream() const { return kind_ == okStream; }
  bool IsNull() const { return kind_ == okNull; }
  bool IsIndirectReference() const { return kind_ == okIndirectReference; }
  bool IsIndirectObject() const { return kind_ == okIndirectObject; }

  // The object as kind T (decided by the kind code), or nullptr.
  template <typename T>
  T* As() {
    return kind_ == T::kKind ? static_cast<T*>(this) : nullptr;
  }
  template <typename T>
  const T* As() const {
    return kind_ == T::kKind ? static_cast<const T*>(this) : nullptr;
  }
  // The object as kind T; EInvalidCast when it is of another kind.
  template <typename T>
  T& Cast() {
    if (kind_ != T::kKind) throw EInvalidCast();
    return static_cast<T&>(*this);
  }
  template <typename T>
  const T& Cast() const {
    if (kind_ != T::kKind) throw EInvalidCast();
    return static_cast<const T&>(*this);
  }

 protected:
  explicit TzkPDFObject(uint8_t kind) : kind_(kind) {}

 private:
  const uint8_t kind_;
};

using TzkPDFObjectPtr = std::unique_ptr<TzkPDFObject>;

// Null-safe form of TzkPDFObject::As for pointers that may be absent.
template <typename T>
T* ObjectAs(TzkPDFObject* object) {
  return object ? object->As<T>() : nullptr;
}
template <typename T>
const T* ObjectAs(const TzkPDFObject* object) {
  return object ? object->As<T>() : nullptr;
}

// The value of an integer of either width; nothing for an absent object or
// one of another kind.
std::optional<int64_t> IntegerOf(const TzkPDFObject* object);
// Whether the object is the name text ("/Type", slash included).
bool NameIs(const TzkPDFObject* object, std::string_view name);
// A name's text without its "/" (an empty text stays empty).
inline std::string BareNameOf(std::string_view text) { return std::string(text.empty() ? text : text.substr(1)); }

class TzkPDFBooleanObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okBoolean;
  explicit TzkPDFBooleanObject(bool value) : TzkPDFObject(kKind), value_(value ? 1 : 0) {}
  bool Value() const { return value_ != 0; }
  void SetValue(bool value) { value_ = value ? 1 : 0; }
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  uint8_t value_;
};

class TzkPDFIntegerObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okInteger;
  explicit TzkPDFIntegerObject(int32_t value) : TzkPDFObject(kKind), value_(value) {}
  int32_t Value() const { return value_; }
  void SetValue(int32_t value) { value_ = value; }
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  int32_t value_;
};

class TzkPDFInt64Object : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okInt64;
  explicit TzkPDFInt64Object(int64_t value) : TzkPDFObject(kKind), value_(value) {}
  int64_t Value() const { return value_; }
  void SetValue(int64_t value) { value_ = value; }
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  int64_t value_;
};

class TzkPDFRealObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okReal;
  explicit TzkPDFRealObject(double value) : TzkPDFObject(kKind), value_(value) {}
  double Value() const { return value_; }
  void SetValue(double value) { value_ = value; }
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  double value_;
};

// Text includes the delimiters: "(" + decoded bytes + ")" for a literal
// string, "<" + hexadecimal digits + ">" with the hex flag for a hexadecimal one.
class TzkPDFStringObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okString;
  explicit TzkPDFStringObject(std::string text, bool hex = false)
      : TzkPDFObject(kKind), hex_(hex ? 1 : 0), text_(std::move(text)) {}
  // A literal string holding bytes (delimiters added here).
  static std::unique_ptr<TzkPDFStringObject> Literal(std::string_view bytes);

  const std::string& Text() const { return text_; }
  void SetText(std::string text, bool hex) {
    text_ = std::move(text);
    hex_ = hex ? 1 : 0;
  }
  bool IsHex() const { return hex_ != 0; }
  // The text without its delimiters.
  std::string Content() const;
  // The bytes the string stands for: the content of a literal string, the
  // bytes the digits of a hexadecimal one denote.
  std::string Bytes() const;
  // The text as UTF-16: FEFF hexadecimal text decoded, other text converted
  // from the system code page. A literal string that starts with the bytes
  // FE FF (what a decrypted hexadecimal string becomes) is read as UTF-16BE.
  std::u16string UnicodeValue() const;
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  uint8_t hex_;  // before the text, in the word the kind code starts
  std::string text_;
};

// Text includes the leading "/"; no "#" escapes are decoded or produced.
class TzkPDFNameObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okName;
  explicit TzkPDFNameObject(std::string_view text) : TzkPDFObject(kKind), text_(text) {}
  explicit TzkPDFNameObject(TzkNameText text) : TzkPDFObject(kKind), text_(std::move(text)) {}
  TzkPDFNameObject(TzkPDFNameObject&& other) noexcept : TzkPDFObject(kKind), text_(std::move(other.text_)) {}
  TzkPDFNameObject& operator=(TzkPDFNameObject&& other) noexcept {
    text_ = std::move(other.text_);
    return *this;
  }
  const std::string& Text() const { return text_.Text(); }
  // The name without "/".
  std::string BareName() const { return BareNameOf(Text()); }
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const { out += Text(); }

 private:
  TzkNameText text_;
};

class TzkPDFNullObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okNull;
  TzkPDFNullObject() : TzkPDFObject(kKind) {}
  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const { out += "null"; }
};

// Items are never absent: adding nullptr stores a null object.
class TzkPDFArrayObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okArray;
  TzkPDFArrayObject() : TzkPDFObject(kKind) {}

  // Appends; returns the new index.
  int32_t Add(TzkPDFObjectPtr item);
  int32_t AddInteger(int32_t value);
  int32_t AddReal(double value);
  // Room for count items in all; the parser, which knows the final count,
  // spares the array its regrowths and spare capacity.
  void Reserve(int32_t count) { items_.reserve(static_cast<size_t>(count > 0 ? count : 0)); }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The item (not a copy), or nullptr for an index outside 0..Count-1.
  TzkPDFObject* ItemAt(int32_t index) const;
  // Inserts before index (index = Count appends); other indexes raise EInvalidIndex.
  void Insert(int32_t index, TzkPDFObjectPtr item);
  // Replaces the slot and hands the old item back to the caller.
  TzkPDFObjectPtr PutItem(int32_t index, TzkPDFObjectPtr item);
  // Removes and frees the item; EInvalidIndex for an index out of range.
  void Delete(int32_t index);
  // Takes the item out without freeing it.
  TzkPDFObjectPtr Extract(int32_t index);
  void Clear() { items_.clear(); }

  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  std::vector<TzkPDFObjectPtr, TzkPoolAllocator<TzkPDFObjectPtr>> items_;
};

// Ordered pairs of name keys and values; duplicates possible through Add,
// lookups find the first. Keys are compared as exact bytes including "/".
class TzkPDFDictObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okDictionary;
  TzkPDFDictObject() : TzkPDFObject(kKind) {}

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  // Room for count pairs in all (see TzkPDFArrayObject::Reserve).
  void Reserve(int32_t count) { entries_.reserve(static_cast<size_t>(count > 0 ? count : 0)); }

  // Appends a pair without looking for the key; the key is kept as it is.
  void Add(std::unique_ptr<TzkPDFNameObject> key, TzkPDFObjectPtr value);
  // The key texts below include "/"; a name given without "/" gets one.
  // AddName appends only when name is not empty.
  void AddName(std::string_view key, std::string_view name);
  void AddInteger(std::string_view key, int32_t value);
  void AddReal(std::string_view key, double value);
  void AddValue(std::string_view key, TzkPDFObjectPtr value);

  int32_t IndexOfKey(std::string_view key) const;
  // The value of the first pair with key (not a copy), or nullptr. Indirect
  // references are not resolved.
  TzkPDFObject* Lookup(std::string_view key) const;
  // Lookup narrowed to kind T; nullptr when absent or of another kind.
  template <typename T>
  T* LookupAs(std::string_view key) const {
    return ObjectAs<T>(Lookup(key));
  }
  // The key text of pair index, "/" included; EInvalidIndex when out of range.
  const std::string& KeyName(int32_t index) const;
  TzkPDFObject* ValueAt(int32_t index) const;

  // Replaces the value of an existing key in place (the old value is freed)
  // or appends the pair.
  void SetValue(std::string_view key, TzkPDFObjectPtr value);
  void SetValue(const TzkPDFNameObject& key, TzkPDFObjectPtr value) { SetValue(key.Text(), std::move(value)); }
  void SetName(std::string_view key, std::string_view name);
  void SetBoolean(std::string_view key, bool value);
  void SetInteger(std::string_view key, int32_t value);

  // Deletes the first pair with key; nothing when absent.
  void Remove(std::string_view key);
  // Deletes pair index; EInvalidIndex when out of range.
  void DeleteAt(int32_t index);
  // Replaces the value of pair index and hands the old one back;
  // EInvalidIndex "Index Out Of Bounds!" when index is not below Count.
  TzkPDFObjectPtr PutValueAt(int32_t index, TzkPDFObjectPtr value);
  // SetValue with a clone of every pair of other, in order; nullptr does nothing.
  void MergeFrom(const TzkPDFDictObject* other);
  void Clear() { entries_.clear(); }

  TzkPDFObjectPtr Clone() const;
  void AppendText(std::string& out) const;

 private:
  // A document has hundreds of thousands of pairs: a name object per key
  // dominated loading, a text per key its memory (zkNameText.h).
  struct Entry {
    TzkNameText Key;
    TzkPDFObjectPtr Value;
  };
  void AppendEntry(TzkNameText key, TzkPDFObjectPtr value);
  std::vector<Entry, TzkPoolAllocator<Entry>> entries_;
};

// A dictionary and its (possibly absent) data.
class TzkPDFStreamObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okStream;
  explicit TzkPDFStreamObject(std::unique_ptr<TzkPDFDictObject> dict,
                              std::unique_ptr<TzkMemoryStream> data = nullptr);

  TzkPDFDictObject& Dict() const { return *dict_; }
  TzkMemoryStream* Data() const { return data_.get(); }
  void SetData(std::unique_ptr<TzkMemoryStream> data) { data_ = std::move(data); }
  std::unique_ptr<TzkMemoryStream> ReleaseData() { return std::move(data_); }
  // The data bytes; empty when there is no data.
  std::string_view DataBytes() const;

  TzkPDFObjectPtr Clone() const;
  // The dictionary, then "\r\nstream\r\n", the data bytes and "\r\nendstream".
  void AppendText(std::string& out) const;

 private:
  std::unique_ptr<TzkPDFDictObject> dict_;
  std::unique_ptr<TzkMemoryStream> data_;
};

class TzkPDFIndirectReference : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okIndirectReference;
  // Note the argument order: document number, generation, object number.
  TzkPDFIndirectReference(int32_t documentNumber, uint16_t generation, int32_t objectNumber)
      : TzkPDFObject(kKind), documentNumber_(documentNumber), objectNumber_(objectNumber),
        generation_(generation) {}
  int32_t DocumentNumber() const { return documentNumber_; }
  int32_t ObjectNumber() const { return objectNumber_; }
  uint16_t Generation() const { return generation_; }
  void SetDocumentNumber(int32_t n) { documentNumber_ = n; }
  void SetObjectNumber(int32_t n) { objectNumber_ = n; }
  void SetGeneration(uint16_t g) { generation_ = g; }
  TzkPDFObjectPtr Clone() const;
  // "<object number> <generation> R" with the numbers as read; the writer
  // substitutes output numbers itself.
  void AppendText(std::string& out) const;

 private:
  int32_t documentNumber_;
  int32_t objectNumber_;
  uint16_t generation_;
};

class TzkPDFIndirectObject : public TzkPDFObject {
 public:
  static constexpr uint8_t kKind = okIndirectObject;
  // Note the argument order: document number, value, generation, object
  // number. With countUse the use count starts at 1. A missing value is
  // stored as a null object.
  TzkPDFIndirectObject(int32_t documentNumber, TzkPDFObjectPtr value, uint16_t generation,
                       int32_t objectNumber, bool countUse = false);

  int32_t DocumentNumber() const { return documentNumber_; }
  int32_t ObjectNumber() const { return objectNumber_; }
  uint16_t Generation() const { return generation_; }
  int32_t OutputNumber() const { return outputNumber_; }
  int32_t UseCount() const { return useCount_; }
  void SetDocumentNumber(int32_t n) { documentNumber_ = n; }
  void SetObjectNumber(int32_t n) { objectNumber_ = n; }
  void SetGeneration(uint16_t g) { generation_ = g; }
  void SetOutputNumber(int32_t n) { outputNumber_ = n; }
  void SetUseCount(int32_t n) { useCount_ = n; }
  void IncUseCount() { ++useCount_; }
  void DecUseCount() { --useCount_; }

  TzkPDFObject* Value() const { return value_.get(); }
  // Replaces the value and hands the old one back.
  TzkPDFObjectPtr PutValue(TzkPDFObjectPtr value);
  // Replaces and frees the old value.
  void SetValue(TzkPDFObjectPtr value) { PutValue(std::move(value)); }

  TzkPDFObjectPtr Clone() const;
  // "<n> <generation> obj\r\n<value>\r\nendobj" with n the output number
  // when assigned, else the object number.
  void AppendText(std::string& out) const;

 private:
  int32_t documentNumber_;
  int32_t objectNumber_;
  uint16_t generation_;
  int32_t outputNumber_ = 0;
  int32_t useCount_ = 0;
  TzkPDFObjectPtr value_;
};

}  // namespace sarvane::pdf
