#include "pdf/forms/zkPDFFormCreate.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <string_view>

#include "pdf/document/zkDocResStrings.h"
#include "pdf/document/zkPDFDocExceptions.h"
#include "pdf/document/zkPDFUseCounts.h"
#include "pdf/objects/zkClasses.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Exception.h"

namespace sarvane::pdf::forms {

using namespace sarvane::pdf;
using sarvane::pdf::doc::TzkExProPDFDocument;

namespace {

constexpr std::string_view kZapfWidths =
    " [ 1000 1030 1144 1301 1343 893 1216 458 1084 892 1132 1132 1171 1171 1441 1443 1096 1343 698 698 892 554 "
    "602 1072 947 1078 939 891 892 892 891 910 910 587 793 674 674 942 942 549 549 892 843 843 843 1111 660 849 "
    "1088 888 880 650 813 746 746 722 693 794 885 892 896 891 1156 1054 964 1090 940 933 946 1024 928 1096 1065 "
    "779 1049 1270 746 952 746 891 891 891 891 458 746 986 891 578 1060 1060 891 892 892 530 530 500 892 892 892 "
    "892 892 892 892 892 892 892 892 892 892 892 892 892 892 892 892 892 892 892 1000 1000 1000 1000 1000 1000 "
    "1000 1000 313 458 313 891 891 891 891 891 952 458 891 891 891 891 891 891 891 891 891 891 891 891 891 891 891 "
    "891 891 891 891 891 891 891 891 891 891 891 891 891 891 891 891 1048 1048 1048 1048 1000 1000 1000 1000 1000 "
    "1000 1000 1000 1000 1000 1252 1252 794 794 891 891 891 891 891 891 980 980 891 891 776 776 776 776 1067 1067 "
    "891 891 872 872 872 872 891 891 810 810 1060 810 782 782 782 782 482 386 635 785 892 892 1034 ]";

constexpr const char* kTriggerKeys[] = {"/E", "/X", "/D", "/U", "/Fo", "/Bl", "/K", "/F", "/V", "/C"};

std::string Num(double value) { return FormatNumber(value); }

std::unique_ptr<TzkPDFNameObject> Prepared(std::string text) {
  return std::make_unique<TzkPDFNameObject>(std::move(text));
}

std::unique_ptr<TzkPDFStringObject> Text(std::string_view text) { return TzkPDFStringObject::Literal(text); }

std::string RectText(const TzkFieldRect& r) {
  return "[ " + Num(r.Left) + " " + Num(r.Top) + " " + Num(r.Right) + " " + Num(r.Bottom) + " ]";
}

// The field dictionary's own flag bits (read-only, required, no export).
int32_t OwnFieldFlags(const TzkPDFFormField& field) { return field.FieldFlags & 7; }

// A new indirect object holding value, used once (by the reference the
// caller puts somewhere); the references inside value are to objects made
// here, whose single use is that reference.
class TBuilder {
 public:
  TBuilder(TzkExProPDFDocument& doc, TzkPDFFormField& field, TzkPDFDictObject& acroForm, double pageTop)
      : doc_(doc), store_(doc.ObjectStore()), field_(field), acroForm_(acroForm), pageTop_(pageTop) {
    W = std::fabs(field.Rect.Left - field.Rect.Right);
    H = std::fabs(field.Rect.Top - field.Rect.Bottom);
  }

  double W = 0, H = 0;
  std::string LastFontName;
  int32_t LastFontNumber = 0;

  std::unique_ptr<TzkPDFIndirectReference> Ref(int32_t number) const {
    return std::make_unique<TzkPDFIndirectReference>(doc_.DocumentNumber(), 0, number);
  }

  int32_t NewObject(TzkPDFObjectPtr value) {
    const int32_t number = store_.NewObjectNumber();
    store_.Store(std::make_unique<TzkPDFIndirectObject>(doc_.DocumentNumber(), std::move(value), 0, number, true));
    return number;
  }

  void SetNeedAppearances() { acroForm_.SetBoolean("/NeedAppearances", true); }

  // /BS as prepared text; a style outside the five writes nothing.
  void AddBorderStyle(TzkPDFDictObject& widget) {
    if (!field_.BorderStyle) return;
    static constexpr const char* kClosing[] = {"/S>>", "/D>>", "/B>>", "/I>>", "/U>>"};
    const auto style = static_cast<size_t>(field_.BorderStyle->Style);
    if (style >= std::size(kClosing)) return;
    widget.AddValue("/BS <<", Prepared("/W " + Num(field_.BorderStyle->Width) + " /S " + kClosing[style]));
    SetNeedAppearances();
  }

