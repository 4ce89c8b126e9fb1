#include "pdf/crypt/zkPDFCrypt.h"

#include <algorithm>
#include <cstring>

#include "pdf/crypt/zkAES.h"
#include "pdf/crypt/zkCryptResStrings.h"
#include "pdf/crypt/zkMD5.h"
#include "pdf/crypt/zkPDFPassword.h"
#include "pdf/crypt/zkSHA2.h"
#include "pdf/crypt/zkRC4.h"
#include "pdf/objects/zkPDFObjects.h"
#include "pdf/objects/zkPDFXRef.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

// ---------------------------------------------------------------------------
// Settings

void TzkPDFEncryptionSettings::CheckChangeAllowed() const {
  if (!changeAllowed_) throw Exception(SCannotChangeEncryption);
}

void TzkPDFEncryptionSettings::SetEnabled(bool value) {
  CheckChangeAllowed();
  enabled_ = value;
}

void TzkPDFEncryptionSettings::SetLevel(TzkPDFEncryptionLevel value) {
  CheckChangeAllowed();
  level_ = value;
}

std::string TzkPDFEncryptionSettings::OwnerPassword() const {
  return changeAllowed_ ? ownerPassword_ : std::string();
}

void TzkPDFEncryptionSettings::SetOwnerPassword(std::string value) {
  CheckChangeAllowed();
  ownerPassword_ = std::move(value);
}

void TzkPDFEncryptionSettings::SetUserPassword(std::string value) {
  CheckChangeAllowed();
  userPassword_ = std::move(value);
}

void TzkPDFEncryptionSettings::SetUserPermissions(TzkUserPermissions value) {
  CheckChangeAllowed();
  userPermissions_ = value;
}

// ---------------------------------------------------------------------------
// Shared algorithms

namespace {

constexpr size_t kMaxKeyLength = 32;

std::string Digest(TzkMD5& md5) { return DigestBytes(md5.Final()); }

// Revision 3 strengthening: 50 more rounds over the first n bytes.
void Rehash50(std::string& h, size_t n) {
  TzkMD5 md5;
  for (int round = 0; round < 50; ++round) {
    md5.Update(h.data(), n);
    h = Digest(md5);
  }
}

// The revision 3 loop: RC4 passes with the key XORed by i, i running up
// (encrypting) or down (decrypting).
void Rc4Passes(std::string_view key, std::string& data, bool down) {
  std::string k(key);
  for (int step = 0; step < 20; ++step) {
    const int i = down ? 19 - step : step;
    for (size_t j = 0; j < key.size(); ++j) k[j] = char(uint8_t(key[j]) ^ uint8_t(i));
    TzkRC4::Crypt(k, data);
  }
}

std::string LE32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = char(uint8_t(v >> (8 * i)));
  return s;
}

}  // namespace

TzkBasePDFCrypt::TzkBasePDFCrypt() : o_(32, '\0'), u_(32, '\0'), key_(kMaxKeyLength, '\0') {}

std::string TzkBasePDFCrypt::PadPassword(std::string_view password) {
  const size_t take = std::min<size_t>(password.size(), 32);
  std::string padded(password.substr(0, take));
  padded.append(kPasswordPadding.substr(0, 32 - take));
  return padded;
}

int32_t TzkBasePDFCrypt::ComputeP(TzkPDFEncryptionLevel level, TzkUserPermissions permissions) {
  const bool extended = level != el40bit;
  uint32_t p = extended ? 0xFFFFF0C0u : 0xFFFFFFC0u;
  if (permissions.Contains(AllowPrint)) p |= 4;
  if (permissions.Contains(AllowModify)) p |= 8;
  if (permissions.Contains(AllowCopy)) p |= 16;
  if (permissions.Contains(AllowAnnotation)) p |= 32;
  if (extended) {
    if (permissions.Contains(AllowFormFill)) p |= 256;
    if (permissions.Contains(AllowAccessibility)) p |= 512;
    if (permissions.Contains(AllowDocAssembly)) p |= 1024;
    // High-quality printing means nothing to a reader that may not print.
    if (permissions.Contains(AllowHighResPrint) && permissions.Contains(AllowPrint)) p |= 2048;
  }
  return int32_t(p);
}

