#include "platform/FileBytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/FileData.h"

namespace sarvane {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
// Smaller files are read into an ordinary string.
constexpr size_t kLargeFile = size_t{1} << 20;

struct FileDescriptor {
  int Fd;
  ~FileDescriptor() {
    if (Fd >= 0) ::close(Fd);
  }
};
}  // namespace

FileBytes::~FileBytes() {
  if (mapping_) ::munmap(mapping_, mappingSize_);
}

bool FileBytes::ReadLarge(int fd, size_t size) {
  // One byte more than the size, to see a file that grew; aligned to a huge
  // page so that the kernel can back the buffer with them.
  const size_t capacity = size + 1;
  mappingSize_ = (capacity + kHugePage - 1) / kHugePage * kHugePage + kHugePage;
  void* mapping = ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return false;
  mapping_ = mapping;
  const auto aligned = (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  char* buffer = reinterpret_cast<char*>(aligned);
  (void)::madvise(buffer, mappingSize_ - (aligned - reinterpret_cast<uintptr_t>(mapping)), MADV_HUGEPAGE);

  size_t used = 0;
  while (used < capacity) {
    const ssize_t n = ::read(fd, buffer + used, capacity - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  if (used == capacity) {
    errno = 0;
    return false;
  }
  data_ = buffer;
  size_ = used;
  return true;
}

std::shared_ptr<const FileBytes> FileBytes::Read(const std::string& name) {
  size_t size = 0;
  const FileDescriptor file{OpenRegularFile(name, size)};
  if (file.Fd < 0) return nullptr;
  std::shared_ptr<FileBytes> bytes(new FileBytes());
  if (size >= kLargeFile) {
    if (bytes->ReadLarge(file.Fd, size)) return bytes;
    if (errno != 0) return nullptr;
    // The file grew while it was read: read it again the ordinary way.
    ::munmap(bytes->mapping_, bytes->mappingSize_);
    bytes->mapping_ = nullptr;
    if (::lseek(file.Fd, 0, SEEK_SET) != 0) return nullptr;
  }
  if (!ReadToEnd(file.Fd, size, bytes->small_)) return nullptr;
  return bytes;
}

}  // namespace sarvane
