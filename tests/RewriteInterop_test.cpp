// sarvane-cli rewrite judged by PDF software we did not write. The inputs are
// made at test time: small files written here, and qpdf's object-stream,
// linearized and RC4-encrypted forms of them. Every output must pass
// qpdf --check, give the same text as its input through pdftotext, and, when
// encrypted, show the requested revision, permissions and both passwords.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/InteropSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace sarvane::interop;

// A classic-table PDF from numbered object bodies.
std::string MakePdf(const std::map<int, std::string>& objects, const std::string& trailer) {
  std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::map<int, size_t> offsets;
  for (const auto& [n, body] : objects) {
    offsets[n] = out.size();
    out += std::to_string(n) + " 0 obj\n" + body + "\nendobj\n";
  }
  const size_t xref = out.size();
  const int size = objects.rbegin()->first + 1;
  out += "xref\n0 " + std::to_string(size) + "\n";
  char line[32];
  for (int n = 0; n < size; ++n) {
    if (offsets.count(n))
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", offsets[n]);
    else
      std::snprintf(line, sizeof line, "0000000000 65535 f \n");
    out += line;
  }
  out += "trailer\n<< /Size " + std::to_string(size) + " " + trailer + " >>\nstartxref\n" + std::to_string(xref) +
         "\n%%EOF\n";
  return out;
}

