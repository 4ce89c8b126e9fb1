// Reading the form field list from /AcroForm, and removing fields.
#include "pdf/forms/zkPDFFormFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

#include "pdf/document/zkPDFInfo.h"
#include "pdf/document/zkPDFUseCounts.h"
#include "pdf/filters/zkPDFFilters.h"
#include "pdf/forms/zkFormsResStrings.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/CodePage.h"

namespace sarvane::pdf::forms {

using namespace sarvane::pdf;
using sarvane::pdf::doc::EFieldNotFound;
using sarvane::pdf::doc::ENoAcroFields;
using sarvane::pdf::doc::StoredTarget;
using sarvane::pdf::doc::IsPageObject;

namespace {

[[maybe_unused]] const bool kReaderInstalled = [] {
  TzkExPDFDocument::SetAcroFormReader(&ReadAcroForm);
  return true;
}();

// Deepest field tree whose names are listed: a name holds every ancestor's.
constexpr int kMaxFieldDepth = 256;

constexpr int32_t kFlagReadOnly = 1;
constexpr int32_t kFlagMultiline = 1 << 12;
constexpr int32_t kFlagNoToggleToOff = 1 << 14;
constexpr int32_t kFlagRadio = 1 << 15;
constexpr int32_t kFlagPushButton = 1 << 16;
constexpr int32_t kFlagCombo = 1 << 17;

template <typename T>
const T* Resolved(const TzkPDFObjectStore& store, TzkPDFObject* object) {
  return ObjectAs<T>(store.Resolve(object));
}

bool IntegerOf(const TzkPDFObjectStore& store, TzkPDFObject* object, int32_t& value) {
  const TzkPDFObject* resolved = store.Resolve(object);
  if (const auto* i = ObjectAs<TzkPDFIntegerObject>(resolved)) {
    value = i->Value();
    return true;
  }
  if (const auto* i = ObjectAs<TzkPDFInt64Object>(resolved)) {
    value = static_cast<int32_t>(i->Value());
    return true;
  }
  return false;
}

// A string's bytes (a hexadecimal one's too).
std::string StringBytes(const TzkPDFStringObject& s) { return s.IsHex() ? HexToBytes(s.Content()) : s.Content(); }

// Document text in the system code page: bytes that begin with FE FF are
// UTF-16BE, anything else is single-byte text as it stands.
std::string DocumentText(const TzkPDFStringObject& s) {
  std::string bytes = StringBytes(s);
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
      static_cast<unsigned char>(bytes[1]) == 0xFF) {
    return Utf16ToAnsi(sarvane::pdf::doc::DecodePDFText(bytes));
  }
  return bytes;
}

std::string ValueText(const TzkPDFObjectStore& store, TzkPDFObject* value) {
  const TzkPDFObject* resolved = store.Resolve(value);
  if (const auto* n = ObjectAs<TzkPDFNameObject>(resolved)) return n->BareName();
  if (const auto* s = ObjectAs<TzkPDFStringObject>(resolved)) return DocumentText(*s);
  if (const auto* stream = ObjectAs<TzkPDFStreamObject>(resolved)) {
    const TzkObjectResolver resolve = [&](const TzkPDFObject* o) -> const TzkPDFObject* {
      return store.Resolve(const_cast<TzkPDFObject*>(o));
    };
    const TzkPDFDictObject& dict = stream->Dict();
    return DecodeChain(stream->DataBytes(), store.Resolve(dict.Lookup("/Filter")),
                       store.Resolve(dict.Lookup("/DecodeParms")), resolve);
  }
  return std::string();
}

uint8_t FieldTypeOf(const std::string& type, int32_t flags) {
  if (type == "/Btn") {
    if (flags == -1) return ftCheckBox;
    if (flags & kFlagPushButton) return ftPushButton;
    if (flags & kFlagRadio) return ftRadioButton;
    return ftCheckBox;
  }
  if (type == "/Tx") return ftText;
  if (type == "/Sig") return ftSignature;
  return ftChoice;
}

void AddItem(TzkAcroFormField& field, std::string item) {
  if (std::find(field.Items.begin(), field.Items.end(), item) == field.Items.end())
    field.Items.push_back(std::move(item));
}

// The appearance state names of a button's node: the keys of /AP /N.
void AddAppearanceStates(const TzkPDFObjectStore& store, TzkAcroFormField& field, const TzkPDFDictObject& node) {
  if (field.FieldType != ftRadioButton && field.FieldType != ftCheckBox) return;
  const auto* ap = Resolved<TzkPDFDictObject>(store, node.Lookup("/AP"));
  const auto* normal = ap ? Resolved<TzkPDFDictObject>(store, ap->Lookup("/N")) : nullptr;
  if (!normal) return;
  const bool skipOff = field.FieldType == ftRadioButton && (field.FieldFlags & kFlagNoToggleToOff);
  for (int32_t i = 0; i < normal->Count(); ++i) {
    std::string state = BareNameOf(normal->KeyName(i));
    if (skipOff && state == "Off") continue;
    AddItem(field, std::move(state));
  }
}

void ReadOptions(const TzkPDFObjectStore& store, TzkAcroFormField& field, const TzkPDFDictObject& node) {
  field.Items.clear();
  const auto* options = Resolved<TzkPDFArrayObject>(store, node.Lookup("/Opt"));
  if (!options) return;
  for (int32_t i = 0; i < options->Count(); ++i) {
    const TzkPDFObject* option = store.Resolve(options->ItemAt(i));
    if (const auto* s = ObjectAs<TzkPDFStringObject>(option)) {
      field.Items.push_back(DocumentText(*s));
    } else if (const auto* pair = ObjectAs<TzkPDFArrayObject>(option)) {
      // [export display]: the export values.
      for (int32_t k = 0; k < pair->Count(); k += 2) {
        if (const auto* e = Resolved<TzkPDFStringObject>(store, pair->ItemAt(k))) field.Items.push_back(DocumentText(*e));
      }
    }
  }
}

// The font entries of a /DR dictionary, references followed.
const TzkPDFDictObject* ResourceFonts(const TzkPDFObjectStore& store, TzkPDFObject* resources) {
  const auto* dr = Resolved<TzkPDFDictObject>(store, resources);
  return dr ? Resolved<TzkPDFDictObject>(store, dr->Lookup("/Font")) : nullptr;
}

std::string AppearanceText(const TzkPDFObjectStore& store, TzkPDFObject* da) {
  const auto* s = Resolved<TzkPDFStringObject>(store, da);
  return s ? StringBytes(*s) : std::string();
}

struct FieldFrame {
  TzkPDFIndirectObject* Node;
  int32_t Parent;  // index of the parent's record, -1 for none
  std::string ParentName;
  std::shared_ptr<const std::string> Appearance;
  std::shared_ptr<const TzkPDFDictObject> Fonts;
  std::string InheritedType;
  int32_t InheritedFlags;
  int Depth;
};

}  // namespace

