// Loading files that qpdf wrote: plain, with object streams, linearized, and
// encrypted in every way qpdf can; page counts and permissions are compared
// with what qpdf itself reports for the same file and password.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::doc {
namespace {

namespace fs = std::filesystem;
using testutil::PdfBuilder;
using namespace sarvane::interop;

// Four pages of different sizes, one with a crop box, an information
// dictionary and a content stream each.
std::string SourceDocument() {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /PageLayout /OneColumn >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 /MediaBox [0 0 595 842] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R /Contents 10 0 R >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R /Contents 11 0 R /MediaBox [0 0 612 792] >>");
  b.AddObject(5, "<< /Type /Page /Parent 2 0 R /Contents 12 0 R /CropBox [10 20 310 420] >>");
  b.AddObject(6, "<< /Type /Page /Parent 2 0 R /Contents 13 0 R /MediaBox [0 0 842 595] /Rotate 90 >>");
  for (int i = 0; i < 4; ++i) b.AddStream(10 + i, "", "BT /F1 12 Tf 72 72 Td (page " + std::to_string(i + 1) + ") Tj ET");
  b.AddObject(20, "<< /Title (Interop \\(four\\) pages) /Producer (handmade) /Author <FEFF00C40042> >>");
  b.FinishTable("/Size 21 /Root 1 0 R /Info 20 0 R /ID [<0123456789ABCDEF0123456789ABCDEF> <0123456789ABCDEF0123456789ABCDEF>]");
  return b.Data();
}

// The permissions qpdf reports for a file and password, in our names.
std::map<sarvane::pdf::TzkUserPermissionsType, bool> QpdfPermissions(const std::string& file, const std::string& pw) {
  const TCommandRun r = RunCommand("qpdf --show-encryption --password=" + Quote(pw) + " " + Quote(file));
  static const std::pair<const char*, sarvane::pdf::TzkUserPermissionsType> kLines[] = {
      {"print low resolution: ", sarvane::pdf::AllowPrint},
      {"print high resolution: ", sarvane::pdf::AllowHighResPrint},
      {"extract for any purpose: ", sarvane::pdf::AllowCopy},
      {"extract for accessibility: ", sarvane::pdf::AllowAccessibility},
      {"modify document assembly: ", sarvane::pdf::AllowDocAssembly},
      {"modify forms: ", sarvane::pdf::AllowFormFill},
      {"modify annotations: ", sarvane::pdf::AllowAnnotation},
      {"modify other: ", sarvane::pdf::AllowModify},
  };
  std::map<sarvane::pdf::TzkUserPermissionsType, bool> result;
  for (const auto& [line, permission] : kLines) {
    const size_t at = r.out.find(line);
    if (at == std::string::npos) continue;
    result[permission] = r.out.compare(at + std::strlen(line), 7, "allowed") == 0;
  }
  return result;
}

class LoadInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveQpdf()) GTEST_SKIP() << "qpdf is not installed";
    source_ = dir_.Dir() + "source.pdf";
    std::ofstream(source_, std::ios::binary) << SourceDocument();
  }
  // qpdf with args from the source into name; returns the path.
  std::string Make(const std::string& name, const std::string& args) {
    const std::string out = dir_.Dir() + name;
    const TCommandRun r = RunCommand("qpdf --allow-weak-crypto " + args + " " + Quote(source_) + " " + Quote(out));
    // 3 is qpdf's "succeeded with warnings".
    EXPECT_TRUE(r.status == 0 || r.status == 3) << args << "\n" << r.out;
    return out;
  }

  TTempFolder dir_{"sarvane-load"};
  std::string source_;
};

