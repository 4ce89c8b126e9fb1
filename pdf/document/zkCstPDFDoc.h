#pragma once
// TzkCustomPDFDocument: the document component. It owns the whole state of
// one document: the reader over the file while it loads, the cross-reference
// entries, the object store and the trailer record.
//
// The operations live in unit files of their own:
//   zkCstPDFDoc.cpp   document number, state set-up and release
//   zkPDFDocXRef.cpp  opening: cross-reference chain, trailer, object streams
//   zkPDFDocCollect.cpp  reading one object, fetching, collecting into the
//                     store, copying trees (LoadObjectCopy, ResolveDeep, ...)
//   zkPDFOutline.cpp  the outline: read into items, written with fresh links
//   zkPDFPageOps.cpp  page ranges, page transitions and rotation
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "pdf/document/zkComponent.h"
#include "pdf/document/zkPDFDocExceptions.h"
// Loading, pages and document information.
#include <utility>
#include <vector>

#include "pdf/document/zkPDFCatalog.h"
#include "pdf/document/zkPDFInfo.h"
#include "pdf/document/zkPDFOutline.h"
#include "pdf/document/zkPDFTypes.h"
#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/objects/zkPDFObject.h"
#include "pdf/objects/zkPDFObjectStore.h"
#include "pdf/objects/zkPDFParser.h"
#include "pdf/objects/zkPDFXRef.h"

namespace sarvane::pdf::doc {

using sarvane::pdf::TzkPDFArrayObject;
using sarvane::pdf::TzkPDFDictObject;
using sarvane::pdf::TzkPDFIndirectObject;
using sarvane::pdf::TzkPDFIndirectReference;
using sarvane::pdf::TzkPDFObject;
using sarvane::pdf::TzkPDFObjectPtr;
using sarvane::pdf::TzkPDFObjectStore;
using sarvane::pdf::TzkPDFStreamObject;
using sarvane::pdf::TzkPDFStreamReader;
using sarvane::pdf::TzkPDFTrailer;
using sarvane::pdf::TzkXRefEntries;

enum TzkPDFVersion : uint8_t { pvPDF10, pvPDF11, pvPDF12, pvPDF13, pvPDF14, pvPDF15, pvPDF16, pvPDF17, pvPDF18, pvPDF20 };
// "1.0" ... "1.8", "2.0": the version as a header writes it.
std::string_view PDFVersionText(TzkPDFVersion version);

using TzkStatusMessageEvent = std::function<void(TzkComponent* sender, const std::string& statMsg)>;
using TzkWarningEvent = std::function<void(TzkComponent* sender, const std::string& warning)>;

// Finds the explicit destination for a named destination (the plain name:
// a string without its delimiters, a name without its slash), or nullptr.
using TzkNamedDestinationLookup = std::function<const TzkPDFObject*(std::string_view name)>;
// Receives the information dictionary when it lies in an object stream.
using TzkInformationHandler = std::function<void(TzkPDFObjectPtr info)>;

// ------------------------------------------ loading, pages, information
enum TzkMeasurementUnit : uint8_t { muPixels, muPoints, muInches, muMM, muTwips };
enum TzkMergeOptionsType : uint8_t { moIncludeOutlines, moIncludeFormFields, moRenameLikeNameFields };
// A set of TzkMergeOptionsType: bit k is the k-th value.
using TzkMergeOptions = uint8_t;
constexpr TzkMergeOptions MergeOption(TzkMergeOptionsType t) { return static_cast<TzkMergeOptions>(1u << t); }

using TzkPasswordEvent =
    std::function<void(TzkComponent* sender, std::string& password, bool& continueAsking, int tries)>;
using TzkProgressEvent = std::function<void(TzkComponent* sender, int percentage)>;
using TzkNotifyEvent = std::function<void(TzkComponent* sender)>;
using TzkOperationProgressEvent =
    std::function<void(TzkComponent* sender, int currentOperation, int currentCount, int totalCount)>;
using TzkOnCalcVariablesEvent = std::function<void(TzkComponent* sender, const std::u16string& variable,
                                                   std::u16string& value, int pageNo)>;
using TzkOnRenameFieldEvent = std::function<void(TzkComponent* sender, const std::u16string& oldFieldName,
                                                 std::u16string& newFieldName, int pageNumber, bool& rename)>;

// One named destination: the plain name (bytes of a string, a name without
// its slash) and the explicit destination.
using TzkNamedDestination = std::pair<std::string, TzkPDFObjectPtr>;


// The library's document settings dialog, shown before a save while
// ShowSetupDialog is true. ShowModal returns the modal result; 2 cancels.
class ISetupDialog {
 public:
  virtual ~ISetupDialog() = default;
  virtual int ShowModal() = 0;
};

class TzkCustomPDFDocument : public TzkComponent {
 public:
  explicit TzkCustomPDFDocument(TzkComponent* owner = nullptr);
  ~TzkCustomPDFDocument() override;