// ------------------------------------------------------------ appearance

std::unique_ptr<TzkFontInfo> ParseDefaultAppearance(const std::string& text, const TzkPDFDictObject* fonts,
                                                    const TzkPDFObjectStore& store) {
  if (text.empty() || !fonts) return nullptr;
  std::vector<std::string_view> words;
  for (size_t i = 0; i < text.size();) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\r' || text[i] == '\n')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\r' && text[i] != '\n') ++i;
    if (i > start) words.push_back(std::string_view(text).substr(start, i - start));
  }
  auto isNumber = [](std::string_view word) {
    double value = 0;
    const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
    return result.ec == std::errc() && result.ptr == word.data() + word.size();
  };
  // Position of the first word op, when the count words before it are
  // operands (numbers; for Tf a name and a number); -1 otherwise.
  auto firstOperator = [&](std::string_view op, size_t count) -> std::ptrdiff_t {
    for (size_t i = 0; i < words.size(); ++i) {
      if (words[i] != op) continue;
      if (i < count) return -1;
      for (size_t k = i - count; k < i; ++k) {
        const bool fontName = op == "Tf" && k == i - count;
        if (fontName ? words[k].front() != '/' : !isNumber(words[k])) return -1;
      }
      return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  };

  auto info = std::make_unique<TzkFontInfo>();
  if (std::ptrdiff_t rg = firstOperator("rg", 3); rg >= 0) {
    for (std::ptrdiff_t k = rg - 3; k < rg; ++k) info->ColorText.append(words[k]).append(" ");
    info->ColorText += "rg";
  } else if (std::ptrdiff_t g = firstOperator("g", 1); g >= 0) {
    info->ColorText.append(words[g - 1]).append(" g");
  }

  const std::ptrdiff_t tf = firstOperator("Tf", 2);
  if (tf < 0) return info;
  const std::string name(words[tf - 2]);
  TzkPDFObject* entry = fonts->Lookup(name);
  if (!entry) return info;
  double size = 0;
  const std::string_view sizeWord = words[tf - 1];
  std::from_chars(sizeWord.data(), sizeWord.data() + sizeWord.size(), size);
  if (!std::isfinite(size) || std::fabs(size) > 1e6) size = 0;
  info->ResourceName = name;
  info->FontReference = entry->Clone();
  info->Font.Size = static_cast<int>(std::lround(size));
  if (const auto* font = Resolved<TzkPDFDictObject>(store, entry)) {
    if (const auto* base = Resolved<TzkPDFNameObject>(store, font->Lookup("/BaseFont"))) {
      const std::string baseName = base->BareName();
      info->Font.Name = baseName.substr(0, baseName.find_first_of(",-"));
      info->Font.Bold = baseName.find("Bold") != std::string::npos;
      info->Font.Italic = baseName.find("Italic") != std::string::npos;
    }
  }
  return info;
}

