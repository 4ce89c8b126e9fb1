#include "platform/FileData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sarvane {

int OpenRegularFile(const std::string& name, size_t& size) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st{};
  int refused = 0;
  if (::fstat(fd, &st) != 0) refused = errno;
  else if (!S_ISREG(st.st_mode)) refused = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (refused != 0) {
    ::close(fd);
    errno = refused;
    return -1;
  }
  size = static_cast<size_t>(st.st_size);
  return fd;
}

bool ReadToEnd(int fd, size_t size, std::string& data) {
  data.resize(size + 1);
  size_t used = 0;
  for (;;) {
    if (used == data.size()) data.resize(data.size() * 2);
    const ssize_t n = ::read(fd, data.data() + used, data.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      data.resize(used);
      return n == 0;
    }
    used += static_cast<size_t>(n);
  }
}

bool ReadWholeFile(const std::string& name, std::string& data) {
  size_t size = 0;
  const int fd = OpenRegularFile(name, size);
  if (fd < 0) return false;
  const bool read = ReadToEnd(fd, size, data);
  const int saved = errno;
  ::close(fd);
  errno = saved;
  return read;
}

}  // namespace sarvane