  // ---------------------------------------------------------------- events
  TzkStatusMessageEvent OnStatusMessage;
  TzkWarningEvent OnWarning;

  // ---------------------------------------------------------- properties
  TzkPDFVersion PDFVersion() const { return pdfVersion_; }
  void SetPDFVersion(TzkPDFVersion version) { pdfVersion_ = version; }
  bool IsLoaded() const { return isLoaded_; }
  // Whether the file was damaged and its cross-reference rebuilt by scanning.
  bool IsRepaired() const { return repaired_; }
  bool IsEncrypted() const { return isEncrypted_; }

  // -------------------------------------------------------- document state
  // A fresh state with a new document number.
  virtual void InitDocument();
  // Releases the whole state.
  virtual void ClearDocument();

  // Hands out document numbers: 101 for the first document of the process.
  static int32_t NextDocumentNumber();
  int32_t DocumentNumber() const { return documentNumber_; }
  TzkPDFObjectStore& ObjectStore() { return *store_; }
  const TzkPDFObjectStore& ObjectStore() const { return *store_; }
  TzkPDFTrailer& Trailer() { return trailer_; }
  const TzkXRefEntries& XRefEntries() const { return xref_; }
  // The reader over the open file; nullptr when no file is open.
  TzkPDFStreamReader* Reader() const { return reader_.get(); }
  // Frees the reader and the file data (the end of loading).
  void ReleaseReader();

  // ------------------------------------- opening and loading (zkPDFDocXRef)
  // The most references LoadObjectCopy follows, and the deepest ResolveDeep
  // and nested object reads go, before they give up.
  static constexpr int kMaxReferenceHops = 64;
  static constexpr int kMaxResolveDepth = 256;
  static constexpr int kMaxReadDepth = 16;
  // Copies that resolve references may make, for one loaded document, this
  // many nodes per object of the file, one per byte of it, plus the
  // allowance, and no more: a file whose objects share each other can
  // describe trees far larger than itself.
  static constexpr int64_t kExpansionPerObject = 16;
  static constexpr int64_t kExpansionAllowance = int64_t{1} << 16;

  // Reads the header, the cross-reference chain and the trailer entries,
  // unpacks object streams and resolves the encryption dictionary; sets
  // IsLoaded. On failure the reader is released and the exception passes on.
  // The object streams of an encrypted file are left for UnpackObjectStreams
  // once decryption is set up (their data is encrypted).
  void OpenDocumentFile(sarvane::pdf::TzkSharedBytes fileData);
  void OpenDocumentFile(std::shared_ptr<const std::string> fileData) {
    OpenDocumentFile(sarvane::pdf::TzkSharedBytes::Of(std::move(fileData)));
  }
  void OpenDocumentFile(sarvane::pdf::TzkStream& file);
  // Stores the objects of every object stream named by the stream entries.
  void UnpackObjectStreams();
  bool ObjectStreamsPending() const { return objectStreamsPending_; }

