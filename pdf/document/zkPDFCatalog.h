#pragma once
// TzkPDFCatalog: what the document keeps of the input's catalog between
// loading and writing. The writer builds /Type, /Pages, /PageMode and
// /PageLayout itself; everything else comes from here.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pdf/document/zkPDFTypes.h"
#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf::doc {

struct TzkPDFCatalog {
  // Created with the catalog, replaced from the input at load.
  std::unique_ptr<TzkPDFViewerPreferences> ViewerPreferences = std::make_unique<TzkPDFViewerPreferences>();
  // Values kept from the input's catalog (a reference or a direct value,
  // absent when the input has none). Every object they refer to is in the
  // object store with a use count.
  sarvane::pdf::TzkPDFObjectPtr Names;       // /Names
  sarvane::pdf::TzkPDFObjectPtr Outlines;    // /Outlines (a reference)
  sarvane::pdf::TzkPDFObjectPtr OpenAction;  // /OpenAction
  sarvane::pdf::TzkPDFObjectPtr AcroForm;    // /AcroForm (a reference once loaded)
  sarvane::pdf::TzkPDFObjectPtr Metadata;    // /Metadata
  sarvane::pdf::TzkPDFObjectPtr AA;          // /AA
  // Every other entry of the input's catalog (/PageLabels, /StructTreeRoot,
  // /MarkInfo, /Lang, /OCProperties, /OutputIntents, /Dests, ...), in input
  // order, keys with their slash, for the writer to carry through.
  std::vector<std::pair<std::string, sarvane::pdf::TzkPDFObjectPtr>> OtherEntries;

  void Clear() {
    ViewerPreferences = std::make_unique<TzkPDFViewerPreferences>();
    Names.reset();
    Outlines.reset();
    OpenAction.reset();
    AcroForm.reset();
    Metadata.reset();
    AA.reset();
    OtherEntries.clear();
  }
};

}  // namespace sarvane::pdf::doc
