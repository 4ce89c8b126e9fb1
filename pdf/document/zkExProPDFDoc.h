#pragma once
// TzkExProPDFDocument: adds the page-level actions.
#include "pdf/document/zkExPDFDoc.h"

namespace sarvane::pdf::doc {

class TzkExProPDFDocument : public TzkExPDFDocument {
 public:
  explicit TzkExProPDFDocument(TzkComponent* owner = nullptr);
  ~TzkExProPDFDocument() override;
};

}  // namespace sarvane::pdf::doc
