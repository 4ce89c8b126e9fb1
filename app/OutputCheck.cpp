#include "app/OutputCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <string_view>

#include "app/AppResStrings.h"
#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFParser.h"
#include "platform/Exception.h"

namespace sarvane::app {

using sarvane::pdf::TzkPDFDictObject;
using sarvane::pdf::TzkPDFStreamReader;

namespace {

// The end of the file holds the trailer, startxref and "%%EOF"; the
// writer's trailer is a few hundred bytes.
constexpr int64_t kTailBytes = 4096;
// An object is read in a window that doubles from this size until it holds
// the object's "endobj" (a page tree root lists every page).
constexpr int64_t kFirstObjectWindow = 64 * 1024;
// "nnnnnnnnnn ggggg n" and its two end-of-line bytes.
constexpr int64_t kXRefEntryBytes = 20;

// A file opened for reading at given places.
class TPlacesReader {
 public:
  explicit TPlacesReader(const std::string& fileName) : fd_(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st{};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0) size_ = st.st_size;
  }
  ~TPlacesReader() {
    if (fd_ >= 0) ::close(fd_);
  }
  TPlacesReader(const TPlacesReader&) = delete;
  TPlacesReader& operator=(const TPlacesReader&) = delete;

  bool IsOpen() const { return fd_ >= 0 && size_ >= 0; }
  int64_t Size() const { return size_; }

