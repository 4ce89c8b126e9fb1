// Loading a document: the file, the catalog, the page tree, named
// destinations and the document information; page boxes and units.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>
#include <string_view>
#include <unordered_set>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkCstPDFDoc.h"
#include "pdf/objects/zkPDFText.h"
#include "platform/Clock.h"
#include "platform/FileBytes.h"
#include "platform/Paths.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::NameIs;

using sarvane::pdf::TzkPDFNameObject;
using sarvane::pdf::TzkPDFStringObject;

// One inherited page attribute: the key and a copy of the nearest ancestor's value.
struct TzkCustomPDFDocument::TzkInherited {
  std::string Key;
  TzkPDFObjectPtr Value;
};

namespace {

// Attributes a page takes from its ancestors, in the order they are added.
constexpr std::string_view kInheritedKeys[] = {"/Rotate", "/MediaBox", "/Resources", "/CropBox"};

// Catalog entries read into fields of their own; every other entry is kept
// for the writer as it stands.
constexpr std::string_view kCatalogOwnKeys[] = {"/Type",     "/Pages",    "/PageMode",   "/PageLayout",
                                                "/ViewerPreferences",     "/Metadata",   "/AcroForm",
                                                "/OpenAction", "/AA",     "/Names",      "/Outlines"};

bool IsOwnCatalogKey(std::string_view key) {
  return std::find(std::begin(kCatalogOwnKeys), std::end(kCatalogOwnKeys), key) != std::end(kCatalogOwnKeys);
}

void RemoveAll(TzkPDFDictObject& dict, std::string_view key) {
  while (dict.IndexOfKey(key) >= 0) dict.Remove(key);
}

// Whole file in memory; the parser works on it from there.
TzkSharedBytes ReadWholeFile(const std::string& fileName) {
  std::shared_ptr<const FileBytes> data = FileBytes::Read(fileName);
  if (!data) throw Exception(Format(res::kCannotReadFile, fileName, std::strerror(errno)));
  const std::string_view bytes = data->View();
  return {std::move(data), bytes};
}

}  // namespace

// ------------------------------------------------------------ state

void TzkCustomPDFDocument::InitLoadingState() {
  workFileName_.clear();
  openAttempted_ = false;
  pageMode_ = pmNone;
  pageLayout_ = plNone;
  pages_.clear();
  outlineRoot_.reset();
  namedDestinations_.clear();
  info_ = std::make_unique<TzkPDFInfo>();
  info_->TextEncryptor = [this](std::string& bytes) { return EncryptInfoText(bytes); };
  pendingInfo_.reset();
  catalog_ = std::make_unique<TzkPDFCatalog>();
  encryption_ = std::make_unique<sarvane::pdf::TzkPDFEncryptionSettings>();
  encryption_->SetLevel(sarvane::pdf::el40bit);
  decryptor_.reset();
  NamedDestinationLookup = [this](std::string_view name) { return FindNamedDestination(name); };
  InformationHandler = [this](TzkPDFObjectPtr info) { pendingInfo_ = std::move(info); };
}

void TzkCustomPDFDocument::ClearLoadingState() {
  outlineRoot_.reset();
  pages_.clear();
  namedDestinations_.clear();
  pendingInfo_.reset();
  decryptor_.reset();
  openAttempted_ = false;
}

void TzkCustomPDFDocument::CloseDocument() {
  ClearDocument();
  InitDocument();
}

void TzkCustomPDFDocument::SetFilename(const std::string& fileName) {
  filename_ = fileName;
  if (!fileName.empty()) LoadDocument(fileName);
}

bool TzkCustomPDFDocument::IsOwner() const { return !decryptor_ || decryptor_->IsOwner(); }

void TzkCustomPDFDocument::IOProgress(int percentage) {
  if (OnIOProgress) OnIOProgress(this, percentage);
}

// ------------------------------------------------------------ loading

