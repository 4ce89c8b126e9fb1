#pragma once
// Destination records and the destination writer: a page, a kind of view
// and coordinates in the document's measurement unit become an explicit PDF
// destination array. Vertical positions are given from the top of the page,
// as a user measures them; PDF measures them from the bottom.
#include <cstdint>
#include <memory>
#include <string>

#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf::doc {

class TzkCustomPDFDocument;

// The kinds of TzkPDFDestination::DestinationKind beyond the eight views of
// zkPDFActions.h (dkXYZ .. dkFitBV): the page index alone, and a page of
// another file (whose view is the remote part's DestinationKind).
enum : uint8_t { dkPageIndex = 8, dkRemote = 9 };

struct TzkRemoteDestInfo {
  std::string FileName;  // the other PDF file
  bool NewWindow = false;
  int32_t PageNumber = 1;
  uint8_t DestinationKind = 0;
};

struct TzkPDFDestination {
  std::string Name;
  std::unique_ptr<TzkRemoteDestInfo> Remote = std::make_unique<TzkRemoteDestInfo>();
  int32_t PageNumber = 1;
  uint8_t DestinationKind = 0;
  double Left = 0, Bottom = 0, Right = 0, Top = 0, Zoom = 0;
};

// The destination array for destination in document. A page outside the
// document raises EInvalidPageError; a remote file that cannot be loaded
// lets the loader's exception through.
sarvane::pdf::TzkPDFObjectPtr MakeDestination(TzkCustomPDFDocument& document, const TzkPDFDestination& destination);

}  // namespace sarvane::pdf::doc
