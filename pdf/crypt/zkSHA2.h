#pragma once
// SHA-256, SHA-384 and SHA-512 through OpenSSL's libcrypto, over one or more
// byte runs joined in order (the key algorithms of the AES-256 handler hash
// a password, a salt and part of U as one message).
#include <initializer_list>
#include <string>
#include <string_view>

namespace sarvane::pdf {

// Bits: 256, 384 or 512; the digest has bits / 8 bytes.
std::string SHA2(int bits, std::initializer_list<std::string_view> runs);
inline std::string SHA256(std::initializer_list<std::string_view> runs) { return SHA2(256, runs); }

}  // namespace sarvane::pdf
