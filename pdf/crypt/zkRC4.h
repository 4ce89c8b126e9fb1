#pragma once
// RC4 stream cipher: key schedule over a key of 1 to 256 bytes, then the
// keystream XORed over the data in place.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sarvane::pdf {

class TzkRC4 {
 public:
  // Raises Exception "RC4: Invalid key length" outside 1..256 bytes.
  TzkRC4(const void* key, size_t keyLength);
  explicit TzkRC4(std::string_view key) : TzkRC4(key.data(), key.size()) {}

  // Continues the keystream over the data (encryption and decryption are the same).
  void Crypt(void* data, size_t size);
  void Crypt(std::string& data) { Crypt(data.data(), data.size()); }

  // Fresh key schedule, one pass over the data.
  static void Crypt(std::string_view key, std::string& data) {
    TzkRC4 rc4(key);
    rc4.Crypt(data);
  }

 private:
  uint8_t s_[256];
  uint8_t i_ = 0;
  uint8_t j_ = 0;
};

}  // namespace sarvane::pdf
