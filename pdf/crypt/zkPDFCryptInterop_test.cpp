// The security handler against qpdf: files qpdf encrypts open here with the
// same keys, the writing side reproduces qpdf's values, and qpdf decrypts
// files encrypted here.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/objects/zkPDFObjects.h"
#include "pdf/objects/zkPDFParser.h"
#include "pdf/objects/zkPDFXRef.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf {
namespace {

using namespace sarvane::interop;

std::string FromHex(std::string_view hex) { return HexToBytes(hex); }

std::string ToLowerHex(std::string_view bytes) {
  std::string h = BytesToHex(bytes);
  for (char& c : h) c = char(std::tolower(static_cast<unsigned char>(c)));
  return h;
}

// Values taken from qpdf's JSON: strings are "b:<hex>".
std::string JsonBytes(const std::string& json, const std::string& key) {
  const std::string tag = "\"" + key + "\": \"b:";
  const size_t at = json.find(tag);
  if (at == std::string::npos) return "(missing " + key + ")";
  const size_t start = at + tag.size();
  return FromHex(json.substr(start, json.find('"', start) - start));
}

long long JsonInteger(const std::string& json, const std::string& key) {
  const std::string tag = "\"" + key + "\": ";
  const size_t at = json.find(tag);
  if (at == std::string::npos) return -999999;
  return std::stoll(json.substr(at + tag.size()));
}

std::string JsonFirstId(const std::string& json) {
  const size_t at = json.find("\"/ID\": [");
  if (at == std::string::npos) return "(missing /ID)";
  const size_t b = json.find("\"b:", at);
  const size_t start = b + 3;
  return FromHex(json.substr(start, json.find('"', start) - start));
}

// Encryption switched on with the given level, passwords and permissions.
TzkPDFEncryptionSettings Settings(TzkPDFEncryptionLevel level, const std::string& owner, const std::string& user,
                                  TzkUserPermissions permissions) {
  TzkPDFEncryptionSettings s;
  s.SetEnabled(true);
  s.SetLevel(level);
  s.SetOwnerPassword(owner);
  s.SetUserPassword(user);
  s.SetUserPermissions(permissions);
  return s;
}

struct QpdfCase {
  const char* name;
  TzkPDFEncryptionLevel level;
  std::string user, owner;
  std::string flags;  // qpdf's permission options
  TzkUserPermissions permissions;
};

TEST(QpdfInterop, FilesEncryptedByQpdfOpenWithTheSameKeys) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
  const auto all = TzkUserPermissions::All();
  const QpdfCase cases[] = {
      {"40 all allowed", el40bit, "USER", "OWNER", "", all},
      {"40 no print", el40bit, "USER", "OWNER", "--print=n", all - AllowPrint},
      {"40 nothing allowed", el40bit, "USER", "OWNER",
       "--print=n --modify=n --extract=n --annotate=n",
       TzkUserPermissions{AllowFormFill, AllowAccessibility, AllowDocAssembly, AllowHighResPrint}},
      {"40 empty user", el40bit, "", "OWNER", "--extract=n", all - AllowCopy},
      {"128 all allowed", el128bit, "USER", "OWNER", "", all},
      {"128 no print", el128bit, "USER", "OWNER", "--print=none", all - AllowPrint},
      {"128 low-res print", el128bit, "USER", "OWNER", "--print=low", all - AllowHighResPrint},
      {"128 nothing allowed", el128bit, "USER", "OWNER",
       "--print=none --modify=none --extract=n --accessibility=n --assemble=n --annotate=n "
       "--form=n --modify-other=n",
       {}},
      {"128 no forms, assembly, accessibility", el128bit, "secret user", "secret owner",
       "--form=n --assemble=n --accessibility=n",
       all - AllowFormFill - AllowDocAssembly - AllowAccessibility},
      {"128 both empty", el128bit, "", "", "--modify-other=n", all - AllowModify},
      {"128 long passwords", el128bit, std::string(40, 'u'), std::string(45, 'o'), "", all},
  };
  TTempFolder dir("sarvane-crypt");
  const std::string in = dir.Dir() + "in.pdf", out = dir.Dir() + "out.pdf";
  ASSERT_EQ(RunCommand("qpdf --empty " + Quote(in)).status, 0);

