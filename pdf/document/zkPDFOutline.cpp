// Outlines: the bookmark tree read at load into TzkPDFOutline items and
// written again with fresh links at save.
#include "pdf/document/zkPDFOutline.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>
#include <utility>
#include <vector>

#include "pdf/document/zkCstPDFDoc.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::NameIs;

using namespace sarvane::pdf;

// ------------------------------------------------------------------ items

TzkPDFOutline::TzkPDFOutline(TzkCustomPDFDocument* document, int32_t documentNumber, TzkPDFObjectPtr dict,
                             uint16_t generation, int32_t objectNumber)
    : TzkPDFIndirectObject(documentNumber, std::move(dict), generation, objectNumber), document_(document) {}

// The subtree and the rest of the sibling list go with the item; they are
// taken apart here one item at a time, so that no destructor recurses.
TzkPDFOutline::~TzkPDFOutline() {
  std::vector<std::unique_ptr<TzkPDFOutline>> pending;
  if (firstChild_) pending.push_back(std::move(firstChild_));
  if (next_) pending.push_back(std::move(next_));
  while (!pending.empty()) {
    std::unique_ptr<TzkPDFOutline> item = std::move(pending.back());
    pending.pop_back();
    if (item->firstChild_) pending.push_back(std::move(item->firstChild_));
    if (item->next_) pending.push_back(std::move(item->next_));
  }
}

void TzkPDFOutline::operator delete(TzkPDFOutline* item, std::destroying_delete_t) noexcept {
  item->~TzkPDFOutline();
  TzkPDFObject::operator delete(static_cast<void*>(item), sizeof(TzkPDFOutline));
}

TzkPDFDictObject* TzkPDFOutline::Dict() const { return ObjectAs<TzkPDFDictObject>(Value()); }

TzkPDFOutline* TzkPDFOutline::SetFirstChild(std::unique_ptr<TzkPDFOutline> item) {
  item->parent_ = this;
  item->prev_ = nullptr;
  firstChild_ = std::move(item);
  return firstChild_.get();
}

TzkPDFOutline* TzkPDFOutline::SetNextSibling(std::unique_ptr<TzkPDFOutline> item) {
  item->parent_ = parent_;
  item->prev_ = this;
  next_ = std::move(item);
  return next_.get();
}

TzkPDFOutline* TzkPDFOutline::AddChild(std::unique_ptr<TzkPDFOutline> item) {
  if (!firstChild_) return SetFirstChild(std::move(item));
  TzkPDFOutline* last = firstChild_.get();
  while (last->next_) last = last->next_.get();
  return last->SetNextSibling(std::move(item));
}

std::string TzkPDFOutline::TitleBytes() const {
  const TzkPDFDictObject* dict = Dict();
  const auto* title = dict ? dict->LookupAs<TzkPDFStringObject>("/Title") : nullptr;
  return title ? title->Bytes() : std::string();
}

std::u16string TzkPDFOutline::Title() const {
  // PDFDocEncoding where it differs from Latin-1: 0x18..0x1F and 0x80..0xA0.
  static constexpr char16_t kLow[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
  static constexpr char16_t kHigh[33] = {
      0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
      0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
      0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0xFFFD, 0x20AC};
  const std::string bytes = TitleBytes();
  std::u16string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
      static_cast<unsigned char>(bytes[1]) == 0xFF) {
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text += static_cast<char16_t>((static_cast<unsigned char>(bytes[i]) << 8) |
                                    static_cast<unsigned char>(bytes[i + 1]));
    return text;
  }
  for (unsigned char c : bytes) {
    if (c >= 0x18 && c <= 0x1F)
      text += kLow[c - 0x18];
    else if (c >= 0x80 && c <= 0xA0)
      text += kHigh[c - 0x80];
    else
      text += static_cast<char16_t>(c);
  }
  return text;
}

// ---------------------------------------------------------------- reading

namespace {

// Entries that link items to each other; the writer makes them anew.
constexpr std::string_view kLinkKeys[] = {"/Parent", "/Prev", "/Count", "/Last", "/First", "/Next"};

}  // namespace