bool TzkCustomPDFDocument::LoadDocument(const std::string& fileName) {
  // A failed earlier attempt leaves objects under this document number in
  // the store: they must not be mistaken for objects of the next file.
  if (isLoaded_ || openAttempted_) CloseDocument();
  const std::string work = ExtractFileExt(fileName).empty() ? fileName + ".pdf" : fileName;
  workFileName_ = work;
  if (!FileExists(work)) throw EFileNotFound(work);
  if (filename_.empty()) filename_ = work;

  return LoadDocumentData(ReadWholeFile(work));
}

bool TzkCustomPDFDocument::LoadDocumentData(std::shared_ptr<const std::string> data) {
  return LoadDocumentData(TzkSharedBytes::Of(std::move(data)));
}

bool TzkCustomPDFDocument::LoadDocumentData(TzkSharedBytes data) {
  if (isLoaded_ || openAttempted_) {
    const std::string work = workFileName_;
    CloseDocument();
    workFileName_ = work;
  }
  try {
    OpenAndRead(data);
  } catch (const EExpansionError&) {
    throw;
  } catch (const Exception& e) {
    // A file whose structure fails somewhere past its cross-reference gets
    // one more try with the entries rebuilt by scanning; when that fails as
    // well, the first failure is the one to report.
    if (repaired_ || !repairPossible_) throw;
    const std::exception_ptr first = std::current_exception();
    const std::string reason = e.what();
    const std::string work = workFileName_;
    CloseDocument();
    workFileName_ = work;
    repairRequested_ = true;
    repairReason_ = reason;
    try {
      OpenAndRead(data);
    } catch (const Exception&) {
      repairRequested_ = false;
      std::rethrow_exception(first);
    }
    repairRequested_ = false;
  }
  return isLoaded_;
}

void TzkCustomPDFDocument::OpenAndRead(const TzkSharedBytes& data) {
  openAttempted_ = true;
  repairPossible_ = false;
  struct ReaderRelease {
    TzkCustomPDFDocument* document;
    ~ReaderRelease() { document->ReleaseReader(); }
  } release{this};

  OpenDocumentFile(data);
  // Only a file with a readable header and cross-reference is worth a
  // second reading.
  repairPossible_ = true;
  if (isEncrypted_) {
    RunPasswordLoop();
  } else {
    ReadDocument();
  }
}

void TzkCustomPDFDocument::ReadDocument() {
  if (OnBeginRead) OnBeginRead(this);
  ReadCatalog();
  isLoaded_ = true;
  StatusMessage(Format(res::kDocumentReadComplete, PageCount()));
  if (OnEndRead) OnEndRead(this);
}

void TzkCustomPDFDocument::ReadInformation() {
  TzkPDFObjectPtr pending = std::move(pendingInfo_);
  if ((!trailer_.Information && !pending) || !info_->IsEmpty()) return;
  TzkPDFObjectPtr value = pending ? DetachedCopy(pending.get()) : DetachedCopy(trailer_.Information.get());
  if (!value || !value->IsDictionary()) return;
  // Adopted whether or not it names a producer: a title without a producer
  // is still the document's title.
  info_->SetDictionary(std::unique_ptr<TzkPDFDictObject>(static_cast<TzkPDFDictObject*>(value.release())));
}

