#include "cli/DenyList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace sarvane::cli {
namespace {

TEST(DenyList, OneVocabularyForEveryCommand) {
  using namespace sarvane::pdf;
  struct Case {
    std::string list;
    bool ok;
    std::vector<TzkUserPermissionsType> withheld;
  } const cases[] = {
      {"", true, {}},
      {"print", true, {AllowPrint, AllowHighResPrint}},
      {"highres", true, {AllowHighResPrint}},
      {"copy,,modify", true, {AllowCopy, AllowModify}},
      {"annotate,assemble,fill,accessibility", true, {AllowAnnotation, AllowDocAssembly, AllowFormFill, AllowAccessibility}},
      {"print,scan", false, {}},
      {"Print", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    TDeniedOperations denied;
    std::string error;
    ASSERT_EQ(ParseDenyList(c.list, denied, error), c.ok) << error;
    if (!c.ok) {
      EXPECT_NE(error.find("unknown operation"), std::string::npos);
      continue;
    }
    const TzkUserPermissions permissions = PermissionsWithout(denied);
    for (TzkUserPermissionsType p : {AllowPrint, AllowModify, AllowCopy, AllowAnnotation, AllowFormFill, AllowAccessibility,
                                AllowDocAssembly, AllowHighResPrint}) {
      const bool withheld = std::find(c.withheld.begin(), c.withheld.end(), p) != c.withheld.end();
      EXPECT_EQ(permissions.Contains(p), !withheld) << int(p);
    }
  }
}

}  // namespace
}  // namespace sarvane::cli