  // Byte offset of object n, or 0 when the file has it at no offset.
  int32_t ObjectOffset(int32_t objectNumber) const;
  // The indirect object whose header is at position, stream data included;
  // nullptr for position 0 or a position outside the file. With an expected
  // number (and generation, when not negative) a header for another object
  // counts as "not in the file" and is reported through OnWarning.
  // Stream data is measured by /Length, else /Length1, else by the first
  // "endstream" before the next object; when none of them finds it the data
  // is left empty and StreamDataMissing tells so (a save then fails).
  // lengthRepaired tells whether the stream data was read without a valid
  // /Length.
  std::unique_ptr<TzkPDFIndirectObject> ReadIndirectObjectAt(int64_t position, int32_t expectedNumber = -1,
                                                             int32_t expectedGeneration = -1,
                                                             bool* lengthRepaired = nullptr);

  // Loads into the store everything the object refers to, counting every
  // reference met in the use counts.
  void Collect(TzkPDFObject* object);
  void CollectReference(TzkPDFIndirectReference* reference);
  // A copy of the referenced value, read from the file when it is not stored
  // (and then not stored); nullptr when it cannot be found.
  TzkPDFObjectPtr LoadObjectCopy(const TzkPDFIndirectReference* reference);
  // A new tree in which every reference is replaced by a copy of what it
  // refers to; a reference back into its own chain stays a reference and a
  // reference to a missing object becomes null.
  TzkPDFObjectPtr ResolveDeep(const TzkPDFObject* object);
  // Lowers the use counts of the objects the object refers to directly.
  void ReleaseReferences(const TzkPDFObject* object);
  // Whether the object is a stream of this document's file whose data could
  // not be located: it cannot be written.
  bool StreamDataMissing(const TzkPDFIndirectObject& object) const;

  // How a resolved copy treats what it meets.
  struct TzkCopyOptions {
    bool CountUses = false;         // raise the use count of every object a reference leads to
    // A reference back into its own chain, or to a stream, stays a
    // reference (else it becomes null).
    bool CycleAsReference = false;
    bool AnyGeneration = false;     // a reference takes the object whatever its generation
  };
  // The one routine that copies a tree with its references replaced by
  // copies of what they refer to (from the store, else read from the file);
  // a reference to a missing object becomes null. Bounded in depth and by
  // the document's expansion budget; past either it raises EPDFException.
  TzkPDFObjectPtr CopyResolved(const TzkPDFObject* object, const TzkCopyOptions& options);

  // Named destinations met under /Dest and /D while collecting.
  TzkNamedDestinationLookup NamedDestinationLookup;
  // When assigned, the information dictionary found in an object stream is
  // handed over instead of being stored.
  TzkInformationHandler InformationHandler;

