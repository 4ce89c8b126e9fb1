#pragma once
// TzkPDFStreamReader: the tokenizer and object parser. It reads from bytes
// held in memory (a whole file, or decoded object-stream data); positions
// are byte offsets into that data.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/objects/zkClasses.h"
#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf {

// Decrypts bytes in place for the object (number, generation) they belong to.
using TzkDecryptHook = std::function<void(std::string& bytes, int32_t objectNumber, int32_t generation)>;
// The same for stream data, which may depend on the stream's dictionary (a
// crypt filter of its own, plain metadata); the dictionary may be absent.
using TzkStreamDecryptHook =
    std::function<void(std::string& bytes, int32_t objectNumber, int32_t generation, TzkPDFDictObject* dict)>;

class TzkPDFStreamReader {
 public:
  // Arrays, dictionaries and object headers nested deeper than this raise
  // the read error of the construct being opened.
  static constexpr int32_t kMaxNestingDepth = 500;

  // Over shared bytes (not copied).
  TzkPDFStreamReader(int32_t documentNumber, TzkSharedBytes data);
  // Over the whole of data (shared, not copied).
  TzkPDFStreamReader(int32_t documentNumber, std::shared_ptr<const std::string> data);
  // Over bytes it takes over (for example decoded object-stream data).
  TzkPDFStreamReader(int32_t documentNumber, std::string data);

  // -- state
  int32_t DocumentNumber() const { return documentNumber_; }
  void SetDocumentNumber(int32_t n) { documentNumber_ = n; }
  // The object whose strings are being read; set when an object header is
  // parsed, and by the cross-reference layer when it positions the reader.
  int32_t CurrentObjectNumber() const { return currentObjectNumber_; }
  int32_t CurrentGeneration() const { return currentGeneration_; }
  void SetCurrentObject(int32_t objectNumber, int32_t generation) {
    currentObjectNumber_ = objectNumber;
    currentGeneration_ = generation;
  }
  void SetCurrentObjectNumber(int32_t n) { currentObjectNumber_ = n; }
  void SetCurrentGeneration(int32_t g) { currentGeneration_ = g; }
  // Installed once the encryption dictionary has been checked; an empty
  // function removes it.
  void SetDecryptHook(TzkDecryptHook hook) { decrypt_ = std::move(hook); }
  bool HasDecryptHook() const { return static_cast<bool>(decrypt_); }
  // Used for stream data instead of the string hook when installed.
  void SetStreamDecryptHook(TzkStreamDecryptHook hook) { decryptStream_ = std::move(hook); }

  // -- the data
  std::string_view Data() const { return data_; }
  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  int64_t Position() const { return static_cast<int64_t>(pos_); }
  // Positions are clamped to 0..Size().
  void Seek(int64_t position);
  // True when no byte is left.
  bool EndOfData() const { return pos_ >= data_.size(); }

  // -- characters
  // One byte; 0 when none is left (the position then stays).
  char ReadChar() { return pos_ < data_.size() ? data_[pos_++] : '\0'; }
  // The next byte without moving; 0 when none is left.
  char PeekChar() const { return pos_ < data_.size() ? data_[pos_] : '\0'; }
  void StepBack() {
    if (pos_ > 0) --pos_;
  }
  void Skip(int64_t count) { Seek(Position() + count); }
  // Up to count bytes (fewer at the end of the data). The view stays valid
  // as long as the reader's data.
  std::string_view ReadText(int64_t count);
  std::string_view PeekText(int64_t count) const;

  // -- tokens
  void SkipWhitespace();
  std::string_view ReadToken();
  std::string_view PeekToken();

  // -- objects (each skips white space first)
  // The next object, or nullptr when the next byte closes a construct.
  TzkPDFObjectPtr ReadObject();
  std::unique_ptr<TzkPDFStringObject> ReadString();
  std::unique_ptr<TzkPDFNameObject> ReadName();
  std::unique_ptr<TzkPDFArrayObject> ReadArray();
  std::unique_ptr<TzkPDFDictObject> ReadDictionary();
  // The data between "stream" and "endstream". A length that does not lead
  // to "endstream" is corrected by searching for it (first backwards within
  // the data, then forwards); lengthCorrected tells whether that happened.
  // The stream's dictionary, when given, goes to the stream decryption hook.
  std::unique_ptr<TzkMemoryStream> ReadStreamData(int64_t length, int32_t objectNumber, int32_t generation,
                                                  bool* lengthCorrected = nullptr,
                                                  TzkPDFDictObject* dict = nullptr);

