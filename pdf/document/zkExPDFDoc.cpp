#include "pdf/document/zkExPDFDoc.h"

namespace sarvane::pdf::doc {

TzkExPDFDocument::TzkExPDFDocument(TzkComponent* owner) : TzkCustomPDFDocument(owner) {}
TzkExPDFDocument::~TzkExPDFDocument() = default;

}  // namespace sarvane::pdf::doc