  // ------------------------------------------------ writing (zkPDFDocWrite)
  // Writes the whole document anew into fileName (".pdf" appended unless
  // the extension already is one). mode 0 sets the form's /NeedAppearances
  // to true, 1 to false, anything else leaves it. The file is written under
  // a temporary name beside it and renamed into place once complete, so a
  // failed save never leaves a truncated file where a good one stood.
  void SaveDocument(const std::string& fileName, int mode);
  // The save modes by name.
  enum TzkNeedAppearancesMode : int { naForceTrue = 0, naForceFalse = 1, naKeep = 2 };
  // Writes the whole document anew into out, as SaveDocument writes a file.
  void SaveDocumentTo(sarvane::pdf::TzkStream& out) { WriteDocument(out); }
  // Compresses every stream on save: kind 0 Flate, 1 RunLength; level is the
  // Flate level index 0..3.
  void SetCompression(uint8_t kind, uint8_t level);
  // ASCII-encodes every stream on save: kind 0 ASCIIHex, 1 ASCII85.
  void SetAsciiEncoding(uint8_t kind);
  bool ShowSetupDialog() const { return showSetupDialog_; }
  void SetShowSetupDialog(bool value) { showSetupDialog_ = value; }
  ISetupDialog* SetupDialog() const { return setupDialog_; }
  void SetSetupDialog(ISetupDialog* dialog) { setupDialog_ = dialog; }
  bool OpenAfterSave() const { return openAfterSave_; }
  void SetOpenAfterSave(bool value) { openAfterSave_ = value; }
  // The encryption handler of the output; nullptr until first needed.
  sarvane::pdf::TzkPDFEncryption* EncryptionHandler() const { return encryptionHandler_.get(); }
  // Creates the handler from the encryption settings as they stand, once.
  sarvane::pdf::TzkPDFEncryption& NeedEncryptionHandler();
  // For the information record: encrypts a finished text with the key of
  // object 2 when the output is to be encrypted; false otherwise.
  bool EncryptInfoText(std::string& bytes);
  // The store of objects built during a save (the outline root); nullptr
  // outside a save.
  TzkPDFObjectStore* SaveTimeStore() const { return saveStore_.get(); }
  // Back to no compression, no ASCII encoding and no encryption handler.
  void ResetWriterState();
  // With a form dictionary: mode 0 sets /NeedAppearances to true, 1 to
  // false; any other mode leaves it. SaveDocument calls it with its mode.
  void UpdateNeedAppearances(int mode);

  // ------------------- loading, pages, information (zkPDFDocLoad, zkPDFDocPassword)
  TzkPasswordEvent OnPassword;
  TzkProgressEvent OnIOProgress;
  TzkNotifyEvent OnBeginRead;
  TzkNotifyEvent OnEndRead;
  TzkOperationProgressEvent OnOperationProgress;
  TzkOnCalcVariablesEvent OnCalcVariables;
  TzkOnRenameFieldEvent OnRenameField;

  // Opens and reads a PDF file (".pdf" is appended to a name without an
  // extension); the result is IsLoaded. A refused password gives false.
  bool LoadDocument(const std::string& fileName);
  // The same for a file already in memory.
  bool LoadDocumentData(std::shared_ptr<const std::string> data);
  bool LoadDocumentData(sarvane::pdf::TzkSharedBytes data);
  // Back to a fresh, empty document; the published settings stay.
  void CloseDocument();
  const std::string& WorkFileName() const { return workFileName_; }
  const std::string& Filename() const { return filename_; }
  // A non-empty name is stored and loaded; an empty one only clears it.
  void SetFilename(const std::string& fileName);
  bool IsOwner() const;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  // Page n is entry n - 1; the objects are owned by the store.
  const std::vector<TzkPDFIndirectObject*>& Pages() const { return pages_; }
  TzkPageMode PageMode() const { return pageMode_; }
  void SetPageMode(TzkPageMode value) { pageMode_ = value; }
  TzkPageLayout PageLayout() const { return pageLayout_; }
  void SetPageLayout(TzkPageLayout value) { pageLayout_ = value; }
  TzkPDFViewerPreferences& ViewerPreferences() { return *catalog_->ViewerPreferences; }
  sarvane::pdf::TzkPDFEncryptionSettings& Encryption() { return *encryption_; }
  TzkPDFInfo& DocumentInfo() { return *info_; }
  TzkPDFCatalog& Catalog() { return *catalog_; }
  TzkMeasurementUnit MeasurementUnit() const { return measurementUnit_; }
  void SetMeasurementUnit(TzkMeasurementUnit value) { measurementUnit_ = value; }
  TzkMergeOptions MergeOptions() const { return mergeOptions_; }
  void SetMergeOptions(TzkMergeOptions value) { mergeOptions_ = value; }
  // The reading side of the security handler; nullptr for a plain file.
  sarvane::pdf::TzkPDFDecrypt* Decryptor() const { return decryptor_.get(); }