  // The pieces of ReadStreamData for a caller that finds the length itself:
  // the position of the first data byte after "stream" and its line end
  // (EStreamReadError when "stream" does not follow); whether "endstream"
  // follows position after white space; the bytes of [start, start + length)
  // decrypted for the object, the reader left after "endstream" when it
  // follows and at the end of the data otherwise.
  int64_t ReadStreamStart();
  bool EndStreamFollows(int64_t position) const;
  std::unique_ptr<TzkMemoryStream> TakeStreamData(int64_t start, int64_t length, int32_t objectNumber,
                                                  int32_t generation, TzkPDFDictObject* dict = nullptr);

  // -- file level
  // The version of the "%PDF-m.n" header at byte 0 as m * 10 + n: 10 to 18
  // for 1.0 to 1.8, 20 for 2.0.
  int32_t ReadHeader();
  // Readers accept this many bytes of other data before the header.
  static constexpr size_t kMaxHeaderOffset = 1024;
  // Where "%PDF-" starts within the first kMaxHeaderOffset bytes, or -1.
  static int64_t FindHeader(std::string_view data);
  // The offset written after the last "startxref".
  int64_t FindStartXRef() const;
  // The dictionary after the next "trailer" keyword.
  std::unique_ptr<TzkPDFDictObject> ReadTrailer();

  // Character classes.
  static bool IsWhitespace(char c) { return c == 0 || c == 9 || c == 10 || c == 13 || c == 32; }
  static bool IsTokenDelimiter(char c) { return kDelimiters[static_cast<unsigned char>(c)] != 0; }
  static bool IsNameDelimiter(char c) { return c != 0 && IsTokenDelimiter(c); }

 private:
  static const unsigned char kDelimiters[256];

  TzkPDFObjectPtr ReadNumberOrReference();
  // The stream bytes data[start, start + length): borrowed from the shared
  // data when nothing needs decrypting, else a decrypted copy.
  std::unique_ptr<TzkMemoryStream> StreamBytesAt(size_t start, size_t length, int32_t objectNumber,
                                                 int32_t generation, TzkPDFDictObject* dict) const;
  // The text of the next name, "/" included, as a view into the data.
  std::string_view ReadNameText();
  void Decrypt(std::string& bytes, int32_t objectNumber, int32_t generation) const {
    if (decrypt_) decrypt_(bytes, objectNumber, generation);
  }
  // Depth of nested constructs; raises through raise() when too deep.
  struct DepthGuard;

  // Numbers are read with two tokens of look-ahead and the look-ahead is
  // read again as the next objects; remembering where the last tokens ended
  // saves scanning them twice. The data never changes, so entries stay valid.
  struct TokenSpan {
    size_t start = static_cast<size_t>(-1);
    size_t end = 0;
    size_t next = 0;  // after the white space that follows
  };
  TokenSpan tokenCache_[3];
  uint8_t tokenCacheNext_ = 0;

  // What the arrays and dictionaries being read have collected so far, one
  // list per nesting level, reused from object to object: a finished
  // container is then allocated once at its exact size, which saves both
  // the regrowths and the spare capacity of hundreds of thousands of small
  // containers. A deque, so that a deeper level never moves a shallower one.
  using PendingPair = std::pair<std::string_view, TzkPDFObjectPtr>;
  template <typename T>
  static std::vector<T>& PendingAtLevel(std::deque<std::vector<T>>& levels, int32_t depth);
  std::deque<std::vector<TzkPDFObjectPtr>> pendingItems_;
  std::deque<std::vector<PendingPair>> pendingPairs_;

  std::shared_ptr<const void> owner_;
  std::string_view data_;
  size_t pos_ = 0;
  int32_t depth_ = 0;
  int32_t documentNumber_;
  int32_t currentObjectNumber_ = 0;
  int32_t currentGeneration_ = 0;
  TzkDecryptHook decrypt_;
  TzkStreamDecryptHook decryptStream_;
};

}  // namespace sarvane::pdf
