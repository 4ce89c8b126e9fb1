#pragma once
// The writer's value serialiser. It differs from the object model's own text
// forms in three ways: references are written with the numbers of the file
// being written (or as null when their object is not written), strings and
// stream data are encrypted with the key of the object that contains them,
// and stream dictionaries are made to describe the bytes actually written.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFObjectStore.h"

namespace sarvane::pdf {
class TzkPDFEncryption;
}

namespace sarvane::pdf::doc {

// Compression kinds of the writer's stream encoding step.
enum TzkCompressionKind : uint8_t { ckFlate = 0, ckRunLength = 1 };
// ASCII encodings of the writer's stream encoding step.
enum TzkAsciiEncodingKind : uint8_t { aeASCIIHex = 0, aeASCII85 = 1 };

class TzkPDFSerializer {
 public:
  // The context of values that are never encrypted: the trailer and the
  // encryption dictionary.
  static constexpr int32_t kNoEncryption = -1;
  // Deeper nesting than this is refused rather than followed: the stack of
  // the serialiser is the limit, and no sound document comes near it.
  static constexpr int kMaxDepth = 512;

  // References are looked up in store, then in saveStore (may be nullptr).
  // With an encryption handler, strings and streams are encrypted with the
  // key of their context.
  TzkPDFSerializer(const sarvane::pdf::TzkPDFObjectStore& store,
                   const sarvane::pdf::TzkPDFObjectStore* saveStore,
                   const sarvane::pdf::TzkPDFEncryption* encryption);

  // The number every page dictionary gets as its /Parent.
  void SetPageTreeNumber(int32_t number) { pageTreeNumber_ = number; }
  void SetCompression(bool enabled, uint8_t kind, uint8_t levelIndex);
  void SetAsciiEncoding(bool enabled, uint8_t kind);

  // The output number of the referenced object, or 0 when it is not written.
  int32_t OutputNumberOf(const sarvane::pdf::TzkPDFIndirectReference& reference) const;

  // Appends the text of value. context is the output number of the object
  // that contains it (kNoEncryption for none).
  void AppendValue(std::string& out, const sarvane::pdf::TzkPDFObject& value, int32_t context) const;
  // A stream; lengthRepaired says that the stored /Length does not describe
  // the data (loading corrected it), so it is replaced by the data size.
  void AppendStream(std::string& out, const sarvane::pdf::TzkPDFStreamObject& stream, int32_t context,
                    bool lengthRepaired) const;
  // "n 0 R"
  static void AppendReferenceNumber(std::string& out, int32_t number);
  // The literal string form "(" escaped bytes ")".
  static void AppendLiteral(std::string& out, std::string_view bytes);
  // "<" two upper-case digits per byte ">".
  static void AppendHex(std::string& out, std::string_view bytes);

 private:
  void AppendAt(std::string& out, const sarvane::pdf::TzkPDFObject& value, int32_t context, int depth) const;
  void AppendString(std::string& out, const sarvane::pdf::TzkPDFStringObject& value, int32_t context) const;
  void AppendReference(std::string& out, const sarvane::pdf::TzkPDFIndirectReference& value) const;
  void AppendDictionary(std::string& out, const sarvane::pdf::TzkPDFDictObject& dict, int32_t context,
                        int depth, const std::string* lengthText) const;
  void AppendStreamAt(std::string& out, const sarvane::pdf::TzkPDFStreamObject& stream, int32_t context,
                      bool lengthRepaired, int depth) const;
  // Whether a written /Length of the dictionary would differ from size.
  bool LengthMatches(const sarvane::pdf::TzkPDFDictObject& dict, size_t size) const;

  // Output numbers of the main store's objects by object number, for the
  // document number most of them carry: a reference is resolved by one
  // array access instead of a hash lookup. Built only when the numbers are
  // dense enough; otherwise every lookup goes to the store.
  struct DenseEntry {
    int32_t OutputNumber = 0;
    uint16_t Generation = 0;
    uint8_t State = 0;  // 0 absent, 1 present, 2 several generations
  };
  void BuildDenseIndex();
  std::vector<DenseEntry> dense_;
  int32_t denseDocument_ = 0;

  const sarvane::pdf::TzkPDFObjectStore& store_;
  const sarvane::pdf::TzkPDFObjectStore* saveStore_;
  const sarvane::pdf::TzkPDFEncryption* encryption_;
  int32_t pageTreeNumber_ = 3;
  bool compress_ = false;
  uint8_t compressionKind_ = ckFlate;
  uint8_t compressionLevel_ = 2;
  bool ascii_ = false;
  uint8_t asciiKind_ = aeASCIIHex;
  mutable std::string scratch_;
};

}  // namespace sarvane::pdf::doc