  // Size (width, height) and box (x1, y1, x2, y2) of the page's visible box
  // (/CropBox, else /MediaBox) in unit.
  void GetPageSize(int page, TzkMeasurementUnit unit, double& width, double& height);
  void GetPageBox(int page, TzkMeasurementUnit unit, double box[4]);
  static double ToPoints(TzkMeasurementUnit unit, double value);
  static double FromPoints(TzkMeasurementUnit unit, double value);

  // Named destinations of /Dests and the /Names tree, sorted by name.
  const std::vector<TzkNamedDestination>& NamedDestinations() const { return namedDestinations_; }
  // The destination of a plain name, or nullptr.
  const TzkPDFObject* FindNamedDestination(std::string_view name) const;

  // ------------------------------------------------- outlines (zkPDFOutline)
  // The outline root read from the catalog's /Outlines; nullptr without one.
  TzkPDFOutline* OutlineRoot() const { return outlineRoot_.get(); }
  // Reads the item at reference with its children and following siblings;
  // nullptr when there is no such item. A list that leads back to an item
  // already read ends there (with a warning).
  std::unique_ptr<TzkPDFOutline> ReadOutlineItem(const TzkPDFIndirectReference& reference);
  // The writer's outline step: the items are built into the save-time store
  // with fresh links and the catalog record refers to the new root. An
  // outline as long as the document would otherwise be held twice while it
  // is written, so the built dictionaries borrow the items' values;
  // ReturnOutlineValues gives them back (the writer does, however the save
  // ends).
  void WriteOutlines();
  void ReturnOutlineValues();

  // ------------------------------------- page operations (zkPDFPageOps)
  // The 1-based pages a range text such as "1,3,5-12" names, in its order.
  static std::vector<int32_t> ParsePageRange(const std::string& range, int32_t pageCount);
  // Gives every page of the range a display duration and transition effect
  // (0..16; others are effect 0).
  void SetPageTransition(const std::string& range, uint8_t effect, float duration);
  // The page's /Rotate as stored, 0 without one.
  int32_t GetPageRotation(int page);

  // Deepest page tree and name tree a file may have.
  static constexpr int kMaxTreeDepth = 256;

 protected:
  void StatusMessage(std::string_view text);
  void Warning(std::string_view text);
  // Loading calls it with the catalog's form dictionary (a reference) once
  // the form's objects are in the store; the field list is read there.
  virtual void ReadAcroForm(TzkPDFObject* /*acroForm*/) {}
  // Makes what an action of an outline item points at kept with the
  // document; the action is already a direct copy.
  virtual void PrepareReadAction(TzkPDFDictObject& action);

 private:
  struct WalkFrame;
  // Opening.
  enum class SectionKind { None, Table, Stream };
  std::pair<SectionKind, int64_t> SectionAt(int64_t offset) const;
  void ReadCrossReference();
  void CheckCatalogPlacement() const;
  // Rebuilds the entries and the trailer by scanning the file (zkPDFDocRepair).
  void RebuildCrossReference(std::string_view reason);
  // Offset of the first object header at or after position, or -1.
  int64_t FirstObjectHeaderAfter(int64_t position) const;
  static TzkPDFVersion VersionFromHeader(int32_t header);
  void ReadXRefChain(int64_t start, SectionKind kind);
  void ApplyTrailerEntries(const TzkPDFDictObject& dict);
  void StoreTableSection(int64_t offset);
  void StoreStreamSection(int64_t offset);
  std::string DecodedStreamData(TzkPDFStreamObject& stream);
  void UnpackObjectStream(int32_t streamNumber, std::vector<TzkPDFIndirectObject*>& toWalk);
  void SettleIdentifier();
  void CheckObjectNumber(int64_t objectNumber) const;
  // Loading.
  std::unique_ptr<TzkPDFIndirectObject> ReadObjectFromFile(int32_t objectNumber, int32_t generation,
                                                           bool* lengthRepaired);
  TzkPDFIndirectObject* StoreRead(std::unique_ptr<TzkPDFIndirectObject> object, bool lengthRepaired);
  TzkPDFObject* CollectReferenceStep(TzkPDFIndirectReference* reference);
  void ApplyDestinationRule(TzkPDFDictObject& dict, int32_t index);
  struct StreamExtent {
    int64_t Length;
    bool Repaired;  // not measured by /Length
    bool Found;     // false: no data could be located
  };
  StreamExtent LocateStreamData(TzkPDFStreamObject& stream, int64_t start);
  // The searches for "endstream" and for the next object of the file being
  // read, remembered (positions in the reader's data).
  class StreamSearches {
   public:
    size_t Boundary(std::string_view data, size_t from);
    size_t EndStream(std::string_view data, size_t from);

