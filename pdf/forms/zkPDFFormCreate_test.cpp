#include "pdf/forms/zkPDFFormCreate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "pdf/document/zkPDFDocExceptions.h"
#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/forms/zkPDFFormFields.h"
#include "pdf/forms/zkPDFFormsTestUtil.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::forms {
namespace {

using sarvane::pdf::doc::testutil::PdfBuilder;

// A document of the given page dictionaries (entries), catalog entries extra.
std::string Pages(const std::vector<std::string>& pages, const std::string& catalogExtra = "",
                  const std::map<int, std::string>& objects = {}) {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>");
  std::string kids;
  for (size_t i = 0; i < pages.size(); ++i) kids += std::to_string(10 + i) + " 0 R ";
  b.AddObject(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  for (size_t i = 0; i < pages.size(); ++i)
    b.AddObject(static_cast<int32_t>(10 + i), "<< /Type /Page /Parent 2 0 R " + pages[i] + " >>");
  for (const auto& [n, body] : objects) b.AddObject(n, body);
  b.FinishTable("/Size 60 /Root 1 0 R");
  return b.Data();
}

const std::string kA4 = "/MediaBox [0 0 595.2756 841.8898]";

class FieldCreation : public testutil::TDocumentTest {
 protected:
  FieldCreation() : TDocumentTest("create") {}
  TzkPDFIndirectObject& Object(int32_t number) {
    return *doc_.ObjectStore().Find(doc_.DocumentNumber(), number, 0);
  }
  std::string ObjectText(int32_t number) {
    std::string text;
    Object(number).Value()->AppendText(text);
    // Resource names are random.
    return std::regex_replace(text, std::regex("/ZmvFnt[0-9]+"), "/ZmvFntN");
  }
  TzkPDFDictObject* AcroForm() { return doc_.ObjectStore().ResolveDictionary(doc_.Catalog().AcroForm.get()); }
};

TEST_F(FieldCreation, OverlayCheckBoxOnA4MatchesItsGoldenObjects) {
  Load(Pages({kA4}));
  const int32_t first = doc_.ObjectStore().NewObjectNumber() + 1;  // the AcroForm takes the next number
  doc_.SetMeasurementUnit(sarvane::pdf::doc::muMM);
  TzkPDFFormCheckBox box;
  box.FieldName = "ViewLimit0";
  box.BackgroundColor = 0xDAFFFF;
  box.Rect = {0, 0, 210, 297};
  AddFormField(doc_, box, 1);

  // AcroForm, then per stream descriptor, font, stream, then the widget.
  const std::string descriptor =
      "<<\r\n/Type /FontDescriptor\r\n/FontName /ZapfDingbats\r\n/Flags 4\r\n/FontBBox [ -250 -144 1296 864 ]\r\n"
      "/Ascent 864\r\n/Descent -144\r\n/CapHeight 864\r\n/AvgWidth 864\r\n/MaxWidth 1296\r\n/StemH 0\r\n/StemV 0\r\n>>";
  const std::string bg = "1.0000 1.0000 0.8549 rg 0 w 0.6 0.6 593.2744 839.88808 re f 0.0000 0.0000 0.0000 RG "
                         "1 w 0.5 0.5 594.2744 840.88808 re s";
  const std::string on = bg + " q 1 1 593.2744 839.88808 re W n BT /ZmvFntN 8 Tf 0.0000 0.0000 0.0000 rg  "
                              "1 0 0 1 0.77 1.405 Tm (4) Tj ET Q";
  const std::string contents[] = {on, bg, ""};
  for (int kind = 0; kind < 3; ++kind) {
    const int32_t d = first + 1 + 3 * kind;
    SCOPED_TRACE(kind);
    EXPECT_EQ(ObjectText(d), descriptor);
    const std::string font = ObjectText(d + 1);
    EXPECT_EQ(font.substr(0, font.find("/Widths")),
              "<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Name /ZmvFntN\r\n/BaseFont /ZapfDingbats\r\n"
              "/Encoding /WinAnsiEncoding\r\n/FirstChar 32\r\n/LastChar 255\r\n");
    EXPECT_NE(font.find("/Widths  [ 1000 1030 1144 "), std::string::npos);
    EXPECT_NE(font.find("785 892 892 1034 ]\r\n/FontDescriptor " + std::to_string(d) + " 0 R\r\n>>"), std::string::npos);
    const auto& stream = Object(d + 2).Value()->Cast<TzkPDFStreamObject>();
    EXPECT_EQ(stream.Dict().LookupAs<TzkPDFIntegerObject>("/Length")->Value(),
              static_cast<int32_t>(stream.DataBytes().size()));
    EXPECT_EQ(std::regex_replace(ObjectText(d + 2), std::regex("/Length [0-9]+"), "/Length L"),
              "<<\r\n/Subtype /Form\r\n/BBox [ 0 0 595.2744 841.88808]\r\n/Resources <</ProcSet [ /PDF /Text ]\r\n"
              "/Font << /ZmvFntN " + std::to_string(d + 1) + " 0 R\r\n >> >> \r\n/Length L\r\n>>\r\nstream\r\n" + contents[kind] + "\r\nendstream");
  }
  const int32_t widget = first + 10;
  EXPECT_EQ(ObjectText(widget),
            "<<\r\n/Type /Annot\r\n/Subtype /Widget\r\n/Rect [ 0 841.8898 595.2744 0.0017200000000912 ]\r\n"
            "/Q 0\r\n/H /N\r\n/FT /Btn\r\n/T (ViewLimit0)\r\n/F 4\r\n/TU ()\r\n/Ff 0\r\n/V /Off\r\n/AS /Off\r\n"
            "/DV /Off\r\n/AP <<\r\n/N <<\r\n/Yes " + std::to_string(first + 3) + " 0 R\r\n/Off " +
                std::to_string(first + 6) + " 0 R\r\n>>\r\n/D " + std::to_string(first + 9) +
                " 0 R\r\n>>\r\n/MK <<\r\n/BG [ 1.0000 1.0000 0.8549 ]\r\n/BC [ 0.0000 0.0000 0.0000 ]\r\n/CA (4)\r\n>>\r\n"
                "/DA (/ZmvFntN 6 Tf 0.0000 0.0000 0.0000 rg)\r\n>>");
  // The AcroForm made for it: /Fields, and /DR with the last stream's font.
  EXPECT_EQ(ObjectText(first), "<<\r\n/Fields [ " + std::to_string(widget) + " 0 R ]\r\n/DR <<\r\n/Font <<\r\n/ZmvFntN " +
                                   std::to_string(first + 8) + " 0 R\r\n>>\r\n>>\r\n>>");
  EXPECT_EQ(AcroForm()->Lookup("/NeedAppearances"), nullptr);

  SaveAndReload();
  ASSERT_TRUE(doc_.FormFields());
  ASSERT_EQ(doc_.FormFields()->Count(), 1);
  EXPECT_EQ((*doc_.FormFields())[0].FullName, "ViewLimit0");
  EXPECT_EQ(FieldKindName((*doc_.FormFields())[0]), "checkbox");
}

TEST_F(FieldCreation, CheckBoxVariantsAndPageCheck) {
  struct Row {
    const char* name;
    std::function<void(TzkPDFFormCheckBox&)> set;
    std::vector<std::string> expected;  // texts the widget holds
    bool needAppearances;
  } rows[] = {
      {"checked", [](auto& b) { b.Checked = true; }, {"/V /Yes", "/AS /Yes", "/DV /Yes"}, false},
      {"border", [](auto& b) { b.BorderStyle = TzkBorderStyle{bsDashed, 2}; }, {"/BS << /W 2 /S /D>>"}, true},
      {"transparent", [](auto& b) { b.TransparentBackground = true; }, {"/BG []"}, true},
      {"flags",
       [](auto& b) {
         b.AnnotFlags = FlagBit(afHidden) | FlagBit(afNoPrint);
         b.FieldFlags = FlagBit(ffRequired);
       },
       {"/F 2", "/Ff 2"}, false},
      {"style and size", [](auto& b) {
         b.CheckStyle = 5;
         b.Font->Size = 0;  // becomes 16: 12 points in /DA
       }, {"/CA (H)", " 12 Tf "}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Load(Pages({kA4, kA4}));
    TzkPDFFormCheckBox box;
    box.FieldName = "b";
    box.Rect = {10, 10, 30, 30};
    row.set(box);
    AddFormField(doc_, box, 2);
    const int32_t widget = doc_.ObjectStore().NewObjectNumber() - 1;
    const std::string text = ObjectText(widget);
    for (const auto& e : row.expected) EXPECT_NE(text.find(e), std::string::npos) << e << "\n" << text;
    EXPECT_EQ(AcroForm()->Lookup("/NeedAppearances") != nullptr, row.needAppearances);
    SaveAndReload();
  }
  Load(Pages({kA4, kA4}));
  for (int page : {0, 3}) {
    TzkPDFFormCheckBox box;
    try {
      AddFormField(doc_, box, page);
      ADD_FAILURE() << page;
    } catch (const sarvane::pdf::doc::EInvalidPageError& e) {
      EXPECT_EQ(std::string(e.what()), "Invalid page number (" + std::to_string(page) + ")");
    }
  }
  TzkPDFFormField base;
  EXPECT_THROW(AddFormField(doc_, base, 1), EInvalidCast);
  EXPECT_EQ(doc_.Catalog().AcroForm, nullptr);  // nothing changed
}

TEST(FieldCreationText, SizesColoursAndFlags) {
  // Pixel sizes to points, ties to even.
  for (auto [pixels, points] : std::vector<std::pair<int, int>>{{8, 6}, {9, 7}, {10, 8}, {14, 10}, {16, 12}, {0, 0}})
    EXPECT_EQ(DefaultAppearanceSize(pixels), points) << pixels;
  EXPECT_EQ(ColourText(0xDAFFFF), "1.0000 1.0000 0.8549");
  EXPECT_EQ(ColourText(0x0000FF), "1.0000 0.0000 0.0000");
  TzkPDFFormCheckBox box;
  EXPECT_EQ(AnnotationFlagsValue(box), 4);
  box.AnnotFlags = FlagBit(afInvisible) | FlagBit(afReadOnly);
  box.AnnotFlagsEx = FlagBit(afToggleNoView);
  EXPECT_EQ(AnnotationFlagsValue(box), 4 | 1 | 64 | 256);
  EXPECT_EQ(CheckGlyph(9), '4');
}

TEST_F(FieldCreation, EveryFieldKindReadsBackFromTheSavedFile) {
  Load(Pages({kA4, kA4}));
  doc_.SetMeasurementUnit(sarvane::pdf::doc::muPoints);
  TzkPDFFormTextField text;
  text.FieldName = "t";
  text.Value = "a (b)";
  text.Multiline = true;
  text.MaxLength = 20;
  text.Rect = {10, 10, 200, 60};
  AddFormField(doc_, text, 1);
  TzkPDFFormComboBox combo;
  combo.FieldName = "c";
  combo.Items = {"x", "y"};
  combo.Value = "x";
  combo.Rect = {10, 100, 200, 120};
  AddFormField(doc_, combo, 1);
  TzkPDFFormListBox list;
  list.FieldName = "l";
  list.Items = {"p", "q"};
  list.Rect = {10, 150, 200, 200};
  AddFormField(doc_, list, 2);
  TzkPDFFormPushButton button;
  button.FieldName = "p";
  button.Caption = "Go";
  button.ButtonAction = 3;
  button.JavaScript = "app.alert(1);";
  button.Rect = {10, 250, 100, 280};
  AddFormField(doc_, button, 2);
  TzkPDFFormRadioButton radio;
  radio.FieldName = "r";
  radio.SelectedIndex = 1;
  for (const char* name : {"A", "B"}) {
    auto entry = std::make_unique<TzkPDFFormField>();
    entry->Value = name;
    entry->Rect = {300, 300, 320, 320};
    radio.Buttons.push_back(std::move(entry));
  }
  AddFormField(doc_, radio, 2);
  // Hung from the top edge: 841.8898 - 300.
  EXPECT_NEAR(radio.Buttons[0]->Rect.Top, 541.8898, 1e-9);
  EXPECT_NEAR(text.Rect.Bottom, 781.8898, 1e-9);

  SaveAndReload();
  ASSERT_TRUE(doc_.FormFields());
  std::map<std::string, std::string> kinds;
  for (const auto& f : doc_.FormFields()->Items) kinds[f->FullName] = FieldKindName(*f);
  EXPECT_EQ(kinds, (std::map<std::string, std::string>{
                       {"t", "text"}, {"c", "combo"}, {"l", "list"}, {"p", "button"}, {"r", "radio"}}));
  for (const auto& f : doc_.FormFields()->Items) {
    if (f->FullName == "t") {
      EXPECT_EQ(f->Value, "a (b)");
    }
  }
}

TEST_F(FieldCreation, SharedAnnotsArrayGetsAPerPageCopy) {
  Load(Pages({kA4 + " /Annots 30 0 R", kA4 + " /Annots 30 0 R"}, "",
             {{30, "[31 0 R]"}, {31, "<< /Type /Annot /Subtype /Text /Rect [0 0 10 10] >>"}}));
  TzkPDFFormCheckBox box;
  box.FieldName = "only1";
  AddFormField(doc_, box, 1);
  SaveAndReload();
  auto count = [&](int page) {
    auto& dict = doc_.Pages()[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
    return doc_.ObjectStore().ResolveArray(dict.Lookup("/Annots"))->Count();
  };
  EXPECT_EQ(count(1), 2);
  EXPECT_EQ(count(2), 1);
}

TEST_F(FieldCreation, IndirectDefaultResourcesAreKeptAndExtended) {
  Load(Pages({kA4}, "/AcroForm 40 0 R",
             {{40, "<< /Fields 41 0 R /DR << /Font 42 0 R >> >>"},
              {41, "[]"},
              {42, "<< /Helv 43 0 R >>"},
              {43, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}}));
  for (int i = 0; i < 3; ++i) {
    TzkPDFFormCheckBox box;
    box.FieldName = "f" + std::to_string(i);
    AddFormField(doc_, box, 1);
  }
  SaveAndReload();
  auto* fonts = doc_.ObjectStore().ResolveDictionary(
      doc_.ObjectStore().ResolveDictionary(AcroForm()->Lookup("/DR"))->Lookup("/Font"));
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts->Count(), 4);  // /Helv and one per check box
  EXPECT_EQ(doc_.FormFields()->Count(), 3);
}

}  // namespace
}  // namespace sarvane::pdf::forms