// ------------------------------------------------------------ reading

void ReadAcroForm(TzkExPDFDocument& doc, TzkPDFObject* acroForm) {
  doc.SetFormFields(nullptr);
  const TzkPDFObjectStore& store = doc.ObjectStore();
  const auto* form = Resolved<TzkPDFDictObject>(store, acroForm);
  if (!form) return;
  const auto* fieldArray = Resolved<TzkPDFArrayObject>(store, form->Lookup("/Fields"));
  if (!fieldArray) return;

  std::shared_ptr<const TzkPDFDictObject> formFonts;
  if (const auto* fonts = ResourceFonts(store, form->Lookup("/DR")))
    formFonts.reset(static_cast<TzkPDFDictObject*>(fonts->Clone().release()));
  auto formAppearance = std::make_shared<const std::string>(AppearanceText(store, form->Lookup("/DA")));

  auto list = std::make_shared<TzkAcroFormFields>();
  std::unordered_set<const TzkPDFIndirectObject*> seen;
  std::vector<FieldFrame> stack;
  auto pushKids = [&](const TzkPDFArrayObject& kids, const FieldFrame& frame) {
    for (int32_t i = kids.Count() - 1; i >= 0; --i) {
      TzkPDFIndirectObject* kid = StoredTarget(store, kids.ItemAt(i));
      if (!kid || seen.count(kid)) continue;
      FieldFrame next = frame;
      next.Node = kid;
      stack.push_back(std::move(next));
    }
  };
  pushKids(*fieldArray, FieldFrame{nullptr, -1, std::string(), formAppearance, formFonts, std::string(), 0, 0});

  while (!stack.empty()) {
    FieldFrame frame = std::move(stack.back());
    stack.pop_back();
    // A node met again (a /Kids cycle, or one node listed twice) is read once.
    if (!seen.insert(frame.Node).second) continue;
    const auto* node = frame.Node->Value()->As<TzkPDFDictObject>();
    if (!node) continue;
    TzkAcroFormField* parent = frame.Parent >= 0 ? &(*list)[frame.Parent] : nullptr;

    const bool named = Resolved<TzkPDFStringObject>(store, node->Lookup("/T")) != nullptr;
    if (parent) {
      if (parent->Value.empty() && node->Lookup("/V")) parent->Value = ValueText(store, node->Lookup("/V"));
      AddAppearanceStates(store, *parent, *node);
      if (!named) parent->Widgets.push_back(frame.Node->ObjectNumber());
    }
    int32_t annotFlags = 0;
    const bool hasAnnotFlags = IntegerOf(store, node->Lookup("/F"), annotFlags);
    if (hasAnnotFlags && parent) parent->AnnotFlags = annotFlags;

    std::string defaultValue;
    if (TzkPDFObject* dv = node->Lookup("/DV")) {
      const TzkPDFObject* resolved = store.Resolve(dv);
      if (resolved && (resolved->IsString() || resolved->IsName())) defaultValue = ValueText(store, dv);
    }

    std::shared_ptr<const std::string> appearance = frame.Appearance;
    if (node->Lookup("/DA")) appearance = std::make_shared<const std::string>(AppearanceText(store, node->Lookup("/DA")));
    std::shared_ptr<const TzkPDFDictObject> fonts = frame.Fonts;
    if (node->Lookup("/DR")) {
      auto merged = frame.Fonts ? std::unique_ptr<TzkPDFDictObject>(static_cast<TzkPDFDictObject*>(frame.Fonts->Clone().release()))
                                : std::make_unique<TzkPDFDictObject>();
      merged->MergeFrom(ResourceFonts(store, node->Lookup("/DR")));
      fonts = std::move(merged);
    }
    std::unique_ptr<TzkFontInfo> font = ParseDefaultAppearance(*appearance, fonts.get(), store);
    if (parent && font) parent->FontInfo = std::make_unique<TzkFontInfo>(*font);

    // /FT and /Ff pass from a field to the kids that do not give their own.
    int32_t flags = frame.InheritedFlags;
    IntegerOf(store, node->Lookup("/Ff"), flags);
    std::string type = frame.InheritedType;
    if (const auto* ft = Resolved<TzkPDFNameObject>(store, node->Lookup("/FT"))) type = ft->Text();

    std::string fullName;
    int32_t record = -1;
    if (const auto* t = Resolved<TzkPDFStringObject>(store, node->Lookup("/T"))) {
      const std::string own = DocumentText(*t);
      fullName = frame.ParentName.empty() ? own : frame.ParentName + "." + own;
      if (!type.empty()) {
        auto field = std::make_unique<TzkAcroFormField>(&doc.ObjectStore(), frame.Node);
        field->FullName = fullName;
        field->FieldType = FieldTypeOf(type, flags);
        field->FieldFlags = flags;
        field->DefaultValue = defaultValue;
        if (hasAnnotFlags) field->AnnotFlags = annotFlags;
        field->ReadOnly = flags != -1 && (flags & kFlagReadOnly);
        field->Multiline = flags != -1 && (flags & kFlagMultiline);
        IntegerOf(store, node->Lookup("/MaxLen"), field->MaxLen);
        int32_t quadding = 0;
        if (IntegerOf(store, node->Lookup("/Q"), quadding)) field->Quadding = static_cast<uint8_t>(quadding);
        field->Value = ValueText(store, node->Lookup("/V"));
        if (field->FieldType == ftCheckBox) field->Items.push_back("Off");
        if (field->FieldType == ftChoice) ReadOptions(store, *field, *node);
        AddAppearanceStates(store, *field, *node);
        if (font) field->FontInfo = std::make_unique<TzkFontInfo>(*font);
        if (!node->Lookup("/Kids")) field->Widgets.push_back(frame.Node->ObjectNumber());
        if (parent) parent->Terminal = false;
        record = list->Count();
        list->Items.push_back(std::move(field));
      }
    }

    const auto* kids = Resolved<TzkPDFArrayObject>(store, node->Lookup("/Kids"));
    if (!kids) continue;
    if (frame.Depth >= kMaxFieldDepth) {
      if (doc.OnWarning)
        doc.OnWarning(&doc, Format(res::kFieldTreeTooDeep, frame.Node->ObjectNumber(), kMaxFieldDepth));
      continue;
    }
    pushKids(*kids, FieldFrame{nullptr, record, fullName, appearance, fonts, type, flags, frame.Depth + 1});
  }
  doc.SetFormFields(std::move(list));
}