void TzkCustomPDFDocument::ReadCatalog() {
  ReadInformation();

  const int32_t root = trailer_.RootNumber;
  TzkFetched fetched = FetchObject(TzkPDFIndirectReference(documentNumber_, 0, root), true);
  TzkPDFIndirectObject* held = fetched.Owned ? nullptr : fetched.Object;
  TzkPDFIndirectObject* catalogObject = fetched.Object;
  if (!catalogObject) throw EPDFFileCorruptedError(Format(res::kCatalogMissing, root));
  auto* catalog = catalogObject->Value()->As<TzkPDFDictObject>();
  if (!catalog) throw EUnexpectedObjectError(Format(res::kCatalogNotDictionary, root));

  // Page mode and layout; a name outside the tables reads as none.
  if (TzkPDFObjectPtr mode = DetachedCopy(catalog->Lookup("/PageMode"))) {
    const auto* name = mode->As<TzkPDFNameObject>();
    pageMode_ = name ? PageModeFromName(name->Text()).value_or(pmNone) : pmNone;
  }
  if (TzkPDFObjectPtr layout = DetachedCopy(catalog->Lookup("/PageLayout"))) {
    const auto* name = layout->As<TzkPDFNameObject>();
    pageLayout_ = name ? PageLayoutFromName(name->Text()).value_or(plNone) : plNone;
  }
  if (TzkPDFObjectPtr prefs = DetachedCopy(catalog->Lookup("/ViewerPreferences"))) {
    if (prefs->IsDictionary()) {
      catalog_->ViewerPreferences->SetDictionary(
          std::unique_ptr<TzkPDFDictObject>(static_cast<TzkPDFDictObject*>(prefs.release())));
    }
  }
  if (TzkPDFObject* metadata = catalog->Lookup("/Metadata")) {
    Collect(metadata);
    catalog_->Metadata = metadata->Clone();
  }

  IOProgress(10);
  StatusMessage(res::kTraversingPages);
  const auto* pagesRef = ObjectAs<TzkPDFIndirectReference>(catalog->Lookup("/Pages"));
  if (!pagesRef) throw EUnexpectedObjectError(Format(res::kCatalogWithoutPages, root));
  {
    std::unordered_set<int32_t> path;
    TzkPageNodesSeen seen;
    WalkPageNode(*pagesRef, nullptr, 0, path, seen);
  }
  IOProgress(75);

  if (TzkPDFObject* dests = catalog->Lookup("/Dests")) {
    StatusMessage(res::kProcessingDestinations);
    Collect(dests);
    ReadDestinationDictionary(dests);
  }

  IOProgress(30);
  StatusMessage(res::kProcessingAnnotations);
  for (TzkPDFIndirectObject* page : pages_) {
    if (TzkPDFObject* annots = page->Value()->Cast<TzkPDFDictObject>().Lookup("/Annots")) Collect(annots);
  }

  IOProgress(90);
  if (TzkPDFObject* acroForm = catalog->Lookup("/AcroForm")) {
    if (auto* ref = acroForm->As<TzkPDFIndirectReference>()) {
      CollectReference(ref);
      catalog_->AcroForm = ref->Clone();
    } else if (acroForm->IsDictionary()) {
      // A direct form dictionary becomes an object of its own, so that the
      // form code can refer to it like any other.
      const int32_t number = store_->NewObjectNumber();
      TzkPDFIndirectObject* stored = store_->Store(
          std::make_unique<TzkPDFIndirectObject>(documentNumber_, acroForm->Clone(), 0, number, true));
      Collect(stored->Value());
      catalog_->AcroForm = std::make_unique<TzkPDFIndirectReference>(documentNumber_, 0, number);
    } else if (!acroForm->IsNull()) {
      throw EUnexpectedObjectError(std::string(res::kAcroFormNotDictionary));
    }
    ReadAcroForm(catalog_->AcroForm.get());
    StatusMessage(res::kAcroFormsProcessed);
  }

  if (TzkPDFObject* openAction = catalog->Lookup("/OpenAction")) {
    Collect(openAction);
    catalog_->OpenAction = openAction->Clone();
  }
  if (TzkPDFObject* aa = catalog->Lookup("/AA")) {
    Collect(aa);
    catalog_->AA = aa->Clone();
  }

  if (TzkPDFObject* names = catalog->Lookup("/Names")) {
    StatusMessage(res::kProcessingNameTree);
    Collect(names);
    catalog_->Names = names->Clone();
    ReadNameDictionary(names);
  }

  IOProgress(60);
  StatusMessage(res::kReadingOutlines);
  // The outline is held as items of its own; the writer builds its objects.
  ReadOutlines(catalog->Lookup("/Outlines"));

  // Everything else the input's catalog holds, for the writer to carry. Of a
  // key given more than once only the first pair is carried: it is the one
  // this reading used, and a later one left in the copy could be read there
  // instead (the writer leaves out a first value that comes out as null).
  std::unordered_set<std::string_view> carried;
  for (int32_t i = 0; i < catalog->Count(); ++i) {
    const std::string& key = catalog->KeyName(i);
    if (IsOwnCatalogKey(key) || !carried.insert(key).second) continue;
    TzkPDFObject* value = catalog->ValueAt(i);
    if (key != "/Dests") Collect(value);
    catalog_->OtherEntries.emplace_back(key, value->Clone());
  }
  IOProgress(100);

  // The writer builds the catalog anew: a stored copy of the input's is not
  // written, unless a damaged page tree made it a page, which must stay.
  if (held && std::find(pages_.begin(), pages_.end(), held) == pages_.end()) held->SetUseCount(0);
}