  for (const QpdfCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bits = c.level == el40bit ? "40" : "128 --use-aes=n";
    const TCommandRun enc =
        RunCommand("qpdf --allow-weak-crypto --encrypt " + Quote(c.user) + " " + Quote(c.owner) + " " +
            bits + " " + c.flags + " -- " + Quote(in) + " " + Quote(out));
    ASSERT_EQ(enc.status, 0) << enc.out;
    const TCommandRun json =
        RunCommand("qpdf --json=2 --json-key=qpdf --password=" + Quote(c.owner) + " " + Quote(out));
    ASSERT_EQ(json.status, 0) << json.out;
    const TCommandRun shown = RunCommand("qpdf --show-encryption-key --show-encryption --password=" +
                                Quote(c.owner) + " " + Quote(out));
    ASSERT_EQ(shown.status, 0) << shown.out;
    const size_t keyAt = shown.out.find("Encryption key = ");
    ASSERT_NE(keyAt, std::string::npos) << shown.out;
    const std::string qpdfKey = shown.out.substr(keyAt + 17, shown.out.find('\n', keyAt) - keyAt - 17);

    const std::string o = JsonBytes(json.out, "/O");
    const std::string u = JsonBytes(json.out, "/U");
    const std::string id = JsonFirstId(json.out);
    const long long p = JsonInteger(json.out, "/P");
    const long long r = JsonInteger(json.out, "/R");
    const long long length = JsonInteger(json.out, "/Length");
    ASSERT_EQ(o.size(), 32u) << json.out;
    ASSERT_EQ(u.size(), 32u) << json.out;
    ASSERT_EQ(id.size(), 16u) << json.out;
    ASSERT_EQ(r, c.level == el40bit ? 2 : 3);

    auto reader = [&] {
      TzkPDFDecrypt d;
      d.SetFileID(id);
      d.SetO(o);
      d.SetU(u);
      d.SetP(p);
      d.SetRevision(int(r), int(length));
      return d;
    };
    // Owner password: the key qpdf reports, and the user password recovered.
    TzkPDFDecrypt owner = reader();
    std::string recovered;
    ASSERT_TRUE(owner.CheckOwnerPassword(c.owner, &recovered));
    EXPECT_EQ(ToLowerHex(owner.Key()), qpdfKey);
    EXPECT_EQ(TzkBasePDFCrypt::PadPassword(recovered), TzkBasePDFCrypt::PadPassword(c.user));
    EXPECT_EQ(recovered, c.user.substr(0, 32));
    // User password: same key, permissions as granted.
    TzkPDFDecrypt user = reader();
    ASSERT_TRUE(user.CheckUserPassword(c.user));
    EXPECT_EQ(user.Key(), owner.Key());
    EXPECT_EQ(user.Permissions(), TzkBasePDFCrypt::PermissionsFromP(uint32_t(p), r >= 3));
    // Wrong passwords fail (with both empty, only a non-empty one is wrong).
    TzkPDFDecrypt wrong = reader();
    EXPECT_FALSE(wrong.CheckOwnerPassword("wrong"));
    EXPECT_FALSE(wrong.CheckUserPassword("wrong"));
    if (c.owner != c.user) {
      EXPECT_FALSE(wrong.CheckOwnerPassword(c.user));
    }

    // The writing side, given the same passwords, permissions and identifier.
    const TzkPDFEncryptionSettings s = Settings(c.level, c.owner, c.user, c.permissions);
    TzkPDFEncryption w(s, id);
    EXPECT_EQ(w.P(), p);
    EXPECT_EQ(BytesToHex(w.O()), BytesToHex(o));
    // Revision 3 leaves the last 16 bytes of U free; qpdf fills them, we write zeros.
    const size_t uSignificant = c.level == el40bit ? 32 : 16;
    EXPECT_EQ(BytesToHex(w.U().substr(0, uSignificant)), BytesToHex(u.substr(0, uSignificant)));
    EXPECT_EQ(ToLowerHex(w.Key()), qpdfKey);
  }
}

