// Opening an encrypted document: the password loop, the owner and user
// checks, the encryption settings they fill, and decryption while parsing.
#include <string>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkCstPDFDoc.h"
#include "platform/Clock.h"
#include "platform/Random.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFDecrypt;
using sarvane::pdf::TzkPDFEncryptionLevel;
using sarvane::pdf::TzkPDFIntegerObject;
using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkUserPermissions;

namespace {

bool IntegerEntry(const TzkPDFDictObject& dict, std::string_view key, int64_t& value) {
  const std::optional<int64_t> integer = sarvane::pdf::IntegerOf(dict.Lookup(key));
  if (integer) value = *integer;
  return integer.has_value();
}

std::string NameEntry(const TzkPDFDictObject& dict, std::string_view key) {
  const auto* name = dict.LookupAs<TzkPDFNameObject>(key);
  return name ? name->Text() : std::string();
}

bool KnownCFM(const std::string& cfm) {
  return cfm.empty() || cfm == "/None" || cfm == "/V2" || cfm == "/AESV2" || cfm == "/AESV3";
}

// For a dictionary with crypt filters: what cannot be read, or empty.
std::string UnreadableCryptFilter(const TzkPDFDictObject& encrypt) {
  const auto* filters = encrypt.LookupAs<TzkPDFDictObject>("/CF");
  // Any entry counts: a stream may name one of its own.
  for (int32_t i = 0; filters && i < filters->Count(); ++i) {
    const auto* entry = ObjectAs<TzkPDFDictObject>(filters->ValueAt(i));
    const std::string cfm = entry ? NameEntry(*entry, "/CFM") : std::string();
    if (!KnownCFM(cfm)) return "crypt filter " + cfm;
  }
  for (const char* key : {"/StmF", "/StrF"}) {
    const std::string filter = NameEntry(encrypt, key);
    const bool named = !filter.empty() && filter != "/Identity";
    if (named && !(filters && filters->LookupAs<TzkPDFDictObject>(filter))) return "crypt filter " + filter;
  }
  return std::string();
}

}  // namespace

// The standard handler with RC4 (/V 1 or 2, /R 2 or 3), crypt filters with
// RC4 or AES-128 (/V 4, /R 4) and AES-256 (/V 5, /R 5 or 6) can be opened.
// Anything else must be named for what it is, not tried and then reported
// as a wrong password.
void TzkCustomPDFDocument::CheckSupportedEncryption() const {
  const auto* encrypt = ObjectAs<TzkPDFDictObject>(trailer_.Encryption.get());
  if (!encrypt) throw EPDFFileCorruptedError(std::string(res::kEncryptNotDictionary));
  const std::string filter = NameEntry(*encrypt, "/Filter");
  if (!filter.empty() && filter != "/Standard") {
    throw EPDFException(Format(res::kUnsupportedEncryption, "security handler " + filter));
  }
  int64_t v = 0;
  int64_t r = 0;
  const bool hasV = IntegerEntry(*encrypt, "/V", v);
  const bool hasR = IntegerEntry(*encrypt, "/R", r);
  const std::string revision = hasR ? ", /R " + std::to_string(r) : std::string();
  if (hasV && (v < 0 || v == 3 || v > 5)) {
    throw EPDFException(Format(res::kUnsupportedEncryption, "/V " + std::to_string(v) + revision));
  }
  if (hasR && (r < 2 || r > 6)) {
    throw EPDFException(Format(res::kUnsupportedEncryption, "standard security handler revision " + std::to_string(r)));
  }
  if (hasV && v >= 4) {
    const std::string unreadable = UnreadableCryptFilter(*encrypt);
    if (!unreadable.empty()) {
      throw EPDFException(Format(res::kUnsupportedEncryption, unreadable + " (/V " + std::to_string(v) + revision + ")"));
    }
  }
}

