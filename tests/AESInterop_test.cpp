// AES both ways, judged by software we did not write: qpdf makes AES-128 and
// AES-256 inputs (revisions 4, 5 and 6, with and without object streams,
// plain metadata, empty and Japanese passwords) that must open here with the
// key qpdf reports; the AES-256 files we write must open in qpdf, poppler and
// MuPDF with the right passwords and permissions.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/AppTestSupport.h"
#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/filters/zkPDFFilters.h"
#include "pdf/objects/zkPDFText.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::doc {
namespace {

namespace fs = std::filesystem;
using testutil::PdfBuilder;
using namespace sarvane::interop;

// Two pages of text, a title, an annotation with a text string and an XMP
// metadata stream (which --cleartext-metadata leaves plain).
std::string SourceDocument() {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /Metadata 9 0 R >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 595 842] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R /Contents 5 0 R /Resources << /Font << /F1 7 0 R >> >> "
                 "/Annots [8 0 R] >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R /Resources << /Font << /F1 7 0 R >> >> >>");
  b.AddStream(5, "", "BT /F1 18 Tf 72 720 Td (Locked with AES, page one) Tj ET");
  b.AddStream(6, "", "BT /F1 18 Tf 72 720 Td (second page \\(two\\)) Tj ET");
  b.AddObject(7, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  b.AddObject(8, "<< /Type /Annot /Subtype /Text /Rect [10 10 30 30] /Contents (a note) >>");
  b.AddStream(9, "/Type /Metadata /Subtype /XML",
              "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
              "</x:xmpmeta><?xpacket end='w'?>");
  b.AddObject(10, "<< /Title (AES \\(test\\)) /Producer (handmade) >>");
  b.FinishTable("/Size 11 /Root 1 0 R /Info 10 0 R /ID [<00112233445566778899AABBCCDDEEFF> "
                "<00112233445566778899AABBCCDDEEFF>]");
  return b.Data();
}

// "Key: value" or "Key = value" lines of qpdf and pdfinfo.
std::string Field(const std::string& text, const std::string& key) {
  size_t pos = 0;
  while ((pos = text.find(key, pos)) != std::string::npos) {
    if (pos == 0 || text[pos - 1] == '\n') {
      const size_t start = text.find_first_not_of(" :=", pos + key.size());
      const size_t end = text.find('\n', pos);
      if (start == std::string::npos || start > end) return "";
      return text.substr(start, end - start);
    }
    pos += key.size();
  }
  return "<missing " + key + ">";
}

std::string LowerHex(std::string_view bytes) {
  std::string h = BytesToHex(bytes);
  for (char& c : h) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return h;
}

// The permissions qpdf reports for a file and password, in our names.
std::map<TzkUserPermissionsType, bool> QpdfPermissions(const std::string& file, const std::string& pw) {
  const TCommandRun r = RunCommand("qpdf --show-encryption --password=" + Quote(pw) + " " + Quote(file));
  static const std::pair<const char*, TzkUserPermissionsType> kLines[] = {
      {"print low resolution: ", AllowPrint},
      {"print high resolution: ", AllowHighResPrint},
      {"extract for any purpose: ", AllowCopy},
      {"extract for accessibility: ", AllowAccessibility},
      {"modify document assembly: ", AllowDocAssembly},
      {"modify forms: ", AllowFormFill},
      {"modify annotations: ", AllowAnnotation},
      {"modify other: ", AllowModify},
  };
  std::map<TzkUserPermissionsType, bool> result;
  for (const auto& [line, permission] : kLines) {
    const size_t at = r.out.find(line);
    if (at == std::string::npos) continue;
    result[permission] = r.out.compare(at + std::strlen(line), 7, "allowed") == 0;
  }
  return result;
}

class AESInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TTempFolder("sarvane-aes");
    dir_ = &folder_->Dir();
    std::ofstream(*dir_ + "source.pdf", std::ios::binary) << SourceDocument();
    text_ = new std::string(Text("source.pdf", ""));
  }
  static void TearDownTestSuite() {
    dir_ = nullptr;
    delete folder_;
    folder_ = nullptr;
    delete text_;
  }
  void SetUp() override {
    if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
    ASSERT_NE(text_->find("Locked with AES"), std::string::npos) << *text_;
  }

  // qpdf with args from the source into name; returns the path.
  static std::string Make(const std::string& name, const std::string& args) {
    const std::string out = *dir_ + name;
    const TCommandRun r = RunCommand("qpdf --allow-weak-crypto " + args + " " + Quote(*dir_ + "source.pdf") + " " +
                                     Quote(out));
    EXPECT_TRUE(r.status == 0 || r.status == 3) << args << "\n" << r.out;
    return out;
  }
  static std::string Cli(const std::string& args) { return Quote(CliPath()) + " " + args; }
  // pdftotext's text of a file of the folder, opened with a user password.
  static std::string Text(const std::string& name, const std::string& userPassword) {
    const std::string option = userPassword.empty() ? std::string() : " -upw " + Quote(userPassword);
    const TCommandRun r = RunCommand("pdftotext" + option + " " + Quote(*dir_ + name) + " -", TStderr::Discard);
    EXPECT_EQ(r.status, 0) << name;
    return r.out;
  }

  static TTempFolder* folder_;
  static const std::string* dir_;  // with a trailing "/"
  static std::string* text_;       // pdftotext of the source
};

TTempFolder* AESInterop::folder_ = nullptr;
const std::string* AESInterop::dir_ = nullptr;
std::string* AESInterop::text_ = nullptr;

struct Opened {
  bool loaded = false;
  bool owner = false;
  std::vector<std::string> warnings;
};

// Loads file into doc, offering the password once.
Opened Open(TzkPDFDocument& doc, const std::string& file, const std::string& password) {
  Opened result;
  doc.OnPassword = [&](TzkComponent*, std::string& pw, bool& cont, int tries) {
    pw = password;
    if (tries > 0) cont = false;
  };
  doc.OnWarning = [&](TzkComponent*, const std::string& w) { result.warnings.push_back(w); };
  result.loaded = doc.LoadDocument(file);
  result.owner = result.loaded && doc.IsOwner();
  return result;
}

// The decrypted and decoded data of the catalog's metadata stream (qpdf
// compresses it unless it stays plain).
std::string MetadataText(TzkPDFDocument& doc) {
  const auto* stream = ObjectAs<TzkPDFStreamObject>(doc.ObjectStore().Resolve(doc.Catalog().Metadata.get()));
  if (!stream) return "<no metadata>";
  return DecodeChain(stream->DataBytes(), stream->Dict().Lookup("/Filter"), stream->Dict().Lookup("/DecodeParms"));
}