// ------------------------------------------------------------ page tree

void TzkCustomPDFDocument::WalkPageNode(const TzkPDFIndirectReference& nodeRef,
                                        const std::vector<TzkInherited>* inherited, int depth,
                                        std::unordered_set<int32_t>& path, TzkPageNodesSeen& seen) {
  if (depth > kMaxTreeDepth) throw EPDFFileCorruptedError(Format(res::kPageTreeTooDeep, kMaxTreeDepth));
  const int32_t number = nodeRef.ObjectNumber();
  if (path.count(number)) throw EPDFFileCorruptedError(Format(res::kPageTreeCycle, number));
  if (auto it = seen.find(number); it != seen.end()) {
    // A page listed again is a page again, as every reader counts it; an
    // intermediate node listed again would repeat a whole subtree.
    if (it->second) {
      AddRepeatedPage(*it->second);
    } else {
      Warning(Format(res::kPageNodeRepeated, number));
    }
    return;
  }

  TzkFetched fetched = FetchObject(nodeRef, true);
  TzkPDFIndirectObject* node = fetched.Object;
  if (!node) throw EPDFFileCorruptedError(Format(res::kPageNodeMissing, number));

  auto* dict = node->Value()->As<TzkPDFDictObject>();
  if (!dict) throw EUnexpectedObjectError(Format(res::kPageNodeNotDictionary, number));

  if (!IsPagesNode(*dict)) {
    node->IncUseCount();
    TzkPDFIndirectObject* page = fetched.Owned ? StoreRead(std::move(fetched.Owned), fetched.LengthRepaired) : node;
    seen.emplace(number, page);
    // The writer gives every page its new parent; article beads refer to
    // threads that are not carried over.
    RemoveAll(*dict, "/Parent");
    RemoveAll(*dict, "/B");
    if (inherited) {
      for (const TzkInherited& entry : *inherited) {
        if (dict->IndexOfKey(entry.Key) < 0) dict->AddValue(entry.Key, entry.Value->Clone());
      }
    }
    CollectPageEntries(*dict);
    pages_.push_back(page);
    return;
  }
  seen.emplace(number, nullptr);
  TzkPDFIndirectObject* held = fetched.Owned ? nullptr : node;

  TzkPDFObject* kidsValue = dict->Lookup("/Kids");
  TzkPDFObjectPtr kidsCopy;
  const auto* kids = ObjectAs<TzkPDFArrayObject>(kidsValue);
  if (!kids) {
    if (!ObjectAs<TzkPDFIndirectReference>(kidsValue)) throw EUnexpectedObjectError(Format(res::kKidsNotArray, number));
    kidsCopy = DetachedCopy(kidsValue);
    kids = ObjectAs<TzkPDFArrayObject>(kidsCopy.get());
    if (!kids) throw EUnexpectedObjectError(Format(res::kKidsNotArray, number));
  }

  std::vector<TzkInherited> level;
  if (inherited) {
    level.reserve(inherited->size() + 1);
    for (const TzkInherited& entry : *inherited) level.push_back({entry.Key, entry.Value->Clone()});
  }
  for (std::string_view key : kInheritedKeys) {
    const TzkPDFObject* value = dict->Lookup(key);
    if (!value) continue;
    auto it = std::find_if(level.begin(), level.end(), [&](const TzkInherited& e) { return e.Key == key; });
    if (it != level.end()) {
      it->Value = value->Clone();
    } else {
      level.push_back({std::string(key), value->Clone()});
    }
  }

  path.insert(number);
  for (int32_t i = 0; i < kids->Count(); ++i) {
    TzkPDFObject* item = kids->ItemAt(i);
    if (const auto* kid = ObjectAs<TzkPDFIndirectReference>(item)) {
      WalkPageNode(*kid, &level, depth + 1, path, seen);
    } else if (ObjectAs<TzkPDFDictObject>(item)) {
      // A node written directly into /Kids becomes an object of its own.
      const TzkPDFIndirectReference own = StoreDirectPageNode(*item);
      WalkPageNode(own, &level, depth + 1, path, seen);
    } else {
      throw EUnexpectedObjectError(Format(res::kPageKidInvalid, i, number));
    }
  }
  path.erase(number);
  // Intermediate nodes are not written: the writer builds a new page tree.
  if (held) held->SetUseCount(0);
}

