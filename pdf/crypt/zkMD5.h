#pragma once
// MD5 message digest (RFC 1321), fed incrementally.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sarvane::pdf {

using TzkMD5Digest = std::array<uint8_t, 16>;

class TzkMD5 {
 public:
  TzkMD5() { Init(); }

  // Starts a new digest; the object can be reused after Final().
  void Init();
  void Update(const void* data, size_t size);
  void Update(std::string_view data) { Update(data.data(), data.size()); }
  // Finishes the digest and leaves the object ready for a new one.
  TzkMD5Digest Final();

  // One-shot digest of a byte run.
  static TzkMD5Digest Digest(std::string_view data);

 private:
  void Transform(const uint8_t* block);

  uint32_t state_[4];
  uint64_t length_ = 0;  // bytes fed so far
  uint8_t buffer_[64];
  size_t buffered_ = 0;
};

// The digest as a 16-byte string.
inline std::string DigestBytes(const TzkMD5Digest& d) {
  return std::string(reinterpret_cast<const char*>(d.data()), d.size());
}

}  // namespace sarvane::pdf