TzkUserPermissions TzkBasePDFCrypt::PermissionsFromP(uint32_t p, bool extended) {
  TzkUserPermissions set = TzkUserPermissions::All();
  struct Bit {
    uint32_t value;
    TzkUserPermissionsType permission;
    bool extendedOnly;
  };
  static constexpr Bit kBits[] = {
      {4, AllowPrint, false},          {8, AllowModify, false},
      {16, AllowCopy, false},          {32, AllowAnnotation, false},
      {256, AllowFormFill, true},      {512, AllowAccessibility, true},
      {1024, AllowDocAssembly, true},  {2048, AllowHighResPrint, true},
  };
  for (const Bit& b : kBits) {
    if (b.extendedOnly && !extended) continue;
    if ((p & b.value) == 0) set.Exclude(b.permission);
  }
  return set;
}

std::string TzkBasePDFCrypt::ComputeO(std::string_view paddedOwner, std::string_view paddedUser,
                                      int revision, size_t keyLength) {
  std::string h = DigestBytes(TzkMD5::Digest(paddedOwner));
  std::string o(paddedUser);
  if (revision >= 3) {
    Rehash50(h, keyLength);
    Rc4Passes(std::string_view(h).substr(0, keyLength), o, false);
  } else {
    TzkRC4::Crypt(std::string_view(h).substr(0, 5), o);
  }
  return o;
}

std::string TzkBasePDFCrypt::ComputeFileKey(std::string_view paddedUser, std::string_view o,
                                            uint32_t p, std::string_view fileId, int revision,
                                            size_t keyLength, bool encryptMetadata) {
  TzkMD5 md5;
  md5.Update(paddedUser);
  md5.Update(o.substr(0, 32));
  md5.Update(LE32(p));
  md5.Update(fileId);
  if (revision >= 4 && !encryptMetadata) md5.Update(LE32(0xFFFFFFFFu));
  std::string h = Digest(md5);
  if (revision >= 3) Rehash50(h, keyLength);
  h.resize(keyLength);
  return h;
}

std::string TzkBasePDFCrypt::ComputeU(std::string_view key, std::string_view fileId,
                                      int revision) {
  if (revision >= 3) {
    TzkMD5 md5;
    md5.Update(kPasswordPadding);
    md5.Update(fileId);
    std::string u = Digest(md5);
    Rc4Passes(key, u, false);
    u.resize(32, '\0');
    return u;
  }
  std::string u(kPasswordPadding);
  TzkRC4::Crypt(key, u);
  return u;
}

std::string TzkBasePDFCrypt::ObjectKeyInput(std::string_view key, int32_t objectNumber,
                                            int32_t generation) {
  std::string in(key);
  const uint32_t n = uint32_t(objectNumber), g = uint32_t(generation);
  in.push_back(char(uint8_t(n)));
  in.push_back(char(uint8_t(n >> 8)));
  in.push_back(char(uint8_t(n >> 16)));
  in.push_back(char(uint8_t(g)));
  in.push_back(char(uint8_t(g >> 8)));
  return in;
}

std::string TzkBasePDFCrypt::ObjectKey(std::string_view key, int32_t objectNumber,
                                       int32_t generation) {
  std::string h = DigestBytes(TzkMD5::Digest(ObjectKeyInput(key, objectNumber, generation)));
  h.resize(std::min<size_t>(key.size() + 5, 16));
  return h;
}

void TzkBasePDFCrypt::CryptData(void* data, size_t size, int32_t objectNumber,
                                int32_t generation) const {
  if (size == 0) return;
  // Built on the stack: this runs for every string and stream of a file.
  uint8_t in[kMaxKeyLength + 5];
  std::memcpy(in, key_.data(), keyLength_);
  const uint32_t n = uint32_t(objectNumber), g = uint32_t(generation);
  in[keyLength_] = uint8_t(n);
  in[keyLength_ + 1] = uint8_t(n >> 8);
  in[keyLength_ + 2] = uint8_t(n >> 16);
  in[keyLength_ + 3] = uint8_t(g);
  in[keyLength_ + 4] = uint8_t(g >> 8);
  TzkMD5 md5;
  md5.Update(in, keyLength_ + 5);
  const TzkMD5Digest h = md5.Final();
  TzkRC4 rc4(h.data(), std::min<size_t>(keyLength_ + 5, 16));
  rc4.Crypt(data, size);
}

