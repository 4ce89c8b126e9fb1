#include "pdf/document/zkCstPDFDoc.h"

#include <mutex>

namespace sarvane::pdf::doc {

namespace {
std::mutex& DocumentNumberLock() {
  static std::mutex lock;
  return lock;
}
int32_t documentNumberCounter = 100;
}  // namespace

int32_t TzkCustomPDFDocument::NextDocumentNumber() {
  std::lock_guard<std::mutex> guard(DocumentNumberLock());
  return ++documentNumberCounter;
}

TzkCustomPDFDocument::TzkCustomPDFDocument(TzkComponent* owner) : TzkComponent(owner) { InitDocument(); }

TzkCustomPDFDocument::~TzkCustomPDFDocument() { ClearDocument(); }

void TzkCustomPDFDocument::InitDocument() {
  documentNumber_ = NextDocumentNumber();
  isLoaded_ = false;
  isEncrypted_ = false;
  pdfVersion_ = pvPDF14;
  store_ = std::make_unique<TzkPDFObjectStore>();
  trailer_.Clear();
  xref_.Clear();
  reader_.reset();
  pendingIdentifier_.reset();
  objectStreamsPending_ = false;
  fileSize_ = 0;
  objectNumberLimit_ = 0;
  largestSize_ = 0;
  readDepth_ = 0;
  readingObjects_.clear();
  directInformation_ = false;
  repaired_ = false;
  unreadableStreams_.clear();
  expansionBudget_ = expansionLimit_ = kExpansionAllowance;
  ResetWriterState();
  InitLoadingState();
}

void TzkCustomPDFDocument::ClearDocument() {
  reader_.reset();
  pendingIdentifier_.reset();
  trailer_.Clear();
  xref_.Clear();
  store_.reset();
  isLoaded_ = false;
  isEncrypted_ = false;
  objectStreamsPending_ = false;
  ResetWriterState();
  ClearLoadingState();
}

void TzkCustomPDFDocument::ReleaseReader() { reader_.reset(); }

std::string_view PDFVersionText(TzkPDFVersion version) {
  static constexpr std::string_view kTexts[] = {"1.0", "1.1", "1.2", "1.3", "1.4",
                                                "1.5", "1.6", "1.7", "1.8", "2.0"};
  return version <= pvPDF20 ? kTexts[version] : kTexts[pvPDF14];
}

void TzkCustomPDFDocument::StatusMessage(std::string_view text) {
  if (OnStatusMessage) OnStatusMessage(this, std::string(text));
}

void TzkCustomPDFDocument::Warning(std::string_view text) {
  if (OnWarning) OnWarning(this, std::string(text));
}

}  // namespace sarvane::pdf::doc
