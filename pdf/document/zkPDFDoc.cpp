#include "pdf/document/zkPDFDoc.h"

namespace sarvane::pdf::doc {

TzkPDFDocument::TzkPDFDocument(TzkComponent* owner) : TzkExProPDFDocument(owner) {}
TzkPDFDocument::~TzkPDFDocument() = default;

}  // namespace sarvane::pdf::doc
