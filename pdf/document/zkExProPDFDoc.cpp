#include "pdf/document/zkExProPDFDoc.h"

namespace sarvane::pdf::doc {

TzkExProPDFDocument::TzkExProPDFDocument(TzkComponent* owner) : TzkExPDFDocument(owner) {}
TzkExProPDFDocument::~TzkExProPDFDocument() = default;

}  // namespace sarvane::pdf::doc
