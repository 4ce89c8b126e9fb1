#pragma once
// Message texts of the security handler and the encryption settings; filled
// with Format() where they take an argument.

namespace sarvane::pdf {

inline constexpr const char* SRC4InvalidKeyLength = "RC4: Invalid key length";
inline constexpr const char* SCannotChangeEncryption = "User cannot change encryption settings";
inline constexpr const char* SInvalidFileId = "Invalid FileId.";
inline constexpr const char* SInvalidOwnerKey = "Invalid Owner Key.";
inline constexpr const char* SInvalidUserKey = "Invalid User Key.";
inline constexpr const char* SUnsupportedRevision =
    "Unsupported security handler revision %d";
inline constexpr const char* SInvalidKeyLengthEntry =
    "Invalid key length %d in encryption dictionary";
inline constexpr const char* SUnsupportedCryptFilter = "Unsupported crypt filter %s";
inline constexpr const char* SAESInvalidKeyLength = "AES: Invalid key length";
inline constexpr const char* SAESFailed = "AES: the cipher failed";
inline constexpr const char* SSHAFailed = "SHA-2: the digest failed";
inline constexpr const char* SRandomFailed = "The random generator failed";

}  // namespace sarvane::pdf