std::unique_ptr<TzkPDFOutline> TzkCustomPDFDocument::ReadOutlineNode(const TzkPDFIndirectReference& reference,
                                                                     std::unique_ptr<TzkPDFIndirectReference>& first,
                                                                     std::unique_ptr<TzkPDFIndirectReference>& next) {
  TzkFetched fetched = FetchObject(reference, true);
  if (!fetched.Object) return nullptr;
  auto* source = fetched.Object->Value()->As<TzkPDFDictObject>();
  if (!source) return nullptr;
  auto item = std::make_unique<TzkPDFOutline>(this, fetched.Object->DocumentNumber(), nullptr,
                                              fetched.Object->Generation(), fetched.Object->ObjectNumber());
  if (const std::optional<int64_t> count = IntegerOf(store_->Resolve(source->Lookup("/Count"))); count && *count < 0)
    item->SetClosed(true);
  auto link = [&](std::string_view key) -> std::unique_ptr<TzkPDFIndirectReference> {
    const auto* ref = ObjectAs<TzkPDFIndirectReference>(source->Lookup(key));
    if (!ref) return nullptr;
    return std::make_unique<TzkPDFIndirectReference>(ref->DocumentNumber(), ref->Generation(), ref->ObjectNumber());
  };
  first = link("/First");
  next = link("/Next");

  // The item keeps the entries that are not links, in exactly the room they
  // need (a long outline has as many items as the document has pages);
  // values are taken over from an object read only for this.
  auto copy = std::make_unique<TzkPDFDictObject>();
  auto& dict = *copy;
  auto isLink = [](std::string_view key) {
    return std::find(std::begin(kLinkKeys), std::end(kLinkKeys), key) != std::end(kLinkKeys);
  };
  int32_t kept = 0;
  for (int32_t i = 0; i < source->Count(); ++i) kept += isLink(source->KeyName(i)) ? 0 : 1;
  dict.Reserve(kept);
  for (int32_t i = 0; i < source->Count(); ++i) {
    if (isLink(source->KeyName(i))) continue;
    dict.AddValue(source->KeyName(i), fetched.Owned ? source->PutValueAt(i, nullptr) : source->ValueAt(i)->Clone());
  }
  // Values kept on the item are made direct: the objects they came from are
  // not written unless something else uses them.
  for (std::string_view key : {"/Title", "/C", "/F"}) {
    const int32_t i = dict.IndexOfKey(key);
    if (i >= 0 && dict.ValueAt(i)->IsIndirectReference()) dict.PutValueAt(i, DetachedCopy(dict.ValueAt(i)));
  }

  if (const int32_t d = dict.IndexOfKey("/Dest"); d >= 0 && !dict.ValueAt(d)->IsArray()) {
    TzkPDFObjectPtr value = dict.ValueAt(d)->Clone();
    if (const auto* ref = value->As<TzkPDFIndirectReference>()) {
      // One step only: the page reference inside the array must stay one.
      TzkFetched target = FetchObject(*ref, true);
      value = target.Object ? target.Object->Value()->Clone() : std::make_unique<TzkPDFNullObject>();
    }
    // A destination held in a dictionary (/D) is read the same way.
    if (const auto* wrapped = value->As<TzkPDFDictObject>()) {
      if (const TzkPDFObject* inner = wrapped->Lookup("/D")) value = inner->Clone();
    }
    const TzkPDFObject* found = nullptr;
    if (const auto* s = value->As<TzkPDFStringObject>()) {
      found = FindNamedDestination(s->Bytes());
    } else if (const auto* n = value->As<TzkPDFNameObject>()) {
      found = FindNamedDestination(n->BareName());
    } else if (!value->IsArray() && !value->IsNull()) {
      throw EUnexpectedError(std::string(res::kUnexpectedError));
    }
    dict.PutValueAt(d, found ? found->Clone() : std::move(value));
  }

  if (const int32_t a = dict.IndexOfKey("/A"); a >= 0) {
    TzkPDFObjectPtr action;
    if (const auto* ref = dict.ValueAt(a)->As<TzkPDFIndirectReference>()) {
      TzkFetched target = FetchObject(*ref, true);
      if (target.Object) action = target.Object->Value()->Clone();
    } else {
      action = dict.PutValueAt(a, nullptr);
    }
    if (!action) {
      // A damaged file that lost the action keeps the bookmark.
      Warning(Format(res::kOutlineActionMissing, reference.ObjectNumber()));
      dict.DeleteAt(a);
    } else if (auto* actionDict = action->As<TzkPDFDictObject>()) {
      PrepareReadAction(*actionDict);
      dict.PutValueAt(a, std::move(action));
    } else {
      throw EUnexpectedError(std::string(res::kUnexpectedError));
    }
  }

  if (dict.Count() > 0) item->SetValue(std::move(copy));
  return item;
}