bool TzkCustomPDFDocument::IsPagesNode(const TzkPDFDictObject& dict) const {
  // Writers that leave out /Type still give an intermediate node its /Kids.
  const TzkPDFObject* type = store_->Resolve(const_cast<TzkPDFDictObject&>(dict).Lookup("/Type"));
  if (NameIs(type, "/Pages")) return true;
  if (NameIs(type, "/Page")) return false;
  return dict.Lookup("/Kids") != nullptr;
}

void TzkCustomPDFDocument::CollectPageEntries(TzkPDFDictObject& page) {
  // Annotations are collected once every page is known.
  for (int32_t i = 0; i < page.Count(); ++i) {
    if (page.KeyName(i) == "/Annots") continue;
    Collect(page.ValueAt(i));
  }
}

void TzkCustomPDFDocument::AddRepeatedPage(const TzkPDFIndirectObject& page) {
  // A page has one /Parent, so the repeat is written as a page object of
  // its own with the same contents and resources.
  TzkPDFObjectPtr copy = page.Value()->Clone();
  SpendExpansionBudget(page.ObjectNumber(), CountDirectNodes(*copy));
  auto object = std::make_unique<TzkPDFIndirectObject>(documentNumber_, std::move(copy), 0,
                                                       store_->NewObjectNumber(), true);
  TzkPDFIndirectObject* stored = store_->Store(std::move(object));
  CollectPageEntries(stored->Value()->Cast<TzkPDFDictObject>());
  pages_.push_back(stored);
}

TzkPDFIndirectReference TzkCustomPDFDocument::StoreDirectPageNode(const TzkPDFObject& node) {
  const int32_t number = store_->NewObjectNumber();
  store_->Store(std::make_unique<TzkPDFIndirectObject>(documentNumber_, node.Clone(), 0, number));
  return TzkPDFIndirectReference(documentNumber_, 0, number);
}

// ------------------------------------------------------ named destinations

void TzkCustomPDFDocument::AddNamedDestination(std::string name, const TzkPDFObject* value) {
  // A name without a usable destination is left to the viewer, which still
  // finds it in the written /Dests or /Names: replacing it by null would
  // break the link.
  if (!value || !value->IsArray()) return;
  TzkPDFObjectPtr destination = value->Clone();
  if (auto* page = ObjectAs<TzkPDFIndirectReference>(static_cast<TzkPDFArrayObject*>(destination.get())->ItemAt(0))) {
    page->SetDocumentNumber(documentNumber_);
  }
  namedDestinations_.emplace_back(std::move(name), std::move(destination));
}

void TzkCustomPDFDocument::SortNamedDestinations() {
  // Stable: of two equal names the first in the file wins, as it would in a scan.
  std::stable_sort(namedDestinations_.begin(), namedDestinations_.end(),
                   [](const TzkNamedDestination& a, const TzkNamedDestination& b) { return a.first < b.first; });
}

