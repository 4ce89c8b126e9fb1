#include "pdf/document/zkPDFTypes.h"

#include <gtest/gtest.h>

namespace sarvane::pdf::doc {
namespace {

TEST(PageModeLayoutNames, LookupIsExactAndCaseSensitive) {
  struct Case {
    std::string_view name;
    std::optional<TzkPageMode> mode;
    std::optional<TzkPageLayout> layout;
  };
  const Case cases[] = {
      {"/UseNone", pmNone, std::nullopt},
      {"/UseOutlines", pmUseOutlines, std::nullopt},
      {"/UseThumbs", pmUseThumbs, std::nullopt},
      {"/FullScreen", pmFullScreen, std::nullopt},
      {"/UseAttachments", pmUseAttachments, std::nullopt},
      {"/None", std::nullopt, plNone},
      {"/SinglePage", std::nullopt, plSinglePage},
      {"/OneColumn", std::nullopt, plOneColumn},
      {"/TwoColumnLeft", std::nullopt, plTwoColumnLeft},
      {"/TwoColumnRight", std::nullopt, plTwoColumnRight},
      {"/singlepage", std::nullopt, std::nullopt},
      {"SinglePage", std::nullopt, std::nullopt},
      {"/UseOC", std::nullopt, std::nullopt},
      {"/TwoPageLeft", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(PageModeFromName(c.name), c.mode);
    EXPECT_EQ(PageLayoutFromName(c.name), c.layout);
    if (c.mode) {
      EXPECT_EQ(PageModeName(*c.mode), c.name);
    }
    if (c.layout) {
      EXPECT_EQ(PageLayoutName(*c.layout), c.name);
    }
  }
}

TEST(TzkPDFViewerPreferences, FlagsAreTrueOnlyForBooleanTrue) {
  TzkPDFViewerPreferences prefs;
  prefs.Dictionary().AddValue("/HideToolbar", std::make_unique<TzkPDFNameObject>("/true"));
  prefs.Dictionary().SetBoolean("/HideMenubar", false);
  prefs.Dictionary().SetBoolean("/FitWindow", true);
  EXPECT_FALSE(prefs.HideToolbar());
  EXPECT_FALSE(prefs.HideMenubar());
  EXPECT_TRUE(prefs.FitWindow());
  EXPECT_FALSE(prefs.CenterWindow());

  // A setter replaces a wrong-kind entry in place; false removes the key.
  prefs.SetHideToolbar(true);
  EXPECT_TRUE(prefs.HideToolbar());
  EXPECT_EQ(prefs.Dictionary().IndexOfKey("/HideToolbar"), 0);
  prefs.SetFitWindow(false);
  EXPECT_EQ(prefs.Dictionary().Lookup("/FitWindow"), nullptr);
}

TEST(TzkPDFViewerPreferences, TextTakesListedKeysInFixedOrder) {
  struct Case {
    const char* name;
    std::function<void(TzkPDFDictObject&)> fill;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", [](TzkPDFDictObject&) {}, ""},
      {"only false and unlisted",
       [](TzkPDFDictObject& d) {
         d.SetBoolean("/HideToolbar", false);
         d.SetBoolean("/PickTrayByPDFSize", true);
       },
       ""},
      {"order of the list, names and booleans",
       [](TzkPDFDictObject& d) {
         d.AddName("/Direction", "/R2L");
         d.SetBoolean("/DisplayDocTitle", true);
         d.AddInteger("/ViewArea", 3);
         d.SetBoolean("/HideToolbar", true);
       },
       "<<\r\n/HideToolbar true\r\n/DisplayDocTitle true\r\n/Direction /R2L\r\n>>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TzkPDFViewerPreferences prefs;
    c.fill(prefs.Dictionary());
    EXPECT_EQ(prefs.ViewerPreferencesText(), c.expected);
  }
}

}  // namespace
}  // namespace sarvane::pdf::doc
