#pragma once
// TzkExPDFDocument: the document component with annotations and
// attachments; it also owns the release of the form field list.
#include <memory>

#include "pdf/document/zkCstPDFDoc.h"

namespace sarvane::pdf::forms {
class TzkAcroFormFields;
}

namespace sarvane::pdf::doc {

class TzkExPDFDocument : public TzkCustomPDFDocument {
 public:
  explicit TzkExPDFDocument(TzkComponent* owner = nullptr);
  ~TzkExPDFDocument() override;

  // The form field list lives in the forms layer (pdf/forms), which builds
  // on this one: it installs the reader that loading calls with the
  // catalog's /AcroForm, and works on the list it leaves here.
  using TzkAcroFormReader = void (*)(TzkExPDFDocument& document, TzkPDFObject* acroForm);
  static void SetAcroFormReader(TzkAcroFormReader reader);
  // nullptr when the document has no field list.
  const std::shared_ptr<sarvane::pdf::forms::TzkAcroFormFields>& FormFields() const { return formFields_; }
  void SetFormFields(std::shared_ptr<sarvane::pdf::forms::TzkAcroFormFields> fields) {
    formFields_ = std::move(fields);
  }

  void ClearDocument() override;

 protected:
  void ReadAcroForm(TzkPDFObject* acroForm) override;

 private:
  std::shared_ptr<sarvane::pdf::forms::TzkAcroFormFields> formFields_;
};

}  // namespace sarvane::pdf::doc