std::string Stream(const std::string& entries, const std::string& data) {
  return "<< " + entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// Three pages of distinct text. Objects 1 catalog, 2 pages, 3 font, 4 info,
// 10+2k page k, 11+2k its contents.
std::map<int, std::string> ThreePages() {
  std::map<int, std::string> o;
  o[1] = "<< /Type /Catalog /Pages 2 0 R /Lang (en-GB) >>";
  o[2] = "<< /Type /Pages /Kids [ 10 0 R 12 0 R 14 0 R ] /Count 3 /MediaBox [ 0 0 595 842 ] >>";
  o[3] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
  o[4] = "<< /Producer (interop corpus) /Title (Rewrite \\(test\\)) >>";
  const char* words[] = {"alpha apple", "bravo banana", "charlie cherry"};
  for (int k = 0; k < 3; ++k) {
    o[10 + 2 * k] = "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(11 + 2 * k) +
                    " 0 R /Resources << /Font << /F1 3 0 R >> >> >>";
    o[11 + 2 * k] = Stream("", "BT /F1 18 Tf 72 720 Td (Page " + std::to_string(k + 1) + " " + words[k] +
                                   ") Tj 0 -30 Td (second line \\(with parens\\)) Tj ET");
  }
  return o;
}

const char kId[] = "/ID [ <00112233445566778899AABBCCDDEEFF> <00112233445566778899AABBCCDDEEFF> ]";

// Links to named destinations from the name tree and the catalog's /Dests.
std::string NamedDestinations() {
  auto o = ThreePages();
  o[1] = "<< /Type /Catalog /Pages 2 0 R /Names << /Dests 20 0 R >> /Dests 21 0 R >>";
  o[10] = "<< /Type /Page /Parent 2 0 R /Contents 11 0 R /Resources << /Font << /F1 3 0 R >> >> "
          "/Annots [ 22 0 R 23 0 R ] >>";
  o[20] = "<< /Names [ (chapter-2) [ 12 0 R /Fit ] (chapter-3) << /D [ 14 0 R /XYZ 0 842 0 ] >> ] >>";
  o[21] = "<< /legacy [ 14 0 R /Fit ] >>";
  o[22] = "<< /Type /Annot /Subtype /Link /Rect [ 72 700 200 720 ] /Dest (chapter-2) >>";
  o[23] = "<< /Type /Annot /Subtype /Link /Rect [ 72 600 200 620 ] /A << /S /GoTo /D /legacy >> >>";
  return MakePdf(o, "/Root 1 0 R /Info 4 0 R " + std::string(kId));
}

// A text field and a check box with their appearances.
std::string FormFields() {
  auto o = ThreePages();
  o[1] = "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [ 30 0 R 31 0 R ] /DA (/Helv 0 Tf 0 g) "
         "/DR << /Font << /Helv 3 0 R >> >> >> >>";
  o[10] = "<< /Type /Page /Parent 2 0 R /Contents 11 0 R /Resources << /Font << /F1 3 0 R >> >> "
          "/Annots [ 30 0 R 31 0 R ] >>";
  o[30] = "<< /Type /Annot /Subtype /Widget /FT /Tx /T (customer) /V (Sarvane Ltd) /DA (/Helv 12 Tf 0 g) "
          "/Rect [ 72 500 300 520 ] /P 10 0 R /AP << /N 32 0 R >> >>";
  o[31] = "<< /Type /Annot /Subtype /Widget /FT /Btn /T (agreed) /V /Yes /AS /Yes /Rect [ 72 450 90 468 ] "
          "/P 10 0 R /AP << /N << /Yes 33 0 R /Off 34 0 R >> >> >>";
  o[32] = Stream("/Type /XObject /Subtype /Form /BBox [ 0 0 228 20 ] /Resources << /Font << /Helv 3 0 R >> >>",
                 "/Tx BMC BT /Helv 12 Tf 2 5 Td (Sarvane Ltd) Tj ET EMC");
  o[33] = Stream("/Type /XObject /Subtype /Form /BBox [ 0 0 18 18 ]", "0 g 2 2 14 14 re f");
  o[34] = Stream("/Type /XObject /Subtype /Form /BBox [ 0 0 18 18 ]", "");
  return MakePdf(o, "/Root 1 0 R /Info 4 0 R " + std::string(kId));
}

// The plain file with one update appended: page 2 gets new contents.
std::string IncrementalUpdate(const std::string& base) {
  const size_t sx = base.rfind("startxref\n");
  const std::string prev = base.substr(sx + 10, base.find('\n', sx + 10) - sx - 10);
  std::string out = base;
  const size_t at = out.size();
  out += "13 0 obj\n" + Stream("", "BT /F1 18 Tf 72 720 Td (Page 2 updated delta) Tj ET") + "\nendobj\n";
  const size_t xref = out.size();
  char entry[32];
  std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", at);
  out += "xref\n13 1\n" + std::string(entry) + "trailer\n<< /Size 16 /Root 1 0 R /Info 4 0 R /Prev " + prev + " " +
         kId + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

struct Input {
  std::string file;
  std::string password;  // offered to the rewrite
  bool ownerRights;      // the password opens it with owner rights (or it is plain)
};

class RewriteInterop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TTempFolder("sarvane-rewrite");
    dir_ = &folder_->Dir();
    cli_ = new std::string(CliPath());
    inputs_ = new std::map<std::string, Input>;

    auto write = [](const std::string& name, const std::string& bytes) {
      std::ofstream(*dir_ + name, std::ios::binary) << bytes;
    };
    const std::string plain = MakePdf(ThreePages(), "/Root 1 0 R /Info 4 0 R " + std::string(kId));
    write("plain.pdf", plain);
    write("named.pdf", NamedDestinations());
    write("form.pdf", FormFields());
    write("incremental.pdf", IncrementalUpdate(plain));
    auto qpdf = [](const std::string& args, const std::string& in, const std::string& out) {
      const TCommandRun r = RunCommand("qpdf " + args + " " + Quote(*dir_ + in) + " " + Quote(*dir_ + out));
      ASSERT_TRUE(r.status == 0 || r.status == 3) << r.out;
    };
    qpdf("--object-streams=generate", "form.pdf", "objstm.pdf");
    qpdf("--linearize", "named.pdf", "linear.pdf");
    // Other writers' layouts: MuPDF's object and cross-reference streams,
    // and cairo's (fonts and content written anew).
    auto convert = [](const std::string& command) {
      const TCommandRun r = RunCommand(command);
      ASSERT_EQ(r.status, 0) << command << "\n" << r.out;
    };
    convert("mutool clean -gggg -z " + Quote(*dir_ + "named.pdf") + " " + Quote(*dir_ + "mupdf.pdf"));
    convert("pdftocairo -pdf " + Quote(*dir_ + "plain.pdf") + " " + Quote(*dir_ + "cairo.pdf"));
    qpdf("--allow-weak-crypto --encrypt U O 40 --", "plain.pdf", "rc4-40.pdf");
    qpdf("--allow-weak-crypto --encrypt U O 128 --use-aes=n --", "form.pdf", "rc4-128.pdf");

    for (const char* name : {"plain", "named", "form", "incremental", "objstm", "linear", "mupdf", "cairo"})
      (*inputs_)[name] = {std::string(name) + ".pdf", "", true};
    (*inputs_)["rc4-40 owner"] = {"rc4-40.pdf", "O", true};
    (*inputs_)["rc4-40 user"] = {"rc4-40.pdf", "U", false};
    (*inputs_)["rc4-128 owner"] = {"rc4-128.pdf", "O", true};
    (*inputs_)["rc4-128 user"] = {"rc4-128.pdf", "U", false};
  }
  static void TearDownTestSuite() {
    dir_ = nullptr;
    delete folder_;
    folder_ = nullptr;
    delete cli_;
    delete inputs_;
  }

  static TCommandRun Rewrite(const std::string& args, const std::string& in, const std::string& out) {
    return RunCommand(Quote(*cli_) + " rewrite " + args + " " + Quote(*dir_ + in) + " " + Quote(*dir_ + out));
  }
  // poppler takes an owner password with -opw, a user password with -upw.
  static std::string Text(const std::string& file, const std::string& password, bool owner = false) {
    const std::string option = password.empty() ? std::string() : (owner ? " -opw " : " -upw ") + Quote(password);
    const TCommandRun r = RunCommand("pdftotext" + option + " " + Quote(*dir_ + file) + " -");
    EXPECT_EQ(r.status, 0) << file << ": " << r.out;
    return r.out;
  }
  static void ExpectQpdfCheck(const std::string& file, const std::string& password, const std::string& what) {
    const TCommandRun r = RunCommand("qpdf --check" + (password.empty() ? std::string() : " --password=" + Quote(password)) +
                             " " + Quote(*dir_ + file));
    EXPECT_EQ(r.status, 0) << what << "\n" << r.out;
  }

  static TTempFolder* folder_;
  static const std::string* dir_;  // the folder's, with a trailing "/"
  static std::string* cli_;
  static std::map<std::string, Input>* inputs_;
};

