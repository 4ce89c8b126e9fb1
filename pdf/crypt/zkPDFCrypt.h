#pragma once
// Encryption settings, reader permissions and the password-based standard
// security handler: RC4 with MD5 key derivation (revisions 2 and 3), crypt
// filters with RC4 or AES-128 (revision 4, read only) and AES-256 with the
// SHA-2 key algorithms (revisions 5 and 6 read, 6 written).
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sarvane::pdf {

class TzkPDFObject;
class TzkPDFDictObject;
class TzkPDFArrayObject;
struct TzkPDFTrailer;

// el256bitAES is revision 6 (AES-256, PDF 2.0); the other two are RC4.
enum TzkPDFEncryptionLevel : uint8_t { el40bit, el128bit, el256bitAES };

// What a crypt filter does to the bytes of a string or stream.
enum TzkPDFCryptMethod : uint8_t { cmIdentity, cmRC4, cmAESV2, cmAESV3 };

// The order fixes the bit of each permission in the one-byte set.
enum TzkUserPermissionsType : uint8_t {
  AllowCopy,
  AllowModify,
  AllowPrint,
  AllowAnnotation,
  AllowFormFill,
  AllowAccessibility,
  AllowDocAssembly,
  AllowHighResPrint,
};

// A set of TzkUserPermissionsType held in one byte: bit k is the k-th value.
class TzkUserPermissions {
 public:
  constexpr TzkUserPermissions() = default;
  constexpr TzkUserPermissions(std::initializer_list<TzkUserPermissionsType> items) {
    for (auto t : items) Include(t);
  }
  static constexpr TzkUserPermissions FromByte(uint8_t bits) {
    TzkUserPermissions p;
    p.bits_ = bits;
    return p;
  }
  static constexpr TzkUserPermissions All() { return FromByte(0xFF); }

  constexpr uint8_t Byte() const { return bits_; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr bool Contains(TzkUserPermissionsType t) const { return (bits_ >> t) & 1; }
  constexpr void Include(TzkUserPermissionsType t) { bits_ = uint8_t(bits_ | (1u << t)); }
  constexpr void Exclude(TzkUserPermissionsType t) { bits_ = uint8_t(bits_ & ~(1u << t)); }

  friend constexpr TzkUserPermissions operator+(TzkUserPermissions s, TzkUserPermissionsType t) {
    s.Include(t);
    return s;
  }
  friend constexpr TzkUserPermissions operator-(TzkUserPermissions s, TzkUserPermissionsType t) {
    s.Exclude(t);
    return s;
  }
  friend constexpr bool operator==(TzkUserPermissions, TzkUserPermissions) = default;

 private:
  uint8_t bits_ = 0;
};

// What a program sets to have a document written encrypted, and what opening
// an encrypted document fills in. Opening with the user password only locks it.
class TzkPDFEncryptionSettings {
 public:
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  TzkPDFEncryptionLevel Level() const { return level_; }
  void SetLevel(TzkPDFEncryptionLevel value);
  // Empty while the settings are locked: a user-rights reader must not learn
  // the owner password.
  std::string OwnerPassword() const;
  void SetOwnerPassword(std::string value);
  const std::string& UserPassword() const { return userPassword_; }
  void SetUserPassword(std::string value);
  TzkUserPermissions UserPermissions() const { return userPermissions_; }
  void SetUserPermissions(TzkUserPermissions value);

  // Not published: the library's own access.
  bool ChangeAllowed() const { return changeAllowed_; }
  // Locks every setter for good; a new settings object is changeable again.
  void DisallowChange() { changeAllowed_ = false; }
  // The owner password as stored, also while locked. The writer needs it: a
  // document opened with its user password must be written with the random
  // owner password, not with one equal to the user password.
  const std::string& StoredOwnerPassword() const { return ownerPassword_; }

 private:
  void CheckChangeAllowed() const;

  bool changeAllowed_ = true;
  bool enabled_ = false;
  TzkPDFEncryptionLevel level_ = el128bit;
  std::string ownerPassword_;
  std::string userPassword_;
  TzkUserPermissions userPermissions_ = TzkUserPermissions::All();
};

// The 32-byte password padding of the standard security handler.
inline constexpr std::string_view kPasswordPadding(
    "\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56\xFF\xFA\x01\x08"
    "\x2E\x2E\x00\xB6\xD0\x68\x3E\x80\x2F\x0C\xA9\xFE\x64\x53\x69\x7A",
    32);

// State and algorithms shared by the writing and the reading side.
class TzkBasePDFCrypt {
 public:
  TzkBasePDFCrypt();
  virtual ~TzkBasePDFCrypt() = default;

  TzkPDFEncryptionLevel Level() const { return level_; }
  // Security handler revision: 2 (40-bit key), 3, 4 (crypt filters), 5 or 6 (AES-256).
  int Revision() const { return revision_; }
  // Length n of the file key in bytes (5 to 16; 32 for revisions 5 and 6).
  size_t KeyLength() const { return keyLength_; }
  const std::string& FileID() const { return fileId_; }
  // 32 bytes up to revision 4, 48 from revision 5 on.
  const std::string& O() const { return o_; }
  const std::string& U() const { return u_; }
  // Revisions 5 and 6: the file key encrypted under the owner and the user password (32 bytes each).
  const std::string& OE() const { return oe_; }
  const std::string& UE() const { return ue_; }
  // Revisions 5 and 6: the permissions encrypted under the file key (16 bytes).
  const std::string& Perms() const { return perms_; }
  // The file key: its first KeyLength() bytes.
  std::string Key() const { return key_.substr(0, keyLength_); }
  TzkUserPermissions Permissions() const { return permissions_; }
  TzkPDFCryptMethod StringMethod() const { return stringMethod_; }
  TzkPDFCryptMethod StreamMethod() const { return streamMethod_; }
  // Whether the document's metadata stream is encrypted (revision 4 on may leave it plain).
  bool EncryptMetadata() const { return encryptMetadata_; }
  // "RC4-40", "RC4-128", "AES-128", "AES-256" (or "none"): the method of the
  // streams, else of the strings.
  std::string MethodName() const;

  // First 32 bytes of the password, completed with the padding.
  static std::string PadPassword(std::string_view password);
  // /P as a signed 32-bit value for the level and the permissions held.
  static int32_t ComputeP(TzkPDFEncryptionLevel level, TzkUserPermissions permissions);
  // The permissions whose bits are set in P; the four of revision 3 only
  // when `extended`, otherwise they are all granted.
  static TzkUserPermissions PermissionsFromP(uint32_t p, bool extended);
  // O from the padded owner and padded user password.
  static std::string ComputeO(std::string_view paddedOwner, std::string_view paddedUser,
                              int revision, size_t keyLength);
  // The file key (keyLength bytes). Revision 4 with plain metadata hashes
  // four more bytes FF.
  static std::string ComputeFileKey(std::string_view paddedUser, std::string_view o, uint32_t p,
                                    std::string_view fileId, int revision, size_t keyLength,
                                    bool encryptMetadata = true);
  // U (32 bytes) from the file key.
  static std::string ComputeU(std::string_view key, std::string_view fileId, int revision);
  // The password hash of revisions 5 (one SHA-256) and 6 (the iterated
  // SHA-2/AES hash of PDF 2.0): 32 bytes from the UTF-8 password, an 8-byte
  // salt and, for the owner, the 48 bytes of U.
  static std::string PasswordHash(int revision, std::string_view password, std::string_view salt,
                                  std::string_view userKey);
  // The MD5 input of an object key: key, three low bytes of the number and two
  // low bytes of the generation, least significant first.
  static std::string ObjectKeyInput(std::string_view key, int32_t objectNumber,
                                    int32_t generation);
  // The RC4 key for one object: min(n + 5, 16) bytes.
  static std::string ObjectKey(std::string_view key, int32_t objectNumber, int32_t generation);

 protected:
  // RC4 with the object key over the data, in place.
  void CryptData(void* data, size_t size, int32_t objectNumber, int32_t generation) const;
  // Encrypts (with a fresh random IV for AES) or decrypts by the method; AES
  // changes the length.
  void CryptWith(TzkPDFCryptMethod method, std::string& bytes, int32_t objectNumber, int32_t generation,
                 bool encrypt) const;
  void SetRevisionAndKeyLength(int revision, size_t keyLength);

  TzkPDFEncryptionLevel level_ = el128bit;
  int revision_ = 3;
  size_t keyLength_ = 16;
  std::string fileId_;
  std::string o_;
  std::string u_;
  std::string oe_;
  std::string ue_;
  std::string perms_;
  std::string key_;
  TzkUserPermissions permissions_ = TzkUserPermissions::All();
  TzkPDFCryptMethod stringMethod_ = cmRC4;
  TzkPDFCryptMethod streamMethod_ = cmRC4;
  bool encryptMetadata_ = true;
};

// Writing side: derives everything once at creation and is immutable after.
class TzkPDFEncryption : public TzkBasePDFCrypt {
 public:
  // The file identifier is MD5 of the seed name's bytes and the seed date's bytes.
  TzkPDFEncryption(std::string_view seedName, const TzkPDFEncryptionSettings& settings,
                   std::string_view seedDate);
  // With a given file identifier (as read from a file's /ID).
  TzkPDFEncryption(const TzkPDFEncryptionSettings& settings, std::string fileIdentifier);

  int32_t P() const { return p_; }
  const std::string& OwnerPassword() const { return ownerPassword_; }
  const std::string& UserPassword() const { return userPassword_; }
  const std::string& PaddedOwner() const { return paddedOwner_; }
  const std::string& PaddedUser() const { return paddedUser_; }

  // False for AES: the IV and the padding make the output longer.
  bool PreservesLength() const { return streamMethod_ == cmRC4; }
  // Encrypts with the key of the object (generation 0).
  void Encrypt(std::string& bytes, int32_t objectNumber) const {
    CryptWith(streamMethod_, bytes, objectNumber, 0, true);
  }
  // In place; only when PreservesLength().
  void Encrypt(void* data, size_t size, int32_t objectNumber) const {
    CryptData(data, size, objectNumber, 0);
  }
  std::string Encrypted(std::string_view data, int32_t objectNumber) const {
    std::string out(data);
    Encrypt(out, objectNumber);
    return out;
  }

  // A new encryption dictionary (/Filter /Standard, /O, /U, /P, /V, /R,
  // /Length in this order; for AES-256 then /CF, /StmF, /StrF, /OE, /UE,
  // /Perms). Replaces the trailer's /ID by CreateFileIDArray().
  std::unique_ptr<TzkPDFDictObject> CreateEncryptionDictionary(TzkPDFTrailer& trailer) const;
  std::unique_ptr<TzkPDFDictObject> CreateEncryptionDictionary() const;
  // Two equal hexadecimal strings holding the file identifier.
  std::unique_ptr<TzkPDFArrayObject> CreateFileIDArray() const;
  // The catalog's /Extensions value that declares AES-256 to readers of a
  // file whose header is below 2.0; nullptr for RC4.
  std::unique_ptr<TzkPDFDictObject> CreateExtensionsDictionary() const;

 private:
  void Derive(const TzkPDFEncryptionSettings& settings);
  void DeriveAES256();

  int32_t p_ = 0;
  std::string ownerPassword_;
  std::string userPassword_;
  std::string paddedOwner_;
  std::string paddedUser_;
};

// Reading side: checks passwords against a loaded file's O and U, keeps the
// file key found and decrypts strings and streams while they are parsed.
class TzkPDFDecrypt : public TzkBasePDFCrypt {
 public:
  TzkPDFDecrypt() = default;

  // The first /ID element's bytes, whatever their length (empty without /ID).
  void SetFileID(std::string bytes) { fileId_ = std::move(bytes); }
  // Fill O or U from their start; only 32 bytes fit (48 from revision 5
  // on, so set the revision first), missing ones stay 0.
  void SetO(std::string_view bytes);
  void SetU(std::string_view bytes);
  // /P reduced modulo 2^32: -3904 and 4294963392 are the same value.
  void SetP(int64_t value) { p_ = uint32_t(uint64_t(value)); }
  uint32_t P() const { return p_; }
  // The four bytes of P as hashed, least significant first.
  std::string PBytes() const;
  // Revision 2 always uses a 5-byte key; revisions 3 and 4 a key of
  // keyLengthBits / 8 bytes (40 to 128 bits in steps of 8); revisions 5 and 6
  // a 32-byte key. Other values raise Exception. Revision 4 and on start with
  // AES for strings and streams; the crypt filters may say otherwise.
  void SetRevision(int revision, int keyLengthBits);
  // Shorthand: el40bit is revision 2, el128bit revision 3 with 128 bits,
  // el256bitAES revision 6.
  void SetLevel(TzkPDFEncryptionLevel level);

  // Takes /O, /U, /P, /R, /Length, the crypt filters (/CF, /StmF, /StrF),
  // /EncryptMetadata, /OE, /UE and /Perms from the (resolved) encryption
  // dictionary and the file identifier from the first element of the
  // trailer's /ID (null or empty: no identifier). The check algorithm follows
  // /R and the key length /Length (40 when absent, 128 for revision 4);
  // without /R a /Length of 40 means revision 2 and any other revision 3.
  // Raises Exception ("Invalid FileId.", "Invalid Owner Key.", "Invalid User
  // Key.", unsupported revision, key length or crypt filter) or
  // EInvalidPermission.
  void ReadEncryptionDictionary(const TzkPDFDictObject& encrypt,
                                const TzkPDFArrayObject* identifier);

  // On success sets the owner flag and the file key; `userPassword`, when
  // given, receives the user password recovered from O (revisions 2 to 4;
  // from revision 5 on it cannot be recovered and is left empty).
  bool CheckOwnerPassword(std::string_view password, std::string* userPassword = nullptr);
  // On success sets the file key and removes the permissions P denies.
  bool CheckUserPassword(std::string_view password);
  bool IsOwner() const { return owner_; }
  // Revisions 5 and 6, after a successful check: whether /Perms decrypts to
  // the /P and /EncryptMetadata of the dictionary. A mismatch means the
  // dictionary was altered; readers warn and go on.
  bool PermsMatch() const;

  // The parser's hook for strings: decrypts in place by the string method.
  void Decrypt(std::string& bytes, int32_t objectNumber, int32_t generation) const {
    CryptWith(stringMethod_, bytes, objectNumber, generation, false);
  }
  // The hook for stream data. The stream dictionary decides: a cross-reference
  // stream is never encrypted, metadata only when EncryptMetadata(), and a
  // /Crypt filter first in /Filter names the crypt filter to use; that filter
  // is taken out of the dictionary, as the data it describes is now plain.
  void DecryptStream(std::string& bytes, int32_t objectNumber, int32_t generation,
                     TzkPDFDictObject* dict) const;
  // The method a crypt filter name stands for; unknown names give the stream method.
  TzkPDFCryptMethod MethodOfFilter(std::string_view name) const;

 private:
  // The user check without side effects; the key it derives goes to `key`.
  bool UserKeyMatches(std::string_view password, std::string& key) const;
  // Revisions 5 and 6.
  bool CheckAES256(std::string_view password, bool owner);

  uint32_t p_ = 0;
  bool owner_ = false;
  // The /CF entries: name and method.
  std::vector<std::pair<std::string, TzkPDFCryptMethod>> filters_;
};

}  // namespace sarvane::pdf