TEST_F(AESInterop, QpdfFilesOpenWithEitherPasswordAndQpdfsKey) {
  const std::string japaneseUser = "パスワード";
  const std::string japaneseOwner = "所有者の鍵";
  const struct {
    const char* name;
    std::string args;
    std::string user, owner;
    const char* method;
    int revision;
  } cases[] = {
      {"AES-128", "--encrypt usr own 128 --use-aes=y --print=low --extract=n --", "usr", "own", "AES-128", 4},
      {"AES-128, object streams, plain metadata",
       "--object-streams=generate --encrypt usr own 128 --use-aes=y --cleartext-metadata --annotate=n --", "usr",
       "own", "AES-128", 4},
      {"AES-128, both passwords empty", "--encrypt '' '' 128 --use-aes=y --", "", "", "AES-128", 4},
      {"AES-256", "--encrypt usr own 256 --print=none --modify=annotate --", "usr", "own", "AES-256", 6},
      {"AES-256 revision 5", "--encrypt usr own 256 --force-R5 --extract=n --", "usr", "own", "AES-256", 5},
      {"AES-256, object streams, plain metadata",
       "--object-streams=generate --encrypt usr own 256 --cleartext-metadata --assemble=n --", "usr", "own",
       "AES-256", 6},
      {"AES-256, empty user password", "--encrypt '' own 256 --form=n --", "", "own", "AES-256", 6},
      {"AES-256, Japanese passwords", "--encrypt " + japaneseUser + " " + japaneseOwner + " 256 --", japaneseUser,
       japaneseOwner, "AES-256", 6},
      // qpdf skips SASLprep: the file holds the full-width letters, which
      // SASLprep would turn into ASCII; the plain UTF-8 must still open it.
      {"AES-256, full-width password", "--encrypt ＵＳＲ own 256 --", "ＵＳＲ", "own", "AES-256", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Make("in.pdf", c.args);
    for (const std::string& password : {c.owner, c.user}) {
      const bool asOwner = password == c.owner;
      SCOPED_TRACE(asOwner ? "owner password" : "user password");
      TzkPDFDocument doc;
      const Opened opened = Open(doc, file, password);
      ASSERT_TRUE(opened.loaded);
      EXPECT_TRUE(opened.warnings.empty()) << opened.warnings.front();
      EXPECT_EQ(opened.owner, asOwner);
      ASSERT_NE(doc.Decryptor(), nullptr);
      EXPECT_EQ(doc.Decryptor()->MethodName(), c.method);
      EXPECT_EQ(doc.Decryptor()->Revision(), c.revision);
      EXPECT_EQ(doc.Encryption().Level(), el256bitAES);  // a re-save stays AES
      const TCommandRun key =
          RunCommand("qpdf --show-encryption-key --show-encryption --password=" + Quote(password) + " " + Quote(file));
      EXPECT_EQ(LowerHex(doc.Decryptor()->Key()), Field(key.out, "Encryption key")) << key.out;
      EXPECT_EQ(doc.PageCount(), 2);
      EXPECT_EQ(doc.DocumentInfo().Title(), u"AES (test)");
      EXPECT_NE(MetadataText(doc).find("<x:xmpmeta"), std::string::npos);
      const auto held = doc.Encryption().UserPermissions();
      for (const auto& [permission, allowed] : QpdfPermissions(file, password))
        EXPECT_EQ(held.Contains(permission), asOwner || allowed) << int(permission);
    }
    if (!c.user.empty() || !c.owner.empty()) {
      TzkPDFDocument doc;
      EXPECT_FALSE(Open(doc, file, "wrong").loaded);
    }

    // The command line reports the method, and a plain rewrite reads the same.
    const TCommandRun info = RunCommand(Cli("info --password " + Quote(c.user) + " " + Quote(file)));
    EXPECT_EQ(info.status, 0) << info.out;
    EXPECT_NE(info.out.find("\"method\":\"" + std::string(c.method) + "\",\"revision\":" +
                            std::to_string(c.revision)),
              std::string::npos)
        << info.out;
    const TCommandRun plain =
        RunCommand(Cli("rewrite --password " + Quote(c.owner) + " " + Quote(file) + " " + Quote(*dir_ + "plain.pdf")));
    ASSERT_EQ(plain.status, 0) << plain.out;
    EXPECT_EQ(RunCommand("qpdf --is-encrypted " + Quote(*dir_ + "plain.pdf")).status, 2);
    EXPECT_EQ(Text("plain.pdf", ""), *text_);
    EXPECT_EQ(RunCommand("qpdf --check " + Quote(*dir_ + "plain.pdf")).status, 0);
  }
}

// What still cannot be read is named, not tried and reported as a wrong password.
TEST_F(AESInterop, UnreadableEncryptionIsNamed) {
  const std::string aes = ReadFile(Make("aes128.pdf", "--encrypt usr own 128 --use-aes=y --"));
  const struct {
    const char* name;
    std::string from, to;
    const char* message;
  } cases[] = {
      // Same length, so the cross-reference offsets stay right.
      {"unknown crypt filter method", "/AESV2", "/AESV9", "Unsupported encryption method: crypt filter /AESV9"},
      {"another security handler", "/Standard", "/Standarx", "Unsupported encryption method: security handler /Standarx"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = aes;
    const size_t at = bytes.find(c.from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, c.from.size(), c.to);
    const std::string file = *dir_ + "patched.pdf";
    std::ofstream(file, std::ios::binary) << bytes;
    TzkPDFDocument doc;
    bool asked = false;
    doc.OnPassword = [&](TzkComponent*, std::string& pw, bool&, int) {
      asked = true;
      pw = "usr";
    };
    try {
      doc.LoadDocument(file);
      ADD_FAILURE() << "no exception";
    } catch (const EPDFException& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_FALSE(asked);
  }
}

// /P changed behind the encrypted copy in /Perms: readers warn and go on with /P.
TEST_F(AESInterop, AlteredPermissionsAreAWarning) {
  std::string bytes = ReadFile(Make("perms.pdf", "--encrypt usr own 256 --"));
  const size_t at = bytes.find("/P -4");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 5, "/P -8");  // print withdrawn; same length, offsets stay right
  const std::string file = *dir_ + "perms-altered.pdf";
  std::ofstream(file, std::ios::binary) << bytes;
  TzkPDFDocument doc;
  const Opened opened = Open(doc, file, "usr");
  ASSERT_TRUE(opened.loaded);
  ASSERT_EQ(opened.warnings.size(), 1u);
  EXPECT_NE(opened.warnings[0].find("/Perms"), std::string::npos) << opened.warnings[0];
  EXPECT_FALSE(doc.Encryption().UserPermissions().Contains(AllowPrint));
}

// AES-256 output of rewrite, from a plain input and from an AES input opened
// with its owner password.
TEST_F(AESInterop, OurAES256FilesOpenInQpdfPopplerAndMuPDF) {
  Make("aes-in.pdf", "--object-streams=generate --encrypt usr own 128 --use-aes=y --");
  const struct {
    const char* name;
    std::string input, inputPassword;
    std::string user, deny;
    const char* p;
    const char* pdfinfo;  // pdfinfo's permission summary
    std::vector<std::string> qpdfLines;
  } cases[] = {
      {"deny print", "source.pdf", "", "u", "print", "-2056", "print:no copy:yes change:yes addNotes:yes",
       {"print low resolution: not allowed", "print high resolution: not allowed", "modify forms: allowed"}},
      {"deny the rest", "source.pdf", "", "u", "copy,modify,annotate,fill,accessibility,assemble", "-1852",
       "print:yes copy:no change:no addNotes:no",
       {"print high resolution: allowed", "extract for any purpose: not allowed", "modify forms: not allowed",
        "modify document assembly: not allowed"}},
      {"no user password", "source.pdf", "", "", "", "-4", "print:yes copy:yes change:yes addNotes:yes", {}},
      {"Japanese passwords, AES input", "aes-in.pdf", "own", "利用者", "highres", "-2052",
       "print:yes copy:yes change:yes addNotes:yes", {"print high resolution: not allowed"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string owner = c.user.empty() ? "o" : "所有者" + c.user;
    const std::string out = *dir_ + "aes256.pdf";
    fs::remove(out);
    const TCommandRun run = RunCommand(
        Cli("rewrite --password " + Quote(c.inputPassword) + " --encrypt aes256 --owner " + Quote(owner) +
            " --user " + Quote(c.user) + (c.deny.empty() ? "" : " --deny " + c.deny) + " " +
            Quote(*dir_ + c.input) + " " + Quote(out)));
    ASSERT_EQ(run.status, 0) << run.out;

    for (const std::string& password : {owner, c.user}) {
      const TCommandRun check = RunCommand("qpdf --check --password=" + Quote(password) + " " + Quote(out));
      EXPECT_EQ(check.status, 0) << password << "\n" << check.out;
    }
    EXPECT_NE(RunCommand("qpdf --check --password=wrong " + Quote(out)).status, 0);
    const TCommandRun show = RunCommand("qpdf --show-encryption --password=" + Quote(owner) + " " + Quote(out));
    EXPECT_EQ(Field(show.out, "R"), "6") << show.out;
    EXPECT_EQ(Field(show.out, "P"), c.p) << show.out;
    EXPECT_NE(show.out.find("Supplied password is owner password"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("stream encryption method: AESv3"), std::string::npos) << show.out;
    for (const auto& line : c.qpdfLines) EXPECT_NE(show.out.find(line), std::string::npos) << line;
    if (!c.user.empty()) {
      const TCommandRun user = RunCommand("qpdf --show-encryption --password=" + Quote(c.user) + " " + Quote(out));
      EXPECT_NE(user.out.find("Supplied password is user password"), std::string::npos) << user.out;
      EXPECT_EQ(RunCommand("qpdf --requires-password " + Quote(out)).status, 0);
    }

    const std::string upw = c.user.empty() ? std::string() : " -upw " + Quote(c.user);
    const TCommandRun info = RunCommand("pdfinfo" + upw + " " + Quote(out));
    EXPECT_EQ(Field(info.out, "Encrypted"), std::string("yes (") + c.pdfinfo + " algorithm:AES-256)") << info.out;
    EXPECT_EQ(Field(info.out, "Title"), "AES (test)") << info.out;
    EXPECT_EQ(Text("aes256.pdf", c.user), *text_);
    const TCommandRun mu = RunCommand("mutool draw -q -F txt -o - -p " + Quote(c.user) + " " + Quote(out),
                                      TStderr::Discard);
    EXPECT_EQ(mu.status, 0);
    EXPECT_NE(mu.out.find("Locked with AES, page one"), std::string::npos) << mu.out;
    EXPECT_NE(mu.out.find("second page (two)"), std::string::npos) << mu.out;

    // And it opens here again, the encrypted permissions agreeing with /P.
    TzkPDFDocument doc;
    const Opened opened = Open(doc, out, owner);
    ASSERT_TRUE(opened.loaded);
    EXPECT_TRUE(opened.owner);
    EXPECT_TRUE(opened.warnings.empty()) << opened.warnings.front();
    EXPECT_EQ(doc.Decryptor()->MethodName(), "AES-256");
  }
}

// sarvane-cli lock --level aes256 on an AES input unlocked with its owner password.
TEST_F(AESInterop, LockAtAES256EndToEnd) {
  const std::string input = Make("locked-in.pdf", "--encrypt usr own 256 --print=none --");
  sarvane::app::testing::TTempHome home;  // the child inherits SARVANE_HOME
  const std::string out = home.Dir() + "out";
  fs::create_directories(out);
  const TCommandRun run = RunCommand(
      Cli("lock --level aes256 --unlock own --owner O2 --user U2 --deny copy --out " + Quote(out) + " " + Quote(input)));
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string output = out + "/locked-in.pdf";
  const TCommandRun show = RunCommand("qpdf --show-encryption --password=O2 " + Quote(output));
  EXPECT_EQ(Field(show.out, "R"), "6") << show.out;
  EXPECT_EQ(Field(show.out, "P"), "-20") << show.out;
  EXPECT_NE(show.out.find("Supplied password is owner password"), std::string::npos) << show.out;
  EXPECT_EQ(RunCommand("qpdf --check --password=U2 " + Quote(output)).status, 0);
  const TCommandRun text = RunCommand("pdftotext -upw U2 " + Quote(output) + " -", TStderr::Discard);
  EXPECT_EQ(text.out, *text_);
  EXPECT_EQ(RunCommand("mutool draw -q -F txt -o /dev/null -p U2 " + Quote(output), TStderr::Discard).status, 0);
  EXPECT_EQ(RunCommand(Cli("lock --level 192 x.pdf")).status, 1);
}

}  // namespace
}  // namespace sarvane::pdf::doc