TTempFolder* RewriteInterop::folder_ = nullptr;
const std::string* RewriteInterop::dir_ = nullptr;
std::string* RewriteInterop::cli_ = nullptr;
std::map<std::string, Input>* RewriteInterop::inputs_ = nullptr;

// What each output must show; qpdf's permission lines are the oracle.
struct Encryption {
  const char* name;
  std::string args;    // empty: a plain rewrite
  std::string R;       // qpdf's "R = "
  std::string P;       // qpdf's "P = "
  std::string pdfinfo; // pdfinfo's permission summary
  std::vector<std::string> qpdfLines;
};

const std::vector<Encryption>& Encryptions() {
  static const std::vector<Encryption> list = {
      {"plain", "", "", "", "", {}},
      {"rc4-40 deny print,copy", "--encrypt 40 --owner o --user u --deny print,copy", "2", "-24",
       "print:no copy:no change:yes addNotes:yes",
       {"print low resolution: not allowed", "extract for any purpose: not allowed", "modify other: allowed"}},
      {"rc4-128 deny print", "--encrypt 128 --owner o --user u --deny print", "3", "-2056",
       "print:no copy:yes change:yes addNotes:yes",
       {"print low resolution: not allowed", "print high resolution: not allowed",
        "extract for accessibility: allowed", "modify forms: allowed", "modify document assembly: allowed"}},
      {"rc4-128 deny the rest", "--encrypt 128 --owner o --user u --deny copy,modify,annotate,fill,accessibility,assemble",
       "3", "-1852", "print:yes copy:no change:no addNotes:no",
       {"print high resolution: allowed", "extract for accessibility: not allowed", "modify forms: not allowed",
        "modify document assembly: not allowed", "modify annotations: not allowed"}},
      {"rc4-128 deny highres", "--encrypt 128 --owner o --user u --deny highres", "3", "-2052",
       "print:yes copy:yes change:yes addNotes:yes",
       {"print low resolution: allowed", "print high resolution: not allowed"}},
  };
  return list;
}

std::string QpdfField(const std::string& text, const std::string& key) {
  std::smatch m;
  if (std::regex_search(text, m, std::regex("(^|\n)" + key + " = ([^\n]*)"))) return m[2];
  return "<missing " + key + ">";
}