void TzkBasePDFCrypt::SetRevisionAndKeyLength(int revision, size_t keyLength) {
  revision_ = revision;
  keyLength_ = keyLength;
  level_ = revision >= 5 ? el256bitAES : keyLength == 5 ? el40bit : el128bit;
  const TzkPDFCryptMethod method = revision >= 5 ? cmAESV3 : revision == 4 ? cmAESV2 : cmRC4;
  stringMethod_ = method;
  streamMethod_ = method;
}

std::string TzkBasePDFCrypt::MethodName() const {
  const TzkPDFCryptMethod method = streamMethod_ != cmIdentity ? streamMethod_ : stringMethod_;
  switch (method) {
    case cmRC4:
      return "RC4-" + std::to_string(keyLength_ * 8);
    case cmAESV2:
      return "AES-128";
    case cmAESV3:
      return "AES-256";
    case cmIdentity:
      break;
  }
  return "none";
}

void TzkBasePDFCrypt::CryptWith(TzkPDFCryptMethod method, std::string& bytes, int32_t objectNumber,
                                int32_t generation, bool encrypt) const {
  std::string objectKey;
  switch (method) {
    case cmIdentity:
      return;
    case cmRC4:
      CryptData(bytes.data(), bytes.size(), objectNumber, generation);
      return;
    case cmAESV2: {
      // The RC4 object key input with "sAlT" appended: never the same key as RC4's.
      std::string in = ObjectKeyInput(Key(), objectNumber, generation);
      in += "sAlT";
      objectKey = DigestBytes(TzkMD5::Digest(in));
      break;
    }
    case cmAESV3:
      objectKey = key_.substr(0, 32);
      break;
  }
  bytes = encrypt ? AESEncryptWithIV(objectKey, CryptoRandomBytes(kAESBlockSize), bytes)
                  : AESDecryptWithIV(objectKey, bytes);
}

std::string TzkBasePDFCrypt::PasswordHash(int revision, std::string_view password, std::string_view salt,
                                          std::string_view userKey) {
  std::string k = SHA256({password, salt, userKey});
  if (revision < 6) return k;
  std::string k1;
  std::string e;
  // At least 64 rounds, then on until the last byte of E is small enough:
  // the work per password test is what makes guessing expensive.
  for (int round = 1;; ++round) {
    k1.clear();
    k1.reserve(64 * (password.size() + k.size() + userKey.size()));
    for (int i = 0; i < 64; ++i) {
      k1 += password;
      k1 += k;
      k1 += userKey;
    }
    const std::string_view kv(k);
    e = AESCBCNoPadding(true, kv.substr(0, 16), kv.substr(16, 16), k1);
    unsigned sum = 0;
    for (size_t i = 0; i < 16; ++i) sum += uint8_t(e[i]);
    k = SHA2(256 + 128 * int(sum % 3), {e});
    if (round >= 64 && int(uint8_t(e.back())) <= round - 32) break;
  }
  k.resize(32);
  return k;
}

// ---------------------------------------------------------------------------
// Writing side

TzkPDFEncryption::TzkPDFEncryption(std::string_view seedName,
                                   const TzkPDFEncryptionSettings& settings,
                                   std::string_view seedDate) {
  TzkMD5 md5;
  md5.Update(seedName);
  md5.Update(seedDate);
  fileId_ = Digest(md5);
  Derive(settings);
}

TzkPDFEncryption::TzkPDFEncryption(const TzkPDFEncryptionSettings& settings,
                                   std::string fileIdentifier) {
  fileId_ = std::move(fileIdentifier);
  Derive(settings);
}