const TzkPDFObject* TzkCustomPDFDocument::FindNamedDestination(std::string_view name) const {
  auto it = std::lower_bound(namedDestinations_.begin(), namedDestinations_.end(), name,
                             [](const TzkNamedDestination& e, std::string_view t) { return e.first < t; });
  return it != namedDestinations_.end() && it->first == name ? it->second.get() : nullptr;
}

void TzkCustomPDFDocument::ReadDestinationDictionary(TzkPDFObject* dests) {
  TzkPDFObject* resolved = store_->Resolve(dests);
  if (!resolved || resolved->IsNull()) return;
  const auto* dict = resolved->As<TzkPDFDictObject>();
  if (!dict) throw EUnexpectedObjectError(std::string(res::kDestsNotDictionary));
  for (int32_t i = 0; i < dict->Count(); ++i) {
    TzkPDFObject* value = store_->Resolve(dict->ValueAt(i));
    if (!value || value->IsNull()) continue;  // a reference to nothing names nothing
    if (const auto* d = value->As<TzkPDFDictObject>()) value = store_->Resolve(d->Lookup("/D"));
    if (!value || !value->IsArray()) {
      throw sarvane::pdf::EUnexpectedError(
          Format(res::kDestinationNotArray, PrintableToken(BareNameOf(dict->KeyName(i)))));
    }
    AddNamedDestination(BareNameOf(dict->KeyName(i)), value);
  }
  SortNamedDestinations();
}

void TzkCustomPDFDocument::ReadNameDictionary(TzkPDFObject* names) {
  TzkPDFObject* resolved = store_->Resolve(names);
  if (!resolved || resolved->IsNull()) return;
  const auto* dict = resolved->As<TzkPDFDictObject>();
  if (!dict) throw EUnexpectedObjectError(std::string(res::kNamesNotDictionary));
  // A null is what the writer makes of a reference to nothing, and it reads
  // as one: no tree, where a reference to nothing gives none either.
  TzkPDFObject* dests = dict->Lookup("/Dests");
  if (!dests || dests->IsNull()) return;
  if (!dests->IsIndirectReference() && !dests->IsDictionary()) {
    throw EUnexpectedObjectError(std::string(res::kNameTreeNodeNotDictionary));
  }
  TzkPDFObject* tree = store_->Resolve(dests);
  if (!tree) return;
  std::unordered_set<int32_t> path;
  std::unordered_set<int32_t> seen;
  if (const auto* root = dests->As<TzkPDFIndirectReference>()) {
    path.insert(root->ObjectNumber());
    seen.insert(root->ObjectNumber());
  }
  ReadNameTreeNode(tree, 0, path, seen);
  SortNamedDestinations();
}

void TzkCustomPDFDocument::ReadNameTreeNode(TzkPDFObject* node, int depth, std::unordered_set<int32_t>& path,
                                            std::unordered_set<int32_t>& seen) {
  if (depth > kMaxTreeDepth) throw EPDFFileCorruptedError(Format(res::kNameTreeTooDeep, kMaxTreeDepth));
  const auto* dict = ObjectAs<TzkPDFDictObject>(node);
  if (!dict) throw EUnexpectedObjectError(std::string(res::kNameTreeNodeNotDictionary));

  if (const auto* kids = ObjectAs<TzkPDFArrayObject>(store_->Resolve(dict->Lookup("/Kids")))) {
    for (int32_t i = 0; i < kids->Count(); ++i) {
      if (kids->ItemAt(i)->IsNull()) continue;  // a kid written from a reference to nothing
      const auto* kid = ObjectAs<TzkPDFIndirectReference>(kids->ItemAt(i));
      if (!kid) throw EUnexpectedObjectError(std::string(res::kNameTreeKidNotReference));
      const int32_t number = kid->ObjectNumber();
      if (path.count(number)) throw EPDFFileCorruptedError(Format(res::kNameTreeCycle, number));
      if (!seen.insert(number).second) continue;
      TzkPDFObject* target = store_->Resolve(const_cast<TzkPDFIndirectReference*>(kid));
      if (!target) continue;
      path.insert(number);
      ReadNameTreeNode(target, depth + 1, path, seen);
      path.erase(number);
    }
  }

  if (const auto* pairs = ObjectAs<TzkPDFArrayObject>(store_->Resolve(dict->Lookup("/Names")))) {
    for (int32_t k = 0; k + 1 < pairs->Count(); k += 2) {
      const TzkPDFObject* keyObject = store_->Resolve(pairs->ItemAt(k));
      std::string key;
      if (const auto* s = ObjectAs<TzkPDFStringObject>(keyObject)) {
        key = s->Bytes();
      } else if (const auto* n = ObjectAs<TzkPDFNameObject>(keyObject)) {
        key = n->BareName();
      } else {
        continue;
      }
      TzkPDFObject* value = store_->Resolve(pairs->ItemAt(k + 1));
      if (!value || value->IsNull()) continue;
      if (const auto* d = value->As<TzkPDFDictObject>()) {
        value = store_->Resolve(d->Lookup("/D"));
        if (!value || value->IsNull()) continue;
      }
      if (!value->IsArray()) throw sarvane::pdf::EUnexpectedError(std::string(res::kUnexpectedObject));
      AddNamedDestination(std::move(key), value);
    }
  }
}