TEST_F(RewriteInterop, EveryInputRewritesPlainAndEncrypted) {
  for (const auto& [inputName, input] : *inputs_) {
    const std::string inputText = Text(input.file, input.password, input.ownerRights);
    // cairo's glyph placement makes poppler read "P age 1".
    ASSERT_NE(inputText.find("age 1"), std::string::npos) << inputName << ": " << inputText;
    for (const auto& enc : Encryptions()) {
      const std::string what = inputName + " -> " + enc.name;
      const std::string out = "out-" + std::to_string(std::hash<std::string>()(what)) + ".pdf";
      const std::string passwordArg = input.password.empty() ? "" : "--password " + Quote(input.password) + " ";
      const TCommandRun run = Rewrite(passwordArg + enc.args, input.file, out);
      if (!input.ownerRights && !enc.args.empty()) {
        // A reader with user rights may not change how the file is protected.
        EXPECT_EQ(run.status, 1) << what << "\n" << run.out;
        EXPECT_NE(run.out.find("cannot change encryption"), std::string::npos) << what << "\n" << run.out;
        EXPECT_FALSE(fs::exists(*dir_ + out)) << what;
        continue;
      }
      ASSERT_EQ(run.status, 0) << what << "\n" << run.out;
      if (!input.ownerRights) {
        // Opened with the user password only: the copy stays encrypted with
        // the same user password and an owner password that is not it.
        ExpectQpdfCheck(out, input.password, what);
        const TCommandRun show = RunCommand("qpdf --show-encryption --password=" + Quote(input.password) + " " +
                                    Quote(*dir_ + out));
        EXPECT_NE(show.out.find("Supplied password is user password"), std::string::npos) << what << "\n" << show.out;
        EXPECT_EQ(Text(out, input.password), inputText) << what;
        continue;
      }
      if (enc.args.empty()) {
        ExpectQpdfCheck(out, "", what);
        EXPECT_EQ(RunCommand("qpdf --is-encrypted " + Quote(*dir_ + out)).status, 2) << what;
        EXPECT_EQ(Text(out, ""), inputText) << what;
        continue;
      }
      ExpectQpdfCheck(out, "u", what + " (user password)");
      ExpectQpdfCheck(out, "o", what + " (owner password)");
      const TCommandRun show = RunCommand("qpdf --show-encryption --password=o " + Quote(*dir_ + out));
      EXPECT_EQ(QpdfField(show.out, "R"), enc.R) << what;
      EXPECT_EQ(QpdfField(show.out, "P"), enc.P) << what;
      EXPECT_NE(show.out.find("Supplied password is owner password"), std::string::npos) << what << "\n" << show.out;
      for (const auto& line : enc.qpdfLines) EXPECT_NE(show.out.find(line), std::string::npos) << what << ": " << line;
      const TCommandRun showUser = RunCommand("qpdf --show-encryption --password=u " + Quote(*dir_ + out));
      EXPECT_NE(showUser.out.find("Supplied password is user password"), std::string::npos) << what;
      const TCommandRun info = RunCommand("pdfinfo -upw u " + Quote(*dir_ + out));
      EXPECT_NE(info.out.find("(" + enc.pdfinfo + " algorithm:RC4)"), std::string::npos) << what << "\n" << info.out;
      EXPECT_EQ(Text(out, "u"), inputText) << what;
      // A wrong password opens nothing.
      EXPECT_NE(RunCommand("qpdf --check --password=x " + Quote(*dir_ + out)).status, 0) << what;
    }
  }
}

// Field names and values survive, read back by qpdf's form model.
TEST_F(RewriteInterop, FormFieldsSurvive) {
  for (const auto& [file, password] : {std::pair<std::string, std::string>{"form.pdf", ""}, {"objstm.pdf", ""},
                                       {"rc4-128.pdf", "O"}}) {
    const std::string out = "fields-" + file;
    const TCommandRun run = Rewrite(password.empty() ? "" : "--password " + password, file, out);
    ASSERT_EQ(run.status, 0) << file << "\n" << run.out;
    const TCommandRun json = RunCommand("qpdf --json --json-key=acroform " + Quote(*dir_ + out));
    EXPECT_NE(json.out.find("\"fullname\": \"customer\""), std::string::npos) << file << "\n" << json.out;
    EXPECT_NE(json.out.find("Sarvane Ltd"), std::string::npos) << file;
    EXPECT_NE(json.out.find("\"fullname\": \"agreed\""), std::string::npos) << file;
  }
}