void TzkPDFEncryption::Derive(const TzkPDFEncryptionSettings& settings) {
  ownerPassword_ = settings.StoredOwnerPassword();
  userPassword_ = settings.UserPassword();
  level_ = settings.Level();
  permissions_ = settings.UserPermissions();
  if (level_ == el256bitAES) {
    SetRevisionAndKeyLength(6, 32);
    p_ = ComputeP(level_, permissions_);
    DeriveAES256();
    return;
  }
  if (level_ == el40bit)
    SetRevisionAndKeyLength(2, 5);
  else
    SetRevisionAndKeyLength(3, 16);

  paddedOwner_ = PadPassword(ownerPassword_.empty() ? userPassword_ : ownerPassword_);
  paddedUser_ = PadPassword(userPassword_);
  o_ = ComputeO(paddedOwner_, paddedUser_, revision_, keyLength_);
  p_ = ComputeP(level_, permissions_);
  key_ = ComputeFileKey(paddedUser_, o_, uint32_t(p_), fileId_, revision_, keyLength_);
  u_ = ComputeU(key_, fileId_, revision_);
  key_.resize(16, '\0');
}

void TzkPDFEncryption::DeriveAES256() {
  // An empty owner password stands for the user password, as at the RC4 levels.
  const std::string user = AESPasswordForWriting(userPassword_);
  const std::string owner = AESPasswordForWriting(ownerPassword_.empty() ? userPassword_ : ownerPassword_);
  const std::string zeroIV(kAESBlockSize, '\0');
  key_ = CryptoRandomBytes(32);

  // U and O: hash ‖ validation salt ‖ key salt; the owner's hashes cover U.
  std::string salts = CryptoRandomBytes(16);
  u_ = PasswordHash(6, user, std::string_view(salts).substr(0, 8), {}) + salts;
  ue_ = AESCBCNoPadding(true, PasswordHash(6, user, std::string_view(salts).substr(8, 8), {}), zeroIV, key_);
  salts = CryptoRandomBytes(16);
  o_ = PasswordHash(6, owner, std::string_view(salts).substr(0, 8), u_) + salts;
  oe_ = AESCBCNoPadding(true, PasswordHash(6, owner, std::string_view(salts).substr(8, 8), u_), zeroIV, key_);

  // P as 8 bytes (sign-extended), 'T' for encrypted metadata, "adb", 4 random bytes.
  std::string perms = LE32(uint32_t(p_)) + LE32(0xFFFFFFFFu) + "Tadb" + CryptoRandomBytes(4);
  perms_ = AESECBBlock(true, key_, perms);
}

namespace {
std::unique_ptr<TzkPDFStringObject> HexString(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2 + 2);
  text += '<';
  text += BytesToHex(bytes);
  text += '>';
  return std::make_unique<TzkPDFStringObject>(std::move(text), true);
}
}  // namespace

std::unique_ptr<TzkPDFArrayObject> TzkPDFEncryption::CreateFileIDArray() const {
  auto id = std::make_unique<TzkPDFArrayObject>();
  id->Add(HexString(fileId_));
  id->Add(HexString(fileId_));
  return id;
}

std::unique_ptr<TzkPDFDictObject> TzkPDFEncryption::CreateEncryptionDictionary() const {
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddName("/Filter", "/Standard");
  dict->AddValue("/O", HexString(o_));
  dict->AddValue("/U", HexString(u_));
  dict->AddInteger("/P", p_);
  dict->AddInteger("/V", revision_ >= 5 ? 5 : revision_ >= 3 ? 2 : 1);
  dict->AddInteger("/R", revision_);
  dict->AddInteger("/Length", int32_t(keyLength_ * 8));
  if (revision_ >= 5) {
    auto stdCF = std::make_unique<TzkPDFDictObject>();
    stdCF->AddName("/AuthEvent", "/DocOpen");
    stdCF->AddName("/CFM", "/AESV3");
    stdCF->AddInteger("/Length", 32);
    auto cf = std::make_unique<TzkPDFDictObject>();
    cf->AddValue("/StdCF", std::move(stdCF));
    dict->AddValue("/CF", std::move(cf));
    dict->AddName("/StmF", "/StdCF");
    dict->AddName("/StrF", "/StdCF");
    dict->AddValue("/OE", HexString(oe_));
    dict->AddValue("/UE", HexString(ue_));
    dict->AddValue("/Perms", HexString(perms_));
  }
  return dict;
}