  void AddAlignment(TzkPDFDictObject& widget) {
    if (field_.Alignment <= 2) widget.AddInteger("/Q", field_.Alignment);
  }

  void AddAdditionalAction(TzkPDFDictObject& widget, int32_t actionNumber) {
    if (!actionNumber) return;
    auto aa = std::make_unique<TzkPDFDictObject>();
    aa->AddValue(kTriggerKeys[field_.ActionTrigger < 10 ? field_.ActionTrigger : 0], Ref(actionNumber));
    widget.AddValue("/AA", std::move(aa));
  }

  // /Type, /Subtype, /Rect, /BS, /Q and /AA: how the check box and the
  // choice fields begin.
  std::unique_ptr<TzkPDFDictObject> WidgetStart(int32_t action) {
    auto w = std::make_unique<TzkPDFDictObject>();
    w->AddName("/Type", "/Annot");
    w->AddName("/Subtype", "/Widget");
    w->AddValue("/Rect", Prepared(RectText(field_.Rect)));
    AddBorderStyle(*w);
    AddAlignment(*w);
    AddAdditionalAction(*w, action);
    return w;
  }

  int32_t MakeAction() {
    if (!field_.Action) return 0;
    return doc_.MakeActionObject(field_.Action)->ObjectNumber();
  }

  std::string BackgroundText() {
    if (field_.TransparentBackground) {
      SetNeedAppearances();
      return "[]";
    }
    return "[ " + ColourText(field_.BackgroundColor) + " ]";
  }

  std::unique_ptr<TzkPDFDictObject> MakeMK() {
    auto mk = std::make_unique<TzkPDFDictObject>();
    mk->AddValue("/BG", Prepared(BackgroundText()));
    mk->AddValue("/BC", Prepared("[ " + ColourText(field_.BorderColor) + " ]"));
    return mk;
  }

  std::string DefaultAppearance() const {
    return LastFontName + " " + std::to_string(DefaultAppearanceSize(field_.Font->Size)) + " Tf " +
           ColourText(0) + " rg";
  }

  // A ZapfDingbats font with its descriptor, under a new resource name.
  void MakeZapfFont() {
    LastFontName = NewFontResourceName();
    auto descriptor = std::make_unique<TzkPDFDictObject>();
    descriptor->AddName("/Type", "/FontDescriptor");
    descriptor->AddName("/FontName", "/ZapfDingbats");
    descriptor->AddInteger("/Flags", 4);
    descriptor->AddValue("/FontBBox", Prepared("[ -250 -144 1296 864 ]"));
    descriptor->AddInteger("/Ascent", 864);
    descriptor->AddInteger("/Descent", -144);
    descriptor->AddInteger("/CapHeight", 864);
    descriptor->AddInteger("/AvgWidth", 864);
    descriptor->AddInteger("/MaxWidth", 1296);
    descriptor->AddInteger("/StemH", 0);
    descriptor->AddInteger("/StemV", 0);
    const int32_t descriptorNumber = NewObject(std::move(descriptor));
    auto font = std::make_unique<TzkPDFDictObject>();
    font->AddName("/Type", "/Font");
    font->AddName("/Subtype", "/Type1");
    if (!LastFontName.empty()) font->AddName("/Name", LastFontName);
    font->AddName("/BaseFont", "/ZapfDingbats");
    font->AddName("/Encoding", "/WinAnsiEncoding");
    font->AddInteger("/FirstChar", 32);
    font->AddInteger("/LastChar", 255);
    font->AddValue("/Widths", Prepared(std::string(kZapfWidths)));
    font->AddValue("/FontDescriptor", Ref(descriptorNumber));
    LastFontNumber = NewObject(std::move(font));
  }

  // One of the standard 14 text fonts for the field's font (the content
  // that the text, choice and button appearances show).
  void MakeTextFont() {
    LastFontName = NewFontResourceName();
    if (field_.Font->Name.empty()) field_.Font->Name = "Arial";
    const bool bold = field_.Font->Bold, italic = field_.Font->Italic;
    const char* base = bold && italic ? "/Helvetica-BoldOblique"
                       : bold         ? "/Helvetica-Bold"
                       : italic       ? "/Helvetica-Oblique"
                                      : "/Helvetica";
    auto font = std::make_unique<TzkPDFDictObject>();
    font->AddName("/Type", "/Font");
    font->AddName("/Subtype", "/Type1");
    font->AddName("/Name", LastFontName);
    font->AddName("/BaseFont", base);
    font->AddName("/Encoding", "/WinAnsiEncoding");
    LastFontNumber = NewObject(std::move(font));
  }