// ------------------------------------------------------------ pages

// The visible box: /CropBox, else /MediaBox, numbers resolved where they
// are objects of their own. A page without a usable box is shown by readers
// as US Letter, and so it is taken here.
std::array<double, 4> TzkCustomPDFDocument::PageRect(int page) {
  if (page < 1 || page > PageCount()) throw EInvalidPageError(Format(res::kInvalidPage, page));
  auto* dict = pages_[static_cast<size_t>(page - 1)]->Value()->As<TzkPDFDictObject>();
  for (std::string_view key : {"/CropBox", "/MediaBox"}) {
    const auto* box = ObjectAs<TzkPDFArrayObject>(dict ? store_->Resolve(dict->Lookup(key)) : nullptr);
    if (!box || box->Count() < 4) continue;
    std::array<double, 4> rect{};
    bool numbers = true;
    for (int32_t i = 0; i < 4 && numbers; ++i) {
      const TzkPDFObject* item = store_->Resolve(box->ItemAt(i));
      if (const std::optional<int64_t> integer = sarvane::pdf::IntegerOf(item)) {
        rect[static_cast<size_t>(i)] = static_cast<double>(*integer);
      } else if (const auto* real = ObjectAs<sarvane::pdf::TzkPDFRealObject>(item)) {
        rect[static_cast<size_t>(i)] = real->Value();
      } else {
        numbers = false;
      }
    }
    if (numbers) return rect;
  }
  Warning(Format(res::kPageWithoutBox, page));
  return {0, 0, 612, 792};
}

void TzkCustomPDFDocument::GetPageSize(int page, TzkMeasurementUnit unit, double& width, double& height) {
  const std::array<double, 4> rect = PageRect(page);
  width = FromPoints(unit, rect[2] - rect[0]);
  height = FromPoints(unit, rect[3] - rect[1]);
}

void TzkCustomPDFDocument::GetPageBox(int page, TzkMeasurementUnit unit, double box[4]) {
  const std::array<double, 4> rect = PageRect(page);
  for (int i = 0; i < 4; ++i) box[i] = FromPoints(unit, rect[static_cast<size_t>(i)]);
}

namespace {
double PointsPerUnit(TzkMeasurementUnit unit) {
  switch (unit) {
    case muPixels:
      return 72.0 / PixelsPerInch();
    case muInches:
      return 72.0;
    case muMM:
      return 2.83464;
    case muTwips:
      return 0.05;
    case muPoints:
    default:
      return 1.0;
  }
}
}  // namespace

double TzkCustomPDFDocument::ToPoints(TzkMeasurementUnit unit, double value) {
  return unit == muPoints ? value : value * PointsPerUnit(unit);
}

double TzkCustomPDFDocument::FromPoints(TzkMeasurementUnit unit, double value) {
  return unit == muPoints ? value : value / PointsPerUnit(unit);
}

}  // namespace sarvane::pdf::doc
