#include "pdf/forms/zkPDFFormFields.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

#include "pdf/document/zkPDFDocTestUtil.h"
#include "pdf/forms/zkPDFFormField.h"
#include "pdf/forms/zkPDFFormsTestUtil.h"
#include "platform/CodePage.h"
#include "tests/InteropSupport.h"

namespace sarvane::pdf::forms {
namespace {

using sarvane::interop::HaveQpdf;
using sarvane::interop::Quote;
using sarvane::interop::RunCommand;
using sarvane::interop::TTempFolder;
using sarvane::pdf::doc::EFieldNotFound;
using sarvane::pdf::doc::ENoAcroFields;
using sarvane::pdf::doc::TzkPDFDocument;
using sarvane::pdf::doc::testutil::PdfBuilder;

// "this call raises this message"
template <typename E>
void ExpectRaises(const std::function<void()>& call, const std::string& message) {
  try {
    call();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const E& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

// Catalog 1 with the given /AcroForm entries, pages 3 and 4 with the given
// entries, and the objects given.
std::string FormFile(const std::string& acroForm, const std::map<int, std::string>& objects,
                     const std::string& page1 = "", const std::string& page2 = "") {
  PdfBuilder b;
  b.AddObject(1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << " + acroForm + " >> >>");
  b.AddObject(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 600 800] >>");
  b.AddObject(3, "<< /Type /Page /Parent 2 0 R " + page1 + " >>");
  b.AddObject(4, "<< /Type /Page /Parent 2 0 R " + page2 + " >>");
  for (const auto& [n, body] : objects) b.AddObject(n, body);
  b.FinishTable("/Size 60 /Root 1 0 R");
  return b.Data();
}

class Forms : public testutil::TDocumentTest {
 protected:
  Forms() : TDocumentTest("forms") {}
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    if (doc_.FormFields())
      for (const auto& f : doc_.FormFields()->Items) names.push_back(f->FullName);
    return names;
  }
  // The object numbers each page's /Annots lists, references followed.
  std::string AnnotsText(int page) {
    const auto& dict = doc_.Pages()[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
    const TzkPDFObject* annots = dict.Lookup("/Annots");
    if (!annots) return "none";
    std::string text;
    const auto* array = ObjectAs<TzkPDFArrayObject>(doc_.ObjectStore().Resolve(const_cast<TzkPDFObject*>(annots)));
    for (int32_t i = 0; array && i < array->Count(); ++i) {
      const auto* d = ObjectAs<TzkPDFDictObject>(doc_.ObjectStore().Resolve(array->ItemAt(i)));
      const auto* t = d ? d->LookupAs<TzkPDFStringObject>("/NM") : nullptr;
      text += (t ? t->Content() : std::string("?")) + " ";
    }
    return text;
  }
};

TEST(ParseDefaultAppearance, FindsColourAndFontAsWholeWords) {
  TzkPDFObjectStore store;
  TzkPDFDictObject fonts;
  auto font = [](const char* base) {
    auto d = std::make_unique<TzkPDFDictObject>();
    d->AddName("/BaseFont", base);
    return d;
  };
  fonts.AddValue("/Helv", font("/Helvetica"));
  fonts.AddValue("/Georgia", font("/Georgia"));
  fonts.AddValue("/F1", font("/Arial,BoldItalic"));
  fonts.AddValue("/F2", font("/Times-Bold"));
  struct Row {
    std::string text;
    bool none;
    std::string colour, resource, face;
    int size;
    bool bold, italic;
  } rows[] = {
      {"/Helv 12 Tf 0 0 1 rg", false, "0 0 1 rg", "/Helv", "Helvetica", 12, false, false},
      // "rg" inside the font name is no colour operator: a grey.
      {"/Georgia 12 Tf 0 g", false, "0 g", "/Georgia", "Georgia", 12, false, false},
      {"0.5 g\r\n/F1 9.6 Tf", false, "0.5 g", "/F1", "Arial", 10, true, true},
      {"/F2 0 Tf 1 0 0 rg", false, "1 0 0 rg", "/F2", "Times", 0, true, false},
      // Too few operands: nothing is read out of bounds.
      {"Tf rg", false, "", "", "", 8, false, false},
      {"12 Tf 0 rg", false, "", "", "", 8, false, false},
      {"/Missing 10 Tf 0 g", false, "0 g", "", "", 8, false, false},
      {"", true, "", "", "", 0, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    auto info = ParseDefaultAppearance(row.text, &fonts, store);
    ASSERT_EQ(info == nullptr, row.none);
    if (!info) continue;
    EXPECT_EQ(info->ColorText, row.colour);
    EXPECT_EQ(info->ResourceName, row.resource);
    EXPECT_EQ(info->Font.Name, row.face);
    EXPECT_EQ(info->Font.Size, row.size);
    EXPECT_EQ(info->Font.Bold, row.bold);
    EXPECT_EQ(info->Font.Italic, row.italic);
    EXPECT_EQ(info->FontReference != nullptr, !row.resource.empty());
  }
  EXPECT_EQ(ParseDefaultAppearance("/Helv 12 Tf", nullptr, store), nullptr);
}

// One hand-made form with what generators seldom make: inherited names,
// widgets merged with their field, unnamed widget kids, FEFF names, a /Kids
// cycle, a typed node without a name, inherited /DA and /DR.
TEST_F(Forms, ReadsTheFieldTree) {
  Load(FormFile("/Fields [10 0 R 20 0 R 30 0 R 40 0 R 50 0 R 10 0 R] /DA (/Helv 10 Tf 0 g) /DR << /Font << /Helv 9 0 R >> >>",
                {{9, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>"},
                 {10, "<< /T (A) /Kids [11 0 R] >>"},
                 {11, "<< /T (B) /Parent 10 0 R /FT /Tx /V <FEFF00E9> /Ff 4097 /MaxLen 5 /Q 2 /Kids [12 0 R] >>"},
                 // C inherits /FT /Tx and the flags from B.
                 {12, "<< /T (C) /Parent 11 0 R /Subtype /Widget /V (x\\)y) /DA (1 0 0 rg /Helv 7 Tf) /Kids [10 0 R] >>"},
                 {20, "<< /T (check) /FT /Btn /V /Yes /Kids [21 0 R 22 0 R] >>"},
                 {21, "<< /Parent 20 0 R /Subtype /Widget /F 4 /AP << /N << /Yes 23 0 R /Off 23 0 R >> >> >>"},
                 {22, "<< /Parent 20 0 R /Subtype /Widget /AP << /N << /Other 23 0 R >> >> >>"},
                 {23, "<< /Length 0 >>\nstream\n\nendstream"},
                 {30, "<< /T <FEFF0061002E00E9> /FT /Btn /Ff 49152 /V /b /Kids [31 0 R] >>"},
                 {31, "<< /Parent 30 0 R /Subtype /Widget /AP << /N << /Off 23 0 R /b 23 0 R >> >> >>"},
                 {40, "<< /FT /Ch /Subtype /Widget >>"},
                 {50, "<< /T (list) /FT /Ch /Ff 131072 /Opt [(one) [(2) (two)] (three)] /DV /one /Subtype /Widget >>"}}));
  ASSERT_TRUE(doc_.FormFields());
  const auto& f = *doc_.FormFields();
  const std::string e = Utf16ToAnsi(u"\u00e9");
  struct Row {
    std::string name;
    uint8_t type;
    std::string value;
    std::vector<std::string> items;
    bool terminal;
  } rows[] = {
      {"A.B", ftText, e, {}, false},
      {"A.B.C", ftText, "x)y", {}, true},
      {"check", ftCheckBox, "Yes", {"Off", "Yes", "Other"}, true},
      // no toggle to off: "Off" is no state of this radio group
      {"a." + e, ftRadioButton, "b", {"b"}, true},
      {"list", ftChoice, "", {"one", "2", "three"}, true},
  };
  ASSERT_EQ(f.Count(), static_cast<int32_t>(std::size(rows)));
  for (int32_t i = 0; i < f.Count(); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(f[i].FullName, rows[i].name);
    EXPECT_EQ(f[i].FieldType, rows[i].type);
    EXPECT_EQ(f[i].Value, rows[i].value);
    EXPECT_EQ(f[i].Items, rows[i].items);
    EXPECT_EQ(f[i].Terminal, rows[i].terminal);
  }
  EXPECT_TRUE(f[0].ReadOnly);
  EXPECT_TRUE(f[0].Multiline);
  EXPECT_EQ(f[0].MaxLen, 5);
  EXPECT_EQ(f[0].Quadding, 2);
  ASSERT_TRUE(f[1].FontInfo);
  EXPECT_EQ(f[1].FontInfo->ColorText, "1 0 0 rg");
  EXPECT_EQ(f[1].FontInfo->Font.Size, 7);
  EXPECT_TRUE(f[1].FontInfo->Font.Bold);
  EXPECT_EQ(f[2].AnnotFlags, 4);
  EXPECT_EQ(f[4].DefaultValue, "one");
  EXPECT_EQ(FieldKindName(f[4]), "combo");
  EXPECT_EQ(IndexOfField(doc_, "check"), 2);
  EXPECT_EQ(IndexOfField(doc_, "Check"), -1);
}

// Deletions on hand-made forms, saved and checked by qpdf: what the field
// list and each page's /Annots (by /NM) hold afterwards.
TEST_F(Forms, DeletesFieldsWithTheirWidgets) {
  // 10: merged field and widget on page 1; 20: field with widgets on both
  // pages; 30: a top-level container whose only kid is field 31; 40: a typed
  // node without a name listed first (it makes no record).
  const std::map<int, std::string> objects = {
      {10, "<< /T (merged) /FT /Tx /Subtype /Widget /NM (m) /Rect [0 0 1 1] /P 3 0 R >>"},
      {20, "<< /T (two) /FT /Btn /Kids [21 0 R 22 0 R] >>"},
      {21, "<< /Parent 20 0 R /Subtype /Widget /NM (w1) /Rect [0 0 1 1] /AP << /N << /On 25 0 R >> >> >>"},
      {22, "<< /Parent 20 0 R /Subtype /Widget /NM (w2) /Rect [0 0 1 1] /AP << /N << /On 25 0 R >> >> >>"},
      {25, "<< /Length 0 >>\nstream\n\nendstream"},
      {30, "<< /T (box) /Kids [31 0 R] >>"},
      {31, "<< /T (inner) /FT /Tx /Parent 30 0 R /Subtype /Widget /NM (i) /Rect [0 0 1 1] >>"},
      {40, "<< /FT /Tx /Subtype /Widget /NM (u) /Rect [0 0 1 1] >>"},
      {50, "[10 0 R 21 0 R 31 0 R 40 0 R]"},
  };
  struct Row {
    const char* name;
    std::string page1, page2;
    std::vector<std::string> deletions;
    std::vector<std::string> fields;
    std::string annots1, annots2;
  } rows[] = {
      {"merged widget", "/Annots [10 0 R 21 0 R]", "/Annots [22 0 R]", {"merged"}, {"two", "box.inner"}, "w1 ", "w2 "},
      {"widgets on two pages", "/Annots [10 0 R 21 0 R]", "/Annots [22 0 R]", {"two"}, {"merged", "box.inner"}, "m ", ""},
      {"last kid of a top-level container", "/Annots [31 0 R 40 0 R]", "", {"box.inner"}, {"merged", "two"}, "u ", "none"},
      // The same /Annots object on both pages: each page loses only what it should.
      {"shared /Annots array", "/Annots 50 0 R", "/Annots 50 0 R", {"two"}, {"merged", "box.inner"}, "m i u ", "m i u "},
      {"all fields", "/Annots 50 0 R", "", {"merged", "two", "box.inner"}, {}, "u ", "none"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Load(FormFile("/Fields [40 0 R 10 0 R 20 0 R 30 0 R]", objects, row.page1, row.page2));
    for (const std::string& name : row.deletions) DeleteFormField(doc_, name);
    SaveAndReload();
    EXPECT_EQ(Names(), row.fields);
    EXPECT_EQ(AnnotsText(1), row.annots1);
    EXPECT_EQ(AnnotsText(2), row.annots2);
    // The unnamed typed node is still listed, so the form stays.
    EXPECT_TRUE(doc_.Catalog().AcroForm);
  }
}

TEST_F(Forms, TheLastFieldTakesTheFormWithIt) {
  Load(FormFile("/Fields [10 0 R] /XFA 11 0 R /NeedAppearances true",
                {{10, "<< /T (only) /FT /Tx /Subtype /Widget /Rect [0 0 1 1] >>"}, {11, "[(x) 12 0 R]"},
                 {12, "<< /Length 0 >>\nstream\n\nendstream"}},
                "/Annots [10 0 R]"));
  ExpectRaises<EFieldNotFound>([&] { DeleteFormField(doc_, "ONLY"); }, "Field (ONLY) does not exist");
  ExpectRaises<EFieldNotFound>([&] { DeleteFormFieldAt(doc_, 1); }, "Field corresponding to index (1) does not exist.");
  DeleteFormField(doc_, "only");
  EXPECT_FALSE(doc_.Catalog().AcroForm);
  ExpectRaises<EFieldNotFound>([&] { DeleteFormField(doc_, "only"); }, "Unexpected error while setting form field value");
  ExpectRaises<ENoAcroFields>([&] { DeleteFormFieldAt(doc_, 0); }, "Document does not contain any form fields");
  // Nothing of the form is written any more.
  for (int n : {10, 11, 12}) EXPECT_EQ(doc_.ObjectStore().Find(doc_.DocumentNumber(), n, 0)->UseCount(), 0) << n;
  SaveAndReload();
  EXPECT_FALSE(doc_.Catalog().AcroForm);
  EXPECT_FALSE(doc_.FormFields());
}

// A node shared many times over (each level lists the next twice) is read
// once, and deleting the top walks it once: no exponential work.
TEST_F(Forms, SharedNodesAreVisitedOnce) {
  std::map<int, std::string> objects;
  for (int n = 10; n < 50; ++n) {
    objects[n] = "<< /T (n" + std::to_string(n) + ") /FT /Tx /Kids [" + std::to_string(n + 1) + " 0 R " +
                 std::to_string(n + 1) + " 0 R] >>";
  }
  objects[50] = "<< /T (leaf) /FT /Tx /Subtype /Widget /NM (w) /Rect [0 0 1 1] >>";
  Load(FormFile("/Fields [10 0 R]", objects, "/Annots [50 0 R]"));
  ASSERT_TRUE(doc_.FormFields());
  EXPECT_EQ(doc_.FormFields()->Count(), 41);
  DeleteFormField(doc_, "n10");
  EXPECT_FALSE(doc_.Catalog().AcroForm);
  SaveAndReload();
  EXPECT_EQ(AnnotsText(1), "");
}

TEST(FormFieldClasses, StartWithTheirInitialValues) {
  TzkPDFFormCheckBox check;
  EXPECT_EQ(check.BackgroundColor, 0xFFFFFFu);
  EXPECT_EQ(check.BorderColor, 0u);
  EXPECT_FALSE(check.BorderStyle);
  EXPECT_EQ(check.Action, nullptr);
  EXPECT_EQ(check.CheckStyle, 0);
  EXPECT_FALSE(check.Checked);
  ASSERT_TRUE(check.Font);
  EXPECT_EQ(*check.Font, TFont::Default());
  TzkPDFFormRadioButton radio;
  EXPECT_EQ(radio.SelectedIndex, -1);
  EXPECT_TRUE(radio.Buttons.empty());
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  EXPECT_EQ(TFont::Default().Size, 9);
  SetSystemCodePageForTesting(kCodePageUtf8);
  EXPECT_EQ(TFont::Default().Size, 8);
}

}  // namespace
}  // namespace sarvane::pdf::forms
