#include "pdf/crypt/zkPDFCrypt.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "pdf/crypt/zkAES.h"
#include "pdf/crypt/zkMD5.h"
#include "pdf/objects/zkPDFObjects.h"
#include "pdf/objects/zkPDFParser.h"
#include "pdf/objects/zkPDFXRef.h"
#include "platform/Exception.h"

namespace sarvane::pdf {
namespace {

std::string FromHex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "<" + string at -O2.
std::string Delimited(char open, std::string_view body, char close) {
  std::string s(1, open);
  s += body;
  s += close;
  return s;
}

template <typename F>
std::string ThrownMessage(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(no exception)";
}

// ---------------------------------------------------------------------------
// Permission set and settings

TEST(UserPermissions, OneByteWithTheFixedBitOrder) {
  const struct {
    TzkUserPermissionsType type;
    uint8_t bit;
  } cases[] = {{AllowCopy, 0x01},          {AllowModify, 0x02},      {AllowPrint, 0x04},
               {AllowAnnotation, 0x08},    {AllowFormFill, 0x10},    {AllowAccessibility, 0x20},
               {AllowDocAssembly, 0x40},   {AllowHighResPrint, 0x80}};
  static_assert(sizeof(TzkUserPermissions) == 1);
  for (const auto& c : cases) {
    EXPECT_EQ(TzkUserPermissions{c.type}.Byte(), c.bit);
    EXPECT_EQ((TzkUserPermissions::All() - c.type).Byte(), uint8_t(0xFF & ~c.bit));
  }
  EXPECT_EQ(TzkUserPermissions::All().Byte(), 0xFF);
}

TEST(EncryptionSettings, FreshObjectHasThePublishedDefaults) {
  TzkPDFEncryptionSettings s;
  EXPECT_FALSE(s.Enabled());
  EXPECT_EQ(s.Level(), el128bit);
  EXPECT_EQ(s.OwnerPassword(), "");
  EXPECT_EQ(s.UserPassword(), "");
  EXPECT_EQ(s.UserPermissions(), TzkUserPermissions::All());
  EXPECT_TRUE(s.ChangeAllowed());
}

// Each setter refuses on locked settings, also when given the value already held,
// and leaves the stored values alone.
TEST(EncryptionSettings, LockedSettingsRefuseEverySetter) {
  const std::pair<const char*, std::function<void(TzkPDFEncryptionSettings&)>> setters[] = {
      {"Enabled same", [](auto& s) { s.SetEnabled(true); }},
      {"Enabled other", [](auto& s) { s.SetEnabled(false); }},
      {"Level same", [](auto& s) { s.SetLevel(el40bit); }},
      {"Level other", [](auto& s) { s.SetLevel(el128bit); }},
      {"OwnerPassword", [](auto& s) { s.SetOwnerPassword("x"); }},
      {"UserPassword same", [](auto& s) { s.SetUserPassword("user"); }},
      {"UserPermissions same", [](auto& s) { s.SetUserPermissions({AllowPrint}); }},
  };
  for (const auto& [name, set] : setters) {
    TzkPDFEncryptionSettings s;
    s.SetEnabled(true);
    s.SetLevel(el40bit);
    s.SetOwnerPassword("owner");
    s.SetUserPassword("user");
    s.SetUserPermissions({AllowPrint});
    s.DisallowChange();
    EXPECT_EQ(ThrownMessage([&, &set = set] { set(s); }), "User cannot change encryption settings") << name;
    EXPECT_TRUE(s.Enabled()) << name;
    EXPECT_EQ(s.Level(), el40bit) << name;
    EXPECT_EQ(s.StoredOwnerPassword(), "owner") << name;
    EXPECT_EQ(s.UserPassword(), "user") << name;
    EXPECT_EQ(s.UserPermissions(), TzkUserPermissions{AllowPrint}) << name;
  }
}

TEST(EncryptionSettings, OwnerPasswordReadsEmptyWhileLockedButStaysStored) {
  TzkPDFEncryptionSettings s;
  s.SetOwnerPassword("Tarnwick20240102030405123");
  s.SetUserPassword("user");
  EXPECT_EQ(s.OwnerPassword(), "Tarnwick20240102030405123");
  s.DisallowChange();
  EXPECT_EQ(s.OwnerPassword(), "");
  EXPECT_EQ(s.UserPassword(), "user");
  EXPECT_EQ(s.StoredOwnerPassword(), "Tarnwick20240102030405123");
}

// ---------------------------------------------------------------------------
// Byte-level algorithms

TEST(SecurityHandler, PaddingTakesAtMost32BytesAndCompletesWithThePadding) {
  const std::string pad(kPasswordPadding);
  const struct {
    std::string password;
    std::string padded;
  } cases[] = {
      {"", pad},
      {"abc", "abc" + pad.substr(0, 29)},
      {std::string(32, 'p'), std::string(32, 'p')},
      {std::string(32, 'p') + "ignored", std::string(32, 'p')},
      {std::string("\0\0", 2), std::string("\0\0", 2) + pad.substr(0, 30)},
  };
  for (const auto& c : cases) EXPECT_EQ(TzkBasePDFCrypt::PadPassword(c.password), c.padded);
}

TEST(SecurityHandler, PermissionValueByLevel) {
  const auto all = TzkUserPermissions::All();
  const struct {
    const char* name;
    TzkPDFEncryptionLevel level;
    TzkUserPermissions permissions;
    int32_t p;
  } cases[] = {
      {"all, 40", el40bit, all, -4},
      {"all, 128", el128bit, all, -4},
      {"none, 40", el40bit, {}, -64},
      {"none, 128", el128bit, {}, -3904},
      {"no form fill, 40", el40bit, all - AllowFormFill, -4},
      {"extended four ignored at 40", el40bit,
       TzkUserPermissions{AllowPrint, AllowModify, AllowCopy, AllowAnnotation}, -4},
      {"only the extended four at 40", el40bit,
       TzkUserPermissions{AllowFormFill, AllowAccessibility, AllowDocAssembly, AllowHighResPrint},
       -64},
      {"no print, 128: high-res bit dropped too", el128bit, all - AllowPrint, -4 - 4 - 2048},
      {"high-res without print, 128", el128bit, {AllowHighResPrint}, -3904},
      {"print and high-res, 128", el128bit, {AllowPrint, AllowHighResPrint}, -3904 + 4 + 2048},
      {"no copy, 128", el128bit, all - AllowCopy, -4 - 16},
      {"form fill only, 128", el128bit, {AllowFormFill}, -3904 + 256},
      {"assembly and accessibility, 128", el128bit, {AllowDocAssembly, AllowAccessibility},
       -3904 + 1024 + 512},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TzkBasePDFCrypt::ComputeP(c.level, c.permissions), c.p) << c.name;
}

TEST(SecurityHandler, PermissionsGrantedByP) {
  const auto all = TzkUserPermissions::All();
  const struct {
    const char* name;
    uint32_t p;
    bool extended;
    TzkUserPermissions expected;
  } cases[] = {
      {"-4 grants all", uint32_t(-4), true, all},
      {"-3904 grants none", uint32_t(-3904), true, {}},
      {"-64 at 40 bits keeps the four extended", uint32_t(-64), false,
       TzkUserPermissions{AllowFormFill, AllowAccessibility, AllowDocAssembly, AllowHighResPrint}},
      {"no copy at 40 bits", uint32_t(-4 - 16), false, all - AllowCopy},
      {"no print at 128 bits", uint32_t(-4 - 4 - 2048), true, all - AllowPrint - AllowHighResPrint},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TzkBasePDFCrypt::PermissionsFromP(c.p, c.extended), c.expected) << c.name;
}

TEST(SecurityHandler, ObjectKeyTakesThreeNumberBytesAndTwoGenerationBytes) {
  const std::string key5 = FromHex("0102030405");
  const struct {
    int32_t number, generation;
    std::string tail;
  } cases[] = {
      {5, 1, FromHex("0500000100")},
      {0x12345678, 0x00010002, FromHex("7856340200")},
      {0, 0, FromHex("0000000000")},
      {-1, 65535, FromHex("ffffffffff")},
  };
  for (const auto& c : cases) {
    const std::string in = TzkBasePDFCrypt::ObjectKeyInput(key5, c.number, c.generation);
    EXPECT_EQ(in, key5 + c.tail) << c.number;
  }
  EXPECT_EQ(TzkBasePDFCrypt::ObjectKey(key5, 5, 1).size(), 10u);
  EXPECT_EQ(TzkBasePDFCrypt::ObjectKey(std::string(16, 'k'), 5, 1).size(), 16u);
  // Numbers differing only above the three low bytes share their key.
  EXPECT_EQ(TzkBasePDFCrypt::ObjectKey(key5, 5, 1), TzkBasePDFCrypt::ObjectKey(key5, 0x01000005, 0x00010001));
  EXPECT_NE(TzkBasePDFCrypt::ObjectKey(key5, 5, 1), TzkBasePDFCrypt::ObjectKey(key5, 5, 0));
}

// ---------------------------------------------------------------------------
// Writing side against reading side

TzkPDFEncryptionSettings Settings(TzkPDFEncryptionLevel level, std::string owner,
                                  std::string user, TzkUserPermissions permissions) {
  TzkPDFEncryptionSettings s;
  s.SetEnabled(true);
  s.SetLevel(level);
  s.SetOwnerPassword(std::move(owner));
  s.SetUserPassword(std::move(user));
  s.SetUserPermissions(permissions);
  return s;
}

TzkPDFDecrypt ReaderFor(const TzkPDFEncryption& w) {
  TzkPDFDecrypt r;
  r.SetLevel(w.Level());
  r.SetFileID(w.FileID());
  r.SetO(w.O());
  r.SetU(w.U());
  r.SetP(w.P());
  return r;
}

TEST(SecurityHandler, WrittenValuesOpenWithTheirPasswords) {
  const std::string longUser = std::string(32, 'L') + "tail one";
  const struct {
    const char* name;
    TzkPDFEncryptionLevel level;
    std::string owner, user;
    std::string ownerTry, userTry, wrong;
    std::string recoveredUser;
  } cases[] = {
      {"40 both set", el40bit, "OWNER", "USER", "OWNER", "USER", "user", "USER"},
      {"128 both set", el128bit, "OWNER", "USER", "OWNER", "USER", "OWNER2", "USER"},
      {"40 empty owner takes the user password", el40bit, "", "USER", "USER", "USER", "", "USER"},
      {"128 empty owner takes the user password", el128bit, "", "USER", "USER", "USER", "",
       "USER"},
      {"128 both empty", el128bit, "", "", "", "", "x", ""},
      {"40 both empty", el40bit, "", "", "", "", "x", ""},
      {"128 empty user", el128bit, "OWNER", "", "OWNER", "", "USER", ""},
      {"128 long user: first 32 bytes count", el128bit, "OWNER", longUser, "OWNER",
       std::string(32, 'L') + "other tail", std::string(31, 'L'), std::string(32, 'L')},
      // A password holding the first two padding bytes must come back whole.
      {"128 user holding 28 BF", el128bit, "OWNER", "a(\xBFz", "OWNER", "a(\xBFz", "a", "a(\xBFz"},
      {"40 user ending in 28", el40bit, "OWNER", "pw(", "OWNER", "pw(", "pw", "pw("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TzkPDFEncryption w("Output1.pdf", Settings(c.level, c.owner, c.user, TzkUserPermissions::All()),
                       "D:20240102030405");
    ASSERT_EQ(w.FileID().size(), 16u);
    ASSERT_EQ(w.O().size(), 32u);
    ASSERT_EQ(w.U().size(), 32u);
    ASSERT_EQ(w.KeyLength(), c.level == el40bit ? 5u : 16u);

    TzkPDFDecrypt owner = ReaderFor(w);
    std::string recovered = "unset";
    ASSERT_TRUE(owner.CheckOwnerPassword(c.ownerTry, &recovered));
    EXPECT_TRUE(owner.IsOwner());
    EXPECT_EQ(recovered, c.recoveredUser);
    EXPECT_EQ(owner.Key(), w.Key());
    TzkPDFDecrypt again = ReaderFor(w);
    EXPECT_TRUE(again.CheckUserPassword(recovered)) << "recovered password opens the file";

    TzkPDFDecrypt user = ReaderFor(w);
    ASSERT_TRUE(user.CheckUserPassword(c.userTry));
    EXPECT_FALSE(user.IsOwner());
    EXPECT_EQ(user.Key(), w.Key());

    TzkPDFDecrypt wrong = ReaderFor(w);
    EXPECT_FALSE(wrong.CheckOwnerPassword(c.wrong));
    EXPECT_FALSE(wrong.CheckUserPassword(c.wrong));
    EXPECT_FALSE(wrong.IsOwner());

    const std::string plain = "BT /F1 12 Tf (Hello) Tj ET";
    std::string data = w.Encrypted(plain, 7);
    EXPECT_NE(data, plain);
    user.Decrypt(data, 7, 0);
    EXPECT_EQ(data, plain);
  }
}

TEST(SecurityHandler, OwnerCheckRecoversAll32BytesWithoutPaddingPair) {
  const std::string user32 = "0123456789abcdefghijklmnopqrstuv";
  TzkPDFEncryption w(Settings(el128bit, "OWNER", user32, TzkUserPermissions::All()),
                     std::string(16, '\x11'));
  TzkPDFDecrypt r = ReaderFor(w);
  std::string recovered;
  ASSERT_TRUE(r.CheckOwnerPassword("OWNER", &recovered));
  EXPECT_EQ(recovered, user32);
}

TEST(SecurityHandler, UserCheckRestrictsPermissionsAndOwnerCheckGrantsAll) {
  const struct {
    TzkPDFEncryptionLevel level;
    TzkUserPermissions written, userGets;
  } cases[] = {
      {el128bit, TzkUserPermissions::All() - AllowPrint,
       TzkUserPermissions::All() - AllowPrint - AllowHighResPrint},
      {el40bit, TzkUserPermissions::All() - AllowCopy, TzkUserPermissions::All() - AllowCopy},
      {el40bit, TzkUserPermissions{}, TzkUserPermissions{AllowFormFill, AllowAccessibility,
                                                         AllowDocAssembly, AllowHighResPrint}},
  };
  for (const auto& c : cases) {
    TzkPDFEncryption w("Output1.pdf", Settings(c.level, "o", "u", c.written), "");
    TzkPDFDecrypt user = ReaderFor(w);
    ASSERT_TRUE(user.CheckUserPassword("u"));
    EXPECT_EQ(user.Permissions(), c.userGets) << int(c.written.Byte());
    TzkPDFDecrypt owner = ReaderFor(w);
    ASSERT_TRUE(owner.CheckOwnerPassword("o"));
    EXPECT_EQ(owner.Permissions(), TzkUserPermissions::All());
  }
}

TEST(SecurityHandler, FailedCheckKeepsThePreviousKey) {
  TzkPDFEncryption w("Output1.pdf", Settings(el128bit, "o", "u", TzkUserPermissions::All()), "");
  TzkPDFDecrypt r = ReaderFor(w);
  ASSERT_TRUE(r.CheckUserPassword("u"));
  EXPECT_FALSE(r.CheckUserPassword("nope"));
  EXPECT_FALSE(r.CheckOwnerPassword("nope"));
  EXPECT_EQ(r.Key(), w.Key());
}

TEST(SecurityHandler, PWrittenUnsignedOrSignedGivesTheSameKeys) {
  TzkPDFEncryption w("Output1.pdf", Settings(el128bit, "o", "u", TzkUserPermissions{}), "");
  ASSERT_EQ(w.P(), -3904);
  TzkPDFDecrypt r = ReaderFor(w);
  r.SetP(4294963392LL);
  EXPECT_EQ(r.PBytes(), FromHex("c0f0ffff"));
  ASSERT_TRUE(r.CheckUserPassword("u"));
  EXPECT_EQ(r.Key(), w.Key());
  // A positive value above 65535 keeps its high bytes.
  r.SetP(0x0001F0C0);
  EXPECT_EQ(r.PBytes(), FromHex("c0f00100"));
}

TEST(SecurityHandler, FileIdentifierFromSeedNameAndDate) {
  const auto s = Settings(el40bit, "o", "u", TzkUserPermissions::All());
  TzkPDFEncryption a("Output1.pdf", s, "D:20240102");
  TzkPDFEncryption b("Output1.pdf", s, "D:20240103");
  TzkPDFEncryption c("Output1.pdf", s, "");
  // MD5("Output1.pdf") and MD5("Output1.pdfD:20240102"), worked out with md5sum.
  EXPECT_EQ(c.FileID(), FromHex("91c46192d01bc5ef2a13e101cf4ccf84"));
  EXPECT_EQ(a.FileID(), FromHex("affb0e9261b45f4fed4d4f477578d32a"));
  EXPECT_NE(a.FileID(), b.FileID());
  EXPECT_NE(a.U(), b.U());
}

// A document opened with its user password has locked settings; written again it
// must carry its random owner password, not an owner password equal to the user's.
TEST(SecurityHandler, LockedSettingsAreWrittenWithTheStoredOwnerPassword) {
  TzkPDFEncryptionSettings s = Settings(el128bit, "Tarnwick20240101000000777", "u",
                                        TzkUserPermissions::All() - AllowPrint);
  s.DisallowChange();
  TzkPDFEncryption w("Output1.pdf", s, "");
  EXPECT_EQ(w.OwnerPassword(), "Tarnwick20240101000000777");
  TzkPDFDecrypt r = ReaderFor(w);
  EXPECT_FALSE(r.CheckOwnerPassword("u")) << "the user password must not give owner rights";
  EXPECT_TRUE(r.CheckOwnerPassword("Tarnwick20240101000000777"));
}

TEST(SecurityHandler, RevisionAndKeyLengthFromTheDictionaryValues) {
  const struct {
    int revision, bits;
    size_t keyLength;
    TzkPDFEncryptionLevel level;
    const char* error;
  } cases[] = {
      {2, 40, 5, el40bit, nullptr},
      {2, 128, 5, el40bit, nullptr},
      {3, 40, 5, el40bit, nullptr},
      {3, 56, 7, el128bit, nullptr},
      {3, 128, 16, el128bit, nullptr},
      {3, 129, 0, el40bit, "Invalid key length 129 in encryption dictionary"},
      {3, 136, 0, el40bit, "Invalid key length 136 in encryption dictionary"},
      {3, 32, 0, el40bit, "Invalid key length 32 in encryption dictionary"},
      {4, 128, 16, el128bit, nullptr},
      {6, 256, 32, el256bitAES, nullptr},  // the key length is fixed
      {7, 128, 0, el40bit, "Unsupported security handler revision 7"},
      {1, 40, 0, el40bit, "Unsupported security handler revision 1"},
  };
  for (const auto& c : cases) {
    TzkPDFDecrypt r;
    if (c.error) {
      EXPECT_EQ(ThrownMessage([&] { r.SetRevision(c.revision, c.bits); }), c.error);
      continue;
    }
    r.SetRevision(c.revision, c.bits);
    EXPECT_EQ(r.Revision(), c.revision);
    EXPECT_EQ(r.KeyLength(), c.keyLength);
    EXPECT_EQ(r.Level(), c.level);
  }
}

}  // namespace
}  // namespace sarvane::pdf

// ---------------------------------------------------------------------------
// Encryption dictionary

namespace sarvane::pdf {
namespace {

TEST(EncryptionDictionary, BuiltInOrderWithHexValuesAndReplacesTheIdentifier) {
  const struct {
    TzkPDFEncryptionLevel level;
    int v, r, length;
  } cases[] = {{el40bit, 1, 2, 40}, {el128bit, 2, 3, 128}};
  for (const auto& c : cases) {
    TzkPDFEncryption w("Output1.pdf",
                       Settings(c.level, "o", "u", TzkUserPermissions::All() - AllowCopy), "D:1");
    TzkPDFTrailer trailer;
    trailer.Identifier = std::make_unique<TzkPDFArrayObject>();
    trailer.Identifier->Add(TzkPDFStringObject::Literal("old"));
    auto dict = w.CreateEncryptionDictionary(trailer);

    const char* keys[] = {"/Filter", "/O", "/U", "/P", "/V", "/R", "/Length"};
    ASSERT_EQ(dict->Count(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(dict->KeyName(i), keys[i]);
    EXPECT_EQ(dict->LookupAs<TzkPDFNameObject>("/Filter")->Text(), "/Standard");
    const auto* o = dict->LookupAs<TzkPDFStringObject>("/O");
    ASSERT_TRUE(o && o->IsHex());
    EXPECT_EQ(o->Text(), Delimited('<', BytesToHex(w.O()), '>'));
    EXPECT_EQ(o->Text().size(), 66u);
    EXPECT_EQ(dict->LookupAs<TzkPDFStringObject>("/U")->Text(), Delimited('<', BytesToHex(w.U()), '>'));
    EXPECT_EQ(dict->LookupAs<TzkPDFIntegerObject>("/P")->Value(), w.P());
    EXPECT_EQ(dict->LookupAs<TzkPDFIntegerObject>("/V")->Value(), c.v);
    EXPECT_EQ(dict->LookupAs<TzkPDFIntegerObject>("/R")->Value(), c.r);
    EXPECT_EQ(dict->LookupAs<TzkPDFIntegerObject>("/Length")->Value(), c.length);

    ASSERT_TRUE(trailer.Identifier);
    ASSERT_EQ(trailer.Identifier->Count(), 2);
    for (int i = 0; i < 2; ++i) {
      const auto* id = ObjectAs<TzkPDFStringObject>(trailer.Identifier->ItemAt(i));
      ASSERT_TRUE(id && id->IsHex());
      EXPECT_EQ(id->Text(), Delimited('<', BytesToHex(w.FileID()), '>'));
      EXPECT_EQ(id->Text().size(), 34u);
    }
    // What was written reads back and opens.
    TzkPDFDecrypt r;
    r.ReadEncryptionDictionary(*dict, trailer.Identifier.get());
    EXPECT_EQ(r.FileID(), w.FileID());
    EXPECT_EQ(r.Level(), c.level);
    EXPECT_TRUE(r.CheckUserPassword("u"));
    EXPECT_EQ(r.Permissions(), TzkUserPermissions::All() - AllowCopy);
  }
}

std::unique_ptr<TzkPDFArrayObject> IdArray(TzkPDFObjectPtr first) {
  auto a = std::make_unique<TzkPDFArrayObject>();
  if (first) {
    a->Add(first->Clone());
    a->Add(std::move(first));
  }
  return a;
}

// A dictionary such as another writer might produce: the file identifier as a
// literal or hex string of any length, /P signed or unsigned, /R and /Length
// as given.
struct ForeignFile {
  std::string fileId;
  bool hexStrings = true;
  int revision = 3;
  int lengthBits = 128;  // 0: no /Length entry
  bool writeR = true;
  bool unsignedP = false;
};

void BuildForeign(const ForeignFile& f, std::string_view owner, std::string_view user, int32_t p,
                  std::unique_ptr<TzkPDFDictObject>& dict, std::unique_ptr<TzkPDFArrayObject>& id) {
  const size_t n = f.revision == 2 ? 5 : size_t((f.lengthBits ? f.lengthBits : 40) / 8);
  const std::string pu = TzkBasePDFCrypt::PadPassword(user);
  const std::string o =
      TzkBasePDFCrypt::ComputeO(TzkBasePDFCrypt::PadPassword(owner), pu, f.revision, n);
  const std::string key = TzkBasePDFCrypt::ComputeFileKey(pu, o, uint32_t(p), f.fileId, f.revision, n);
  const std::string u = TzkBasePDFCrypt::ComputeU(key, f.fileId, f.revision);
  auto str = [&](const std::string& bytes) -> TzkPDFObjectPtr {
    if (f.hexStrings) return std::make_unique<TzkPDFStringObject>(Delimited('<', BytesToHex(bytes), '>'), true);
    return TzkPDFStringObject::Literal(bytes);
  };
  dict = std::make_unique<TzkPDFDictObject>();
  dict->AddName("/Filter", "/Standard");
  dict->AddValue("/O", str(o));
  dict->AddValue("/U", str(u));
  if (f.unsignedP)
    dict->AddValue("/P", std::make_unique<TzkPDFInt64Object>(int64_t(uint32_t(p))));
  else
    dict->AddInteger("/P", p);
  if (f.writeR) dict->AddInteger("/R", f.revision);
  if (f.lengthBits) dict->AddInteger("/Length", f.lengthBits);
  id = f.fileId.empty() ? nullptr : IdArray(str(f.fileId));
}

TEST(EncryptionDictionary, ReadsForeignVariantsAndOpensThem) {
  const std::string id16 = FromHex("fa075a5e4f644cd7a0e4fba236793567");
  const struct {
    const char* name;
    ForeignFile file;
    size_t keyLength;
    TzkPDFEncryptionLevel level;
  } cases[] = {
      {"R3 128 hex", {id16}, 16, el128bit},
      {"R3 128 literal strings", {id16, false}, 16, el128bit},
      {"R2 40", {id16, true, 2, 40}, 5, el40bit},
      {"R3 with a 40-bit key", {id16, true, 3, 40}, 5, el40bit},
      {"R3 without /Length", {id16, true, 3, 0}, 5, el40bit},
      {"R3 with a 56-bit key", {id16, true, 3, 56}, 7, el128bit},
      {"no /R, /Length 128", {id16, true, 3, 128, false}, 16, el128bit},
      {"no /R, no /Length", {id16, true, 2, 0, false}, 5, el40bit},
      {"identifier of 8 bytes", {"12345678", false}, 16, el128bit},
      {"identifier of 24 bytes", {std::string(24, '\xA5')}, 16, el128bit},
      {"no identifier", {""}, 16, el128bit},
      {"unsigned /P", {id16, true, 3, 128, true, true}, 16, el128bit},
  };
  const int32_t p = TzkBasePDFCrypt::ComputeP(el128bit, TzkUserPermissions::All() - AllowPrint);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TzkPDFDictObject> dict;
    std::unique_ptr<TzkPDFArrayObject> id;
    BuildForeign(c.file, "OWNER", "USER", p, dict, id);
    TzkPDFDecrypt r;
    r.ReadEncryptionDictionary(*dict, id.get());
    EXPECT_EQ(r.FileID(), c.file.fileId);
    EXPECT_EQ(r.KeyLength(), c.keyLength);
    EXPECT_EQ(r.Level(), c.level);
    EXPECT_EQ(r.P(), uint32_t(p));
    std::string recovered;
    EXPECT_TRUE(r.CheckOwnerPassword("OWNER", &recovered));
    EXPECT_EQ(recovered, "USER");
    TzkPDFDecrypt u;
    u.ReadEncryptionDictionary(*dict, id.get());
    EXPECT_TRUE(u.CheckUserPassword("USER"));
    EXPECT_FALSE(u.CheckUserPassword("OWNER"));
    EXPECT_EQ(u.Key(), r.Key());
  }
}

TEST(EncryptionDictionary, EmptyIdentifierArrayMeansNoIdentifier) {
  std::unique_ptr<TzkPDFDictObject> dict;
  std::unique_ptr<TzkPDFArrayObject> id;
  BuildForeign({""}, "o", "u", -4, dict, id);
  TzkPDFArrayObject empty;
  TzkPDFDecrypt r;
  r.ReadEncryptionDictionary(*dict, &empty);
  EXPECT_EQ(r.FileID(), "");
  EXPECT_TRUE(r.CheckUserPassword("u"));
}

TEST(EncryptionDictionary, UnusableEntriesRaiseTheirErrors) {
  using Edit = std::function<void(TzkPDFDictObject&, std::unique_ptr<TzkPDFArrayObject>&)>;
  const struct {
    const char* name;
    Edit edit;
    const char* message;
  } cases[] = {
      {"no /O", [](auto& d, auto&) { d.Remove("/O"); }, "Invalid Owner Key."},
      {"/O a name", [](auto& d, auto&) { d.SetName("/O", "/X"); }, "Invalid Owner Key."},
      {"no /U", [](auto& d, auto&) { d.Remove("/U"); }, "Invalid User Key."},
      {"/U an integer", [](auto& d, auto&) { d.SetInteger("/U", 1); }, "Invalid User Key."},
      {"no /P", [](auto& d, auto&) { d.Remove("/P"); },
       "Invalid permission in encryption dictionary"},
      {"/P a real", [](auto& d, auto&) { d.SetValue("/P", std::make_unique<TzkPDFRealObject>(-4.0)); },
       "Invalid permission in encryption dictionary"},
      {"/ID element an integer", [](auto&, auto& id) { id = IdArray(std::make_unique<TzkPDFIntegerObject>(7)); },
       "Invalid FileId."},
      {"/R 7", [](auto& d, auto&) { d.SetInteger("/R", 7); }, "Unsupported security handler revision 7"},
      // Revisions 5 and 6 need 48 bytes of O and U.
      {"/R 5 with 32-byte /O", [](auto& d, auto&) { d.SetInteger("/R", 5); }, "Invalid Owner Key."},
      {"/V 4 naming a crypt filter it lacks",
       [](auto& d, auto&) {
         d.SetInteger("/V", 4);
         d.SetInteger("/R", 4);
         d.SetName("/StmF", "/Foo");
       },
       "Unsupported crypt filter /Foo"},
      {"/V 4 with an unknown method",
       [](auto& d, auto&) {
         d.SetInteger("/V", 4);
         d.SetInteger("/R", 4);
         auto entry = std::make_unique<TzkPDFDictObject>();
         entry->AddName("/CFM", "/Magic");
         auto cf = std::make_unique<TzkPDFDictObject>();
         cf->AddValue("/StdCF", std::move(entry));
         d.SetValue("/CF", std::move(cf));
       },
       "Unsupported crypt filter /Magic"},
      {"/Length 0", [](auto& d, auto&) { d.SetInteger("/Length", 0); },
       "Invalid key length 0 in encryption dictionary"},
      {"/Length 4096", [](auto& d, auto&) { d.SetInteger("/Length", 4096); },
       "Invalid key length 4096 in encryption dictionary"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<TzkPDFDictObject> dict;
    std::unique_ptr<TzkPDFArrayObject> id;
    BuildForeign({"0123456789abcdef"}, "o", "u", -4, dict, id);
    c.edit(*dict, id);
    TzkPDFDecrypt r;
    EXPECT_EQ(ThrownMessage([&] { r.ReadEncryptionDictionary(*dict, id.get()); }), c.message)
        << c.name;
  }
}

// O or U longer than 32 bytes: only the first 32 count.
TEST(EncryptionDictionary, LongerOwnerAndUserValuesAreCutTo32Bytes) {
  std::unique_ptr<TzkPDFDictObject> dict;
  std::unique_ptr<TzkPDFArrayObject> id;
  BuildForeign({"0123456789abcdef", false}, "o", "u", -4, dict, id);
  for (const char* key : {"/O", "/U"}) {
    auto* s = dict->LookupAs<TzkPDFStringObject>(key);
    s->SetText(Delimited('(', s->Content() + "extra bytes", ')'), false);
  }
  TzkPDFDecrypt r;
  r.ReadEncryptionDictionary(*dict, id.get());
  EXPECT_EQ(r.O().size(), 32u);
  EXPECT_TRUE(r.CheckOwnerPassword("o"));
}

// ---------------------------------------------------------------------------
// AES-256 (revision 6) and crypt filters

TEST(AES256Handler, WrittenValuesOpenWithEitherPassword) {
  const std::string japanese = "\xE5\x88\xA9\xE7\x94\xA8\xE8\x80\x85";  // 利用者
  const struct {
    const char* name;
    std::string owner, user;
    std::string ownerTry;  // what opens it with owner rights
    TzkUserPermissions permissions;
  } cases[] = {
      {"both set", "OWNER", "USER", "OWNER", TzkUserPermissions::All() - AllowPrint},
      {"empty owner takes the user password", "", "USER", "USER", TzkUserPermissions::All()},
      {"both empty", "", "", "", TzkUserPermissions{AllowCopy}},
      {"Japanese user password", "OWNER", japanese, "OWNER", TzkUserPermissions::All() - AllowModify},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TzkPDFEncryption w(Settings(el256bitAES, c.owner, c.user, c.permissions), std::string(16, 'i'));
    EXPECT_EQ(w.Revision(), 6);
    ASSERT_EQ(w.KeyLength(), 32u);
    EXPECT_EQ(w.O().size(), 48u);
    EXPECT_EQ(w.U().size(), 48u);
    EXPECT_EQ(w.OE().size(), 32u);
    EXPECT_EQ(w.UE().size(), 32u);
    EXPECT_EQ(w.Perms().size(), 16u);
    EXPECT_EQ(w.P(), TzkBasePDFCrypt::ComputeP(el128bit, c.permissions));  // same bits as 128-bit RC4
    const auto dict = w.CreateEncryptionDictionary();

    auto reader = [&] {
      TzkPDFDecrypt r;
      r.ReadEncryptionDictionary(*dict, w.CreateFileIDArray().get());
      return r;
    };
    TzkPDFDecrypt owner = reader();
    ASSERT_TRUE(owner.CheckOwnerPassword(c.ownerTry));
    EXPECT_EQ(owner.Key(), w.Key());
    EXPECT_TRUE(owner.PermsMatch());
    TzkPDFDecrypt user = reader();
    ASSERT_TRUE(user.CheckUserPassword(c.user));
    EXPECT_EQ(user.Key(), w.Key());
    EXPECT_EQ(user.Permissions(), TzkBasePDFCrypt::PermissionsFromP(uint32_t(w.P()), true));
    TzkPDFDecrypt wrong = reader();
    EXPECT_FALSE(wrong.CheckOwnerPassword("wrong"));
    EXPECT_FALSE(wrong.CheckUserPassword("wrong"));

    // Every string and stream gets a fresh IV: the same text twice differs.
    const std::string plain = "BT /F1 12 Tf (Hello) Tj ET";
    std::string data = w.Encrypted(plain, 7);
    EXPECT_FALSE(w.PreservesLength());
    EXPECT_EQ(data.size(), 16u + 32u);
    EXPECT_NE(data, w.Encrypted(plain, 7));
    user.Decrypt(data, 7, 0);
    EXPECT_EQ(data, plain);
  }
}

TEST(AES256Handler, EncryptionDictionaryDeclaresTheCryptFilter) {
  TzkPDFEncryption w(Settings(el256bitAES, "o", "u", TzkUserPermissions::All()), std::string(16, 'i'));
  const auto dict = w.CreateEncryptionDictionary();
  std::string keys;
  for (int32_t i = 0; i < dict->Count(); ++i) keys += dict->KeyName(i);
  EXPECT_EQ(keys, "/Filter/O/U/P/V/R/Length/CF/StmF/StrF/OE/UE/Perms");
  EXPECT_EQ(dict->LookupAs<TzkPDFIntegerObject>("/V")->Value(), 5);
  EXPECT_EQ(dict->LookupAs<TzkPDFIntegerObject>("/Length")->Value(), 256);
  const auto* stdCF = dict->LookupAs<TzkPDFDictObject>("/CF")->LookupAs<TzkPDFDictObject>("/StdCF");
  ASSERT_NE(stdCF, nullptr);
  EXPECT_EQ(stdCF->LookupAs<TzkPDFNameObject>("/CFM")->Text(), "/AESV3");
  EXPECT_EQ(stdCF->LookupAs<TzkPDFNameObject>("/AuthEvent")->Text(), "/DocOpen");
  EXPECT_EQ(stdCF->LookupAs<TzkPDFIntegerObject>("/Length")->Value(), 32);
  EXPECT_EQ(dict->LookupAs<TzkPDFNameObject>("/StmF")->Text(), "/StdCF");
  EXPECT_EQ(dict->LookupAs<TzkPDFNameObject>("/StrF")->Text(), "/StdCF");
  ASSERT_NE(w.CreateExtensionsDictionary(), nullptr);
  TzkPDFEncryption rc4(Settings(el128bit, "o", "u", TzkUserPermissions::All()), std::string(16, 'i'));
  EXPECT_EQ(rc4.CreateExtensionsDictionary(), nullptr);
}

// A revision 4 file whose streams use AES-128 and whose strings are plain:
// the stream's own dictionary can still pick another crypt filter.
TEST(CryptFilters, TheStreamDictionaryChoosesTheMethod) {
  // Revision 4 shares the password algorithms of revision 3.
  TzkPDFEncryption w(Settings(el128bit, "o", "u", TzkUserPermissions::All()), std::string(16, 'i'));
  auto dict = w.CreateEncryptionDictionary();
  dict->SetInteger("/V", 4);
  dict->SetInteger("/R", 4);
  auto aes = std::make_unique<TzkPDFDictObject>();
  aes->AddName("/CFM", "/AESV2");
  auto rc4 = std::make_unique<TzkPDFDictObject>();
  rc4->AddName("/CFM", "/V2");
  auto cf = std::make_unique<TzkPDFDictObject>();
  cf->AddValue("/StdCF", std::move(aes));
  cf->AddValue("/Old", std::move(rc4));
  dict->AddValue("/CF", std::move(cf));
  dict->AddName("/StmF", "/StdCF");
  dict->AddName("/StrF", "/Identity");
  TzkPDFDecrypt r;
  r.ReadEncryptionDictionary(*dict, w.CreateFileIDArray().get());
  ASSERT_TRUE(r.CheckUserPassword("u"));
  EXPECT_EQ(r.MethodName(), "AES-128");

  const std::string plain = "stream data of object 12";
  // AES-128 with the object key (the RC4 input followed by "sAlT").
  const std::string aesKey =
      DigestBytes(TzkMD5::Digest(TzkBasePDFCrypt::ObjectKeyInput(w.Key(), 12, 0) + "sAlT"));
  const std::string aesData = AESEncryptWithIV(aesKey, std::string(16, 'v'), plain);
  const std::string rc4Data = w.Encrypted(plain, 12);  // RC4 with the same file key

  auto parse = [](const std::string& text) {
    TzkPDFStreamReader reader(1, text);
    TzkPDFObjectPtr o = reader.ReadObject();
    return std::unique_ptr<TzkPDFDictObject>(static_cast<TzkPDFDictObject*>(o.release()));
  };
  const struct {
    const char* name;
    std::string dict;
    std::string data;
    std::string filtersAfter;  // the /Filter and /DecodeParms left
  } cases[] = {
      {"default: /StmF", "<< /Length 5 >>", aesData, ""},
      {"metadata is encrypted by default", "<< /Type /Metadata >>", aesData, ""},
      {"cross-reference stream never", "<< /Type /XRef >>", plain, ""},
      {"own /Identity filter", "<< /Filter /Crypt /DecodeParms << /Name /Identity >> >>", plain, ""},
      {"/Crypt without parameters is /Identity", "<< /Filter /Crypt >>", plain, ""},
      {"own RC4 filter before Flate",
       "<< /Filter [ /Crypt /FlateDecode ] /DecodeParms [ << /Name /Old >> null ] >>", rc4Data,
       "[ /FlateDecode ] [ null ]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto streamDict = parse(c.dict);
    std::string data = c.data;
    r.DecryptStream(data, 12, 0, streamDict.get());
    EXPECT_EQ(data, plain);
    std::string filters;
    for (const char* key : {"/Filter", "/DecodeParms"}) {
      if (const TzkPDFObject* v = streamDict->Lookup(key)) filters += (filters.empty() ? "" : " ") + v->ToText();
    }
    EXPECT_EQ(filters, c.filtersAfter);
  }
  // Strings go through /StrF: here they are not encrypted.
  std::string text = plain;
  r.Decrypt(text, 12, 0);
  EXPECT_EQ(text, plain);
}

}  // namespace
}  // namespace sarvane::pdf
