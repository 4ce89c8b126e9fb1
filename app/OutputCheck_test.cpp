#include "app/OutputCheck.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include "app/AppResStrings.h"
#include "app/AppTestSupport.h"
#include "pdf/document/zkPDFDoc.h"
#include "platform/Exception.h"

namespace sarvane::app {
namespace {

using namespace sarvane::app::testing;
using sarvane::pdf::doc::TzkPDFDocument;

std::string FixturePath() { return std::string(SARVANE_TEST_SOURCE_DIR) + "/tests/fixtures/lock_three_pages.pdf"; }

// The three-page fixture written by the library, encrypted or not.
std::string Written(const std::string& name, bool encrypted) {
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  EXPECT_TRUE(doc.LoadDocument(FixturePath()));
  doc.Encryption().SetEnabled(encrypted);
  if (encrypted) doc.Encryption().SetOwnerPassword("owner");
  doc.SaveDocument(name, 2);
  return name;
}

void Flip(std::string& bytes, size_t at) { bytes[at] = bytes[at] == '0' ? '1' : '0'; }

TEST(OutputCheck, FindsEveryWayACopyDiffersFromWhatWasWritten) {
  TTempHome home;
  const std::string encrypted = Written(home.Dir() + "enc.pdf", true);
  const std::string plain = Written(home.Dir() + "plain.pdf", false);
  struct Case {
    const char* name;
    const std::string& file;
    std::function<void(std::string& bytes)> damage;   // to the copy
    std::function<void(TWrittenOutput& w)> expect;     // changes what was asked for
    std::function<std::string(const TWrittenOutput& w)> reason;  // empty: no fault
  };
  auto none = [](std::string&) {};
  auto asWritten = [](TWrittenOutput&) {};
  auto ok = [](const TWrittenOutput&) { return std::string(); };
  const Case cases[] = {
      {"encrypted, intact", encrypted, none, asWritten, ok},
      {"plain, intact", plain, none, asWritten, ok},
      {"truncated", encrypted, [](std::string& b) { b.resize(b.size() - 100); }, asWritten,
       [](const TWrittenOutput& w) { return Format(kSCheckSize, w.Size - 100, w.Size); }},
      {"empty", encrypted, [](std::string& b) { b.clear(); }, asWritten,
       [](const TWrittenOutput& w) { return Format(kSCheckSize, 0, w.Size); }},
      {"longer", plain, [](std::string& b) { b += "\r\n"; }, asWritten,
       [](const TWrittenOutput& w) { return Format(kSCheckSize, w.Size + 2, w.Size); }},
      // The header step was to write 1.3.
      {"header version", plain, none, [](TWrittenOutput& w) { w.Version = "1.3"; },
       [](const TWrittenOutput&) { return Format(kSCheckHeader, "1.3"); }},
      {"no %%EOF at the end", plain, [](std::string& b) { b.replace(b.rfind("%%EOF"), 5, "%%EOX"); }, asWritten,
       [](const TWrittenOutput&) { return Format(kSCheckFileEnd); }},
      // startxref names a place that holds no table.
      {"startxref moved", plain, [](std::string& b) { Flip(b, b.rfind("%%EOF") - 3); }, asWritten,
       [](const TWrittenOutput&) { return Format(kSCheckXRef); }},
      {"unencrypted though asked", plain, none, [](TWrittenOutput& w) { w.Encrypted = true; },
       [](const TWrittenOutput&) { return Format(kSCheckNotEncrypted); }},
      {"encrypted though not asked", encrypted, none, [](TWrittenOutput& w) { w.Encrypted = false; },
       [](const TWrittenOutput&) { return Format(kSCheckEncrypted); }},
      {"input had more pages", encrypted, none, [](TWrittenOutput& w) { w.PageCount = 4; },
       [](const TWrittenOutput&) { return Format(kSCheckPageCount, 3, 4); }},
      {"page tree root unreadable", plain,
       [](std::string& b) { b.replace(b.find("/Count 3"), 8, "/Cou_t 3"); }, asWritten,
       [](const TWrittenOutput&) { return Format(kSCheckPageTree); }},
      // Same size and shape, another identifier: another file.
      {"other identifier", encrypted, [](std::string& b) { Flip(b, b.find('<', b.rfind("/ID")) + 1); },
       asWritten, [](const TWrittenOutput&) { return Format(kSCheckTrailer); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWrittenOutput written;
    written.Version = "1.4";
    written.Encrypted = &c.file == &encrypted;
    written.PageCount = 3;
    ASSERT_EQ(DescribeWrittenFile(c.file, written), "");
    c.expect(written);
    std::string bytes = ReadFileBytes(c.file);
    c.damage(bytes);
    const std::string copy = home.Dir() + "copy.pdf";
    WriteFileBytes(copy, bytes);
    EXPECT_EQ(CheckOutputCopy(copy, written), c.reason(written));
  }
  TWrittenOutput written;
  const std::string missing = home.Dir() + "missing.pdf";
  EXPECT_EQ(CheckOutputCopy(missing, written), Format(kSCheckUnreadable, missing, std::strerror(ENOENT)));
  // A work file with no trailer at its end cannot be described.
  WriteFileBytes(home.Dir() + "bad.pdf", "%PDF-1.4\r\nnothing else");
  EXPECT_EQ(DescribeWrittenFile(home.Dir() + "bad.pdf", written), Format(kSCheckFileEnd));
}

}  // namespace
}  // namespace sarvane::app
