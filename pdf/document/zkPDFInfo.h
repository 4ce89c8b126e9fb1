#pragma once
// TzkPDFInfo: the document information dictionary (written as object 2) and
// its eight text properties.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFDictObject;

// Text of an information entry as UTF-16: bytes starting FE FF are UTF-16BE,
// bytes starting EF BB BF UTF-8, anything else PDFDocEncoding.
std::u16string DecodePDFText(std::string_view bytes);

class TzkPDFInfo {
 public:
  // Encrypts the bytes of a finished entry in place when the document's
  // output is to be encrypted, and says whether it did.
  using TzkTextEncryptor = std::function<bool(std::string& bytes)>;

  TzkPDFInfo();

  std::u16string Title() const { return Text(kTitle); }
  void SetTitle(const std::u16string& value) { SetText(kTitle, value); }
  std::u16string Author() const { return Text(kAuthor); }
  void SetAuthor(const std::u16string& value) { SetText(kAuthor, value); }
  std::u16string Subject() const { return Text(kSubject); }
  void SetSubject(const std::u16string& value) { SetText(kSubject, value); }
  std::u16string Keywords() const { return Text(kKeywords); }
  void SetKeywords(const std::u16string& value) { SetText(kKeywords, value); }
  std::u16string Creator() const { return Text(kCreator); }
  void SetCreator(const std::u16string& value) { SetText(kCreator, value); }
  std::u16string Producer() const { return Text(kProducer); }
  void SetProducer(const std::u16string& value) { SetText(kProducer, value); }
  // The bytes as stored (no character decoding); the setters take text of
  // the system code page and store it as UTF-16BE like the other entries.
  std::string CreationDate() const { return Date(kCreationDate); }
  void SetCreationDate(const std::string& value) { SetDate(kCreationDate, value); }
  std::string ModDate() const { return Date(kModDate); }
  void SetModDate(const std::string& value) { SetDate(kModDate, value); }

  // The entries to write. A value set through a property is held as a name
  // object whose text is the finished literal string (encrypted already when
  // encryption was on), so that the writer emits it unchanged.
  TzkPDFDictObject& Dictionary() { return *dict_; }
  const TzkPDFDictObject& Dictionary() const { return *dict_; }
  bool IsEmpty() const { return dict_->Count() == 0; }
  // Adopts dict as the whole dictionary (nullptr gives an empty one); the
  // property caches are kept.
  void SetDictionary(std::unique_ptr<TzkPDFDictObject> dict);

  // Set by the owning document.
  TzkTextEncryptor TextEncryptor;

 private:
  enum Property { kTitle, kAuthor, kSubject, kKeywords, kCreator, kProducer, kCreationDate, kModDate, kCount };
  static std::string_view Key(Property p);
  std::u16string Text(Property p) const;
  void SetText(Property p, const std::u16string& value);
  std::string Date(Property p) const;
  void SetDate(Property p, const std::string& value);
  void Put(Property p, const std::u16string& value);

  std::unique_ptr<TzkPDFDictObject> dict_;
  std::u16string textCache_[kCount];
  std::string dateCache_[kCount];
};

}  // namespace sarvane::pdf::doc