std::unique_ptr<TzkPDFDictObject> TzkPDFEncryption::CreateExtensionsDictionary() const {
  if (revision_ < 5) return nullptr;
  auto adbe = std::make_unique<TzkPDFDictObject>();
  adbe->AddName("/BaseVersion", "/1.7");
  adbe->AddInteger("/ExtensionLevel", 8);
  auto extensions = std::make_unique<TzkPDFDictObject>();
  extensions->AddValue("/ADBE", std::move(adbe));
  return extensions;
}

std::unique_ptr<TzkPDFDictObject> TzkPDFEncryption::CreateEncryptionDictionary(
    TzkPDFTrailer& trailer) const {
  auto dict = CreateEncryptionDictionary();
  trailer.Identifier = CreateFileIDArray();
  return dict;
}

// ---------------------------------------------------------------------------
// Reading side

namespace {
// The bytes a string object denotes: hexadecimal digits decoded, literal
// content as it stands.
std::string StringBytes(const TzkPDFStringObject& s) {
  return s.Bytes();
}

int IntegerOr(const TzkPDFDictObject& dict, std::string_view key, int fallback) {
  const auto* i = dict.LookupAs<TzkPDFIntegerObject>(key);
  return i ? i->Value() : fallback;
}

std::string NameOr(const TzkPDFDictObject& dict, std::string_view key, std::string_view fallback) {
  const auto* name = dict.LookupAs<TzkPDFNameObject>(key);
  return name ? name->Text() : std::string(fallback);
}

void FillTo(std::string& target, size_t size, std::string_view bytes) {
  target.assign(size, '\0');
  std::memcpy(target.data(), bytes.data(), std::min(bytes.size(), size));
}

// The bytes of a string entry; `error` when it is missing or too short.
std::string RequiredBytes(const TzkPDFDictObject& dict, std::string_view key, size_t minimum,
                          const char* error) {
  const auto* s = dict.LookupAs<TzkPDFStringObject>(key);
  if (!s) throw Exception(error);
  std::string bytes = StringBytes(*s);
  if (bytes.size() < minimum) throw Exception(error);
  return bytes;
}

TzkPDFCryptMethod MethodOfCFM(const std::string& cfm) {
  if (cfm == "/V2") return cmRC4;
  if (cfm == "/AESV2") return cmAESV2;
  if (cfm == "/AESV3") return cmAESV3;
  if (cfm == "/None") return cmIdentity;
  throw Exception(Format(SUnsupportedCryptFilter, cfm));
}

}  // namespace

void TzkPDFDecrypt::ReadEncryptionDictionary(const TzkPDFDictObject& encrypt,
                                             const TzkPDFArrayObject* identifier) {
  fileId_.clear();
  if (identifier && identifier->Count() > 0) {
    const auto* first = ObjectAs<TzkPDFStringObject>(identifier->ItemAt(0));
    if (!first) throw Exception(SInvalidFileId);
    fileId_ = StringBytes(*first);
  }

  const int v = IntegerOr(encrypt, "/V", 0);
  const int bits = IntegerOr(encrypt, "/Length", v == 4 ? 128 : v >= 5 ? 256 : 40);
  int revision = bits == 40 ? 2 : 3;
  if (const auto* r = encrypt.LookupAs<TzkPDFIntegerObject>("/R")) revision = r->Value();
  SetRevision(revision, bits);

  const size_t keySize = revision_ >= 5 ? 48 : 0;
  SetO(RequiredBytes(encrypt, "/O", keySize, SInvalidOwnerKey));
  SetU(RequiredBytes(encrypt, "/U", keySize, SInvalidUserKey));

  const std::optional<int64_t> p = IntegerOf(encrypt.Lookup("/P"));
  if (!p) throw EInvalidPermission();
  SetP(*p);

  encryptMetadata_ = true;
  if (const auto* b = encrypt.LookupAs<TzkPDFBooleanObject>("/EncryptMetadata")) encryptMetadata_ = b->Value();

  filters_.clear();
  if (v >= 4) {
    if (const auto* cf = encrypt.LookupAs<TzkPDFDictObject>("/CF")) {
      for (int32_t k = 0; k < cf->Count(); ++k) {
        const auto* entry = ObjectAs<TzkPDFDictObject>(cf->ValueAt(k));
        if (!entry) continue;
        filters_.emplace_back(cf->KeyName(k), MethodOfCFM(NameOr(*entry, "/CFM", "/None")));
      }
    }
    // Without /StmF or /StrF that kind of data is not encrypted at all.
    auto methodOf = [this](const std::string& name) {
      if (name == "/Identity") return cmIdentity;
      for (const auto& [filterName, method] : filters_)
        if (filterName == name) return method;
      throw Exception(Format(SUnsupportedCryptFilter, name));
    };
    streamMethod_ = methodOf(NameOr(encrypt, "/StmF", "/Identity"));
    stringMethod_ = methodOf(NameOr(encrypt, "/StrF", "/Identity"));
  }

  if (revision_ >= 5) {
    FillTo(oe_, 32, RequiredBytes(encrypt, "/OE", 32, SInvalidOwnerKey));
    FillTo(ue_, 32, RequiredBytes(encrypt, "/UE", 32, SInvalidUserKey));
    const auto* perms = encrypt.LookupAs<TzkPDFStringObject>("/Perms");
    perms_ = perms ? StringBytes(*perms) : std::string();
  }
}

