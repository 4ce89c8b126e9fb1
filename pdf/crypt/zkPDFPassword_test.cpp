#include "pdf/crypt/zkPDFPassword.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace sarvane::pdf {
namespace {

TEST(AESPassword, ConvertsPreparesAndCuts) {
  const std::string katakanaUtf8 = "\xE3\x83\x91\xE3\x82\xB9";  // パス
  const struct {
    const char* name;
    int codePage;
    std::string given;
    std::string written;
    std::vector<std::string> candidates;
  } cases[] = {
      {"ASCII unchanged", kCodePageUtf8, "secret", "secret", {"secret"}},
      {"empty", kCodePageUtf8, "", "", {""}},
      {"soft hyphen mapped to nothing", kCodePageUtf8, "pass\xC2\xADword", "password",
       {"password", "pass\xC2\xADword"}},
      {"no-break space becomes a space", kCodePageUtf8, "a\xC2\xA0" "b", "a b", {"a b", "a\xC2\xA0" "b"}},
      {"full-width letter normalised", kCodePageUtf8, "\xEF\xBC\xA1", "A", {"A", "\xEF\xBC\xA1"}},
      {"Japanese unchanged", kCodePageUtf8, katakanaUtf8, katakanaUtf8, {katakanaUtf8}},
      {"Shift-JIS to UTF-8", kCodePageShiftJIS, "\x83\x70\x83\x58", katakanaUtf8, {katakanaUtf8, "\x83\x70\x83\x58"}},
      // SASLprep prohibits control characters: the plain UTF-8 is used.
      {"control character kept", kCodePageUtf8, "a\x07" "b", "a\x07" "b", {"a\x07" "b"}},
      {"cut at 127 bytes", kCodePageUtf8, std::string(200, 'x'), std::string(127, 'x'), {std::string(127, 'x')}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetSystemCodePageForTesting(c.codePage);
    EXPECT_EQ(AESPasswordForWriting(c.given), c.written);
    EXPECT_EQ(AESPasswordCandidates(c.given), c.candidates);
  }
  SetSystemCodePageForTesting(kCodePageUtf8);
}

}  // namespace
}  // namespace sarvane::pdf
