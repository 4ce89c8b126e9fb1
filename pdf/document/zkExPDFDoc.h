#pragma once
// TzkExPDFDocument: the document component with annotations and
// attachments; it also owns the release of the form field list.
#include "pdf/document/zkCstPDFDoc.h"

namespace sarvane::pdf::doc {

class TzkExPDFDocument : public TzkCustomPDFDocument {
 public:
  explicit TzkExPDFDocument(TzkComponent* owner = nullptr);
  ~TzkExPDFDocument() override;
};

}  // namespace sarvane::pdf::doc