  // A form XObject using the last font; its /Resources value is spread over
  // three entries that the writer puts on three lines.
  int32_t MakeStream(std::string content) {
    auto dict = std::make_unique<TzkPDFDictObject>();
    dict->AddName("/Subtype", "/Form");
    dict->AddValue("/BBox", Prepared("[ 0 0 " + Num(W) + " " + Num(H) + "]"));
    dict->AddValue("/Resources", Prepared("<</ProcSet [ /PDF /Text ]"));
    dict->AddValue("/Font << " + LastFontName, Ref(LastFontNumber));
    // An empty key: AddValue would give it a "/".
    dict->Add(std::make_unique<TzkPDFNameObject>(std::string()), Prepared(">> >> "));
    dict->AddInteger("/Length", static_cast<int32_t>(content.size()));
    return NewObject(std::make_unique<TzkPDFStreamObject>(std::move(dict),
                                                          std::make_unique<TzkMemoryStream>(std::move(content))));
  }

  // The check box's (and radio button's) boxes: kind 0 on, 1 off, 2 down.
  std::string CheckContent(int kind, char glyph, const TzkPDFFormField& colours) const {
    if (kind == 2) return std::string();
    std::string c = ColourText(colours.BackgroundColor) + " rg 0 w 0.6 0.6 " + Num(W - 2) + " " + Num(H - 2) +
                    " re f " + ColourText(colours.BorderColor) + " RG 1 w 0.5 0.5 " + Num(W - 1) + " " +
                    Num(H - 1) + " re s";
    if (kind == 0) {
      c += " q 1 1 " + Num(W - 2) + " " + Num(H - 2) + " re W n BT " + LastFontName + " " +
           std::to_string(field_.Font->Size) + " Tf " + ColourText(0) + " rg " + " 1 0 0 1 0.77 1.405 Tm (" +
           glyph + ") Tj ET Q";
    }
    return c;
  }

  int32_t BuildCheckBox(TzkPDFFormCheckBox& box) {
    const int32_t action = MakeAction();
    int32_t streams[3];
    for (int kind = 0; kind < 3; ++kind) {
      if (field_.Font->Size == 0) field_.Font->Size = 16;
      MakeZapfFont();
      streams[kind] = MakeStream(CheckContent(kind, CheckGlyph(box.CheckStyle), box));
    }
    auto w = WidgetStart(action);
    w->AddName("/H", "/N");
    w->AddName("/FT", "/Btn");
    w->AddValue("/T", Text(field_.FieldName));
    w->AddInteger("/F", AnnotationFlagsValue(field_));
    w->AddValue("/TU", Text(field_.ToolTip));
    w->AddInteger("/Ff", OwnFieldFlags(field_));
    const char* state = box.Checked ? "/Yes" : "/Off";
    w->AddName("/V", state);
    w->AddName("/AS", state);
    w->AddName("/DV", state);
    auto ap = std::make_unique<TzkPDFDictObject>();
    auto normal = std::make_unique<TzkPDFDictObject>();
    normal->AddValue("/Yes", Ref(streams[0]));
    normal->AddValue("/Off", Ref(streams[1]));
    ap->AddValue("/N", std::move(normal));
    ap->AddValue("/D", Ref(streams[2]));
    w->AddValue("/AP", std::move(ap));
    auto mk = MakeMK();
    mk->AddValue("/CA", Text(std::string(1, CheckGlyph(box.CheckStyle))));
    w->AddValue("/MK", std::move(mk));
    w->AddValue("/DA", Text(DefaultAppearance()));
    return NewObject(std::move(w));
  }

  // Text field content: the box, then the value on one line or from the top.
  std::string TextContent(const TzkPDFFormTextField& text) const {
    const double s = field_.Font->Size;
    std::string c = ColourText(field_.BackgroundColor) + " rg 0 0 " + Num(W) + " " + Num(H) + " re f " +
                    ColourText(field_.BorderColor) + " RG 0.5 0.5 " + Num(W - 1) + " " + Num(H - 1) +
                    " re S /Tx BMC q 1 1 " + Num(W - 2) + " " + Num(H - 2) + " re W n BT " + LastFontName + " " +
                    std::to_string(DefaultAppearanceSize(field_.Font->Size)) + " Tf " + ColourText(0) + " rg ";
    if (text.Multiline)
      c += " 2 " + Num(H - s - 2);
    else
      c += "2 " + Num((H - std::fabs(s)) / 2 + 3 * s / 20);
    c += " Td (" + EscapeLiteral(field_.Value) + ") Tj ET Q EMC";
    return c;
  }