// ------------------------------------------------------------ finding

int32_t IndexOfField(TzkExPDFDocument& doc, const std::string& name) {
  const auto& list = doc.FormFields();
  if (!list) throw EFieldNotFound(std::string(res::kFieldValueError));
  for (int32_t i = 0; i < list->Count(); ++i) {
    if ((*list)[i].FullName == name) return i;
  }
  return -1;
}

void DeleteFormField(TzkExPDFDocument& doc, const std::string& name) {
  const int32_t index = IndexOfField(doc, name);
  if (index < 0) throw EFieldNotFound(Format(res::kFieldDoesNotExist, name));
  DeleteFormFieldAt(doc, index);
}

std::string FieldKindName(const TzkAcroFormField& field) {
  switch (field.FieldType) {
    case ftPushButton:
      return "button";
    case ftRadioButton:
      return "radio";
    case ftCheckBox:
      return "checkbox";
    case ftText:
      return "text";
    case ftSignature:
      return "signature";
    default:
      return field.FieldFlags != -1 && (field.FieldFlags & kFlagCombo) ? "combo" : "list";
  }
}

std::unordered_map<int32_t, std::vector<int>> AnnotationPages(TzkExPDFDocument& doc) {
  std::unordered_map<int32_t, std::vector<int>> pages;
  const TzkPDFObjectStore& store = doc.ObjectStore();
  for (int page = 1; page <= doc.PageCount(); ++page) {
    const auto& dict = doc.Pages()[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
    const auto* annots = Resolved<TzkPDFArrayObject>(store, dict.Lookup("/Annots"));
    if (!annots) continue;
    for (int32_t i = 0; i < annots->Count(); ++i) {
      const auto* ref = ObjectAs<TzkPDFIndirectReference>(annots->ItemAt(i));
      if (!ref) continue;
      std::vector<int>& list = pages[ref->ObjectNumber()];
      if (list.empty() || list.back() != page) list.push_back(page);
    }
  }
  return pages;
}

// ------------------------------------------------------------ removing

namespace {

// Where a node is listed: a /Kids array of its /Parent, or the form's /Fields.
struct TzkHolder {
  TzkPDFArrayObject* Array = nullptr;
  TzkPDFDictObject* Owner = nullptr;        // the dictionary with the array
  TzkPDFIndirectObject* OwnerObject = nullptr;  // the parent field; nullptr for the form
  int32_t Index = -1;
};

int32_t IndexOfReference(const TzkPDFObjectStore& store, const TzkPDFArrayObject& array,
                         const TzkPDFIndirectObject* object) {
  for (int32_t i = 0; i < array.Count(); ++i) {
    const auto* ref = ObjectAs<TzkPDFIndirectReference>(array.ItemAt(i));
    // The number first: a long /Fields array is searched once per deletion.
    if (ref && ref->ObjectNumber() == object->ObjectNumber() && StoredTarget(store, ref) == object) return i;
  }
  return -1;
}

TzkHolder HolderOf(const TzkPDFObjectStore& store, TzkPDFIndirectObject* node, TzkPDFDictObject* form) {
  TzkHolder holder;
  const auto* dict = node->Value()->As<TzkPDFDictObject>();
  // A top-level field has no /Parent: it is listed in /Fields.
  if (TzkPDFIndirectObject* parent = dict ? StoredTarget(store, dict->Lookup("/Parent")) : nullptr) {
    auto* parentDict = parent->Value()->As<TzkPDFDictObject>();
    auto* kids = parentDict ? ObjectAs<TzkPDFArrayObject>(store.Resolve(parentDict->Lookup("/Kids"))) : nullptr;
    const int32_t index = kids ? IndexOfReference(store, *kids, node) : -1;
    if (index >= 0) return TzkHolder{kids, parentDict, parent, index};
  }
  auto* fields = form ? ObjectAs<TzkPDFArrayObject>(store.Resolve(form->Lookup("/Fields"))) : nullptr;
  const int32_t index = fields ? IndexOfReference(store, *fields, node) : -1;
  if (index >= 0) return TzkHolder{fields, form, nullptr, index};
  return holder;
}

// The node and every node below it through /Kids, each once.
std::vector<TzkPDFIndirectObject*> FieldTree(const TzkPDFObjectStore& store, TzkPDFIndirectObject* top) {
  std::vector<TzkPDFIndirectObject*> tree;
  std::unordered_set<const TzkPDFIndirectObject*> seen{top};
  std::vector<TzkPDFIndirectObject*> work{top};
  while (!work.empty()) {
    TzkPDFIndirectObject* node = work.back();
    work.pop_back();
    tree.push_back(node);
    const auto* dict = node->Value()->As<TzkPDFDictObject>();
    const auto* kids = dict ? ObjectAs<TzkPDFArrayObject>(store.Resolve(dict->Lookup("/Kids"))) : nullptr;
    if (!kids) continue;
    for (int32_t i = kids->Count() - 1; i >= 0; --i) {
      TzkPDFIndirectObject* kid = StoredTarget(store, kids->ItemAt(i));
      if (kid && !IsPageObject(store, kid) && seen.insert(kid).second) work.push_back(kid);
    }
  }
  return tree;
}

}  // namespace

struct TzkAcroFormFields::TzkPageIndex {
  std::vector<TzkPDFIndirectObject*> PageObjects;
  std::unordered_map<int32_t, std::vector<int>> Listing;  // object number to 1-based pages
};

namespace {

TzkAcroFormFields::TzkPageIndex& PageIndexOf(TzkExPDFDocument& doc, TzkAcroFormFields& list) {
  if (!list.PageIndex || list.PageIndex->PageObjects != doc.Pages()) {
    auto index = std::make_shared<TzkAcroFormFields::TzkPageIndex>();
    index->PageObjects = doc.Pages();
    index->Listing = AnnotationPages(doc);
    list.PageIndex = std::move(index);
  }
  return *list.PageIndex;
}

}  // namespace

void DeleteFormFieldAt(TzkExPDFDocument& doc, int32_t index) {
  std::shared_ptr<TzkAcroFormFields> list = doc.FormFields();
  if (!list) throw ENoAcroFields(std::string(res::kNoFormFields));
  if (index < 0 || index >= list->Count()) throw EFieldNotFound(Format(res::kFieldIndexDoesNotExist, index));

  TzkPDFObjectStore& store = doc.ObjectStore();
  TzkAcroFormFields::TzkPageIndex& pageIndex = PageIndexOf(doc, *list);
  auto* form = doc.Catalog().AcroForm ? ObjectAs<TzkPDFDictObject>(store.Resolve(doc.Catalog().AcroForm.get())) : nullptr;
  auto recorded = [&](const TzkPDFIndirectObject* object) {
    return std::any_of(list->Items.begin(), list->Items.end(),
                       [&](const std::unique_ptr<TzkAcroFormField>& record) { return record->FieldObject == object; });
  };

  // The node to unlink: the field itself, or the nearest unlisted parent
  // that would be left without kids (its /Kids would be empty).
  TzkPDFIndirectObject* top = (*list)[index].FieldObject;
  TzkHolder holder = HolderOf(store, top, form);
  std::unordered_set<const TzkPDFIndirectObject*> climbed{top};
  while (holder.OwnerObject && holder.Array->Count() == 1 && !recorded(holder.OwnerObject) &&
         !IsPageObject(store, holder.OwnerObject) && climbed.insert(holder.OwnerObject).second) {
    top = holder.OwnerObject;
    holder = HolderOf(store, top, form);
  }
  const std::vector<TzkPDFIndirectObject*> tree = FieldTree(store, top);
  const std::unordered_set<const TzkPDFIndirectObject*> inTree(tree.begin(), tree.end());

  std::vector<TzkPDFObjectPtr> dropped;
  if (holder.Array) {
    dropped.push_back(holder.Array->Extract(holder.Index));
    if (holder.Array->Count() == 0 && holder.OwnerObject) holder.Owner->Remove("/Kids");
  }

  // Widgets leave every page that lists them. A page whose /Annots is an
  // object of its own (perhaps shared with other pages) gets a copy first.
  std::vector<int> listing;
  for (const TzkPDFIndirectObject* node : tree) {
    auto it = pageIndex.Listing.find(node->ObjectNumber());
    if (it == pageIndex.Listing.end()) continue;
    listing.insert(listing.end(), it->second.begin(), it->second.end());
    pageIndex.Listing.erase(it);
  }
  std::sort(listing.begin(), listing.end());
  listing.erase(std::unique(listing.begin(), listing.end()), listing.end());
  for (int pageNumber : listing) {
    auto& dict = doc.Pages()[static_cast<size_t>(pageNumber - 1)]->Value()->Cast<TzkPDFDictObject>();
    const int32_t at = dict.IndexOfKey("/Annots");
    if (at < 0) continue;
    const auto* annots = ObjectAs<TzkPDFArrayObject>(store.Resolve(dict.ValueAt(at)));
    if (!annots) continue;
    bool lists = false;
    for (int32_t i = 0; i < annots->Count() && !lists; ++i) lists = inTree.count(StoredTarget(store, annots->ItemAt(i)));
    if (!lists) continue;
    if (!dict.ValueAt(at)->IsArray()) {
      TzkPDFObjectPtr copy = annots->Clone();
      sarvane::pdf::doc::CountReferences(store, copy.get());
      const TzkPDFObjectPtr shared = dict.PutValueAt(at, std::move(copy));
      sarvane::pdf::doc::ReleaseDropped(store, {shared.get()}, {});
    }
    auto& own = dict.ValueAt(at)->Cast<TzkPDFArrayObject>();
    for (int32_t i = own.Count() - 1; i >= 0; --i) {
      if (inTree.count(StoredTarget(store, own.ItemAt(i)))) dropped.push_back(own.Extract(i));
    }
  }

  std::vector<const TzkPDFObject*> droppedValues;
  for (const auto& value : dropped) droppedValues.push_back(value.get());
  sarvane::pdf::doc::ReleaseDropped(store, droppedValues, tree);

  // The records of every field that went.
  std::erase_if(list->Items, [&](const std::unique_ptr<TzkAcroFormField>& record) {
    return inTree.count(record->FieldObject) > 0;
  });
  if (list->Count() == 0) doc.SetFormFields(nullptr);

  // The form goes with its last field, and only then: nodes that make no
  // record of their own may still be listed.
  const auto* fields = form ? ObjectAs<TzkPDFArrayObject>(store.Resolve(form->Lookup("/Fields"))) : nullptr;
  if (form && (!fields || fields->Count() == 0)) {
    std::vector<TzkPDFObjectPtr> formValues;
    for (std::string_view key : {"/Fields", "/XFA"}) {
      const int32_t at = form->IndexOfKey(key);
      if (at < 0) continue;
      formValues.push_back(form->PutValueAt(at, nullptr));
      form->DeleteAt(at);
    }
    formValues.push_back(std::move(doc.Catalog().AcroForm));
    std::vector<const TzkPDFObject*> values;
    for (const auto& value : formValues) values.push_back(value.get());
    sarvane::pdf::doc::ReleaseDropped(store, values, {});
    doc.SetFormFields(nullptr);
  }
}

}  // namespace sarvane::pdf::forms