void TzkPDFDecrypt::SetO(std::string_view bytes) { FillTo(o_, revision_ >= 5 ? 48 : 32, bytes); }
void TzkPDFDecrypt::SetU(std::string_view bytes) { FillTo(u_, revision_ >= 5 ? 48 : 32, bytes); }

std::string TzkPDFDecrypt::PBytes() const { return LE32(p_); }

void TzkPDFDecrypt::SetRevision(int revision, int keyLengthBits) {
  if (revision == 2) {
    SetRevisionAndKeyLength(2, 5);
    return;
  }
  if (revision == 5 || revision == 6) {
    SetRevisionAndKeyLength(revision, 32);
    return;
  }
  if (revision != 3 && revision != 4) throw Exception(Format(SUnsupportedRevision, revision));
  if (keyLengthBits < 40 || keyLengthBits > 128 || keyLengthBits % 8 != 0)
    throw Exception(Format(SInvalidKeyLengthEntry, keyLengthBits));
  SetRevisionAndKeyLength(revision, size_t(keyLengthBits / 8));
}

void TzkPDFDecrypt::SetLevel(TzkPDFEncryptionLevel level) {
  if (level == el40bit)
    SetRevisionAndKeyLength(2, 5);
  else if (level == el128bit)
    SetRevisionAndKeyLength(3, 16);
  else
    SetRevisionAndKeyLength(6, 32);
}

bool TzkPDFDecrypt::UserKeyMatches(std::string_view password, std::string& key) const {
  key = ComputeFileKey(PadPassword(password), o_, p_, fileId_, revision_, keyLength_, encryptMetadata_);
  if (revision_ >= 3) {
    std::string y = u_;
    Rc4Passes(key, y, true);
    TzkMD5 md5;
    md5.Update(kPasswordPadding);
    md5.Update(fileId_);
    const std::string z = Digest(md5);
    return y.compare(0, 16, z) == 0;
  }
  std::string y = u_;
  TzkRC4::Crypt(key, y);
  return y == kPasswordPadding;
}

bool TzkPDFDecrypt::CheckAES256(std::string_view password, bool owner) {
  const std::string_view o(o_), u(u_);
  const std::string_view stored = owner ? o : u;
  const std::string_view userKey = owner ? u.substr(0, 48) : std::string_view();
  for (const std::string& candidate : AESPasswordCandidates(password)) {
    if (PasswordHash(revision_, candidate, stored.substr(32, 8), userKey) != stored.substr(0, 32)) continue;
    const std::string k = PasswordHash(revision_, candidate, stored.substr(40, 8), userKey);
    key_ = AESCBCNoPadding(false, k, std::string(kAESBlockSize, '\0'), owner ? oe_ : ue_);
    return true;
  }
  return false;
}

bool TzkPDFDecrypt::PermsMatch() const {
  if (revision_ < 5 || perms_.size() < kAESBlockSize) return false;
  const std::string plain = AESECBBlock(false, Key(), perms_);
  return plain.compare(0, 4, LE32(p_)) == 0 && plain[8] == (encryptMetadata_ ? 'T' : 'F') &&
         plain.compare(9, 3, "adb") == 0;
}

