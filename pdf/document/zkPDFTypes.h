#pragma once
// Small types of the document component: page mode and page layout with their
// catalog names, and the viewer preferences.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFDictObject;

enum TzkPageMode : uint8_t { pmNone, pmUseOutlines, pmUseThumbs, pmFullScreen, pmUseAttachments };
enum TzkPageLayout : uint8_t { plNone, plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };

// Catalog names, indexed by the enumeration value.
inline constexpr std::array<std::string_view, 5> kPageModeNames = {
    "/UseNone", "/UseOutlines", "/UseThumbs", "/FullScreen", "/UseAttachments"};
inline constexpr std::array<std::string_view, 5> kPageLayoutNames = {
    "/None", "/SinglePage", "/OneColumn", "/TwoColumnLeft", "/TwoColumnRight"};

std::string_view PageModeName(TzkPageMode mode);
std::string_view PageLayoutName(TzkPageLayout layout);
// Case-sensitive lookup of a catalog name (with its slash); nothing when the
// name is not in the table.
std::optional<TzkPageMode> PageModeFromName(std::string_view name);
std::optional<TzkPageLayout> PageLayoutFromName(std::string_view name);

// The catalog's /ViewerPreferences. The six flags are entries of the same
// name; other entries of the input are kept in the dictionary, and the writer
// takes only the keys of ViewerPreferencesText.
class TzkPDFViewerPreferences {
 public:
  TzkPDFViewerPreferences();

  bool HideToolbar() const { return Flag("/HideToolbar"); }
  void SetHideToolbar(bool value) { SetFlag("/HideToolbar", value); }
  bool HideMenubar() const { return Flag("/HideMenubar"); }
  void SetHideMenubar(bool value) { SetFlag("/HideMenubar", value); }
  bool HideWindowUI() const { return Flag("/HideWindowUI"); }
  void SetHideWindowUI(bool value) { SetFlag("/HideWindowUI", value); }
  bool FitWindow() const { return Flag("/FitWindow"); }
  void SetFitWindow(bool value) { SetFlag("/FitWindow", value); }
  bool CenterWindow() const { return Flag("/CenterWindow"); }
  void SetCenterWindow(bool value) { SetFlag("/CenterWindow", value); }
  bool DisplayDocTitle() const { return Flag("/DisplayDocTitle"); }
  void SetDisplayDocTitle(bool value) { SetFlag("/DisplayDocTitle", value); }

  TzkPDFDictObject& Dictionary() { return *dict_; }
  const TzkPDFDictObject& Dictionary() const { return *dict_; }
  // Adopts dict as the whole set (nullptr gives an empty one).
  void SetDictionary(std::unique_ptr<TzkPDFDictObject> dict);

  // The dictionary text the catalog writer puts under /ViewerPreferences:
  // "<<" CR LF, one line per written key, ">>"; empty when no key is written.
  std::string ViewerPreferencesText() const;

 private:
  bool Flag(std::string_view key) const;
  void SetFlag(std::string_view key, bool value);

  std::unique_ptr<TzkPDFDictObject> dict_;
};

}  // namespace sarvane::pdf::doc
