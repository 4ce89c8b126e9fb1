#include "cli/OptionParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sarvane::cli {
namespace {

constexpr TOptionSpec kSpecs[] = {{"--owner", true}, {"--delete-field", true}, {"--no-security", false}};

TEST(OptionParser, OneReadingForEveryCommand) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
    std::string owner;  // the value kept for --owner
    std::vector<std::string> operands;
    std::string error;
  } const cases[] = {
      {{"--owner", "o", "a.pdf"}, true, "o", {"a.pdf"}, ""},
      {{"--owner=o", "a.pdf"}, true, "o", {"a.pdf"}, ""},
      {{"--owner=", "a.pdf"}, true, "", {"a.pdf"}, ""},
      {{"--owner=a=b"}, true, "a=b", {}, ""},
      {{"--owner", "--no-security"}, true, "--no-security", {}, ""},  // a value may look like an option
      {{"--owner", "x", "--owner=y"}, true, "y", {}, ""},
      {{"a.pdf", "--", "--owner", "-"}, true, "", {"a.pdf", "--owner", "-"}, ""},
      {{"-", "b.pdf"}, true, "", {"-", "b.pdf"}, ""},
      {{"--owner"}, false, "", {}, "option '--owner' needs a value"},
      {{"--no-security=yes"}, false, "", {}, "option '--no-security' takes no value"},
      {{"--ownr", "o"}, false, "", {}, "unknown option '--ownr'"},
      {{"-x"}, false, "", {}, "unknown option '-x'"},
  };
  for (const Case& c : cases) {
    std::vector<char*> argv;
    for (const std::string& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
    TParsedOptions parsed;
    std::string error;
    SCOPED_TRACE(testing::PrintToString(c.args));
    ASSERT_EQ(ParseOptions(static_cast<int>(argv.size()), argv.data(), kSpecs, parsed, error), c.ok);
    EXPECT_EQ(error, c.error);
    if (!c.ok) continue;
    EXPECT_EQ(parsed.Value("--owner"), c.owner);
    EXPECT_EQ(parsed.Operands, c.operands);
  }
}

TEST(OptionParser, FlagsRepeatsAndHelp) {
  std::vector<std::string> args = {"--delete-field", "A", "x.pdf", "--no-security", "--delete-field=B.c", "-h"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  TParsedOptions parsed;
  std::string error;
  ASSERT_TRUE(ParseOptions(static_cast<int>(argv.size()), argv.data(), kSpecs, parsed, error));
  EXPECT_TRUE(parsed.Help);
  EXPECT_TRUE(parsed.Has("--no-security"));
  EXPECT_FALSE(parsed.Has("--owner"));
  EXPECT_EQ(parsed.All("--delete-field"), (std::vector<std::string>{"A", "B.c"}));
  EXPECT_EQ(parsed.Operands, std::vector<std::string>{"x.pdf"});
}

}  // namespace
}  // namespace sarvane::cli
