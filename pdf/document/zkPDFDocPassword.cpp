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
  const TzkPDFObject* object = dict.Lookup(key);
  if (const auto* i = ObjectAs<TzkPDFIntegerObject>(object)) {
    value = i->Value();
    return true;
  }
  if (const auto* i = ObjectAs<sarvane::pdf::TzkPDFInt64Object>(object)) {
    value = i->Value();
    return true;
  }
  return false;
}

std::string NameEntry(const TzkPDFDictObject& dict, std::string_view key) {
  const auto* name = dict.LookupAs<TzkPDFNameObject>(key);
  return name ? name->Text() : std::string();
}

// The method a version 4 dictionary uses for streams, from its crypt filters.
std::string CryptFilterMethod(const TzkPDFDictObject& encrypt) {
  std::string filter = NameEntry(encrypt, "/StmF");
  if (filter.empty()) filter = "/Identity";
  if (filter == "/Identity") return "crypt filter /Identity";
  const auto* filters = encrypt.LookupAs<TzkPDFDictObject>("/CF");
  const auto* entry = filters ? filters->LookupAs<TzkPDFDictObject>(filter) : nullptr;
  const std::string cfm = entry ? NameEntry(*entry, "/CFM") : std::string();
  if (cfm == "/AESV2") return "AES-128";
  if (cfm == "/AESV3") return "AES-256";
  if (cfm == "/V2") return "RC4 through crypt filters";
  return "crypt filter " + (cfm.empty() ? filter : cfm);
}

}  // namespace

// Only the standard handler with RC4 (/V 1 or 2, /R 2 or 3) can be opened.
// Anything else must be named for what it is, not tried as RC4 and then
// reported as a wrong password.
void TzkCustomPDFDocument::CheckSupportedEncryption() const {
  const auto* encrypt = ObjectAs<TzkPDFDictObject>(trailer_.Encryption.get());
  if (!encrypt) throw EPDFFileCorruptedError();
  const std::string filter = NameEntry(*encrypt, "/Filter");
  if (!filter.empty() && filter != "/Standard") {
    throw EPDFException(Format(res::kUnsupportedEncryption, "security handler " + filter));
  }
  int64_t v = 0;
  int64_t r = 0;
  const bool hasV = IntegerEntry(*encrypt, "/V", v);
  const bool hasR = IntegerEntry(*encrypt, "/R", r);
  const std::string revision = hasR ? ", /R " + std::to_string(r) : std::string();
  if (hasV && v == 4) {
    throw EPDFException(Format(res::kUnsupportedEncryption, CryptFilterMethod(*encrypt) + " (/V 4" + revision + ")"));
  }
  if (hasV && v == 5) throw EPDFException(Format(res::kUnsupportedEncryption, "AES-256 (/V 5" + revision + ")"));
  if (hasV && (v < 0 || v > 2)) {
    throw EPDFException(Format(res::kUnsupportedEncryption, "/V " + std::to_string(v) + revision));
  }
  if (hasR && r != 2 && r != 3) {
    throw EPDFException(Format(res::kUnsupportedEncryption, "standard security handler revision " + std::to_string(r)));
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

bool TzkCustomPDFDocument::OpenWithPassword(const std::string& password) {
  decryptor_ = std::make_unique<TzkPDFDecrypt>();
  const auto* encrypt = ObjectAs<TzkPDFDictObject>(trailer_.Encryption.get());
  if (!encrypt) throw EPDFFileCorruptedError();
  // File identifier, O, U, P; the check algorithm by /R, the key by /Length.
  decryptor_->ReadEncryptionDictionary(*encrypt, trailer_.Identifier.get());

  int64_t lengthBits = 40;
  IntegerEntry(*encrypt, "/Length", lengthBits);
  const TzkPDFEncryptionLevel level = lengthBits == 40 ? sarvane::pdf::el40bit : sarvane::pdf::el128bit;

  if (reader_) {
    reader_->SetDecryptHook([this](std::string& bytes, int32_t objectNumber, int32_t generation) {
      if (decryptor_) decryptor_->Decrypt(bytes, objectNumber, generation);
    });
  }

  const uint32_t p = decryptor_->P();
  sarvane::pdf::TzkPDFEncryptionSettings& settings = *encryption_;
  settings.SetEnabled(true);
  settings.SetLevel(level);
  settings.SetUserPermissions(TzkPDFDecrypt::PermissionsFromP(p, lengthBits == 128));

  std::string userPassword;
  if (decryptor_->CheckOwnerPassword(password, &userPassword)) {
    settings.SetEnabled(true);
    settings.SetOwnerPassword(password);
    settings.SetUserPassword(userPassword);
    settings.SetUserPermissions(decryptor_->Permissions());
    settings.SetLevel(level);
    return true;
  }
  if (decryptor_->CheckUserPassword(password)) {
    // The four extended permissions belong to 128-bit files only.
    const TzkUserPermissions permissions = TzkPDFDecrypt::PermissionsFromP(p, level == sarvane::pdf::el128bit);
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
