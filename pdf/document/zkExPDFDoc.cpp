#include "pdf/document/zkExPDFDoc.h"

namespace sarvane::pdf::doc {

namespace {
TzkExPDFDocument::TzkAcroFormReader& InstalledReader() {
  static TzkExPDFDocument::TzkAcroFormReader reader = nullptr;
  return reader;
}
}  // namespace

TzkExPDFDocument::TzkExPDFDocument(TzkComponent* owner) : TzkCustomPDFDocument(owner) {}
TzkExPDFDocument::~TzkExPDFDocument() = default;

void TzkExPDFDocument::SetAcroFormReader(TzkAcroFormReader reader) { InstalledReader() = reader; }

void TzkExPDFDocument::ReadAcroForm(TzkPDFObject* acroForm) {
  formFields_.reset();
  if (InstalledReader() && acroForm) InstalledReader()(*this, acroForm);
}

void TzkExPDFDocument::ClearDocument() {
  formFields_.reset();
  TzkCustomPDFDocument::ClearDocument();
}

}  // namespace sarvane::pdf::doc