void TzkCustomPDFDocument::PrepareReadAction(TzkPDFDictObject& action) { Collect(&action); }

std::unique_ptr<TzkPDFOutline> TzkCustomPDFDocument::ReadOutlineItem(const TzkPDFIndirectReference& root) {
  // Every item is read once: a /First or /Next that leads back to an item
  // already read ends its list there.
  std::unordered_set<int64_t> seen;
  auto firstVisit = [&](const TzkPDFIndirectReference& ref) {
    const int64_t key = (int64_t{ref.ObjectNumber()} << 16) ^ ref.Generation();
    if (seen.insert(key).second) return true;
    Warning(Format(res::kOutlineCycle, ref.ObjectNumber()));
    return false;
  };
  std::unique_ptr<TzkPDFIndirectReference> first, next;
  if (!firstVisit(root)) return nullptr;
  std::unique_ptr<TzkPDFOutline> rootItem = ReadOutlineNode(root, first, next);
  if (!rootItem) return nullptr;

  // Lists still to read: the reference of their first item and the parent.
  struct PendingList {
    std::unique_ptr<TzkPDFIndirectReference> First;
    TzkPDFOutline* Parent;
  };
  std::vector<PendingList> pending;
  if (first) pending.push_back({std::move(first), rootItem.get()});
  while (!pending.empty()) {
    PendingList list = std::move(pending.back());
    pending.pop_back();
    TzkPDFOutline* previous = nullptr;
    std::unique_ptr<TzkPDFIndirectReference> current = std::move(list.First);
    while (current && firstVisit(*current)) {
      std::unique_ptr<TzkPDFOutline> item = ReadOutlineNode(*current, first, next);
      if (!item) break;
      previous = previous ? previous->SetNextSibling(std::move(item)) : list.Parent->SetFirstChild(std::move(item));
      if (first) pending.push_back({std::move(first), previous});
      current = std::move(next);
    }
  }
  return rootItem;
}

void TzkCustomPDFDocument::ReadOutlines(TzkPDFObject* outlines) {
  outlineRoot_.reset();
  catalog_->Outlines.reset();
  const auto* reference = ObjectAs<TzkPDFIndirectReference>(outlines);
  if (!reference) return;
  outlineRoot_ = ReadOutlineItem(*reference);
  if (outlineRoot_) catalog_->Outlines = reference->Clone();
}

// ---------------------------------------------------------------- writing

namespace {

TzkPDFObjectPtr ReferenceTo(const TzkPDFOutline& item) {
  return std::make_unique<TzkPDFIndirectReference>(item.DocumentNumber(), item.Generation(), item.ObjectNumber());
}

}  // namespace

// Whether the item's destination is a page that has been taken out of the
// document; warns about a destination that does not start with a page.
bool TzkCustomPDFDocument::OutlineTargetRemoved(const TzkPDFOutline& item) {
  const TzkPDFDictObject* dict = item.Dict();
  const auto* dest = dict ? dict->LookupAs<TzkPDFArrayObject>("/Dest") : nullptr;
  if (!dest || dest->Count() == 0) return false;
  const TzkPDFObject* target = dest->ItemAt(0);
  if (const auto* ref = target->As<TzkPDFIndirectReference>()) {
    const TzkPDFIndirectObject* page = store_->Find(ref);
    if (!page || page->UseCount() > 0) return false;
    const auto* pageDict = ObjectAs<TzkPDFDictObject>(page->Value());
    return pageDict && NameIs(pageDict->Lookup("/Type"), "/Page");
  }
  if (!target->IsNull()) Warning(res::kOutlinePageExpected);
  return false;
}

// Puts a built outline dictionary where references to its identity find it:
// the save-time store, or the object of the document's store that holds the
// same identity (something else refers to it and is written with it).
void TzkCustomPDFDocument::PlaceOutlineObject(const TzkPDFOutline& item, TzkPDFObjectPtr dict) {
  TzkPDFIndirectReference reference(item.DocumentNumber(), item.Generation(), item.ObjectNumber());
  if (TzkPDFIndirectObject* stored = store_->Find(&reference)) {
    stored->SetValue(std::move(dict));
    if (stored->UseCount() <= 0) stored->SetUseCount(1);
    return;
  }
  saveStore_->Store(std::make_unique<TzkPDFIndirectObject>(item.DocumentNumber(), std::move(dict),
                                                           item.Generation(), item.ObjectNumber(), true));
}

