// Actions: action dictionaries, the page's open and close actions, and the
// preparation of actions read from the file.
#include "pdf/document/zkPDFActions.h"

#include <vector>

#include "pdf/document/zkExProPDFDoc.h"
#include "pdf/document/zkPDFUseCounts.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::NameIs;

using namespace sarvane::pdf;

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A URI is ASCII whatever the system's code page: other characters are
// written as %-escapes of their UTF-8 bytes, as in an IRI turned into a URI.
std::string AsciiUri(const std::string& text) {
  const std::string utf8 = Utf16ToUtf8(AnsiToUtf16(text));
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : utf8) {
    if (c > 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

constexpr std::string_view kDestinationNames[] = {"/XYZ", "/Fit", "/FitH", "/FitV",
                                                  "/FitR", "/FitB", "/FitBH", "/FitBV"};

}  // namespace

// ------------------------------------------------------------ dictionaries

TzkPDFObjectPtr TzkExProPDFDocument::MakeDestination(int32_t pageNumber, uint8_t kind, bool remote) {
  if (pageNumber < 1 || (!remote && pageNumber > PageCount()))
    throw EInvalidPageError(Format(res::kInvalidPageNumber, pageNumber));
  auto destination = std::make_unique<TzkPDFArrayObject>();
  if (kind >= std::size(kDestinationNames)) kind = dkXYZ;
  // Coordinates are zero from the page's top left corner. The other file's
  // pages are not known here, so a remote target leaves the position to the
  // viewer (null) where the format allows it.
  double left = 0, top = 0;
  if (remote) {
    destination->AddInteger(pageNumber - 1);
  } else {
    const TzkPDFIndirectObject* page = Pages()[static_cast<size_t>(pageNumber - 1)];
    destination->Add(
        std::make_unique<TzkPDFIndirectReference>(page->DocumentNumber(), page->Generation(), page->ObjectNumber()));
    double box[4];
    GetPageBox(pageNumber, muPoints, box);
    left = box[0];
    top = box[3];
  }
  destination->Add(std::make_unique<TzkPDFNameObject>(std::string(kDestinationNames[kind])));
  auto coordinate = [&](double value) {
    if (remote)
      destination->Add(std::make_unique<TzkPDFNullObject>());
    else
      destination->AddReal(value);
  };
  switch (kind) {
    case dkXYZ:
      coordinate(left);
      coordinate(top);
      coordinate(0);
      break;
    case dkFitH:
    case dkFitBH:
      coordinate(top);
      break;
    case dkFitV:
    case dkFitBV:
      coordinate(left);
      break;
    case dkFitR:
      for (double v : {left, top, left, top}) destination->AddReal(v);
      break;
    default:
      break;
  }
  return destination;
}

TzkPDFObjectPtr TzkExProPDFDocument::MakeActionDictionary(TzkPDFAction* action) {
  if (!action) return nullptr;
  auto dict = std::make_unique<TzkPDFDictObject>();
  if (auto* uri = dynamic_cast<TzkPDFURIAction*>(action)) {
    dict->AddName("/S", "/URI");
    dict->AddValue("/URI", TzkPDFStringObject::Literal(AsciiUri(uri->URI)));
  } else if (auto* launch = dynamic_cast<TzkPDFLaunchAction*>(action)) {
    dict->AddName("/S", "/Launch");
    auto win = std::make_unique<TzkPDFDictObject>();
    win->AddValue("/F", MakeTextString(launch->FileName));
    win->AddValue("/P", MakeTextString(launch->Parameters));
    win->AddValue("/O", TzkPDFStringObject::Literal(launch->Operation == 1 ? "print" : "open"));
    dict->AddValue("/Win", std::move(win));
    dict->AddValue("/NewWindow", std::make_unique<TzkPDFBooleanObject>(launch->NewWindow));
  } else if (auto* remote = dynamic_cast<TzkPDFGoToRAction*>(action)) {
    dict->AddName("/S", "/GoToR");
    if (LowerAscii(ExtractFileExt(remote->FileName)) != ".pdf") remote->FileName += ".pdf";
    dict->AddValue("/F", MakeTextString(remote->FileName));
    dict->AddValue("/D", MakeDestination(remote->PageNumber, remote->DestinationKind, true));
    dict->AddValue("/NewWindow", std::make_unique<TzkPDFBooleanObject>(remote->NewWindow));
  } else if (auto* go = dynamic_cast<TzkPDFGoToAction*>(action)) {
    dict->AddName("/S", "/GoTo");
    dict->AddValue("/D", MakeDestination(go->PageNumber, go->DestinationKind, false));
  } else if (auto* script = dynamic_cast<TzkPDFJavaScriptAction*>(action)) {
    dict->AddName("/S", "/JavaScript");
    // The string holds the script's bytes as they are; the writer escapes
    // them once, so parentheses and backslashes come back unchanged.
    dict->AddValue("/JS", TzkPDFStringObject::Literal(script->Script));
  }
  return dict;
}

std::unique_ptr<TzkPDFIndirectReference> TzkExProPDFDocument::MakeActionObject(TzkPDFAction* action) {
  TzkPDFObjectPtr dict = MakeActionDictionary(action);
  if (!dict) dict = std::make_unique<TzkPDFDictObject>();
  CountReferences(ObjectStore(), dict.get());
  const int32_t number = ObjectStore().NewObjectNumber();
  ObjectStore().Store(std::make_unique<TzkPDFIndirectObject>(DocumentNumber(), std::move(dict), 0, number, true));
  return std::make_unique<TzkPDFIndirectReference>(DocumentNumber(), 0, number);
}

// ------------------------------------------------------------ page actions

TzkPDFDictObject& TzkExProPDFDocument::PageDictionary(int page) {
  if (page < 1 || page > PageCount()) throw EInvalidPageError(Format(res::kInvalidPageNumber, page));
  return Pages()[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
}

// The page's /AA as a dictionary of the page's own, nullptr when it has none.
// One held in an object of its own may be shared with other pages: the page
// gets a copy, and the shared object keeps its other users.
TzkPDFDictObject* TzkExProPDFDocument::OwnAdditionalActions(TzkPDFDictObject& page) {
  TzkPDFObject* value = page.Lookup("/AA");
  if (!value) return nullptr;
  if (auto* dict = value->As<TzkPDFDictObject>()) return dict;
  TzkPDFObjectPtr copy;
  if (const auto* resolved = ObjectAs<TzkPDFDictObject>(ObjectStore().Resolve(value))) copy = resolved->Clone();
  CountReferences(ObjectStore(), copy.get());
  TzkPDFObjectPtr old = page.PutValueAt(page.IndexOfKey("/AA"), nullptr);
  if (copy)
    page.SetValue("/AA", std::move(copy));
  else
    page.Remove("/AA");
  ReleaseDropped(ObjectStore(), {old.get()}, {});
  return page.LookupAs<TzkPDFDictObject>("/AA");
}

void TzkExProPDFDocument::SetPageAction(const TzkPDFPageLevelAction& pageAction, int page) {
  TzkPDFDictObject& pageDict = PageDictionary(page);
  const std::string_view key = pageAction.Trigger == 1 ? "/C" : "/O";
  if (!pageAction.Action) return;

  TzkPDFDictObject* aa = OwnAdditionalActions(pageDict);
  if (!aa) {
    auto fresh = std::make_unique<TzkPDFDictObject>();
    TzkPDFObjectPtr action = MakeActionDictionary(pageAction.Action);
    CountReferences(ObjectStore(), action.get());
    fresh->AddValue(key, std::move(action));
    pageDict.SetValue("/AA", std::move(fresh));
    return;
  }
  const int32_t index = aa->IndexOfKey(key);
  TzkPDFObject* existing = index >= 0 ? aa->ValueAt(index) : nullptr;
  auto* first = ObjectAs<TzkPDFDictObject>(existing);
  if (!first) {
    // The page gets its own copy of a stored first action: adding /Next to
    // the stored one would also run the new action wherever else it is used.
    TzkPDFObjectPtr copy;
    if (const auto* stored = ObjectAs<TzkPDFDictObject>(ObjectStore().Resolve(existing))) copy = stored->Clone();
    const bool chain = copy != nullptr;
    if (!copy) copy = MakeActionDictionary(pageAction.Action);
    CountReferences(ObjectStore(), copy.get());
    if (index >= 0) {
      TzkPDFObjectPtr old = aa->PutValueAt(index, std::move(copy));
      ReleaseDropped(ObjectStore(), {old.get()}, {});
    } else {
      aa->SetValue(key, std::move(copy));
    }
    if (!chain) return;
    first = aa->LookupAs<TzkPDFDictObject>(key);
  }
  // The new action runs after the existing ones: /Next becomes an array of
  // what was there and the new action, which keeps any chain (also a
  // looping one) untouched.
  std::unique_ptr<TzkPDFIndirectReference> next = MakeActionObject(pageAction.Action);
  const int32_t nextIndex = first->IndexOfKey("/Next");
  if (nextIndex < 0) {
    first->AddValue("/Next", std::move(next));
  } else if (auto* list = first->ValueAt(nextIndex)->As<TzkPDFArrayObject>()) {
    list->Add(std::move(next));
  } else {
    auto list2 = std::make_unique<TzkPDFArrayObject>();
    list2->Add(first->PutValueAt(nextIndex, nullptr));
    list2->Add(std::move(next));
    first->PutValueAt(nextIndex, std::move(list2));
  }
}

// The stored actions that a removed action leads to through /Next (single
// actions and arrays of them), each once; a loop ends where it closes.
static std::vector<TzkPDFIndirectObject*> ActionChain(const TzkPDFObjectStore& store, const TzkPDFObject* start) {
  std::vector<TzkPDFIndirectObject*> chain;
  std::unordered_set<const TzkPDFIndirectObject*> seen;
  std::vector<const TzkPDFObject*> work{start};
  while (!work.empty()) {
    const TzkPDFObject* value = work.back();
    work.pop_back();
    if (!value) continue;
    if (value->IsIndirectReference()) {
      TzkPDFIndirectObject* target = StoredTarget(store, value);
      if (!target || IsPageObject(store, target) || !seen.insert(target).second) continue;
      chain.push_back(target);
      work.push_back(target->Value());
    } else if (const auto* list = value->As<TzkPDFArrayObject>()) {
      for (int32_t i = list->Count() - 1; i >= 0; --i) work.push_back(list->ItemAt(i));
    } else if (const auto* action = value->As<TzkPDFDictObject>()) {
      work.push_back(action->Lookup("/Next"));
    }
  }
  return chain;
}

void TzkExProPDFDocument::RemovePageAction(int page, uint8_t trigger) {
  TzkPDFDictObject& pageDict = PageDictionary(page);
  const std::string_view key = trigger == 1 ? "/C" : "/O";
  TzkPDFDictObject* aa = OwnAdditionalActions(pageDict);
  if (!aa) return;
  const int32_t index = aa->IndexOfKey(key);
  if (index >= 0) {
    // Only the page's own entry goes: a stored action that a link, an
    // outline item or another page also uses stays as it is.
    TzkPDFObjectPtr removed = aa->PutValueAt(index, nullptr);
    aa->DeleteAt(index);
    ReleaseDropped(ObjectStore(), {removed.get()}, ActionChain(ObjectStore(), removed.get()));
  }
  if (aa->Count() == 0) pageDict.Remove("/AA");
}

bool TzkExProPDFDocument::HasPageAction(int page, uint8_t trigger) {
  TzkPDFDictObject& pageDict = PageDictionary(page);
  const auto* aa = ObjectAs<TzkPDFDictObject>(ObjectStore().Resolve(pageDict.Lookup("/AA")));
  if (!aa) return false;
  const TzkPDFObject* action = ObjectStore().Resolve(aa->Lookup(trigger == 1 ? "/C" : "/O"));
  return action && action->IsDictionary();
}

bool TzkExProPDFDocument::PageActionChainHolds(int page, uint8_t trigger, std::string_view kind) {
  TzkPDFObjectStore& store = ObjectStore();
  const auto* aa = ObjectAs<TzkPDFDictObject>(store.Resolve(PageDictionary(page).Lookup("/AA")));
  std::vector<TzkPDFObject*> pending;
  if (aa) pending.push_back(aa->Lookup(trigger == 1 ? "/C" : "/O"));
  // A chain read from a file may loop; the walk is bounded.
  for (int visits = 0; !pending.empty() && visits < 1024; ++visits) {
    TzkPDFObject* next = store.Resolve(pending.back());
    pending.pop_back();
    if (const auto* list = ObjectAs<TzkPDFArrayObject>(next)) {
      for (int32_t i = 0; i < list->Count(); ++i) pending.push_back(list->ItemAt(i));
      continue;
    }
    const auto* action = ObjectAs<TzkPDFDictObject>(next);
    if (!action) continue;
    if (NameIs(store.Resolve(action->Lookup("/S")), kind)) return true;
    pending.push_back(action->Lookup("/Next"));
  }
  return false;
}

// ------------------------------------------------------------ reading

void TzkExProPDFDocument::ReadAction(TzkPDFDictObject& action) {
  const TzkPDFObject* type = ObjectStore().Resolve(action.Lookup("/S"));
  // A remote, embedded or launch target names a destination elsewhere.
  const bool remote = NameIs(type, "/GoToR") || NameIs(type, "/GoToE") || NameIs(type, "/Launch");
  const int32_t d = action.IndexOfKey("/D");
  if (d >= 0 && !remote && !action.ValueAt(d)->IsArray()) {
    TzkPDFObject* value = action.ValueAt(d);
    if (value->IsIndirectReference()) {
      TzkPDFObject* resolved = ObjectStore().Resolve(value);
      if (!resolved) {
        Collect(value);
        resolved = ObjectStore().Resolve(value);
      }
      value = resolved;
    }
    std::string name;
    if (const auto* s = ObjectAs<TzkPDFStringObject>(value)) {
      name = s->Bytes();
    } else if (const auto* n = ObjectAs<TzkPDFNameObject>(value)) {
      name = n->BareName();
    } else if (value && !value->IsArray() && !value->IsNull()) {
      throw EUnexpectedError(std::string(res::kUnexpectedError));
    }
    if (value && value->IsArray()) {
      action.PutValueAt(d, value->Clone());
    } else if (const TzkPDFObject* destination = FindNamedDestination(name)) {
      action.PutValueAt(d, destination->Clone());
    }
  }
  // The targets' objects are kept with their uses counted.
  std::vector<std::string_view> keys = {"/JS", "/URI"};
  if (NameIs(type, "/GoToR")) keys.insert(keys.end(), {"/F", "/D"});
  if (NameIs(type, "/Launch")) keys.push_back("/F");
  if (NameIs(type, "/GoTo")) keys.push_back("/D");
  for (std::string_view k : keys) {
    if (TzkPDFObject* value = action.Lookup(k)) Collect(value);
  }
}

void TzkExProPDFDocument::PrepareReadAction(TzkPDFDictObject& action) {
  ReadAction(action);
  // What the action chains to (/Next) is kept too.
  if (TzkPDFObject* next = action.Lookup("/Next")) Collect(next);
}

}  // namespace sarvane::pdf::doc