TEST_F(LoadInterop, QpdfVariantsLoadAsQpdfReadsThem) {
  struct Case {
    const char* name;
    std::string args;
    std::string password;
    bool owner;
    const char* level;  // nullptr for a plain file
  };
  const std::string u = "--encrypt usr own";
  const Case cases[] = {
      {"plain", "", "", true, nullptr},
      {"object streams", "--object-streams=generate", "", true, nullptr},
      {"linearized", "--linearize", "", true, nullptr},
      {"RC4-40 user", u + " 40 --print=n --modify=n --", "usr", false, "40"},
      {"RC4-40 owner", u + " 40 --print=n --modify=n --", "own", true, "40"},
      {"RC4-40 empty user password", "--encrypt '' own 40 --extract=n --",
       "", false, "40"},
      {"RC4-128 user", u + " 128 --use-aes=n --print=low --extract=n --assemble=n --", "usr", false, "128"},
      {"RC4-128 owner", u + " 128 --use-aes=n --print=low --extract=n --assemble=n --", "own", true, "128"},
      {"RC4-128 object streams user",
       "--object-streams=generate " + u + " 128 --use-aes=n --form=n --annotate=n --modify-other=n --", "usr",
       false, "128"},
      {"RC4-128 object streams owner", "--object-streams=generate " + u + " 128 --use-aes=n --", "own", true,
       "128"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Make("variant.pdf", c.args);
    TzkPDFDocument doc;
    int asked = 0;
    doc.OnPassword = [&](TzkComponent*, std::string& pw, bool& cont, int tries) {
      ++asked;
      if (tries > 0) cont = false;
      pw = c.password;
    };
    std::vector<std::string> warnings;
    doc.OnWarning = [&](TzkComponent*, const std::string& w) { warnings.push_back(w); };
    ASSERT_TRUE(doc.LoadDocument(file));
    EXPECT_EQ(asked, c.level ? 1 : 0);
    EXPECT_TRUE(warnings.empty()) << warnings.front();

    const TCommandRun pages = RunCommand("qpdf --show-npages --password=" + Quote(c.password) + " " + Quote(file));
    EXPECT_EQ(doc.PageCount(), std::atoi(pages.out.c_str()));
    EXPECT_EQ(doc.PageCount(), 4);
    const double sizes[4][2] = {{595, 842}, {612, 792}, {300, 400}, {842, 595}};
    for (int p = 1; p <= doc.PageCount(); ++p) {
      double w = 0, h = 0;
      doc.GetPageSize(p, muPoints, w, h);
      EXPECT_DOUBLE_EQ(w, sizes[p - 1][0]) << p;
      EXPECT_DOUBLE_EQ(h, sizes[p - 1][1]) << p;
    }
    // Strings arrive decrypted: literal, escaped and UTF-16 alike.
    EXPECT_EQ(doc.DocumentInfo().Title(), u"Interop (four) pages");
    EXPECT_EQ(doc.DocumentInfo().Author(), u"\u00C4B");
    EXPECT_EQ(doc.PageLayout(), plOneColumn);

    EXPECT_EQ(doc.IsEncrypted(), c.level != nullptr);
    EXPECT_EQ(doc.IsOwner(), c.owner);
    if (!c.level) continue;
    EXPECT_EQ(doc.Encryption().Level() == sarvane::pdf::el40bit ? "40" : "128", std::string(c.level));
    const auto held = doc.Encryption().UserPermissions();
    const auto reported = QpdfPermissions(file, c.password);
    ASSERT_FALSE(reported.empty());
    for (const auto& [permission, allowed] : reported) {
      // A 40-bit file has no bits for the extended permissions: they stay granted.
      if (std::string(c.level) == "40" &&
          (permission == sarvane::pdf::AllowHighResPrint || permission == sarvane::pdf::AllowFormFill ||
           permission == sarvane::pdf::AllowAccessibility || permission == sarvane::pdf::AllowDocAssembly)) {
        EXPECT_TRUE(held.Contains(permission)) << int(permission);
        continue;
      }
      EXPECT_EQ(held.Contains(permission), c.owner || allowed) << int(permission);
    }
    const TCommandRun shown = RunCommand("qpdf --show-encryption --password=" + Quote(c.password) + " " + Quote(file));
    EXPECT_EQ(shown.out.find("Supplied password is owner password") != std::string::npos, c.owner) << shown.out;
  }
}

TEST_F(LoadInterop, WrongPasswordsAreRefusedWithoutException) {
  const std::string file = Make("r128.pdf", "--encrypt usr own 128 --use-aes=n --");
  TzkPDFDocument doc;
  std::vector<int> tries;
  doc.OnPassword = [&](TzkComponent*, std::string& pw, bool& cont, int t) {
    tries.push_back(t);
    pw = "nope";
    if (t == 2) cont = false;
  };
  EXPECT_FALSE(doc.LoadDocument(file));
  EXPECT_FALSE(doc.IsLoaded());
  EXPECT_EQ(tries, (std::vector<int>{0, 1, 2}));
}

TEST_F(LoadInterop, CliInfoReportsTheFileAndExitCodes) {
  const std::string cli = CliPath();
  if (!fs::exists(cli)) GTEST_SKIP() << "sarvane-cli is not built";
  const std::string file =
      Make("cli.pdf", "--encrypt usr own 128 --use-aes=n --print=none --");
  struct Case {
    std::string args;
    int status;
    std::vector<std::string> contains;
  };
  const Case cases[] = {
      {"info --password usr " + Quote(file), 0,
       {"\"version\":\"1.", "\"pages\":4,", "\"encrypted\":true", "\"owner\":false", "\"level\":\"128\"",
        "\"Title\":\"Interop (four) pages\"", "\"Author\":\"\xC3\x84" "B\"", "\"page_layout\":\"plOneColumn\"",
        "[209.9", "\"warnings\":[]"}},
      {"info --password own " + Quote(file), 0, {"\"owner\":true", "\"AllowPrint\""}},
      {"info --password bad " + Quote(file), 2, {"refused"}},
      {"info " + Quote(file), 2, {}},
      {"info " + Quote(dir_.Dir() + "absent.pdf"), 1, {"File Not Found"}},
      {"info " + Quote(source_), 0, {"\"encrypted\":false", "\"level\":null", "\"AllowHighResPrint\""}},
      {"info --help", 0, {"page_sizes_mm"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const TCommandRun r = RunCommand(Quote(cli) + " " + c.args);
    EXPECT_EQ(r.status, c.status) << r.out;
    for (const std::string& text : c.contains) EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  }
  const TCommandRun user = RunCommand(Quote(cli) + " info --password usr " + Quote(file));
  EXPECT_EQ(user.out.find("\"AllowPrint\""), std::string::npos) << user.out;
}

}  // namespace
}  // namespace sarvane::pdf::doc