// A minimal file: catalog, empty page tree, an information dictionary whose
// /Title is encrypted, a content stream, and the encryption dictionary.
// Without an encryption dictionary the file is plain, and the information
// dictionary refers to the stream so that rewriting programs keep it.
std::string MinimalEncryptedFile(const std::string& encryptDict, const std::string& idArray,
                                 const std::string& encryptedTitle,
                                 const std::string& encryptedStream) {
  const bool encrypted = !encryptDict.empty();
  std::string f = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  auto obj = [&](const std::string& body) {
    offsets.push_back(f.size());
    f += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
  };
  obj("<< /Type /Catalog /Pages 2 0 R >>");
  obj("<< /Type /Pages /Kids [] /Count 0 >>");
  obj("<< /Title <" + BytesToHex(encryptedTitle) + "> /Data 4 0 R >>");
  obj("<< /Length " + std::to_string(encryptedStream.size()) + " >>\nstream\n" + encryptedStream +
      "\nendstream");
  if (encrypted) obj(encryptDict);
  const size_t xref = f.size();
  f += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    f += line;
  }
  f += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) +
       " /Root 1 0 R /Info 3 0 R" + (encrypted ? " /Encrypt 5 0 R /ID " + idArray : "") +
       " >>\nstartxref\n" +
       std::to_string(xref) + "\n%%EOF\n";
  return f;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kTitle = "Quarterly figures (draft)";
const std::string kContent = "BT /F1 12 Tf 72 712 Td (Hello, reader) Tj ET";

// qpdf decrypts with the given password and shows the plain title and stream.
void ExpectQpdfDecrypts(const std::string& path, const std::string& password, bool isOwner) {
  const TCommandRun title =
      RunCommand("qpdf --password=" + Quote(password) + " --show-object=3 " + Quote(path));
  ASSERT_EQ(title.status, 0) << title.out;
  EXPECT_NE(title.out.find("(Quarterly figures \\(draft\\))"), std::string::npos) << title.out;
  const TCommandRun data = RunCommand("qpdf --password=" + Quote(password) +
                             " --show-object=4 --filtered-stream-data " + Quote(path));
  ASSERT_EQ(data.status, 0) << data.out;
  EXPECT_EQ(data.out, kContent);
  const TCommandRun shown =
      RunCommand("qpdf --show-encryption --password=" + Quote(password) + " " + Quote(path));
  EXPECT_NE(shown.out.find(isOwner ? "Supplied password is owner password"
                                      : "Supplied password is user password"),
            std::string::npos)
      << shown.out;
}

TEST(QpdfInterop, QpdfDecryptsWhatTheWritingSideEncrypts) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
  const struct {
    TzkPDFEncryptionLevel level;
    std::string owner, user;
    TzkUserPermissions permissions;
    const char* qpdfP;
  } cases[] = {
      {el40bit, "OWNER", "USER", TzkUserPermissions::All() - AllowCopy, "P = -20"},
      {el128bit, "OWNER", "USER", TzkUserPermissions::All() - AllowPrint, "P = -2056"},
      {el128bit, "", "only user", TzkUserPermissions::All(), "P = -4"},
  };
  TTempFolder dir("sarvane-crypt");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.qpdfP);
    const TzkPDFEncryptionSettings s = Settings(c.level, c.owner, c.user, c.permissions);
    TzkPDFEncryption w("Output1.pdf", s, "D:20240102030405+09'00'");
    TzkPDFTrailer trailer;
    const auto dict = w.CreateEncryptionDictionary(trailer);
    const std::string path = dir.Dir() + "ours.pdf";
    WriteFile(path, MinimalEncryptedFile(dict->ToText(), trailer.Identifier->ToText(),
                                         w.Encrypted(kTitle, 3), w.Encrypted(kContent, 4)));
    const TCommandRun check = RunCommand("qpdf --check --password=" + Quote(c.user) + " " + Quote(path));
    ASSERT_EQ(check.status, 0) << check.out;
    ExpectQpdfDecrypts(path, c.owner.empty() ? c.user : c.owner, !c.owner.empty());
    if (!c.owner.empty()) ExpectQpdfDecrypts(path, c.user, false);
    EXPECT_NE(RunCommand("qpdf --password=wrong --show-object=3 " + Quote(path)).status, 0);
    const TCommandRun shown =
        RunCommand("qpdf --show-encryption --password=" + Quote(c.user) + " " + Quote(path));
    EXPECT_NE(shown.out.find(c.qpdfP), std::string::npos) << shown.out;
  }
}

