#pragma once
// Byte streams of the library: the abstract stream, the in-memory stream, a
// file stream, and the read-only / random-access / write-only wrappers.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/objects/zkPDFExceptions.h"

namespace sarvane::pdf {

enum TzkSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

// The abstract byte stream.
class TzkStream {
 public:
  virtual ~TzkStream() = default;
  // Reads up to count bytes; returns how many were read.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TzkSeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;
  virtual int64_t Position() const = 0;
  void SetPosition(int64_t position) { Seek(position, soBeginning); }

  // Convenience forms for byte strings.
  int64_t Write(std::string_view bytes) {
    return Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  // Reads up to count bytes from the position.
  std::string ReadBytes(int64_t count);
};

// Bytes in memory and what keeps them alive (a loaded file, decoded data);
// whoever holds a copy keeps the bytes.
struct TzkSharedBytes {
  std::shared_ptr<const void> Owner;
  std::string_view Bytes;

  static TzkSharedBytes Of(std::shared_ptr<const std::string> text) {
    const std::string_view bytes = text ? std::string_view(*text) : std::string_view();
    return {std::move(text), bytes};
  }
};

// The library's in-memory byte stream: a byte string and a position. The
// bytes may also be borrowed from a larger buffer that someone shares (the
// stream data of a loaded file): they are then copied only when the stream
// is changed, so loading a document does not hold its streams twice.
class TzkMemoryStream : public TzkStream {
 public:
  TzkMemoryStream() = default;
  explicit TzkMemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}
  // Over shared bytes, which the stream keeps alive.
  explicit TzkMemoryStream(TzkSharedBytes bytes)
      : borrowedFrom_(std::move(bytes.Owner)), borrowed_(bytes.Bytes) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  using TzkStream::Write;
  // Positions before 0 are taken as 0; positions past the end are allowed
  // (a later write fills the gap with zero bytes).
  int64_t Seek(int64_t offset, TzkSeekOrigin origin) override;
  int64_t Size() const override { return static_cast<int64_t>(Bytes().size()); }
  int64_t Position() const override { return position_; }
  // Truncates or extends with zero bytes; the position is kept within the data.
  void SetSize(int64_t size);
  void Clear() {
    bytes_.clear();
    borrowedFrom_.reset();
    borrowed_ = {};
    position_ = 0;
  }
  std::string_view Bytes() const { return borrowedFrom_ ? borrowed_ : std::string_view(bytes_); }
  // The bytes for changing in place (borrowed bytes are copied first).
  std::string& MutableBytes() { return Own(); }
  // A new stream with the same bytes at position 0; borrowed bytes stay
  // borrowed.
  std::unique_ptr<TzkMemoryStream> Copy() const;
  // Whether the bytes are still those of the shared buffer.
  bool IsBorrowed() const { return borrowedFrom_ != nullptr; }

 private:
  std::string& Own();

  std::string bytes_;
  std::shared_ptr<const void> borrowedFrom_;
  std::string_view borrowed_;
  int64_t position_ = 0;
};

// A file on disk. Opening failures raise Exception with the system's reason.
class TzkFileStream : public TzkStream {
 public:
  enum TzkFileMode : uint8_t { fmOpenRead, fmCreate };
  TzkFileStream(const std::string& path, TzkFileMode mode);
  ~TzkFileStream() override;
  TzkFileStream(const TzkFileStream&) = delete;
  TzkFileStream& operator=(const TzkFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  using TzkStream::Write;
  int64_t Seek(int64_t offset, TzkSeekOrigin origin) override;
  int64_t Size() const override;
  int64_t Position() const override;
  // Flushes buffered output; raises Exception when the system reports an error.
  void Flush();

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

// Forwards reading and seeking to a stream it does not own; writing raises
// EReadError.
class TzkReadOnlyFilter : public TzkStream {
 public:
  explicit TzkReadOnlyFilter(TzkStream* stream);
  int64_t Read(void* buffer, int64_t count) override { return stream_->Read(buffer, count); }
  int64_t Write(const void* buffer, int64_t count) override;
  using TzkStream::Write;
  // An offset of -1 does nothing and returns -1.
  int64_t Seek(int64_t offset, TzkSeekOrigin origin) override;
  int64_t Size() const override { return stream_->Size(); }
  int64_t Position() const override { return stream_->Position(); }
  TzkStream* Stream() const { return stream_; }

 protected:
  TzkStream* stream_;
};

// Adds byte-wise peeking to the read-only wrapper.
class TzkRandomAccessFilter : public TzkReadOnlyFilter {
 public:
  using TzkReadOnlyFilter::TzkReadOnlyFilter;
  // One byte, or 0 when none is left (the position then stays).
  char ReadChar();
  // The next byte without moving; sets the end-of-data flag when that byte is
  // the last one or none is left.
  char PeekChar();
  // Moves back one byte (never before the start).
  void StepBack() {
    if (Position() > 0) stream_->Seek(-1, soCurrent);
  }
  void Skip(int64_t count) { Seek(count, soCurrent); }
  // Up to count bytes (fewer at the end of the data).
  std::string ReadText(int64_t count) { return ReadBytes(count); }
  std::string PeekText(int64_t count);
  bool EndOfData() const { return endOfData_; }

 private:
  bool endOfData_ = false;
};

// Forwards writing and seeking to a stream it does not own; reading raises
// EReadError.
class TzkWriteOnlyFilter : public TzkStream {
 public:
  explicit TzkWriteOnlyFilter(TzkStream* stream);
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override { return stream_->Write(buffer, count); }
  using TzkStream::Write;
  int64_t Seek(int64_t offset, TzkSeekOrigin origin) override { return stream_->Seek(offset, origin); }
  int64_t Size() const override { return stream_->Size(); }
  int64_t Position() const override { return stream_->Position(); }

 private:
  TzkStream* stream_;
};

}  // namespace sarvane::pdf
