#pragma once
// The names of the operations a locked copy may withhold, as "--deny LIST"
// takes them: one vocabulary for every command.
#include <string>

#include "pdf/crypt/zkPDFCrypt.h"

namespace sarvane::cli {

struct TDeniedOperations {
  bool Print = false, Modify = false, Copy = false, Annotate = false, Assemble = false, Fill = false,
       Accessibility = false, HighRes = false;
};

// The names, comma-separated, as --help lists them.
inline constexpr char kDenyNames[] = "print, modify, copy, annotate, assemble, fill, accessibility, highres";

// Parses a comma-separated list of names (empty items are skipped). False,
// with error set, for a name outside the vocabulary.
bool ParseDenyList(const std::string& list, TDeniedOperations& denied, std::string& error);

// All permissions less the denied ones; print also takes high-resolution
// printing with it.
sarvane::pdf::TzkUserPermissions PermissionsWithout(const TDeniedOperations& denied);

}  // namespace sarvane::cli
