#pragma once
// A file written under a temporary name beside its final name and renamed
// over it only when complete: a failure midway never leaves a partial file
// where a good one stood.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace sarvane {

class TReplacingFile {
 public:
  // Creates the temporary file (permissions 0666 less the umask); IsOpen
  // tells whether that worked, errno why not.
  explicit TReplacingFile(std::string target);
  // Removes the temporary file unless it was committed.
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Target() const { return target_; }
  // The temporary file's name, for a caller that reads the finished file
  // back before Commit.
  const std::string& TempName() const { return temp_; }
  int64_t Size() const { return size_; }

  bool SetMode(mode_t mode);
  // All bytes or false (errno set).
  bool Write(const void* data, size_t size);
  // Closes the file, flushed to disk first when sync is set, and renames it
  // over the target. False (errno set) leaves the target untouched.
  bool Commit(bool sync);

 private:
  std::string target_;
  std::string temp_;
  int fd_ = -1;
  int64_t size_ = 0;
  bool committed_ = false;
};

}  // namespace sarvane
