#pragma once
// The platform font object of form fields: a face name, the bold and italic
// styles and a size in points. The default is the desktop's default font
// for new fields: 8 points, or 9 points with a Japanese face when the code
// page is 932.
#include <string>

#include "platform/CodePage.h"

namespace sarvane {

struct TFont {
  std::string Name;
  int Size = 8;
  bool Bold = false;
  bool Italic = false;

  static TFont Default() {
    if (SystemCodePage() == kCodePageShiftJIS) return TFont{"MS-PGothic", 9, false, false};
    return TFont{"Helvetica", 8, false, false};
  }
  bool operator==(const TFont&) const = default;
};

}  // namespace sarvane