// Revision 3 with a key shorter than 128 bits, as other writers produce:
// qpdf must read the values derived here, and so must the reading side.
TEST(QpdfInterop, Revision3WithShortKeysAgreesWithQpdf) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
  TTempFolder dir("sarvane-crypt");
  const std::string id = FromHex("0f1e2d3c4b5a69788796a5b4c3d2e1f0");
  for (int bits : {40, 64, 96, 128}) {
    SCOPED_TRACE(bits);
    const size_t n = size_t(bits / 8);
    const int32_t p = TzkBasePDFCrypt::ComputeP(el128bit, TzkUserPermissions::All() - AllowModify);
    const std::string pu = TzkBasePDFCrypt::PadPassword("user pw");
    const std::string o =
        TzkBasePDFCrypt::ComputeO(TzkBasePDFCrypt::PadPassword("owner pw"), pu, 3, n);
    const std::string key = TzkBasePDFCrypt::ComputeFileKey(pu, o, uint32_t(p), id, 3, n);
    const std::string u = TzkBasePDFCrypt::ComputeU(key, id, 3);

    TzkPDFDictObject dict;
    dict.AddName("/Filter", "/Standard");
    dict.AddValue("/O", std::make_unique<TzkPDFStringObject>("<" + BytesToHex(o) + ">", true));
    dict.AddValue("/U", std::make_unique<TzkPDFStringObject>("<" + BytesToHex(u) + ">", true));
    dict.AddInteger("/P", p);
    dict.AddInteger("/V", 2);
    dict.AddInteger("/R", 3);
    dict.AddInteger("/Length", bits);
    TzkPDFArrayObject ids;
    ids.Add(std::make_unique<TzkPDFStringObject>("<" + BytesToHex(id) + ">", true));
    ids.Add(std::make_unique<TzkPDFStringObject>("<" + BytesToHex(id) + ">", true));

    TzkPDFDecrypt r;
    r.ReadEncryptionDictionary(dict, &ids);
    ASSERT_EQ(r.KeyLength(), n);
    ASSERT_TRUE(r.CheckUserPassword("user pw"));
    EXPECT_EQ(r.Key(), key);
    // RC4 is its own inverse: the reader's decryption encrypts the fixture.
    std::string title = kTitle, content = kContent;
    r.Decrypt(title, 3, 0);
    r.Decrypt(content, 4, 0);
    const std::string path = dir.Dir() + "short.pdf";
    WriteFile(path, MinimalEncryptedFile(dict.ToText(), ids.ToText(), title, content));
    ExpectQpdfDecrypts(path, "owner pw", true);
    ExpectQpdfDecrypts(path, "user pw", false);
    const TCommandRun shown = RunCommand("qpdf --show-encryption-key --show-encryption --password='user pw' " + Quote(path));
    EXPECT_NE(shown.out.find("Encryption key = " + ToLowerHex(key) + "\n"), std::string::npos)
        << shown.out;

    TzkPDFDecrypt owner;
    owner.ReadEncryptionDictionary(dict, &ids);
    std::string recovered;
    ASSERT_TRUE(owner.CheckOwnerPassword("owner pw", &recovered));
    EXPECT_EQ(recovered, "user pw");
  }
}

// Positions the reader on "n 0 obj" and reads the object.
std::unique_ptr<TzkPDFIndirectObject> ReadObjectNumber(TzkPDFStreamReader& reader, int32_t number) {
  const std::string header = "\n" + std::to_string(number) + " 0 obj";
  const size_t at = reader.Data().find(header);
  if (at == std::string_view::npos) return nullptr;
  reader.Seek(int64_t(at + 1));
  TzkPDFObjectPtr object = reader.ReadObject();
  if (!object || !object->IsIndirectObject()) return nullptr;
  return std::unique_ptr<TzkPDFIndirectObject>(static_cast<TzkPDFIndirectObject*>(object.release()));
}