   private:
    size_t boundaryFrom_ = 1, boundary_ = 0;  // empty: from > boundary
    size_t endStreamFrom_ = 1, endStream_ = 0;
  };
  StreamSearches searches_;
  std::optional<int64_t> DeclaredStreamLength(TzkPDFDictObject& dict, std::string_view key, int64_t start);
  // An object fetched for reading: stored, or read from the file and owned here.
  struct TzkFetched {
    TzkPDFIndirectObject* Object = nullptr;
    std::unique_ptr<TzkPDFIndirectObject> Owned;
    bool LengthRepaired = false;
  };
  TzkFetched FetchObject(const TzkPDFIndirectReference& reference, bool anyGeneration);
  struct TreeCopy;
  void ResetExpansionBudget();
  // Pays for nodes made while expanding object expanding; raises past the budget.
  void SpendExpansionBudget(int32_t expanding, int64_t nodes = 1);
  static int64_t CountDirectNodes(const TzkPDFObject& object);

  // Properties.
  TzkPDFVersion pdfVersion_ = pvPDF14;
  bool isLoaded_ = false;
  bool isEncrypted_ = false;

  // Document state.
  int32_t documentNumber_ = 0;
  std::unique_ptr<TzkPDFObjectStore> store_;
  TzkPDFTrailer trailer_;
  TzkXRefEntries xref_;
  std::unique_ptr<TzkPDFStreamReader> reader_;

  // Writing (zkPDFDocWrite).
  struct SaveState;
  void WriteDocument(sarvane::pdf::TzkStream& out);
  void WriteObject(SaveState& state, const TzkPDFObject& value, int32_t number, bool lengthRepaired);
  void WriteCatalog(SaveState& state);
  void WritePageTree(SaveState& state);
  void WriteTrailer(SaveState& state);
  bool showSetupDialog_ = true;
  bool openAfterSave_ = false;
  ISetupDialog* setupDialog_ = nullptr;
  bool compress_ = false;
  uint8_t compressionKind_ = 0;
  uint8_t compressionLevel_ = 2;
  bool asciiEncode_ = false;
  uint8_t asciiKind_ = 0;
  std::unique_ptr<sarvane::pdf::TzkPDFEncryption> encryptionHandler_;
  std::unique_ptr<TzkPDFObjectStore> saveStore_;

  // Reading state.
  TzkPDFObjectPtr pendingIdentifier_;
  bool objectStreamsPending_ = false;
  int64_t fileSize_ = 0;
  int32_t objectNumberLimit_ = 0;
  int32_t largestSize_ = 0;
  int readDepth_ = 0;
  bool directInformation_ = false;  // the trailer held the information dictionary itself
  bool repaired_ = false;           // the entries were rebuilt by scanning the file
  bool repairRequested_ = false;    // the next open rebuilds them at once
  std::string repairReason_;
  std::unordered_set<int32_t> readingObjects_;  // objects whose read is under way
  std::unordered_set<int32_t> unreadableStreams_;  // streams whose data was not found
  int64_t expansionBudget_ = kExpansionAllowance;
  int64_t expansionLimit_ = kExpansionAllowance;