  int32_t BuildTextField(TzkPDFFormTextField& text) {
    const int32_t action = MakeAction();
    MakeTextFont();
    const int32_t stream = MakeStream(TextContent(text));
    acroForm_.SetValue("/DA", Text(DefaultAppearance()));
    auto w = std::make_unique<TzkPDFDictObject>();
    w->AddName("/Type", "/Annot");
    w->AddName("/Subtype", "/Widget");
    AddBorderStyle(*w);
    AddAlignment(*w);
    AddAdditionalAction(*w, action);
    w->AddValue("/MK", MakeMK());
    w->AddValue("/Rect", Prepared(RectText(field_.Rect)));
    w->AddValue("/DA", Text(DefaultAppearance()));
    w->AddName("/FT", "/Tx");
    w->AddValue("/V", Text(field_.Value));
    w->AddValue("/DV", Text(field_.DefaultValue));
    auto ap = std::make_unique<TzkPDFDictObject>();
    ap->AddValue("/N", Ref(stream));
    w->AddValue("/AP", std::move(ap));
    w->AddValue("/T", Text(field_.FieldName));
    if (text.MaxLength > 0) w->AddValue("/MaxLen", Prepared(std::to_string(text.MaxLength)));
    w->AddInteger("/F", 4);
    w->SetInteger("/F", AnnotationFlagsValue(field_));
    w->AddValue("/TU", Text(field_.ToolTip));
    int32_t ff = OwnFieldFlags(field_);
    if (text.Multiline) ff |= 4096;
    if (text.Password) ff |= 8192;
    if (text.FileSelect) ff |= 1048576;
    if (text.DoNotSpellCheck) ff |= 4194304;
    if (text.DoNotScroll) ff |= 8388608;
    w->AddInteger("/Ff", ff);
    return NewObject(std::move(w));
  }

  // The bevelled box of choice fields and buttons, with text inside.
  std::string BevelContent(const std::string& shown) const {
    return ColourText(field_.BackgroundColor) + " rg 0 0 " + Num(W) + " " + Num(H) + " re f " +
           ColourText(field_.BorderColor) + " RG 1 w 0.5 0.5 " + Num(W - 1) + " " + Num(H - 1) +
           " re s 0.502 g 1 1 m 1 " + Num(H - 1) + " l " + Num(W - 1) + " " + Num(H - 1) + " l " + Num(W - 2) +
           " " + Num(H - 2) + " l 2 " + Num(H - 2) + " l 2 2 l f 0.7529 g " + Num(W - 1) + " " + Num(H - 1) +
           " m " + Num(W - 1) + " 1 l 1 1 l 2 2 l " + Num(W - 2) + " 2 l " + Num(W - 2) + " " + Num(H - 2) +
           " l f /Tx BMC q 2 2 " + Num(W - 4) + " " + Num(H - 4) + " re W n BT " + LastFontName + " " +
           std::to_string(DefaultAppearanceSize(field_.Font->Size)) + " Tf " + ColourText(0) + " rg " +
           " 1 0 0 1 4 4.59 Tm (" + EscapeLiteral(shown) + ") Tj ET Q EMC";
  }

  int32_t BuildChoice(const std::vector<std::string>& items, int32_t ff) {
    const int32_t action = MakeAction();
    MakeTextFont();
    const int32_t stream = MakeStream(BevelContent(field_.Value));
    auto w = WidgetStart(action);
    std::string options = "[";
    for (const std::string& item : items) options += " (" + EscapeLiteral(item) + ")";
    options += "]";
    w->AddValue("/Opt", Prepared(options));
    w->AddName("/FT", "/Ch");
    w->AddValue("/MK", MakeMK());
    auto ap = std::make_unique<TzkPDFDictObject>();
    ap->AddValue("/N", Ref(stream));
    w->AddValue("/AP", std::move(ap));
    w->AddValue("/DA", Text(DefaultAppearance()));
    w->AddValue("/T", Text(field_.FieldName));
    w->AddValue("/V", Text(field_.Value));
    w->AddValue("/DV", Text(field_.DefaultValue));
    w->AddInteger("/F", AnnotationFlagsValue(field_));
    w->AddValue("/TU", Text(field_.ToolTip));
    w->AddInteger("/Ff", ff);
    return NewObject(std::move(w));
  }

