#include "cli/DenyList.h"

#include <sstream>

namespace sarvane::cli {

bool ParseDenyList(const std::string& list, TDeniedOperations& denied, std::string& error) {
  struct Name {
    const char* text;
    bool TDeniedOperations::*flag;
  };
  static constexpr Name kNames[] = {
      {"print", &TDeniedOperations::Print},       {"modify", &TDeniedOperations::Modify},
      {"copy", &TDeniedOperations::Copy},         {"annotate", &TDeniedOperations::Annotate},
      {"assemble", &TDeniedOperations::Assemble}, {"fill", &TDeniedOperations::Fill},
      {"accessibility", &TDeniedOperations::Accessibility}, {"highres", &TDeniedOperations::HighRes},
  };
  denied = {};
  std::stringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (item.empty()) continue;
    const Name* found = nullptr;
    for (const Name& n : kNames) {
      if (item == n.text) found = &n;
    }
    if (!found) {
      error = "unknown operation '" + item + "' in --deny (known: " + kDenyNames + ")";
      return false;
    }
    denied.*(found->flag) = true;
  }
  return true;
}

sarvane::pdf::TzkUserPermissions PermissionsWithout(const TDeniedOperations& denied) {
  using namespace sarvane::pdf;
  TzkUserPermissions permissions = TzkUserPermissions::All();
  if (denied.Print) permissions.Exclude(AllowPrint);
  if (denied.Print || denied.HighRes) permissions.Exclude(AllowHighResPrint);
  if (denied.Modify) permissions.Exclude(AllowModify);
  if (denied.Copy) permissions.Exclude(AllowCopy);
  if (denied.Annotate) permissions.Exclude(AllowAnnotation);
  if (denied.Assemble) permissions.Exclude(AllowDocAssembly);
  if (denied.Fill) permissions.Exclude(AllowFormFill);
  if (denied.Accessibility) permissions.Exclude(AllowAccessibility);
  return permissions;
}

}  // namespace sarvane::cli
