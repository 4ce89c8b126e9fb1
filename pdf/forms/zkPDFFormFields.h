#pragma once
// The form field list of a loaded document: one record per named, typed
// field of the catalog's /AcroForm, in document order, and the removal of
// a field with its widgets on the pages.
//
// Loading fills the list through the reader this unit installs in the
// document (see TzkExPDFDocument::SetAcroFormReader); a program that uses
// any operation below has it installed before main runs.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFObjectStore.h"
#include "platform/Font.h"

namespace sarvane::pdf::forms {

using sarvane::pdf::doc::TzkExPDFDocument;

// Field type codes.
enum : uint8_t { ftPushButton, ftRadioButton, ftCheckBox, ftText, ftChoice, ftSignature };

// The font of a field's default appearance (/DA with /DR /Font).
struct TzkFontInfo {
  std::string ResourceName;                      // e.g. "/Helv"
  sarvane::pdf::TzkPDFObjectPtr FontReference;   // a copy of the /DR /Font entry
  TFont Font;                                    // face, styles and rounded size
  std::string ColorText;                         // e.g. "0 0 1 rg" or "0 g"

  TzkFontInfo() = default;
  TzkFontInfo(const TzkFontInfo& other)
      : ResourceName(other.ResourceName),
        FontReference(other.FontReference ? other.FontReference->Clone() : nullptr),
        Font(other.Font),
        ColorText(other.ColorText) {}
  TzkFontInfo& operator=(const TzkFontInfo&) = delete;
};

class TzkAcroFormField {
 public:
  TzkAcroFormField(sarvane::pdf::TzkPDFObjectStore* store, sarvane::pdf::TzkPDFIndirectObject* fieldObject)
      : Store(store), FieldObject(fieldObject) {}

  sarvane::pdf::TzkPDFObjectStore* Store;            // the document's; not owned
  sarvane::pdf::TzkPDFIndirectObject* FieldObject;   // owned by the store
  std::string FullName;
  std::string Value;
  std::string DefaultValue;
  uint8_t FieldType = ftCheckBox;
  std::unique_ptr<TzkFontInfo> FontInfo;
  bool ReadOnly = false;
  int32_t AnnotFlags = 0;
  bool Multiline = false;
  int32_t MaxLen = 0;
  std::vector<std::string> Items;
  int32_t FieldFlags = 0;
  uint8_t Quadding = 0;

  // Object numbers of the widget annotations that show this field (the
  // field's own when it is its widget), in /Kids order.
  std::vector<int32_t> Widgets;
  // False when other records were read below this one.
  bool Terminal = true;
};

class TzkAcroFormFields {
 public:
  std::vector<std::unique_ptr<TzkAcroFormField>> Items;
  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  TzkAcroFormField& operator[](int32_t index) const { return *Items[static_cast<size_t>(index)]; }

  // Which pages list which annotations, made by the first deletion and kept
  // up to date by the later ones while the page list stays the same: a
  // series of deletions then costs no scan of every page each.
  struct TzkPageIndex;
  std::shared_ptr<TzkPageIndex> PageIndex;
};

// The font record of a default appearance text, or nullptr when the text is
// empty or there are no fonts. Operands are blank-separated words; the first
// "rg" or "g" colour and "Tf" font operators are found as whole words.
std::unique_ptr<TzkFontInfo> ParseDefaultAppearance(const std::string& text,
                                                    const sarvane::pdf::TzkPDFDictObject* fonts,
                                                    const sarvane::pdf::TzkPDFObjectStore& store);

// Builds the document's field list from its form dictionary (a reference or
// the dictionary); the loader calls it.
void ReadAcroForm(TzkExPDFDocument& doc, sarvane::pdf::TzkPDFObject* acroForm);

// Position of the first field whose full name is name (exact bytes), -1
// when none is. EFieldNotFound when the document has no field list.
int32_t IndexOfField(TzkExPDFDocument& doc, const std::string& name);
// Removes the named field with its widgets; EFieldNotFound when absent.
void DeleteFormField(TzkExPDFDocument& doc, const std::string& name);
// ENoAcroFields without a field list, EFieldNotFound for an index outside it.
void DeleteFormFieldAt(TzkExPDFDocument& doc, int32_t index);

// "text", "checkbox", "radio", "combo", "list", "button" or "signature".
std::string FieldKindName(const TzkAcroFormField& field);

// Which pages show which annotation: object number to 1-based page numbers.
std::unordered_map<int32_t, std::vector<int>> AnnotationPages(TzkExPDFDocument& doc);

}  // namespace sarvane::pdf::forms
