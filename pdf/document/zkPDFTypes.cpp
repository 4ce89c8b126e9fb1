#include "pdf/document/zkPDFTypes.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFObject;

std::string_view PageModeName(TzkPageMode mode) {
  return mode < kPageModeNames.size() ? kPageModeNames[mode] : kPageModeNames[pmNone];
}

std::string_view PageLayoutName(TzkPageLayout layout) {
  return layout < kPageLayoutNames.size() ? kPageLayoutNames[layout] : kPageLayoutNames[plNone];
}

std::optional<TzkPageMode> PageModeFromName(std::string_view name) {
  for (size_t i = 0; i < kPageModeNames.size(); ++i) {
    if (kPageModeNames[i] == name) return static_cast<TzkPageMode>(i);
  }
  return std::nullopt;
}

std::optional<TzkPageLayout> PageLayoutFromName(std::string_view name) {
  for (size_t i = 0; i < kPageLayoutNames.size(); ++i) {
    if (kPageLayoutNames[i] == name) return static_cast<TzkPageLayout>(i);
  }
  return std::nullopt;
}

TzkPDFViewerPreferences::TzkPDFViewerPreferences() : dict_(std::make_unique<TzkPDFDictObject>()) {}

void TzkPDFViewerPreferences::SetDictionary(std::unique_ptr<TzkPDFDictObject> dict) {
  dict_ = dict ? std::move(dict) : std::make_unique<TzkPDFDictObject>();
}

bool TzkPDFViewerPreferences::Flag(std::string_view key) const {
  const auto* value = dict_->LookupAs<sarvane::pdf::TzkPDFBooleanObject>(key);
  return value && value->Value();
}

void TzkPDFViewerPreferences::SetFlag(std::string_view key, bool value) {
  if (value) {
    dict_->SetBoolean(key, true);
  } else {
    dict_->Remove(key);
  }
}

std::string TzkPDFViewerPreferences::ViewerPreferencesText() const {
  static constexpr std::string_view kKeys[] = {
      "/HideToolbar",  "/HideMenubar",           "/HideWindowUI", "/FitWindow", "/CenterWindow",
      "/DisplayDocTitle", "/NonFullScreenPageMode", "/Direction", "/ViewArea",  "/ViewClip",
      "/PrintArea",    "/PrintClip"};
  std::string lines;
  for (std::string_view key : kKeys) {
    const TzkPDFObject* value = dict_->Lookup(key);
    if (!value) continue;
    if (const auto* b = value->As<sarvane::pdf::TzkPDFBooleanObject>()) {
      if (!b->Value()) continue;
      lines.append(key).append(" true\r\n");
    } else if (const auto* n = value->As<sarvane::pdf::TzkPDFNameObject>()) {
      lines.append(key).append(" ").append(n->Text()).append("\r\n");
    }
  }
  if (lines.empty()) return {};
  return "<<\r\n" + lines + ">>";
}

}  // namespace sarvane::pdf::doc