namespace {
// The entries an item keeps and the writer copies; the others are links.
constexpr std::string_view kItemValueKeys[] = {"/Dest", "/Title", "/C", "/F", "/A"};
}  // namespace

void TzkCustomPDFDocument::ReturnOutlineValues() {
  for (auto& [item, written] : lentOutlineValues_) {
    TzkPDFDictObject* own = item->Dict();
    for (std::string_view key : kItemValueKeys) {
      const int32_t from = written->IndexOfKey(key);
      const int32_t to = own ? own->IndexOfKey(key) : -1;
      if (from >= 0 && to >= 0) own->PutValueAt(to, written->PutValueAt(from, nullptr));
    }
  }
  lentOutlineValues_.clear();
}

void TzkCustomPDFDocument::WriteOutlines() {
  if (!outlineRoot_) return;
  try {
    BuildOutlineObjects();
  } catch (...) {
    // The built dictionaries still hold what they borrowed.
    ReturnOutlineValues();
    throw;
  }
}

void TzkCustomPDFDocument::BuildOutlineObjects() {
  // A level is written as a whole: the items kept, each numbered, then their
  // dictionaries linked to their neighbours; the entries that depend on the
  // children (/First, /Last, /Count) follow when the level below is written.
  struct PendingLevel {
    TzkPDFOutline* Parent;
    TzkPDFDictObject* ParentDict;
  };
  std::vector<std::pair<TzkPDFOutline*, TzkPDFObjectPtr>> built;
  auto rootDict = std::make_unique<TzkPDFDictObject>();
  std::vector<PendingLevel> pending{{outlineRoot_.get(), rootDict.get()}};
  std::vector<TzkPDFOutline*> kept;
  while (!pending.empty()) {
    const PendingLevel level = pending.back();
    pending.pop_back();
    kept.clear();
    for (TzkPDFOutline* item = level.Parent->FirstChild(); item; item = item->NextSibling()) {
      if (OutlineTargetRemoved(*item)) continue;
      if (item->ObjectNumber() <= 0) {
        item->SetDocumentNumber(documentNumber_);
        item->SetObjectNumber(store_->NewObjectNumber());
        item->SetGeneration(0);
      }
      kept.push_back(item);
    }
    for (size_t i = 0; i < kept.size(); ++i) {
      TzkPDFOutline& item = *kept[i];
      auto dict = std::make_unique<TzkPDFDictObject>();
      TzkPDFDictObject* own = item.Dict();
      // Exactly the room needed: a long outline has as many dictionaries as
      // the document has pages.
      dict->Reserve((own ? own->Count() : 0) + 3 + (item.FirstChild() ? 3 : 0));
      // An item placed into the document's own store (something else refers
      // to its identity) stays there after the save, so it gets copies.
      const bool lend = own && !store_->Find(item.DocumentNumber(), item.ObjectNumber(), item.Generation());
      if (lend) lentOutlineValues_.emplace_back(&item, dict.get());
      for (std::string_view key : kItemValueKeys) {
        const int32_t at = own ? own->IndexOfKey(key) : -1;
        if (at >= 0) dict->AddValue(key, lend ? own->PutValueAt(at, nullptr) : own->ValueAt(at)->Clone());
      }
      dict->AddValue("/Parent", ReferenceTo(*level.Parent));
      if (i > 0) dict->AddValue("/Prev", ReferenceTo(*kept[i - 1]));
      if (i + 1 < kept.size()) dict->AddValue("/Next", ReferenceTo(*kept[i + 1]));
      if (item.FirstChild()) pending.push_back({&item, dict.get()});
      built.emplace_back(&item, std::move(dict));
    }
    if (kept.empty()) continue;
    level.ParentDict->AddValue("/First", ReferenceTo(*kept.front()));
    level.ParentDict->AddValue("/Last", ReferenceTo(*kept.back()));
    const auto count = static_cast<int32_t>(kept.size());
    const bool closed = level.Parent != outlineRoot_.get() && level.Parent->Closed();
    level.ParentDict->AddInteger("/Count", closed ? -count : count);
  }
  if (rootDict->IndexOfKey("/Count") < 0) rootDict->AddInteger("/Count", 0);
  PlaceOutlineObject(*outlineRoot_, std::move(rootDict));
  for (auto& [item, dict] : built) PlaceOutlineObject(*item, std::move(dict));
  catalog_->Outlines = ReferenceTo(*outlineRoot_);
}

}  // namespace sarvane::pdf::doc