  std::unique_ptr<TzkPDFDictObject> ButtonAction(const TzkPDFFormPushButton& button) const {
    auto a = std::make_unique<TzkPDFDictObject>();
    if (button.ButtonAction == 3) {
      a->AddName("/S", "/JavaScript");
      a->AddValue("/JS", Text(button.JavaScript));
    } else if (button.ButtonAction == 2) {
      a->AddName("/S", "/ResetForm");
      a->AddInteger("/Flags", 1);
      a->AddValue("/Fields", std::make_unique<TzkPDFArrayObject>());
    } else if (button.ButtonAction == 1) {
      a->AddName("/S", "/SubmitForm");
      a->AddValue("/F", MakeTextString(Utf16ToAnsi(button.SubmitURL)));
      a->AddInteger("/Flags", 4);
    }
    return a;
  }

  int32_t BuildPushButton(TzkPDFFormPushButton& button) {
    MakeTextFont();
    const std::string& down = button.DownCaption.empty() ? button.Caption : button.DownCaption;
    const std::string& rollover = button.RolloverCaption.empty() ? button.Caption : button.RolloverCaption;
    const int32_t normal = MakeStream(BevelContent(button.Caption));
    const int32_t pressed = MakeStream(BevelContent(down));
    const int32_t over = MakeStream(BevelContent(rollover));
    auto w = std::make_unique<TzkPDFDictObject>();
    w->AddInteger("/F", 4);
    w->AddName("/Type", "/Annot");
    w->AddName("/Subtype", "/Widget");
    w->AddValue("/Rect", Prepared(RectText(field_.Rect)));
    AddBorderStyle(*w);
    AddAlignment(*w);
    w->AddName("/FT", "/Btn");
    w->AddValue("/A", ButtonAction(button));
    w->AddValue("/TU", Text(field_.ToolTip));
    int32_t ff = OwnFieldFlags(field_) | 65536;
    if (button.ButtonAction == 1) ff = button.SubmitFormat == 2 ? (ff | 32) : ((ff & ~32) | 4);
    w->AddInteger("/Ff", ff);
    w->SetInteger("/F", AnnotationFlagsValue(field_));
    auto mk = MakeMK();
    mk->AddValue("/AC", Text(button.DownCaption));
    mk->AddValue("/RC", Text(button.RolloverCaption));
    mk->AddValue("/CA", Text(button.Caption));
    w->AddValue("/MK", std::move(mk));
    w->AddName("/H", "/P");
    auto ap = std::make_unique<TzkPDFDictObject>();
    ap->AddValue("/N", Ref(normal));
    ap->AddValue("/D", Ref(pressed));
    ap->AddValue("/R", Ref(over));
    w->AddValue("/AP", std::move(ap));
    w->AddValue("/T", Text(field_.FieldName));
    w->AddValue("/DA", Text(DefaultAppearance()));
    return NewObject(std::move(w));
  }

  // The radio button's parent first, then one widget per entry of Buttons,
  // each filed on its own page's /Annots here.
  int32_t BuildRadioButton(TzkPDFFormRadioButton& radio, int page);