bool TzkPDFDecrypt::CheckUserPassword(std::string_view password) {
  if (revision_ >= 5) {
    if (!CheckAES256(password, false)) return false;
    permissions_ = PermissionsFromP(p_, true);
    return true;
  }
  std::string key;
  if (!UserKeyMatches(password, key)) return false;
  key.resize(kMaxKeyLength, '\0');
  key_ = key;
  permissions_ = PermissionsFromP(p_, revision_ >= 3);
  return true;
}

bool TzkPDFDecrypt::CheckOwnerPassword(std::string_view password, std::string* userPassword) {
  if (revision_ >= 5) {
    if (!CheckAES256(password, true)) return false;
    owner_ = true;
    permissions_ = TzkUserPermissions::All();
    if (userPassword) userPassword->clear();
    return true;
  }
  std::string h = DigestBytes(TzkMD5::Digest(PadPassword(password)));
  std::string x = o_;
  if (revision_ >= 3) {
    Rehash50(h, keyLength_);
    Rc4Passes(std::string_view(h).substr(0, keyLength_), x, true);
  } else {
    TzkRC4::Crypt(std::string_view(h).substr(0, 5), x);
  }
  std::string key;
  if (!UserKeyMatches(x, key)) return false;
  key.resize(kMaxKeyLength, '\0');
  key_ = key;
  owner_ = true;
  permissions_ = TzkUserPermissions::All();
  if (userPassword) {
    // The shortest password that pads to x: cut where the rest of x is the
    // start of the padding. A 28 BF pair inside the password itself must not
    // cut it short, or the password handed back would not open the file.
    size_t k = 0;
    while (k < 32 && x.compare(k, 32 - k, kPasswordPadding, 0, 32 - k) != 0) ++k;
    *userPassword = x.substr(0, k);
  }
  return true;
}

TzkPDFCryptMethod TzkPDFDecrypt::MethodOfFilter(std::string_view name) const {
  if (name == "/Identity") return cmIdentity;
  for (const auto& [filterName, method] : filters_)
    if (filterName == name) return method;
  return streamMethod_;
}

namespace {

// A /Crypt filter first in /Filter: takes it (and its parameters) out of the
// dictionary, since the data is decrypted once read, and returns the crypt
// filter it names ("/Identity" when it names none). Empty when there is none.
std::string TakeCryptFilter(TzkPDFDictObject& dict) {
  TzkPDFObject* filter = dict.Lookup("/Filter");
  auto* filters = ObjectAs<TzkPDFArrayObject>(filter);
  const bool first = NameIs(filter, "/Crypt") || (filters && filters->Count() > 0 && NameIs(filters->ItemAt(0), "/Crypt"));
  if (!first) return std::string();
  TzkPDFObject* parms = dict.Lookup("/DecodeParms");
  auto* parmsArray = ObjectAs<TzkPDFArrayObject>(parms);
  const auto* own = ObjectAs<TzkPDFDictObject>(parmsArray ? (parmsArray->Count() > 0 ? parmsArray->ItemAt(0) : nullptr) : parms);
  std::string name = own ? NameOr(*own, "/Name", "/Identity") : std::string("/Identity");
  if (filters) {
    filters->Delete(0);
    if (parmsArray && parmsArray->Count() > 0) parmsArray->Delete(0);
    if (filters->Count() == 0) dict.Remove("/Filter");
    if (parmsArray && parmsArray->Count() == 0) dict.Remove("/DecodeParms");
  } else {
    dict.Remove("/Filter");
    if (parms) dict.Remove("/DecodeParms");
  }
  return name;
}
}  // namespace

void TzkPDFDecrypt::DecryptStream(std::string& bytes, int32_t objectNumber, int32_t generation,
                                  TzkPDFDictObject* dict) const {
  TzkPDFCryptMethod method = streamMethod_;
  if (dict) {
    const TzkPDFObject* type = dict->Lookup("/Type");
    if (NameIs(type, "/XRef")) return;
    if (!encryptMetadata_ && NameIs(type, "/Metadata")) return;
    const std::string name = TakeCryptFilter(*dict);
    if (!name.empty()) method = MethodOfFilter(name);
  }
  CryptWith(method, bytes, objectNumber, generation, false);
}

}  // namespace sarvane::pdf
