#include "pdf/objects/zkPDFParser.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "pdf/objects/zkPDFText.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

namespace {
constexpr std::string_view kEndStream = "endstream";

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// A byte for a message: control bytes (a line end met where a delimiter
// was due) are shown by their code, so that a message stays one line.
std::string ByteText(char c) { return PrintableToken(std::string_view(&c, 1)); }

[[noreturn]] void ThrowNotInteger(std::string_view text) {
  throw EConvertError(Format(res::kNotAnInteger, PrintableToken(text)));
}

std::string NestingText() { return Format(res::kNestingTooDeep, TzkPDFStreamReader::kMaxNestingDepth); }

bool ParseReal(std::string_view text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') {
    ++first;
    if (first != last && *first == '-') return false;
  }
  if (first == last) return false;
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  return ec == std::errc() && ptr == last;
}

// An optional sign and one or more decimal digits.
bool IsSignedDigits(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}
}  // namespace

const unsigned char TzkPDFStreamReader::kDelimiters[256] = {
    // 0, tab, LF, CR, space, ( ) / < > [ ]
    1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0,  // 0x00
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x10
    1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1,  // 0x20
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0,  // 0x30
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x40
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0,  // 0x50
};

struct TzkPDFStreamReader::DepthGuard {
  explicit DepthGuard(int32_t& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  bool TooDeep() const { return depth_ > kMaxNestingDepth; }

 private:
  int32_t& depth_;
};

template <typename T>
std::vector<T>& TzkPDFStreamReader::PendingAtLevel(std::deque<std::vector<T>>& levels, int32_t depth) {
  while (levels.size() < static_cast<size_t>(depth)) levels.emplace_back();
  return levels[static_cast<size_t>(depth) - 1];
}

TzkPDFStreamReader::TzkPDFStreamReader(int32_t documentNumber, TzkSharedBytes data)
    : owner_(std::move(data.Owner)), data_(data.Bytes), documentNumber_(documentNumber) {}

TzkPDFStreamReader::TzkPDFStreamReader(int32_t documentNumber, std::shared_ptr<const std::string> data)
    : TzkPDFStreamReader(documentNumber, TzkSharedBytes::Of(std::move(data))) {}

TzkPDFStreamReader::TzkPDFStreamReader(int32_t documentNumber, std::string data)
    : TzkPDFStreamReader(documentNumber, std::make_shared<const std::string>(std::move(data))) {}

void TzkPDFStreamReader::Seek(int64_t position) {
  if (position < 0) position = 0;
  if (position > Size()) position = Size();
  pos_ = static_cast<size_t>(position);
}

std::string_view TzkPDFStreamReader::ReadText(int64_t count) {
  std::string_view text = PeekText(count);
  pos_ += text.size();
  return text;
}

std::string_view TzkPDFStreamReader::PeekText(int64_t count) const {
  if (count <= 0) return {};
  return data_.substr(pos_, static_cast<size_t>(count));
}

void TzkPDFStreamReader::SkipWhitespace() {
  const size_t size = data_.size();
  while (pos_ < size) {
    const char c = data_[pos_];
    if (IsWhitespace(c)) {
      ++pos_;
    } else if (c == '%') {
      // A comment runs to the line end, which the next round consumes.
      while (pos_ < size && data_[pos_] != '\r' && data_[pos_] != '\n') ++pos_;
    } else {
      break;
    }
  }
}

std::string_view TzkPDFStreamReader::ReadToken() {
  const size_t start = pos_;
  for (const TokenSpan& span : tokenCache_) {
    if (span.start == start) {
      pos_ = span.next;
      return data_.substr(start, span.end - start);
    }
  }
  const size_t size = data_.size();
  if (pos_ < size) ++pos_;  // the first byte is taken even when it is a delimiter
  while (pos_ < size && !IsTokenDelimiter(data_[pos_])) ++pos_;
  const size_t end = pos_;
  SkipWhitespace();
  tokenCache_[tokenCacheNext_] = TokenSpan{start, end, pos_};
  tokenCacheNext_ = static_cast<uint8_t>((tokenCacheNext_ + 1) % 3);
  return data_.substr(start, end - start);
}

std::string_view TzkPDFStreamReader::PeekToken() {
  SkipWhitespace();
  size_t end = pos_;
  while (end < data_.size() && !IsNameDelimiter(data_[end])) ++end;
  return data_.substr(pos_, end - pos_);
}

TzkPDFObjectPtr TzkPDFStreamReader::ReadObject() {
  SkipWhitespace();
  if (EndOfData()) ThrowNotInteger("");
  switch (data_[pos_]) {
    case '(':
      return ReadString();
    case ')':
    case '>':
    case ']':
    case '}':
      return nullptr;
    case '/':
      return ReadName();
    case '<':
      if (PeekText(2) == "<<") return ReadDictionary();
      return ReadString();
    case '[':
      return ReadArray();
    case 'f':
      if (ReadText(5) != "false") throw EBooleanError("false");
      return std::make_unique<TzkPDFBooleanObject>(false);
    case 't':
      if (ReadText(4) != "true") throw EBooleanError("true");
      return std::make_unique<TzkPDFBooleanObject>(true);
    case 'n':
      if (ReadText(4) != "null") throw ENullObjectError();
      return std::make_unique<TzkPDFNullObject>();
    default:
      return ReadNumberOrReference();
  }
}

TzkPDFObjectPtr TzkPDFStreamReader::ReadNumberOrReference() {
  SkipWhitespace();
  const size_t start = pos_;
  const std::string_view t1 = ReadToken();
  // A number written against the keyword that ends its object ("59endobj").
  if (const size_t glued = t1.find("endobj"); glued != std::string_view::npos && glued > 0) {
    int32_t value = 0;
    if (TryStrToInt(t1.substr(0, glued), value)) {
      pos_ = start + glued;
      return std::make_unique<TzkPDFIntegerObject>(value);
    }
  }
  const size_t p = pos_;
  const std::string_view t2 = ReadToken();
  const std::string_view t3 = ReadToken();

  // "n g R" and "n g obj" need two integers in front; anything else is a
  // single number and the following tokens are read again later, so that
  // "[1 (R)]" stays an array of a number and a string.
  int32_t number = 0, generation = 0;
  const bool isRef = t3 == "R";
  const bool isObj = !isRef && EqualsNoCase(t3, "obj");
  if ((isRef || isObj) && TryStrToInt(t1, number) && TryStrToInt(t2, generation) && generation >= 0 &&
      generation <= 0xFFFF) {
    if (isRef) {
      return std::make_unique<TzkPDFIndirectReference>(documentNumber_, static_cast<uint16_t>(generation),
                                                       number);
    }
    DepthGuard guard(depth_);
    if (guard.TooDeep()) throw EUnexpectedObjectError();
    SetCurrentObject(number, generation);
    // "n g obj endobj": an object without a value is null.
    TzkPDFObjectPtr value =
        PeekToken() == "endobj" ? std::make_unique<TzkPDFNullObject>() : ReadObject();
    if (PeekToken() == "stream") {
      if (!value || !value->IsDictionary()) throw EInvalidCast();
      std::unique_ptr<TzkPDFDictObject> dict(static_cast<TzkPDFDictObject*>(value.release()));
      value = std::make_unique<TzkPDFStreamObject>(std::move(dict));
    }
    return std::make_unique<TzkPDFIndirectObject>(documentNumber_, std::move(value),
                                                  static_cast<uint16_t>(generation), number);
  }

  pos_ = p;
  if (t1.find('.') != std::string_view::npos) {
    double value = 0;
    if (ParseReal(t1, value)) return std::make_unique<TzkPDFRealObject>(value);
    return std::make_unique<TzkPDFStringObject>(std::string(t1));
  }
  int32_t i32 = 0;
  if (TryStrToInt(t1, i32)) return std::make_unique<TzkPDFIntegerObject>(i32);
  int64_t i64 = 0;
  if (TryStrToInt64(t1, i64)) return std::make_unique<TzkPDFInt64Object>(i64);
  // Digits beyond 64 bits are a real number, as other readers take them
  // (and as the writer lays out a real of 1e19 or more).
  double real = 0;
  if (IsSignedDigits(t1) && ParseReal(t1, real)) return std::make_unique<TzkPDFRealObject>(real);
  ThrowNotInteger(t1);
}

std::unique_ptr<TzkPDFStringObject> TzkPDFStreamReader::ReadString() {
  SkipWhitespace();
  if (EndOfData()) throw EStringReadError(res::kEndOfData);
  const char open = ReadChar();
  char close;
  if (open == '(') {
    close = ')';
  } else if (open == '<') {
    close = '>';
  } else {
    throw EStringReadError(ByteText(open));
  }

  std::string buffer;
  int depth = 1;
  const size_t size = data_.size();
  while (depth > 0) {
    // Copy the run of plain bytes in one go.
    size_t run = pos_;
    while (run < size && data_[run] != '\\' && data_[run] != open && data_[run] != close) ++run;
    buffer.append(data_.data() + pos_, run - pos_);
    pos_ = run;
    if (pos_ >= size) throw EStringReadError(res::kEndOfData);
    const char b = data_[pos_++];
    if (b == '\\') {
      if (pos_ >= size) throw EStringReadError(res::kEndOfData);
      const char c = data_[pos_++];
      if (c != '\r' && c != '\n') {
        buffer += '\\';
        buffer += c;
      }
    } else if (b == open) {
      ++depth;
      buffer += b;
    } else {
      if (--depth > 0) buffer += b;
    }
  }

  bool hex = open == '<';
  if (!hex) buffer = UnescapeLiteral(buffer);
  if (decrypt_ && !buffer.empty()) {
    if (hex) {
      buffer = HexToBytes(buffer);
      hex = false;
    }
    Decrypt(buffer, currentObjectNumber_, currentGeneration_);
  }
  std::string text;
  text.reserve(buffer.size() + 2);
  text += hex ? '<' : '(';
  text += buffer;
  text += hex ? '>' : ')';
  return std::make_unique<TzkPDFStringObject>(std::move(text), hex);
}

std::unique_ptr<TzkPDFNameObject> TzkPDFStreamReader::ReadName() {
  return std::make_unique<TzkPDFNameObject>(std::string(ReadNameText()));
}

std::string_view TzkPDFStreamReader::ReadNameText() {
  SkipWhitespace();
  if (EndOfData()) throw ENameReadError(res::kEndOfData);
  const char first = ReadChar();
  if (first != '/') throw ENameReadError(ByteText(first));
  const size_t start = pos_ - 1;
  const size_t size = data_.size();
  while (pos_ < size && !IsNameDelimiter(data_[pos_])) ++pos_;
  const std::string_view name = data_.substr(start, pos_ - start);
  // A white-space delimiter is consumed, any other is left for the next read.
  if (pos_ < size) {
    const char d = data_[pos_];
    if (d == '\t' || d == '\n' || d == '\r' || d == ' ') ++pos_;
  }
  return name;
}

std::unique_ptr<TzkPDFArrayObject> TzkPDFStreamReader::ReadArray() {
  SkipWhitespace();
  if (EndOfData()) throw EArrayReadError(res::kEndOfData);
  const char first = ReadChar();
  if (first != '[') throw EArrayReadError(ByteText(first));
  DepthGuard guard(depth_);
  if (guard.TooDeep()) throw EArrayReadError(NestingText());

  std::vector<TzkPDFObjectPtr>& items = PendingAtLevel(pendingItems_, depth_);
  items.clear();
  SkipWhitespace();
  for (;;) {
    if (EndOfData()) throw EArrayReadError(res::kEndOfData);
    TzkPDFObjectPtr item = ReadObject();
    if (!item) break;
    items.push_back(std::move(item));
    SkipWhitespace();
    if (PeekChar() == ']' && !EndOfData()) break;
  }
  if (EndOfData()) throw EArrayReadError(res::kEndOfData);
  ++pos_;  // "]"
  auto array = std::make_unique<TzkPDFArrayObject>();
  array->Reserve(static_cast<int32_t>(items.size()));
  for (TzkPDFObjectPtr& item : items) array->Add(std::move(item));
  items.clear();
  return array;
}

std::unique_ptr<TzkPDFDictObject> TzkPDFStreamReader::ReadDictionary() {
  SkipWhitespace();
  for (int i = 0; i < 2; ++i) {
    if (EndOfData()) throw EDictionaryReadError(res::kEndOfData);
    const char c = ReadChar();
    if (c != '<') throw EDictionaryReadError(ByteText(c));
  }
  DepthGuard guard(depth_);
  if (guard.TooDeep()) throw EDictionaryReadError(NestingText());

  std::vector<PendingPair>& pairs = PendingAtLevel(pendingPairs_, depth_);
  pairs.clear();
  for (;;) {
    SkipWhitespace();
    if (EndOfData()) throw EDictionaryReadError(res::kEndOfData);
    if (data_[pos_] == '>') {
      if (pos_ + 2 > data_.size()) throw EDictionaryReadError(res::kEndOfData);
      pos_ += 2;
      break;
    }
    const std::string_view key = ReadNameText();
    SkipWhitespace();
    if (EndOfData()) throw EDictionaryReadError(res::kEndOfData);
    // A key whose value is missing ("<< /A >>") keeps a null value.
    TzkPDFObjectPtr value = ReadObject();
    pairs.emplace_back(key, std::move(value));
  }
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->Reserve(static_cast<int32_t>(pairs.size()));
  // The key text starts with "/", so AddValue keeps it as it is.
  for (PendingPair& pair : pairs) dict->AddValue(pair.first, std::move(pair.second));
  pairs.clear();
  return dict;
}

std::unique_ptr<TzkMemoryStream> TzkPDFStreamReader::StreamBytesAt(size_t start, size_t length,
                                                                   int32_t objectNumber, int32_t generation,
                                                                   TzkPDFDictObject* dict) const {
  const std::string_view bytes = data_.substr(start, length);
  if (!decryptStream_ && !decrypt_) return std::make_unique<TzkMemoryStream>(TzkSharedBytes{owner_, bytes});
  auto result = std::make_unique<TzkMemoryStream>(std::string(bytes));
  if (decryptStream_) {
    decryptStream_(result->MutableBytes(), objectNumber, generation, dict);
  } else {
    Decrypt(result->MutableBytes(), objectNumber, generation);
  }
  return result;
}

std::unique_ptr<TzkMemoryStream> TzkPDFStreamReader::ReadStreamData(int64_t length, int32_t objectNumber,
                                                                    int32_t generation, bool* lengthCorrected,
                                                                    TzkPDFDictObject* dict) {
  if (lengthCorrected) *lengthCorrected = false;
  SkipWhitespace();
  if (ReadText(6) != "stream") throw EStreamReadError();

  auto result = std::make_unique<TzkMemoryStream>();
  const size_t size = data_.size();
  if (length <= 0) {
    if (length < 0 && lengthCorrected) *lengthCorrected = true;
    SkipWhitespace();
  } else {
    while (pos_ < size && (data_[pos_] == ' ' || data_[pos_] == '\t')) ++pos_;
    if (pos_ < size && data_[pos_] == '\r') ++pos_;
    if (pos_ < size && data_[pos_] == '\n') ++pos_;
    const size_t s = pos_;
    // The declared length may not run past the data.
    size_t len = static_cast<uint64_t>(length) > size - s ? size - s : static_cast<size_t>(length);

    pos_ = s + len;
    SkipWhitespace();
    if (ReadText(9) != kEndStream) {
      // Backwards: the last "endstream" that starts inside the data.
      size_t found = std::string_view::npos;
      if (len > 0) {
        const size_t windowEnd = std::min(size, s + len - 1 + kEndStream.size());
        const std::string_view window = data_.substr(s, windowEnd - s);
        const size_t at = window.rfind(kEndStream);
        if (at != std::string_view::npos) found = s + at;
      }
      // Forwards: the first "endstream" after the data.
      if (found == std::string_view::npos && s + len + 1 < size) {
        const size_t at = data_.find(kEndStream, s + len + 1);
        if (at != std::string_view::npos) found = at;
      }
      if (found != std::string_view::npos) len = found - s;
    }
    if (lengthCorrected) *lengthCorrected = static_cast<int64_t>(len) != length;

    const bool noData = len <= 1 && data_.substr(s, kEndStream.size()) == kEndStream;
    result = StreamBytesAt(s, noData ? 0 : len, objectNumber, generation, dict);
    pos_ = s + len;
    SkipWhitespace();
  }
  if (ReadText(9) != kEndStream) throw EEndStreamError();
  return result;
}

int64_t TzkPDFStreamReader::ReadStreamStart() {
  SkipWhitespace();
  if (ReadText(6) != "stream") throw EStreamReadError();
  const size_t size = data_.size();
  while (pos_ < size && (data_[pos_] == ' ' || data_[pos_] == '\t')) ++pos_;
  if (pos_ < size && data_[pos_] == '\r') ++pos_;
  if (pos_ < size && data_[pos_] == '\n') ++pos_;
  return static_cast<int64_t>(pos_);
}

bool TzkPDFStreamReader::EndStreamFollows(int64_t position) const {
  if (position < 0 || position > Size()) return false;
  size_t p = static_cast<size_t>(position);
  while (p < data_.size() && IsWhitespace(data_[p])) ++p;
  return data_.substr(p, kEndStream.size()) == kEndStream;
}

std::unique_ptr<TzkMemoryStream> TzkPDFStreamReader::TakeStreamData(int64_t start, int64_t length,
                                                                   int32_t objectNumber, int32_t generation,
                                                                   TzkPDFDictObject* dict) {
  Seek(start);
  const size_t s = pos_;
  const size_t len = std::min(static_cast<size_t>(std::max<int64_t>(length, 0)), data_.size() - s);
  auto result = StreamBytesAt(s, len, objectNumber, generation, dict);
  pos_ = s + len;
  SkipWhitespace();
  if (PeekText(static_cast<int64_t>(kEndStream.size())) == kEndStream) Skip(static_cast<int64_t>(kEndStream.size()));
  return result;
}

int32_t TzkPDFStreamReader::ReadHeader() {
  Seek(0);
  const std::string_view t = ReadToken();
  // PDF 2.0 keeps the syntax of 1.x; 1.8 is no published version but is
  // met in files that every reader opens.
  if (t.substr(0, 5) != "%PDF-" || (t.substr(5, 2) != "1." && t.substr(5, 2) != "2.")) {
    throw EInvalidHeader(PrintableToken(t.substr(0, 7)));
  }
  const int32_t major = t[5] - '0';
  const int32_t minor = StrToInt(t.substr(7, 1));
  if (minor < 0 || (major == 1 && minor > 8) || (major == 2 && minor > 0)) throw EUnsupportedVersion(t);
  return major * 10 + minor;
}

int64_t TzkPDFStreamReader::FindHeader(std::string_view data) {
  const size_t at = data.substr(0, kMaxHeaderOffset + 5).find("%PDF-");
  return at == std::string_view::npos ? -1 : static_cast<int64_t>(at);
}

int64_t TzkPDFStreamReader::FindStartXRef() const {
  constexpr std::string_view kKeyword = "startxref";
  auto isWordByte = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  };
  size_t from = std::string_view::npos;
  for (;;) {
    const size_t at = data_.rfind(kKeyword, from);
    if (at == std::string_view::npos) throw Exception(std::string(res::kInvalidPDFFile));
    const size_t end = at + kKeyword.size();
    const bool wordStart = at == 0 || !isWordByte(data_[at - 1]);
    const bool wordEnd = end >= data_.size() || !isWordByte(data_[end]);
    if (wordStart && wordEnd) {
      size_t d = end;
      while (d < data_.size() && !(data_[d] >= '0' && data_[d] <= '9')) ++d;
      size_t e = d;
      while (e < data_.size() && data_[e] >= '0' && data_[e] <= '9') ++e;
      int32_t offset = 0;
      if (!TryStrToInt(data_.substr(d, e - d), offset)) throw EOffsetError();
      return offset;
    }
    if (at == 0) throw Exception(std::string(res::kInvalidPDFFile));
    from = at - 1;
  }
}

std::unique_ptr<TzkPDFDictObject> TzkPDFStreamReader::ReadTrailer() {
  const size_t t = data_.find('t', pos_);
  if (t == std::string_view::npos) {
    pos_ = data_.size();
    throw ETrailerError();
  }
  pos_ = t;
  if (ReadText(7) != "trailer") throw ETrailerError();
  TzkPDFObjectPtr object = ReadObject();
  if (!object || !object->IsDictionary()) throw EInvalidCast();
  return std::unique_ptr<TzkPDFDictObject>(static_cast<TzkPDFDictObject*>(object.release()));
}

}  // namespace sarvane::pdf