 private:
  TzkExProPDFDocument& doc_;
  TzkPDFObjectStore& store_;
  TzkPDFFormField& field_;
  TzkPDFDictObject& acroForm_;
  double pageTop_;
};

char RadioGlyph(uint8_t style) {
  switch (style) {
    case 0: return '4';
    case 2: return '8';
    case 3: return 'u';
    case 4: return 'n';
    case 5: return 'H';
    default: return 'l';
  }
}

// The page's own /Annots array: an indirect one (perhaps shared by several
// pages) is replaced by a copy, so a widget added here shows on this page only.
TzkPDFArrayObject& OwnAnnots(TzkExProPDFDocument& doc, TzkPDFDictObject& pageDict) {
  TzkPDFObjectStore& store = doc.ObjectStore();
  TzkPDFObject* value = pageDict.Lookup("/Annots");
  if (auto* array = ObjectAs<TzkPDFArrayObject>(value)) return *array;
  TzkPDFObjectPtr copy;
  if (value) {
    if (const auto* stored = ObjectAs<TzkPDFArrayObject>(store.Resolve(value))) copy = stored->Clone();
  }
  if (!copy) copy = std::make_unique<TzkPDFArrayObject>();
  sarvane::pdf::doc::CountReferences(store, copy.get());
  const int32_t index = pageDict.IndexOfKey("/Annots");
  if (index >= 0) {
    TzkPDFObjectPtr old = pageDict.PutValueAt(index, std::move(copy));
    sarvane::pdf::doc::ReleaseDropped(store, {old.get()}, {});
  } else {
    pageDict.AddValue("/Annots", std::move(copy));
  }
  return *pageDict.LookupAs<TzkPDFArrayObject>("/Annots");
}

TzkPDFDictObject& PageDictionary(TzkExProPDFDocument& doc, int page) {
  return doc.Pages()[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
}

// The upper y of the page's media box, which field rectangles hang from.
double PageTop(TzkExProPDFDocument& doc, int page) {
  TzkPDFObjectStore& store = doc.ObjectStore();
  if (auto box = store.ResolveArray(PageDictionary(doc, page).Lookup("/MediaBox")); box && !box.IsWrapped()) {
    try {
      return ReadRect(*box)[3];
    } catch (const std::exception&) {
      // An unreadable box: the one the page is shown with.
    }
  }
  double rect[4];
  doc.GetPageBox(page, sarvane::pdf::doc::muPoints, rect);
  return rect[3];
}

int32_t TBuilder::BuildRadioButton(TzkPDFFormRadioButton& radio, int page) {
  auto parent = std::make_unique<TzkPDFDictObject>();
  if (!field_.Value.empty()) parent->AddValue("/V", Prepared(field_.Value));
  if (radio.DefaultSelected && radio.SelectedIndex >= 0 &&
      radio.SelectedIndex < static_cast<int32_t>(radio.Buttons.size()))
    parent->AddName("/DV", "/" + radio.Buttons[static_cast<size_t>(radio.SelectedIndex)]->Value);
  parent->AddValue("/T", Text(field_.FieldName));
  parent->AddName("/FT", "/Btn");
  parent->AddValue("/Kids", std::make_unique<TzkPDFArrayObject>());
  parent->AddInteger("/F", 4);
  parent->AddValue("/TU", Text(field_.ToolTip));
  if (!radio.DefaultSelected) parent->AddInteger("/Ff", 49152);
  const int32_t parentNumber = NewObject(std::move(parent));
  auto* kids = store_.Find(doc_.DocumentNumber(), parentNumber, 0)
                   ->Value()
                   ->Cast<TzkPDFDictObject>()
                   .LookupAs<TzkPDFArrayObject>("/Kids");
  const char glyph = RadioGlyph(radio.RadioStyle);
  const int32_t action = MakeAction();
  for (size_t i = 0; i < radio.Buttons.size(); ++i) {
    TzkPDFFormField& entry = *radio.Buttons[i];
    entry.PageNumber = page;
    // Hung from the top edge like every other field's rectangle.
    const auto unit = doc_.MeasurementUnit();
    entry.Rect = {TzkExProPDFDocument::ToPoints(unit, entry.Rect.Left),
                  pageTop_ - TzkExProPDFDocument::ToPoints(unit, entry.Rect.Top),
                  TzkExProPDFDocument::ToPoints(unit, entry.Rect.Right),
                  pageTop_ - TzkExProPDFDocument::ToPoints(unit, entry.Rect.Bottom)};
    W = std::fabs(entry.Rect.Left - entry.Rect.Right);
    H = std::fabs(entry.Rect.Top - entry.Rect.Bottom);
    const std::string exportName = "/" + entry.Value;
    int32_t on[2], off[2];
    for (int down = 0; down < 2; ++down) {
      if (field_.Font->Size == 0) field_.Font->Size = 16;
      MakeZapfFont();
      std::string content = CheckContent(0, glyph, entry);
      // The pressed look: a darker inner square under the glyph.
      if (down) content = "0.502 g 1 1 " + Num(W - 2) + " " + Num(H - 2) + " re f " + content;
      on[down] = MakeStream(std::move(content));
      off[down] = MakeStream(CheckContent(1, glyph, entry));
    }
    auto w = std::make_unique<TzkPDFDictObject>();
    w->AddName("/Type", "/Annot");
    w->AddName("/Subtype", "/Widget");
    w->AddValue("/Rect", Prepared(RectText(entry.Rect)));
    w->AddInteger("/F", AnnotationFlagsValue(field_));
    AddBorderStyle(*w);
    w->AddInteger("/Ff", OwnFieldFlags(field_));
    w->AddValue("/Parent", Ref(parentNumber));
    auto mk = std::make_unique<TzkPDFDictObject>();
    mk->AddValue("/BG", Prepared(field_.TransparentBackground ? BackgroundText()
                                                              : "[ " + ColourText(entry.BackgroundColor) + " ]"));
    mk->AddValue("/BC", Prepared("[ " + ColourText(entry.BorderColor) + " ]"));
    mk->AddValue("/CA", Text(std::string(1, glyph)));
    w->AddValue("/MK", std::move(mk));
    AddAdditionalAction(*w, i == 0 ? action : 0);
    w->AddName("/AS", static_cast<int32_t>(i) == radio.SelectedIndex ? exportName : std::string("/Off"));
    w->AddName("/H", "/P");
    auto ap = std::make_unique<TzkPDFDictObject>();
    for (int down = 0; down < 2; ++down) {
      auto states = std::make_unique<TzkPDFDictObject>();
      states->AddValue(exportName, Ref(on[down]));
      states->AddValue("/Off", Ref(off[down]));
      ap->AddValue(down ? "/D" : "/N", std::move(states));
    }
    w->AddValue("/AP", std::move(ap));
    w->AddValue("/DA", Text(DefaultAppearance()));
    const int32_t widget = NewObject(std::move(w));
    kids->Add(Ref(widget));
    OwnAnnots(doc_, PageDictionary(doc_, page)).Add(Ref(widget));
    store_.Find(doc_.DocumentNumber(), widget, 0)->IncUseCount();  // /Kids and /Annots
    store_.Find(doc_.DocumentNumber(), parentNumber, 0)->IncUseCount();  // /Parent and /Fields
  }
  return parentNumber;
}

}  // namespace

std::string ColourText(TColor colour) {
  std::string out;
  for (int shift = 0; shift < 24; shift += 8) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, ((colour >> shift) & 0xFF) / 255.0, std::chars_format::fixed, 4);
    if (shift) out += ' ';
    out.append(buf, r.ptr);
  }
  return out;
}

