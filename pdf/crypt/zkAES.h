#pragma once
// AES for the security handler, through OpenSSL's libcrypto: CBC with the
// IV in front of the data and PKCS#7 padding (what strings and streams carry),
// raw CBC and ECB blocks (what the key algorithms of the AES-256 handler
// use), and random bytes from the cryptographic generator for keys, salts
// and IVs. Keys are 16 or 32 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace sarvane::pdf {

inline constexpr size_t kAESBlockSize = 16;

// IV ‖ CBC(data with PKCS#7 padding): the output is 16 to 32 bytes longer.
std::string AESEncryptWithIV(std::string_view key, std::string_view iv, std::string_view data);

// The inverse of AESEncryptWithIV, tolerant as the widely used readers are:
// data shorter than one block gives nothing, a trailing part block is
// dropped, and padding that is not valid PKCS#7 is left in place.
std::string AESDecryptWithIV(std::string_view key, std::string_view data);

// CBC without padding; the data length must be a multiple of 16.
std::string AESCBCNoPadding(bool encrypt, std::string_view key, std::string_view iv,
                            std::string_view data);

// One 16-byte block in ECB mode.
std::string AESECBBlock(bool encrypt, std::string_view key, std::string_view block);

// Bytes from the cryptographic random generator.
std::string CryptoRandomBytes(size_t count);

}  // namespace sarvane::pdf