void TzkCustomPDFDocument::RunPasswordLoop() {
  CheckSupportedEncryption();
  auto open = [this](const std::string& password) {
    if (!OpenWithPassword(password)) return false;
    // Their data is encrypted as a whole; it can be read now that the key is known.
    if (ObjectStreamsPending()) UnpackObjectStreams();
    ReadDocument();
    return true;
  };
  if (!OnPassword) {
    if (!open(std::string())) CloseDocument();
    return;
  }
  std::string password;
  for (int tries = 0;; ++tries) {
    bool continueAsking = true;
    OnPassword(this, password, continueAsking, tries);
    if (!continueAsking) {
      CloseDocument();
      return;
    }
    if (open(password)) return;
  }
}

namespace {
// The level a re-save keeps: AES stays AES (at the one AES level written),
// RC4 keeps its key length as the dictionary's /Length gives it.
TzkPDFEncryptionLevel LevelOf(const TzkPDFDecrypt& decryptor, int64_t lengthBits) {
  const auto method = decryptor.StreamMethod() != sarvane::pdf::cmIdentity ? decryptor.StreamMethod()
                                                                             : decryptor.StringMethod();
  if (method == sarvane::pdf::cmAESV2 || method == sarvane::pdf::cmAESV3) return sarvane::pdf::el256bitAES;
  return lengthBits == 40 ? sarvane::pdf::el40bit : sarvane::pdf::el128bit;
}
}  // namespace

bool TzkCustomPDFDocument::OpenWithPassword(const std::string& password) {
  decryptor_ = std::make_unique<TzkPDFDecrypt>();
  const auto* encrypt = ObjectAs<TzkPDFDictObject>(trailer_.Encryption.get());
  if (!encrypt) throw EPDFFileCorruptedError(std::string(res::kEncryptNotDictionary));
  // File identifier, O, U, P, crypt filters; the check algorithm by /R, the key by /Length.
  decryptor_->ReadEncryptionDictionary(*encrypt, trailer_.Identifier.get());

  int64_t lengthBits = 40;
  IntegerEntry(*encrypt, "/Length", lengthBits);
  const TzkPDFEncryptionLevel level = LevelOf(*decryptor_, lengthBits);
  // Crypt filters (revision 4 on) always carry the four extended permissions.
  const bool extended = decryptor_->Revision() >= 4 || lengthBits == 128;

  if (reader_) {
    reader_->SetDecryptHook([this](std::string& bytes, int32_t objectNumber, int32_t generation) {
      if (decryptor_) decryptor_->Decrypt(bytes, objectNumber, generation);
    });
    reader_->SetStreamDecryptHook(
        [this](std::string& bytes, int32_t objectNumber, int32_t generation, TzkPDFDictObject* dict) {
          if (decryptor_) decryptor_->DecryptStream(bytes, objectNumber, generation, dict);
        });
  }

  const uint32_t p = decryptor_->P();
  sarvane::pdf::TzkPDFEncryptionSettings& settings = *encryption_;
  settings.SetEnabled(true);
  settings.SetLevel(level);
  settings.SetUserPermissions(TzkPDFDecrypt::PermissionsFromP(p, extended));

  auto checkPerms = [this] {
    if (decryptor_->Revision() >= 5 && !decryptor_->PermsMatch()) Warning(res::kPermsMismatch);
  };
  std::string userPassword;
  if (decryptor_->CheckOwnerPassword(password, &userPassword)) {
    checkPerms();
    settings.SetEnabled(true);
    settings.SetOwnerPassword(password);
    settings.SetUserPassword(userPassword);
    settings.SetUserPermissions(decryptor_->Permissions());
    settings.SetLevel(level);
    return true;
  }
  if (decryptor_->CheckUserPassword(password)) {
    checkPerms();
    // The four extended permissions belong to 128-bit and crypt-filter files only.
    const TzkUserPermissions permissions = TzkPDFDecrypt::PermissionsFromP(p, extended && level != sarvane::pdf::el40bit);
    settings.SetEnabled(true);
    settings.SetUserPassword(password);
    Randomize();
    settings.SetOwnerPassword(std::string(res::kRandomOwnerPasswordPrefix) +
                              FormatDateTime("yyyymmddhhnnss", Now()) + std::to_string(Random(2147483647)));
    settings.SetUserPermissions(permissions);
    settings.SetLevel(level);
    settings.DisallowChange();
    return true;
  }
  return false;
}

}  // namespace sarvane::pdf::doc
