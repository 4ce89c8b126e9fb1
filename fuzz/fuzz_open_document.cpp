// Opens arbitrary bytes as a PDF file and loads everything reachable: the
// catalog's graph, every object the cross-reference names, the trailer's
// encryption dictionary resolved in depth. Every input must open or end in
// one of the library's exceptions; a crash, a sanitizer report, a foreign
// exception or a hang is a fault.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "pdf/document/zkCstPDFDoc.h"

using namespace sarvane;
using namespace sarvane::pdf;
using namespace sarvane::pdf::doc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  auto data = std::make_shared<const std::string>(reinterpret_cast<const char*>(bytes), size);
  TzkCustomPDFDocument doc;
  size_t warnings = 0;
  doc.OnWarning = [&](TzkComponent*, const std::string&) { ++warnings; };
  TzkPDFArrayObject destination;
  destination.AddInteger(0);
  doc.NamedDestinationLookup = [&](std::string_view name) -> const TzkPDFObject* {
    return name.size() == 1 ? &destination : nullptr;
  };
  try {
    doc.OpenDocumentFile(data);
    if (doc.ObjectStreamsPending()) doc.UnpackObjectStreams();
    const int32_t root = doc.Trailer().RootNumber;
    TzkPDFIndirectReference rootRef(doc.DocumentNumber(), 0, root);
    doc.CollectReference(&rootRef);
    // Everything the cross-reference names, as loading and copying see it.
    const int32_t last = std::max(doc.XRefEntries().TableSlotCount(), doc.XRefEntries().StreamSlotCount());
    for (int32_t n = 1; n < last && n < 4096; ++n) {
      TzkPDFIndirectReference ref(doc.DocumentNumber(), 0, n);
      TzkPDFObjectPtr copy = doc.LoadObjectCopy(&ref);
      doc.CollectReference(&ref);
      if (TzkPDFIndirectObject* stored = doc.ObjectStore().Find(&ref)) {
        TzkPDFObjectPtr deep = doc.ResolveDeep(stored);
        doc.ReleaseReferences(stored->Value());
        if (stored->UseCount() < 0) __builtin_trap();
      }
    }
  } catch (const Exception&) {
    // The library's own failure: fine.
  }
  return 0;
}
