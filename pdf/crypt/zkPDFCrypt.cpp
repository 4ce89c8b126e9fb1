#include "pdf/crypt/zkPDFCrypt.h"

#include <algorithm>
#include <cstring>

#include "pdf/crypt/zkCryptResStrings.h"
#include "pdf/crypt/zkMD5.h"
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

constexpr size_t kMaxKeyLength = 16;

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
  uint32_t p = level == el40bit ? 0xFFFFFFC0u : 0xFFFFF0C0u;
  if (permissions.Contains(AllowPrint)) p |= 4;
  if (permissions.Contains(AllowModify)) p |= 8;
  if (permissions.Contains(AllowCopy)) p |= 16;
  if (permissions.Contains(AllowAnnotation)) p |= 32;
  if (level == el128bit) {
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
                                            size_t keyLength) {
  TzkMD5 md5;
  md5.Update(paddedUser);
  md5.Update(o);
  md5.Update(LE32(p));
  md5.Update(fileId);
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
  level_ = keyLength == 5 ? el40bit : el128bit;
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
  dict->AddInteger("/V", revision_ >= 3 ? 2 : 1);
  dict->AddInteger("/R", revision_);
  dict->AddInteger("/Length", int32_t(keyLength_ * 8));
  return dict;
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
  return s.IsHex() ? HexToBytes(s.Content()) : s.Content();
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

  const auto* o = encrypt.LookupAs<TzkPDFStringObject>("/O");
  if (!o) throw Exception(SInvalidOwnerKey);
  SetO(StringBytes(*o));
  const auto* u = encrypt.LookupAs<TzkPDFStringObject>("/U");
  if (!u) throw Exception(SInvalidUserKey);
  SetU(StringBytes(*u));

  const TzkPDFObject* p = encrypt.Lookup("/P");
  if (const auto* i = ObjectAs<TzkPDFIntegerObject>(p))
    SetP(i->Value());
  else if (const auto* i64 = ObjectAs<TzkPDFInt64Object>(p))
    SetP(i64->Value());
  else
    throw EInvalidPermission();

  int bits = 40;
  if (const auto* length = encrypt.LookupAs<TzkPDFIntegerObject>("/Length")) bits = length->Value();
  int revision = bits == 40 ? 2 : 3;
  if (const auto* r = encrypt.LookupAs<TzkPDFIntegerObject>("/R")) revision = r->Value();
  SetRevision(revision, bits);
}

namespace {
void Fill32(std::string& target, std::string_view bytes) {
  target.assign(32, '\0');
  std::memcpy(target.data(), bytes.data(), std::min<size_t>(bytes.size(), 32));
}
}  // namespace

void TzkPDFDecrypt::SetO(std::string_view bytes) { Fill32(o_, bytes); }
void TzkPDFDecrypt::SetU(std::string_view bytes) { Fill32(u_, bytes); }

std::string TzkPDFDecrypt::PBytes() const { return LE32(p_); }

void TzkPDFDecrypt::SetRevision(int revision, int keyLengthBits) {
  if (revision == 2) {
    SetRevisionAndKeyLength(2, 5);
    return;
  }
  if (revision != 3) throw Exception(Format(SUnsupportedRevision, revision));
  if (keyLengthBits < 40 || keyLengthBits > 128 || keyLengthBits % 8 != 0)
    throw Exception(Format(SInvalidKeyLengthEntry, keyLengthBits));
  SetRevisionAndKeyLength(3, size_t(keyLengthBits / 8));
}

void TzkPDFDecrypt::SetLevel(TzkPDFEncryptionLevel level) {
  if (level == el40bit)
    SetRevisionAndKeyLength(2, 5);
  else
    SetRevisionAndKeyLength(3, 16);
}

bool TzkPDFDecrypt::UserKeyMatches(std::string_view password, std::string& key) const {
  key = ComputeFileKey(PadPassword(password), o_, p_, fileId_, revision_, keyLength_);
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

bool TzkPDFDecrypt::CheckUserPassword(std::string_view password) {
  std::string key;
  if (!UserKeyMatches(password, key)) return false;
  key.resize(16, '\0');
  key_ = key;
  permissions_ = PermissionsFromP(p_, revision_ >= 3);
  return true;
}

bool TzkPDFDecrypt::CheckOwnerPassword(std::string_view password, std::string* userPassword) {
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
  key.resize(16, '\0');
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

}  // namespace sarvane::pdf