// The structure rules other readers rely on, on a real round trip: the
// catalog entries loading kept are carried through, and an unencrypted copy
// keeps the input's file identifier.
TEST_F(RewriteInterop, CatalogEntriesAndIdentifierSurvive) {
  ASSERT_EQ(Rewrite("", "plain.pdf", "kept.pdf").status, 0);
  const std::string pdf = ReadFile(*dir_ + "kept.pdf");
  EXPECT_NE(pdf.find("/Lang (en-GB)"), std::string::npos);
  EXPECT_NE(pdf.find("/ID [ <00112233445566778899AABBCCDDEEFF> <00112233445566778899AABBCCDDEEFF> ]\r\n"),
            std::string::npos);
  const TCommandRun json = RunCommand("qpdf --json --json-key=pages " + Quote(*dir_ + "kept.pdf"));
  EXPECT_EQ(json.status, 0) << json.out;

  // Encrypted: the identifier is two equal 32-digit hexadecimal strings and
  // /Encrypt names the last object.
  ASSERT_EQ(Rewrite("--encrypt 128 --owner o --user u", "named.pdf", "locked.pdf").status, 0);
  const std::string locked = ReadFile(*dir_ + "locked.pdf");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(locked, m, std::regex("/Size ([0-9]+)\r\n/Root 1 0 R\r\n/Info 2 0 R\r\n"
                                                       "/ID \\[ <([0-9A-F]{32})> <([0-9A-F]{32})> \\]\r\n"
                                                       "/Encrypt ([0-9]+) 0 R\r\n>>")));
  EXPECT_EQ(m[2], m[3]);
  EXPECT_EQ(std::stoi(m[4]) + 1, std::stoi(m[1]));
}

// Each cross-reference entry holds the offset of the first digit of its
// object's number; the first entry is the free head of the list.
TEST_F(RewriteInterop, CrossReferenceOffsetsPointAtTheirObjects) {
  for (const auto& [name, input] : *inputs_) {
    if (!input.ownerRights) continue;
    const std::string out = "xref-" + input.file;
    const std::string args = input.password.empty() ? "--encrypt 40" : "--password " + input.password + " --encrypt 40";
    ASSERT_EQ(Rewrite(args, input.file, out).status, 0) << name;
    const std::string pdf = ReadFile(*dir_ + out);
    const size_t sx = pdf.rfind("startxref\r\n");
    ASSERT_NE(sx, std::string::npos) << name;
    size_t at = std::stoul(pdf.substr(sx + 11));
    ASSERT_EQ(pdf.compare(at, 8, "xref\r\n0 "), 0) << name;
    const size_t count = std::stoul(pdf.substr(at + 8));
    at = pdf.find("\r\n", at + 8) + 2;
    EXPECT_EQ(pdf.substr(at, 20), "0000000000 65535 f\r\n") << name;
    for (size_t n = 1; n < count; ++n) {
      const std::string entry = pdf.substr(at + 20 * n, 20);
      ASSERT_TRUE(std::regex_match(entry, std::regex("[0-9]{10} 00000 n\r\n"))) << name << ": " << entry;
      const std::string head = std::to_string(n) + " 0 obj\r\n";
      EXPECT_EQ(pdf.compare(std::stoul(entry.substr(0, 10)), head.size(), head), 0) << name << " object " << n;
    }
    EXPECT_EQ(pdf.compare(at + 20 * count, 9, "trailer\r\n"), 0) << name;
  }
}

TEST_F(RewriteInterop, CommandLineErrors) {
  struct Case {
    const char* name;
    std::string args;
    std::string in;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {"wrong password", "--password nope", "rc4-40.pdf", 2, "password was refused"},
      {"no password", "", "rc4-128.pdf", 2, "password was refused"},
      {"missing input", "", "absent.pdf", 1, "File Not Found"},
      {"unknown permission", "--encrypt 128 --owner o --deny everything", "plain.pdf", 1, "unknown operation 'everything' in --deny"},
      {"bad key length", "--encrypt 64", "plain.pdf", 1, "--encrypt takes 40, 128 or aes256"},
      {"passwords without encryption", "--owner o", "plain.pdf", 1, "belong to --encrypt"},
  };
  for (const auto& c : cases) {
    const std::string out = std::string("err-") + std::to_string(&c - cases) + ".pdf";
    const TCommandRun run = Rewrite(c.args, c.in, out);
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.out;
    EXPECT_NE(run.out.find(c.message), std::string::npos) << c.name << "\n" << run.out;
    EXPECT_FALSE(fs::exists(*dir_ + out)) << c.name;
  }
}

