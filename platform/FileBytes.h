#pragma once
// The bytes of a whole file held in memory of their own, shared by whoever
// reads them (the parser, and the stream data it lends out). A private
// copy: the file may change or shrink afterwards without harm, which a
// mapping of the file itself would not survive.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sarvane {

class FileBytes {
 public:
  // The bytes of the regular file name; nullptr (errno set) when it is
  // missing, not a regular file or cannot be read.
  static std::shared_ptr<const FileBytes> Read(const std::string& name);

  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  std::string_view View() const { return mapping_ ? std::string_view(data_, size_) : std::string_view(small_); }

 private:
  FileBytes() = default;
  // Reads a large file into memory backed by huge pages where the system
  // offers them: faulting in a big buffer page by page cost more than
  // reading the file. False with errno set; false with errno 0 when the
  // file grew while it was read.
  bool ReadLarge(int fd, size_t size);

  std::string small_;
  void* mapping_ = nullptr;
  size_t mappingSize_ = 0;
  const char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace sarvane