char CheckGlyph(uint8_t style) {
  static constexpr char kGlyphs[] = {'4', 'l', '8', 'u', 'n', 'H'};
  return style < sizeof kGlyphs ? kGlyphs[style] : '4';
}

int32_t AnnotationFlagsValue(const TzkPDFFormField& field) {
  int32_t f = 4;
  auto has = [&](TzkAnnotFlag flag) { return (field.AnnotFlags & FlagBit(flag)) != 0; };
  if (has(afInvisible)) f |= 1;
  if (has(afHidden)) f |= 2;
  if (has(afPrint)) f |= 4;
  if (has(afNoPrint)) f ^= 4;
  if (has(afNoZoom)) f |= 8;
  if (has(afNoRotate)) f |= 16;
  if (has(afNoView)) f |= 32;
  if (has(afReadOnly)) f |= 64;
  if (field.AnnotFlagsEx & FlagBit(afLocked)) f |= 128;
  if (field.AnnotFlagsEx & FlagBit(afToggleNoView)) f |= 256;
  return f;
}

int32_t DefaultAppearanceSize(int size) {
  // std::nearbyint rounds ties to even in the default rounding mode.
  return static_cast<int32_t>(std::nearbyint(size * 72.0 / PixelsPerInch()));
}

void AddFormField(TzkExProPDFDocument& doc, TzkPDFFormField& field, int page) {
  if (page < 1 || page > doc.PageCount())
    throw sarvane::pdf::doc::EInvalidPageError(Format(sarvane::pdf::doc::res::kInvalidPageNumber, page));
  // The base class alone is no field kind; refused before anything changes.
  if (!dynamic_cast<TzkPDFFormPushButton*>(&field) && !dynamic_cast<TzkPDFFormCheckBox*>(&field) &&
      !dynamic_cast<TzkPDFFormRadioButton*>(&field) && !dynamic_cast<TzkPDFFormTextField*>(&field) &&
      !dynamic_cast<TzkPDFFormComboBox*>(&field) && !dynamic_cast<TzkPDFFormListBox*>(&field))
    throw EInvalidCast();
  const auto unit = doc.MeasurementUnit();
  const double top = PageTop(doc, page);
  TzkFieldRect& r = field.Rect;
  r = {TzkExProPDFDocument::ToPoints(unit, r.Left), top - TzkExProPDFDocument::ToPoints(unit, r.Top),
       TzkExProPDFDocument::ToPoints(unit, r.Right), top - TzkExProPDFDocument::ToPoints(unit, r.Bottom)};

  TzkPDFObjectStore& store = doc.ObjectStore();
  auto& catalog = doc.Catalog();
  TzkPDFDictObject* acroForm = store.ResolveDictionary(catalog.AcroForm.get());
  if (!acroForm) {
    auto fresh = std::make_unique<TzkPDFDictObject>();
    fresh->AddValue("/Fields", std::make_unique<TzkPDFArrayObject>());
    const int32_t number = store.NewObjectNumber();
    acroForm = &store.Store(std::make_unique<TzkPDFIndirectObject>(doc.DocumentNumber(), std::move(fresh), 0, number, true))
                    ->Value()
                    ->Cast<TzkPDFDictObject>();
    if (catalog.AcroForm) sarvane::pdf::doc::ReleaseDropped(store, {catalog.AcroForm.get()}, {});
    catalog.AcroForm = std::make_unique<TzkPDFIndirectReference>(doc.DocumentNumber(), 0, number);
  }

  TBuilder builder(doc, field, *acroForm, top);
  int32_t number = 0;
  if (auto* button = dynamic_cast<TzkPDFFormPushButton*>(&field))
    number = builder.BuildPushButton(*button);
  else if (auto* box = dynamic_cast<TzkPDFFormCheckBox*>(&field))
    number = builder.BuildCheckBox(*box);
  else if (auto* radio = dynamic_cast<TzkPDFFormRadioButton*>(&field))
    number = builder.BuildRadioButton(*radio, page);
  else if (auto* text = dynamic_cast<TzkPDFFormTextField*>(&field))
    number = builder.BuildTextField(*text);
  else if (auto* combo = dynamic_cast<TzkPDFFormComboBox*>(&field))
    number = builder.BuildChoice(combo->Items, OwnFieldFlags(field) | 131072 | (combo->Editable ? 262144 : 0) |
                                                   (combo->Sorted ? 524288 : 0));
  else if (auto* list = dynamic_cast<TzkPDFFormListBox*>(&field))
    number = builder.BuildChoice(list->Items, OwnFieldFlags(field) | (list->Sorted ? 524288 : 0) |
                                                  (list->MultiSelect ? 2097152 : 0));
  else
    throw EInvalidCast();
  TzkPDFIndirectObject* object = store.Find(doc.DocumentNumber(), number, 0);
  auto reference = [&] { return std::make_unique<TzkPDFIndirectReference>(doc.DocumentNumber(), 0, number); };

  if (!dynamic_cast<TzkPDFFormRadioButton*>(&field)) {
    OwnAnnots(doc, PageDictionary(doc, page)).Add(reference());
    object->IncUseCount();  // /Annots and /Fields
  }
  if (auto fields = store.ResolveArray(acroForm->Lookup("/Fields")); fields && !fields.IsWrapped()) {
    fields->Add(reference());
  } else {
    auto fresh = std::make_unique<TzkPDFArrayObject>();
    fresh->Add(reference());
    acroForm->SetValue("/Fields", std::move(fresh));
  }

  // Default resources: the font dictionary is changed where it lies (a
  // stored one is first made the form's own), so each field costs the same
  // however many came before.
  if (builder.LastFontName.empty()) return;
  TzkPDFDictObject* dr = store.ResolveDictionary(acroForm->Lookup("/DR"));
  if (!dr) {
    acroForm->SetValue("/DR", std::make_unique<TzkPDFDictObject>());
    dr = acroForm->LookupAs<TzkPDFDictObject>("/DR");
  }
  TzkPDFObject* fontValue = dr->Lookup("/Font");
  auto* fonts = ObjectAs<TzkPDFDictObject>(fontValue);
  if (!fonts) {
    TzkPDFObjectPtr copy;
    if (const auto* stored = store.ResolveDictionary(fontValue)) copy = stored->Clone();
    if (!copy) copy = std::make_unique<TzkPDFDictObject>();
    sarvane::pdf::doc::CountReferences(store, copy.get());
    const int32_t index = dr->IndexOfKey("/Font");
    if (index >= 0) {
      TzkPDFObjectPtr old = dr->PutValueAt(index, std::move(copy));
      sarvane::pdf::doc::ReleaseDropped(store, {old.get()}, {});
    } else {
      dr->AddValue("/Font", std::move(copy));
    }
    fonts = dr->LookupAs<TzkPDFDictObject>("/Font");
  }
  auto fontRef = std::make_unique<TzkPDFIndirectReference>(doc.DocumentNumber(), 0, builder.LastFontNumber);
  store.Find(fontRef.get())->IncUseCount();
  if (const int32_t index = fonts->IndexOfKey(builder.LastFontName); index >= 0) {
    TzkPDFObjectPtr old = fonts->PutValueAt(index, std::move(fontRef));
    sarvane::pdf::doc::ReleaseDropped(store, {old.get()}, {});
  } else {
    fonts->AddValue(builder.LastFontName, std::move(fontRef));
  }
}

}  // namespace sarvane::pdf::forms
