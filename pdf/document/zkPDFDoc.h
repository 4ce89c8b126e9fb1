#pragma once
// TzkPDFDocument: the document component that applications create.
#include "pdf/document/zkExProPDFDoc.h"

namespace sarvane::pdf::doc {

class TzkPDFDocument : public TzkExProPDFDocument {
 public:
  explicit TzkPDFDocument(TzkComponent* owner = nullptr);
  ~TzkPDFDocument() override;
};

}  // namespace sarvane::pdf::doc
