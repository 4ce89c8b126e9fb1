#include <gtest/gtest.h>

#include <fstream>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::doc {
namespace {

using sarvane::interop::TTempFolder;
using testutil::PdfBuilder;

struct RangeCase {
  const char* range;
  std::vector<int32_t> pages;
  const char* error = nullptr;  // the message when it raises
};

TEST(PageRange, ItemsOnAFivePageDocument) {
  const RangeCase cases[] = {
      {"", {1, 2, 3, 4, 5}},
      {"2-", {2, 3, 4, 5}},
      {"-3", {1, 2, 3}},
      {"3,1,3", {3, 1, 3}},
      {"1, 3,5", {1, 3, 5}},
      {" \t2-3 ,\n4", {2, 3, 4}},
      {"\"2-4\"", {2, 3, 4}},
      {"-", {1, 2, 3, 4, 5}},
      {" \t ", {}},
      {" , ", {}, "Invalid page range ()"},
      {"1,", {}, "Invalid page range ()"},
      {"1, ", {1}},
      // Blanks split items: "-" alone is every page.
      {"5 - 5", {5, 1, 2, 3, 4, 5, 5}},
      {"0", {}, "Invalid page number (0)"},
      {"6", {}, "Invalid page number (6)"},
      {"4-2", {}, "Invalid page range (4-2)"},
      {"1-9", {}, "Invalid page range (1-9)"},
      {"0-2", {}, "Invalid page range (0-2)"},
      {"x", {}, "Invalid page range (x)"},
      {"1-a", {}, "Invalid page range (1-a)"},
      {"1,,2", {}, "Invalid page range ()"},
  };
  for (const RangeCase& c : cases) {
    try {
      EXPECT_EQ(TzkPDFDocument::ParsePageRange(c.range, 5), c.pages) << c.range;
      EXPECT_EQ(c.error, nullptr) << c.range;
    } catch (const EInvalidPageError& e) {
      ASSERT_NE(c.error, nullptr) << c.range << ": " << e.what();
      EXPECT_STREQ(e.what(), c.error) << c.range;
    }
  }
}

class PageOps : public ::testing::Test {
 protected:
  TTempFolder dir_{"pageops"};
  TzkPDFDocument doc_;
  void SetUp() override {
    PdfBuilder b;
    b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /MediaBox [0 0 600 800] /Rotate 180 >>");
    b.AddObject(3, "<< /Type /Page /Parent 2 0 R /Dur 9 /Rotate 0 /Trans << /S /Box >> >>");
    b.AddObject(4, "<< /Type /Page /Parent 2 0 R /Rotate 6 0 R >>");
    b.AddObject(5, "<< /Type /Page /Parent 2 0 R /Rotate 450 >>");
    b.AddObject(6, "90");
    b.FinishTable("/Size 7 /Root 1 0 R");
    std::ofstream(dir_.Dir() + "in.pdf", std::ios::binary) << b.Data();
    doc_.SetShowSetupDialog(false);
    ASSERT_TRUE(doc_.LoadDocument(dir_.Dir() + "in.pdf"));
  }
  // The page dictionary on one line.
  std::string PageText(int page) {
    std::string text = doc_.Pages()[static_cast<size_t>(page - 1)]->Value()->ToText();
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.replace(at, 2, " ");
    return text;
  }
};

TEST_F(PageOps, TransitionEntriesOfEachEffect) {
  const std::pair<uint8_t, const char*> cases[] = {
      {0, "/S /R"},
      {1, "/S /Split /Dm /H /M /I"},
      {2, "/S /Split /Dm /H /M /O"},
      {3, "/S /Split /Dm /V /M /I"},
      {4, "/S /Split /Dm /V /M /O"},
      {5, "/S /Blinds /Dm /H"},
      {6, "/S /Blinds /Dm /V"},
      {7, "/S /Box /M /I"},
      {8, "/S /Box /M /O"},
      {9, "/S /Wipe /Di 0"},
      {10, "/S /Wipe /Di 90"},
      {11, "/S /Wipe /Di 180"},
      {12, "/S /Wipe /Di 270"},
      {13, "/S /Dissolve"},
      {14, "/S /Glitter /Di 0"},
      {15, "/S /Glitter /Di 270"},
      {16, "/S /Glitter /Di 315"},
      {17, "/S /R"},
      {255, "/S /R"},
  };
  for (const auto& [effect, entries] : cases) {
    doc_.SetPageTransition("2", effect, 1.5f);
    EXPECT_EQ(PageText(2), std::string("<< /Type /Page /Rotate 6 0 R /MediaBox [ 0 0 600 800 ] /Dur 1.5000000000 /Trans << "
                                       "/Type /Trans /D 1.5000000000 ") + entries + " >> >>")
        << int(effect);
  }
}

TEST_F(PageOps, TransitionsReplaceInPlaceAndOnlyOnTheListedPages) {
  doc_.SetPageTransition("3,1,3", 9, 2);
  // The existing entries keep their places.
  EXPECT_EQ(PageText(1), "<< /Type /Page /Dur 2.0000000000 /Rotate 0 /Trans << /Type /Trans /D 2.0000000000 /S /Wipe /Di 0 >> "
                         "/MediaBox [ 0 0 600 800 ] >>");
  EXPECT_EQ(PageText(2).find("/Trans"), std::string::npos);
  EXPECT_NE(PageText(3).find("/Trans << /Type /Trans /D 2.0000000000 /S /Wipe /Di 0 >>"), std::string::npos);
  // A bad range changes nothing.
  const std::string before = PageText(1) + PageText(2) + PageText(3);
  EXPECT_THROW(doc_.SetPageTransition("1,4", 13, 1), EInvalidPageError);
  EXPECT_EQ(PageText(1) + PageText(2) + PageText(3), before);
}

TEST_F(PageOps, RotationAsStored) {
  EXPECT_EQ(doc_.GetPageRotation(1), 0);
  EXPECT_EQ(doc_.GetPageRotation(2), 90);  // an indirect reference
  EXPECT_EQ(doc_.GetPageRotation(3), 450);
  for (int page : {0, 4}) {
    try {
      doc_.GetPageRotation(page);
      ADD_FAILURE() << page;
    } catch (const EInvalidPageError& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid page number (" + std::to_string(page) + ")");
    }
  }
}

}  // namespace
}  // namespace sarvane::pdf::doc
