// Loads arbitrary bytes as a PDF file and edits it the way the lock job
// does: every page loses its open action and gains a close action, every
// form field is deleted, and the result is saved. Every input must load,
// edit and save or end in one of the library's exceptions; a crash, a
// sanitizer report, a negative use count or a hang is a fault.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/forms/zkPDFFormFields.h"

using namespace sarvane;
using namespace sarvane::pdf;
using namespace sarvane::pdf::doc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const std::string path = "/tmp/fuzz_forms_" + std::to_string(::getpid()) + ".pdf";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  TzkPDFDocument doc;
  doc.SetShowSetupDialog(false);
  try {
    if (!doc.LoadDocument(path)) return 0;
    TzkPDFJavaScriptAction script;
    script.Script = "app.alert(1)";
    for (int page = 1; page <= doc.PageCount() && page <= 64; ++page) {
      doc.RemovePageAction(page, 0);
      doc.SetPageAction({&script, 1}, page);
      doc.SetPageAction({&script, 1}, page);
      (void)doc.HasPageAction(page, 1);
    }
    while (doc.FormFields() && doc.FormFields()->Count() > 0) forms::DeleteFormFieldAt(doc, 0);
    for (int32_t i = 0; i < doc.ObjectStore().ObjectCount(); ++i) {
      if (doc.ObjectStore().ObjectAt(i)->UseCount() < 0) __builtin_trap();
    }
    doc.SaveDocument(path + ".out.pdf", 2);
  } catch (const Exception&) {
    // The library's own failure: fine.
  }
  return 0;
}
