#include "pdf/objects/zkClasses.h"

#include <cerrno>
#include <cstring>

namespace sarvane::pdf {

std::string TzkStream::ReadBytes(int64_t count) {
  std::string out;
  if (count <= 0) return out;
  const int64_t left = Size() - Position();
  if (left <= 0) return out;
  out.resize(static_cast<size_t>(count < left ? count : left));
  out.resize(static_cast<size_t>(Read(out.data(), static_cast<int64_t>(out.size()))));
  return out;
}

int64_t TzkMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t size = Size();
  if (count <= 0 || position_ >= size) return 0;
  const int64_t n = count < size - position_ ? count : size - position_;
  std::memcpy(buffer, Bytes().data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

std::string& TzkMemoryStream::Own() {
  if (borrowedFrom_) {
    bytes_.assign(borrowed_);
    borrowedFrom_.reset();
    borrowed_ = {};
  }
  return bytes_;
}

std::unique_ptr<TzkMemoryStream> TzkMemoryStream::Copy() const {
  if (borrowedFrom_) return std::make_unique<TzkMemoryStream>(TzkSharedBytes{borrowedFrom_, borrowed_});
  return std::make_unique<TzkMemoryStream>(bytes_);
}

int64_t TzkMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  Own();
  const auto pos = static_cast<size_t>(position_);
  const auto n = static_cast<size_t>(count);
  if (pos == bytes_.size()) {
    bytes_.append(static_cast<const char*>(buffer), n);
  } else {
    if (pos + n > bytes_.size()) bytes_.resize(pos + n, '\0');
    std::memcpy(bytes_.data() + pos, buffer, n);
  }
  position_ += count;
  return count;
}

int64_t TzkMemoryStream::Seek(int64_t offset, TzkSeekOrigin origin) {
  int64_t base = 0;
  if (origin == soCurrent) base = position_;
  if (origin == soEnd) base = Size();
  int64_t target = base + offset;
  position_ = target < 0 ? 0 : target;
  return position_;
}

void TzkMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  Own().resize(static_cast<size_t>(size), '\0');
  if (position_ > size) position_ = size;
}

TzkFileStream::TzkFileStream(const std::string& path, TzkFileMode mode) : path_(path) {
  file_ = std::fopen(path.c_str(), mode == fmCreate ? "w+b" : "rb");
  if (!file_) {
    throw Exception("Cannot open file \"" + path + "\". " + std::strerror(errno));
  }
}

TzkFileStream::~TzkFileStream() {
  if (file_) std::fclose(file_);
}

int64_t TzkFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TzkFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const size_t n = std::fwrite(buffer, 1, static_cast<size_t>(count), file_);
  if (n != static_cast<size_t>(count)) {
    throw Exception("Cannot write file \"" + path_ + "\". " + std::strerror(errno));
  }
  return count;
}

int64_t TzkFileStream::Seek(int64_t offset, TzkSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) return Position();
  return Position();
}

int64_t TzkFileStream::Size() const {
  const off_t here = ftello(file_);
  fseeko(file_, 0, SEEK_END);
  const off_t size = ftello(file_);
  fseeko(file_, here, SEEK_SET);
  return static_cast<int64_t>(size);
}

int64_t TzkFileStream::Position() const { return static_cast<int64_t>(ftello(file_)); }

void TzkFileStream::Flush() {
  if (std::fflush(file_) != 0) {
    throw Exception("Cannot write file \"" + path_ + "\". " + std::strerror(errno));
  }
}

TzkReadOnlyFilter::TzkReadOnlyFilter(TzkStream* stream) : stream_(stream) {
  if (!stream_) throw EInvalidStream();
}

int64_t TzkReadOnlyFilter::Write(const void*, int64_t) { throw EReadError(); }

int64_t TzkReadOnlyFilter::Seek(int64_t offset, TzkSeekOrigin origin) {
  if (offset == -1) return -1;
  return stream_->Seek(offset, origin);
}

char TzkRandomAccessFilter::ReadChar() {
  char c = 0;
  Read(&c, 1);
  return c;
}

char TzkRandomAccessFilter::PeekChar() {
  char c = 0;
  const int64_t n = Read(&c, 1);
  endOfData_ = Position() >= Size();
  if (n > 0) stream_->Seek(-1, soCurrent);
  return c;
}

std::string TzkRandomAccessFilter::PeekText(int64_t count) {
  std::string text = ReadBytes(count);
  if (!text.empty()) stream_->Seek(-static_cast<int64_t>(text.size()), soCurrent);
  return text;
}

TzkWriteOnlyFilter::TzkWriteOnlyFilter(TzkStream* stream) : stream_(stream) {
  if (!stream_) throw EInvalidStream();
}

int64_t TzkWriteOnlyFilter::Read(void*, int64_t) { throw EReadError(); }

}  // namespace sarvane::pdf