TEST_F(RewriteInterop, CompressedCopiesReadTheSame) {
  for (const char* kind : {"flate", "rle"}) {
    const std::string out = std::string("compressed-") + kind + ".pdf";
    ASSERT_EQ(Rewrite(std::string("--compress ") + kind, "form.pdf", out).status, 0) << kind;
    ExpectQpdfCheck(out, "", kind);
    EXPECT_EQ(Text(out, ""), Text("form.pdf", "")) << kind;
  }
}

}  // namespace

// The fuzzer's seeds, damaged in every way it has met: a rewrite may refuse
// one, but one it writes has every page the input had (a catalog that a
// damaged tree lists as its page was once dropped from the copy).
TEST_F(RewriteInterop, SeedsThatRewriteKeepTheirPages) {
  const std::string seeds = SourcePath("fuzz/corpus/open_document/");
  auto pages = [](const std::string& file) {
    const TCommandRun run = RunCommand(Quote(*cli_) + " info " + Quote(file), TStderr::Discard);
    const size_t at = run.out.find("\"pages\":");
    return run.status == 0 && at != std::string::npos ? std::stoi(run.out.substr(at + 8)) : -1;
  };
  int rewritten = 0;
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    const std::string name = entry.path().filename().string();
    const int before = pages(entry.path().string());
    if (before < 0) continue;
    const std::string out = "seed-" + name;
    if (RunCommand(Quote(*cli_) + " rewrite " + Quote(entry.path().string()) + " " + Quote(*dir_ + out)).status != 0)
      continue;
    ++rewritten;
    EXPECT_EQ(pages(*dir_ + out), before) << name;
  }
  EXPECT_GT(rewritten, 0);
}

// Damaged forms of the table-based inputs, made the ways files are damaged
// in the wild. Each rewrites (with the repair reported) to a copy that
// qpdf accepts, with the input's pages and text.
TEST_F(RewriteInterop, DamagedVariantsAreRepairedWithTheirText) {
  struct Damage {
    const char* name;
    std::string (*apply)(const std::string&);
  } const damages[] = {
      {"startxref past the end",
       [](const std::string& f) {
         const size_t at = f.rfind("startxref") + 10;
         return f.substr(0, at) + "99999999\n%%EOF\n";
       }},
      {"table dropped",  // everything after the last object is gone
       [](const std::string& f) { return f.substr(0, f.rfind("endobj") + 7); }},
      {"offsets shifted",  // bytes inserted after the header move every object
       [](const std::string& f) {
         const size_t at = f.find('\n', f.find('\n') + 1) + 1;
         return f.substr(0, at) + "% inserted by a mail gateway\n" + f.substr(at);
       }},
      {"truncated", [](const std::string& f) { return f.substr(0, f.size() - 12); }},
  };
  for (const char* name : {"plain", "named", "form", "incremental"}) {
    const std::string file = (*inputs_)[name].file;
    std::ifstream in(*dir_ + file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string inputText = Text(file, "");
    for (const Damage& d : damages) {
      const std::string what = std::string(name) + ", " + d.name;
      const std::string damaged = "damaged-" + std::to_string(std::hash<std::string>()(what)) + ".pdf";
      std::ofstream(*dir_ + damaged, std::ios::binary) << d.apply(bytes);
      const std::string out = "repaired-" + std::to_string(std::hash<std::string>()(what)) + ".pdf";
      const TCommandRun run = Rewrite("", damaged, out);
      ASSERT_EQ(run.status, 0) << what << "\n" << run.out;
      EXPECT_NE(run.out.find("warning: The file was damaged and has been repaired"), std::string::npos)
          << what << "\n" << run.out;
      ExpectQpdfCheck(out, "", what);
      EXPECT_EQ(Text(out, ""), inputText) << what;
    }
  }
}
