// Loads arbitrary bytes as a document, saves it to memory and loads the copy:
// the copy must load without a warning, with the same page count, and every
// stream the copy holds must hold the bytes the first reading gave it. A
// difference is data lost or changed on the way through, which no input may
// cause. A stream written but reached by nothing in the copy is left out of
// the comparison: every object of an object stream is written, whether or
// not anything refers to it, and the copy loads only what it reaches (a
// reference the copy could not follow would have warned).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "pdf/document/zkPDFDoc.h"

using namespace sarvane;
using namespace sarvane::pdf;
using namespace sarvane::pdf::doc;

namespace {
[[noreturn]] void Fault(const std::string& what) {
  std::fprintf(stderr, "round trip: %s\n", what.c_str());
  __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  auto data = std::make_shared<const std::string>(reinterpret_cast<const char*>(bytes), size);
  TzkPDFDocument first;
  first.SetShowSetupDialog(false);
  TzkMemoryStream saved;
  try {
    if (!first.LoadDocumentData(data) || first.IsEncrypted()) return 0;
    first.SaveDocumentTo(saved);
  } catch (const Exception&) {
    return 0;  // the library's own refusal of the input: fine
  }
  // What we wrote must read back: any failure from here on is a fault.
  try {
    TzkPDFDocument second;
    second.SetShowSetupDialog(false);
    second.OnWarning = [](TzkComponent*, const std::string& warning) { Fault("the copy warned: " + warning); };
    if (!second.LoadDocumentData(std::make_shared<const std::string>(saved.Bytes()))) Fault("the copy did not load");
    if (second.PageCount() != first.PageCount()) {
      Fault("pages " + std::to_string(first.PageCount()) + " became " + std::to_string(second.PageCount()));
    }
    const TzkPDFObjectStore& store = first.ObjectStore();
    for (int32_t i = 0; i < store.ObjectCount(); ++i) {
      const TzkPDFIndirectObject* object = store.ObjectAt(i);
      const auto* stream = object->Value()->As<TzkPDFStreamObject>();
      if (!stream || object->OutputNumber() <= 0) continue;
      const TzkPDFIndirectObject* held =
          second.ObjectStore().Find(second.DocumentNumber(), object->OutputNumber(), 0);
      if (!held) continue;
      const auto* written = held->Value()->As<TzkPDFStreamObject>();
      if (!written || written->DataBytes() != stream->DataBytes()) {
        Fault("stream " + std::to_string(object->ObjectNumber()) + " written as " +
              std::to_string(object->OutputNumber()) + (written ? " changed" : " is no stream"));
      }
    }
  } catch (const Exception& e) {
    Fault(std::string("the copy raised: ") + e.what());
  }
  return 0;
}