  // Up to count bytes at offset (fewer at the end of the file); false on a
  // read error.
  bool Read(int64_t offset, int64_t count, std::string& bytes) const {
    count = std::max<int64_t>(0, std::min(count, size_ - offset));
    bytes.resize(static_cast<size_t>(count));
    size_t got = 0;
    while (got < bytes.size()) {
      ssize_t n = ::pread(fd_, bytes.data() + got, bytes.size() - got, offset + static_cast<int64_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  }

  // The last count bytes (all of a smaller file).
  bool ReadTail(int64_t count, std::string& bytes) const {
    const int64_t start = std::max<int64_t>(0, size_ - count);
    return Read(start, size_ - start, bytes);
  }

 private:
  int fd_;
  int64_t size_ = -1;
};

std::string Unreadable(const std::string& fileName) {
  return Format(kSCheckUnreadable, fileName, std::strerror(errno));
}

// Where the last "trailer" keyword starts in tail, or npos.
size_t TrailerStart(std::string_view tail) { return tail.rfind("trailer"); }

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int64_t ToInt64(std::string_view digits) {
  int64_t value = 0;
  for (char c : digits) {
    if (value > (INT64_MAX - 9) / 10) return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The offset after the last "startxref" of tail, when the file ends right
// after it with "%%EOF" and at most one end of line; -1 otherwise.
int64_t StartXRef(std::string_view tail) {
  const size_t keyword = tail.rfind("startxref");
  if (keyword == std::string_view::npos) return -1;
  std::string_view rest = tail.substr(keyword + 9);
  // The tokenizer would take "%%EOF" for a comment: read by hand.
  auto skipSpace = [&rest] {
    while (!rest.empty() && TzkPDFStreamReader::IsWhitespace(rest.front())) rest.remove_prefix(1);
  };
  skipSpace();
  size_t digits = 0;
  while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
  const std::string_view offset = rest.substr(0, digits);
  rest.remove_prefix(digits);
  skipSpace();
  if (!IsDigits(offset) || rest.substr(0, 5) != "%%EOF") return -1;
  rest.remove_prefix(5);
  if (!rest.empty() && rest != "\r\n" && rest != "\n" && rest != "\r") return -1;
  return ToInt64(offset);
}

// The cross-reference table the file's startxref names: where its first
// subsection's entries begin, and which object numbers they cover.
struct TXRefTable {
  int64_t EntriesAt = -1;
  int64_t First = 0, Count = 0;
};

bool ReadXRefTable(const TPlacesReader& file, int64_t offset, TXRefTable& table) {
  std::string head;
  if (offset < 0 || offset >= file.Size() || !file.Read(offset, 64, head)) return false;
  TzkPDFStreamReader reader(0, std::move(head));
  if (reader.ReadToken() != "xref") return false;
  const std::string_view first = reader.ReadToken();
  const std::string_view count = reader.ReadToken();
  if (!IsDigits(first) || !IsDigits(count)) return false;
  table.First = ToInt64(first);
  table.Count = ToInt64(count);
  table.EntriesAt = offset + reader.Position();
  return table.First >= 0 && table.Count >= 0;
}

// The offset of object number in the table; -1 when it has none in use.
int64_t ObjectOffset(const TPlacesReader& file, const TXRefTable& table, int64_t number) {
  if (number < table.First || number >= table.First + table.Count) return -1;
  std::string entry;
  if (!file.Read(table.EntriesAt + (number - table.First) * kXRefEntryBytes, kXRefEntryBytes, entry) ||
      entry.size() != kXRefEntryBytes || entry[17] != 'n')
    return -1;
  const std::string_view digits = std::string_view(entry).substr(0, 10);
  return IsDigits(digits) ? ToInt64(digits) : -1;
}

// The dictionary of object number at offset; nullptr when it is not there.
std::unique_ptr<TzkPDFDictObject> ReadDictionaryAt(const TPlacesReader& file, int64_t offset, int64_t number) {
  if (offset <= 0 || offset >= file.Size()) return nullptr;
  std::string window;
  for (int64_t size = kFirstObjectWindow;; size *= 2) {
    if (!file.Read(offset, size, window)) return nullptr;
    if (window.find("endobj") != std::string::npos) break;
    if (offset + size >= file.Size()) return nullptr;
  }
  TzkPDFStreamReader reader(0, std::move(window));
  reader.SkipWhitespace();
  const std::string_view n = reader.ReadToken();
  const std::string_view g = reader.ReadToken();
  if (!IsDigits(n) || ToInt64(n) != number || !IsDigits(g) || reader.ReadToken() != "obj") return nullptr;
  auto value = reader.ReadObject();
  if (!value || !value->IsDictionary()) return nullptr;
  return std::unique_ptr<TzkPDFDictObject>(static_cast<TzkPDFDictObject*>(value.release()));
}

int64_t ReferencedNumber(const TzkPDFDictObject& dict, std::string_view key) {
  const auto* value = dict.Lookup(key);
  if (!value || !value->IsIndirectReference()) return -1;
  return static_cast<const sarvane::pdf::TzkPDFIndirectReference*>(value)->ObjectNumber();
}

// /Count of the page tree root that the catalog names; -1 when any step of
// the way is missing.
int64_t PageCountOf(const TPlacesReader& file, const TXRefTable& table, const TzkPDFDictObject& trailer) {
  const int64_t root = ReferencedNumber(trailer, "/Root");
  auto catalog = ReadDictionaryAt(file, ObjectOffset(file, table, root), root);
  if (!catalog) return -1;
  const int64_t pagesNumber = ReferencedNumber(*catalog, "/Pages");
  auto pages = ReadDictionaryAt(file, ObjectOffset(file, table, pagesNumber), pagesNumber);
  if (!pages) return -1;
  const auto* count = pages->Lookup("/Count");
  if (count && count->IsInteger()) return static_cast<const sarvane::pdf::TzkPDFIntegerObject*>(count)->Value();
  if (count && count->IsInt64()) return static_cast<const sarvane::pdf::TzkPDFInt64Object*>(count)->Value();
  return -1;
}

}  // namespace

std::string DescribeWrittenFile(const std::string& fileName, TWrittenOutput& written) {
  TPlacesReader file(fileName);
  std::string tail;
  if (!file.IsOpen() || !file.ReadTail(kTailBytes, tail)) return Unreadable(fileName);
  const size_t trailer = TrailerStart(tail);
  if (trailer == std::string::npos || StartXRef(tail) < 0) return Format(kSCheckFileEnd);
  written.Size = file.Size();
  written.Trailer = tail.substr(trailer);
  return {};
}

std::string CheckOutputCopy(const std::string& fileName, const TWrittenOutput& written) {
  TPlacesReader file(fileName);
  if (!file.IsOpen()) return Unreadable(fileName);
  if (file.Size() != written.Size) return Format(kSCheckSize, file.Size(), written.Size);

  std::string header;
  if (!file.Read(0, 8, header)) return Unreadable(fileName);
  if (header != "%PDF-" + written.Version) return Format(kSCheckHeader, written.Version);

  std::string tail;
  if (!file.ReadTail(kTailBytes, tail)) return Unreadable(fileName);
  const int64_t startXRef = StartXRef(tail);
  const size_t trailerAt = TrailerStart(tail);
  if (startXRef < 0 || trailerAt == std::string::npos) return Format(kSCheckFileEnd);
  TXRefTable table;
  if (!ReadXRefTable(file, startXRef, table)) return Format(kSCheckXRef);

  try {
    TzkPDFStreamReader reader(0, tail.substr(trailerAt));
    auto trailer = reader.ReadTrailer();
    if (!trailer) return Format(kSCheckFileEnd);
    const bool encrypted = trailer->Lookup("/Encrypt") != nullptr;
    if (encrypted != written.Encrypted) return Format(written.Encrypted ? kSCheckNotEncrypted : kSCheckEncrypted);
    const int64_t pages = PageCountOf(file, table, *trailer);
    if (pages < 0) return Format(kSCheckPageTree);
    if (pages != written.PageCount) return Format(kSCheckPageCount, pages, written.PageCount);
  } catch (const std::exception& e) {
    // A damaged dictionary on the way.
    return Format(kSCheckPageTree) + " (" + e.what() + ")";
  }
  if (std::string_view(tail).substr(trailerAt) != written.Trailer) return Format(kSCheckTrailer);
  return {};
}

}  // namespace sarvane::app
