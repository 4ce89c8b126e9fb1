#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Paths.h"
#include "platform/Random.h"

namespace sarvane {

TReplacingFile::TReplacingFile(std::string target) : target_(std::move(target)) {
  // A short name of its own, not the target's name lengthened: a target
  // whose name already takes most of the 255 bytes a name may have must
  // still be writable.
  const std::string dir = ExtractFileDir(target_);
  const std::string prefix = (dir.empty() ? std::string() : IncludeTrailingPathDelimiter(dir)) + ".sarvane-";
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x.tmp", static_cast<unsigned>(Random(0x7FFFFFFF)));
    temp_ = prefix + suffix;
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
}

TReplacingFile::~TReplacingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

bool TReplacingFile::SetMode(mode_t mode) { return fd_ >= 0 && ::fchmod(fd_, mode) == 0; }

bool TReplacingFile::Write(const void* data, size_t size) {
  if (fd_ < 0) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
    size_ += n;
  }
  return true;
}

bool TReplacingFile::Commit(bool sync) {
  if (fd_ < 0) return false;
  bool ok = !sync || ::fsync(fd_) == 0;
  const int saved = errno;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) ok = false;
  else if (!ok) errno = saved;
  if (ok && ::rename(temp_.c_str(), target_.c_str()) != 0) ok = false;
  committed_ = ok;
  return ok;
}

}  // namespace sarvane