// The whole reading path on a file qpdf encrypted: the parser reads the
// encryption dictionary (qpdf writes /O and /U as escaped literal strings),
// the reading side checks the password and, installed as the parser's hook,
// decrypts the strings and streams that follow.
TEST(QpdfInterop, ParserWithTheReadingSideDecryptsQpdfOutput) {
  if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
  TTempFolder dir("sarvane-crypt");
  const std::string plain = dir.Dir() + "plain.pdf", out = dir.Dir() + "enc.pdf";
  WriteFile(plain, MinimalEncryptedFile("", "", kTitle, kContent));
  const struct {
    const char* bits;
    const char* password;
    bool owner;
  } cases[] = {{"40", "USER", false},
               {"40", "OWNER", true},
               {"128 --use-aes=n", "USER", false},
               {"128 --use-aes=n", "OWNER", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.bits) + " " + c.password);
    const TCommandRun enc = RunCommand("qpdf --allow-weak-crypto --object-streams=disable --compress-streams=n --encrypt USER OWNER " +
                                     std::string(c.bits) + " -- " + Quote(plain) + " " + Quote(out));
    ASSERT_EQ(enc.status, 0) << enc.out;

    TzkPDFStreamReader reader(1, ReadFile(out));
    reader.Seek(int64_t(reader.Data().rfind("trailer")));
    const auto trailer = reader.ReadTrailer();
    ASSERT_TRUE(trailer);
    const auto* encryptRef = trailer->LookupAs<TzkPDFIndirectReference>("/Encrypt");
    const auto* infoRef = trailer->LookupAs<TzkPDFIndirectReference>("/Info");
    const auto* id = trailer->LookupAs<TzkPDFArrayObject>("/ID");
    ASSERT_TRUE(encryptRef && infoRef && id);
    const auto encrypt = ReadObjectNumber(reader, encryptRef->ObjectNumber());
    ASSERT_TRUE(encrypt && encrypt->Value()->IsDictionary());

    TzkPDFDecrypt decrypt;
    decrypt.ReadEncryptionDictionary(encrypt->Value()->Cast<TzkPDFDictObject>(), id);
    if (c.owner) {
      std::string user;
      ASSERT_TRUE(decrypt.CheckOwnerPassword(c.password, &user));
      EXPECT_EQ(user, "USER");
    } else {
      ASSERT_FALSE(decrypt.CheckOwnerPassword(c.password));
      ASSERT_TRUE(decrypt.CheckUserPassword(c.password));
    }
    reader.SetDecryptHook([&decrypt](std::string& bytes, int32_t number, int32_t generation) {
      decrypt.Decrypt(bytes, number, generation);
    });

    const auto info = ReadObjectNumber(reader, infoRef->ObjectNumber());
    ASSERT_TRUE(info && info->Value()->IsDictionary());
    const auto& infoDict = info->Value()->Cast<TzkPDFDictObject>();
    const auto* title = infoDict.LookupAs<TzkPDFStringObject>("/Title");
    ASSERT_TRUE(title);
    EXPECT_FALSE(title->IsHex());
    EXPECT_EQ(title->Content(), kTitle);

    const auto* dataRef = infoDict.LookupAs<TzkPDFIndirectReference>("/Data");
    ASSERT_TRUE(dataRef);
    const auto stream = ReadObjectNumber(reader, dataRef->ObjectNumber());
    ASSERT_TRUE(stream && stream->Value()->IsStream());
    const auto* length = stream->Value()->Cast<TzkPDFStreamObject>().Dict().LookupAs<TzkPDFIntegerObject>("/Length");
    ASSERT_TRUE(length);
    const auto data = reader.ReadStreamData(length->Value(), stream->ObjectNumber(), stream->Generation());
    EXPECT_EQ(data->Bytes(), kContent);
  }
}

}  // namespace
}  // namespace sarvane::pdf
