// Loads arbitrary bytes as a document, saves it to memory and loads the copy:
// the copy must load, with the same page count, and every stream the save
// wrote must hold the bytes the first reading gave it. A difference is data
// lost or changed on the way through, which no input may cause.
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
    if (!second.LoadDocumentData(std::make_shared<const std::string>(saved.Bytes()))) Fault("the copy did not load");
    if (second.PageCount() != first.PageCount()) {
      Fault("pages " + std::to_string(first.PageCount()) + " became " + std::to_string(second.PageCount()));
    }
    const TzkPDFObjectStore& store = first.ObjectStore();
    for (int32_t i = 0; i < store.ObjectCount(); ++i) {
      const TzkPDFIndirectObject* object = store.ObjectAt(i);
      const auto* stream = object->Value()->As<TzkPDFStreamObject>();
      if (!stream || object->OutputNumber() <= 0) continue;
      TzkPDFIndirectReference ref(second.DocumentNumber(), 0, object->OutputNumber());
      TzkPDFObjectPtr copy = second.LoadObjectCopy(&ref);
      const auto* written = copy ? copy->As<TzkPDFStreamObject>() : nullptr;
      if (!written || written->DataBytes() != stream->DataBytes()) {
        Fault("stream " + std::to_string(object->ObjectNumber()) + " written as " +
              std::to_string(object->OutputNumber()) + (written ? " changed" : " is missing"));
      }
    }
  } catch (const Exception& e) {
    Fault(std::string("the copy raised: ") + e.what());
  }
  return 0;
}