  // Loading, pages, information (zkPDFDocLoad, zkPDFDocPassword).
  struct TzkInherited;
  void InitLoadingState();
  void ClearLoadingState();
  void ReadDocument();
  void OpenAndRead(const sarvane::pdf::TzkSharedBytes& data);
  bool repairPossible_ = false;
  void ReadCatalog();
  // Page-tree nodes met so far: a page maps to its page object, an
  // intermediate node to nullptr.
  using TzkPageNodesSeen = std::unordered_map<int32_t, TzkPDFIndirectObject*>;
  void WalkPageNode(const TzkPDFIndirectReference& node, const std::vector<TzkInherited>* inherited, int depth,
                    std::unordered_set<int32_t>& path, TzkPageNodesSeen& seen);
  bool IsPagesNode(const TzkPDFDictObject& dict) const;
  void CollectPageEntries(TzkPDFDictObject& page);
  void AddRepeatedPage(const TzkPDFIndirectObject& page);
  TzkPDFIndirectReference StoreDirectPageNode(const TzkPDFObject& node);
  void ReadInformation();
  void ReadDestinationDictionary(TzkPDFObject* dests);
  void ReadNameDictionary(TzkPDFObject* names);
  void ReadNameTreeNode(TzkPDFObject* node, int depth, std::unordered_set<int32_t>& path,
                        std::unordered_set<int32_t>& seen);
  void AddNamedDestination(std::string name, const TzkPDFObject* value);
  // A copy of what the object stands for, references followed through the
  // store or the file, without counting uses: for values the document keeps
  // in records of its own rather than as objects to write.
  TzkPDFObjectPtr DetachedCopy(const TzkPDFObject* object);
  // Outlines (zkPDFOutline).
  void ReadOutlines(TzkPDFObject* outlines);
  std::unique_ptr<TzkPDFOutline> ReadOutlineNode(const TzkPDFIndirectReference& reference,
                                                 std::unique_ptr<TzkPDFIndirectReference>& first,
                                                 std::unique_ptr<TzkPDFIndirectReference>& next);
  bool OutlineTargetRemoved(const TzkPDFOutline& item);
  void BuildOutlineObjects();
  void PlaceOutlineObject(const TzkPDFOutline& item, TzkPDFObjectPtr dict);
  std::unique_ptr<TzkPDFOutline> outlineRoot_;
  // Items whose values a built dictionary holds during a save.
  std::vector<std::pair<TzkPDFOutline*, TzkPDFDictObject*>> lentOutlineValues_;
  void SortNamedDestinations();
  std::array<double, 4> PageRect(int page);
  void IOProgress(int percentage);
  void CheckSupportedEncryption() const;
  void RunPasswordLoop();
  bool OpenWithPassword(const std::string& password);
  std::string workFileName_;
  std::string filename_;
  bool openAttempted_ = false;
  TzkMeasurementUnit measurementUnit_ = muPixels;
  TzkMergeOptions mergeOptions_ = MergeOption(moIncludeOutlines) | MergeOption(moIncludeFormFields);
  TzkPageMode pageMode_ = pmNone;
  TzkPageLayout pageLayout_ = plNone;
  std::vector<TzkPDFIndirectObject*> pages_;
  std::vector<TzkNamedDestination> namedDestinations_;
  std::unique_ptr<TzkPDFInfo> info_;
  TzkPDFObjectPtr pendingInfo_;
  std::unique_ptr<TzkPDFCatalog> catalog_;
  std::unique_ptr<sarvane::pdf::TzkPDFEncryptionSettings> encryption_;
  std::unique_ptr<sarvane::pdf::TzkPDFDecrypt> decryptor_;
};

}  // namespace sarvane::pdf::doc
