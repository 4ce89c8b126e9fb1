#pragma once
// The creation side of form fields: plain objects that a caller fills in
// and hands to the document to add a field. The caller keeps them; lengths
// are in the document's measurement unit, colours are 0x00BBGGRR.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pdf/document/zkPDFActions.h"
#include "platform/Font.h"

namespace sarvane::pdf::forms {

enum TzkFieldFlag : uint8_t { ffReadOnly, ffRequired, ffNoExport };
enum TzkAnnotFlag : uint8_t { afInvisible, afHidden, afPrint, afNoPrint, afNoZoom, afNoRotate, afNoView, afReadOnly };
enum TzkAnnotFlagEx : uint8_t { afLocked, afToggleNoView };
// Sets of the flags above: bit k is the k-th value.
using TzkFieldFlags = uint8_t;
using TzkAnnotFlags = uint8_t;
using TzkAnnotFlagsEx = uint8_t;
template <typename E>
constexpr uint8_t FlagBit(E value) {
  return static_cast<uint8_t>(1u << value);
}

enum TzkBorderStyleKind : uint8_t { bsSolid, bsDashed, bsBeveled, bsInset, bsUnderline };
struct TzkBorderStyle {
  TzkBorderStyleKind Style = bsSolid;
  double Width = 1;
};

// Top and Bottom are distances from the top of the page (y grows downwards).
struct TzkFieldRect {
  double Left = 0;
  double Top = 0;
  double Right = 0;
  double Bottom = 0;
};

using TColor = uint32_t;

class TzkPDFFormField {
 public:
  TzkPDFFormField() = default;
  virtual ~TzkPDFFormField() = default;
  TzkPDFFormField(const TzkPDFFormField&) = delete;
  TzkPDFFormField& operator=(const TzkPDFFormField&) = delete;

  std::string FieldName;
  std::string DefaultValue;
  TzkFieldFlags FieldFlags = 0;
  TzkAnnotFlags AnnotFlags = 0;
  TzkAnnotFlagsEx AnnotFlagsEx = 0;
  TColor BorderColor = 0;
  std::optional<TzkBorderStyle> BorderStyle;
  TColor BackgroundColor = 0xFFFFFF;
  TzkFieldRect Rect;
  std::string Value;
  std::unique_ptr<TFont> Font = std::make_unique<TFont>(TFont::Default());
  sarvane::pdf::doc::TzkPDFAction* Action = nullptr;  // not owned
  // 0..9: /E, /X, /D, /U, /Fo, /Bl, /K, /F, /V, /C inside /AA.
  uint8_t ActionTrigger = 0;
  std::string ToolTip;
  uint8_t Alignment = 0;  // 0 left, 1 centre, 2 right
  bool TransparentBackground = false;
  int32_t PageNumber = 0;
};

class TzkPDFFormPushButton : public TzkPDFFormField {
 public:
  std::string Caption;
  std::string RolloverCaption;
  std::string DownCaption;
  std::string JavaScript;
  std::u16string SubmitURL;
  uint8_t ButtonAction = 0;  // 1 submit form, 2 reset form, 3 JavaScript, other none
  uint8_t SubmitFormat = 0;
};

class TzkPDFFormCheckBox : public TzkPDFFormField {
 public:
  uint8_t CheckStyle = 0;  // 0 check, 1 circle, 2 cross, 3 diamond, 4 square, 5 star
  bool Checked = false;
};

class TzkPDFFormRadioButton : public TzkPDFFormField {
 public:
  // One entry per button: its Rect, colours and PageNumber; its Value is
  // the button's export name.
  std::vector<std::unique_ptr<TzkPDFFormField>> Buttons;
  int32_t SelectedIndex = -1;
  bool DefaultSelected = false;
  uint8_t RadioStyle = 0;  // 0 check, 2 cross, 3 diamond, 4 square, 5 star, other circle
};

class TzkPDFFormTextField : public TzkPDFFormField {
 public:
  bool Multiline = false;
  bool Password = false;
  bool FileSelect = false;
  bool DoNotSpellCheck = false;
  bool DoNotScroll = false;
  int32_t MaxLength = 0;  // written only when above 0
};

class TzkPDFFormComboBox : public TzkPDFFormField {
 public:
  bool Editable = false;
  bool Sorted = false;
  std::vector<std::string> Items;
};

class TzkPDFFormListBox : public TzkPDFFormField {
 public:
  bool Sorted = false;
  bool MultiSelect = false;
  std::vector<std::string> Items;
};

}  // namespace sarvane::pdf::forms
