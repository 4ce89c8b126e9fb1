// The destination writer.
#include "pdf/document/zkPDFDestination.h"

#include <iterator>

#include "pdf/document/zkCstPDFDoc.h"
#include "pdf/document/zkPDFActions.h"

namespace sarvane::pdf::doc {

using namespace sarvane::pdf;

namespace {

constexpr std::string_view kViewNames[] = {"/XYZ", "/Fit", "/FitH", "/FitV", "/FitR", "/FitB", "/FitBH", "/FitBV"};

// Height of the page's /MediaBox in points, 0 when it has none.
double MediaBoxHeight(const TzkPDFObjectStore& store, TzkPDFObject* page) {
  const auto* dict = ObjectAs<TzkPDFDictObject>(store.Resolve(page));
  const auto* box = dict ? ObjectAs<TzkPDFArrayObject>(store.Resolve(dict->Lookup("/MediaBox"))) : nullptr;
  if (!box || box->Count() < 4) return 0;
  auto number = [&](int32_t i) {
    const TzkPDFObject* v = store.Resolve(box->ItemAt(i));
    if (const std::optional<int64_t> n = IntegerOf(v)) return static_cast<double>(*n);
    if (const auto* r = ObjectAs<TzkPDFRealObject>(v)) return r->Value();
    return 0.0;
  };
  return number(3) - number(1);
}

}  // namespace

TzkPDFObjectPtr MakeDestination(TzkCustomPDFDocument& document, const TzkPDFDestination& destination) {
  const uint8_t kind = destination.DestinationKind;
  const TzkRemoteDestInfo& remote = *destination.Remote;
  auto array = std::make_unique<TzkPDFArrayObject>();
  if (kind == dkPageIndex) {
    array->AddInteger(remote.PageNumber - 1);
    return array;
  }

  double height = 0;
  if (kind == dkRemote) {
    // The other file is read for its page height only.
    TzkCustomPDFDocument other;
    other.LoadDocument(remote.FileName);
    if (remote.PageNumber < 1 || remote.PageNumber > other.PageCount())
      throw EInvalidPageError(Format(res::kInvalidPageNumber, remote.PageNumber));
    height = MediaBoxHeight(other.ObjectStore(), other.Pages()[static_cast<size_t>(remote.PageNumber - 1)]);
    array->AddInteger(remote.PageNumber - 1);
  } else {
    if (destination.PageNumber < 1 || destination.PageNumber > document.PageCount())
      throw EInvalidPageError(Format(res::kInvalidPageNumber, destination.PageNumber));
    TzkPDFIndirectObject* page = document.Pages()[static_cast<size_t>(destination.PageNumber - 1)];
    page->IncUseCount();
    height = MediaBoxHeight(document.ObjectStore(), page);
    array->Add(
        std::make_unique<TzkPDFIndirectReference>(page->DocumentNumber(), page->Generation(), page->ObjectNumber()));
  }

  const uint8_t view = kind == dkRemote ? remote.DestinationKind : kind;
  const TzkMeasurementUnit unit = document.MeasurementUnit();
  auto add = [&](double value) {
    if (value == -1)
      array->Add(std::make_unique<TzkPDFNullObject>());
    else
      array->AddReal(value);
  };
  auto x = [&](double v) { add(TzkCustomPDFDocument::ToPoints(unit, v)); };
  auto y = [&](double v) {
    const double points = TzkCustomPDFDocument::ToPoints(unit, v);
    add(height != 0 ? height - points : points);
  };
  array->Add(std::make_unique<TzkPDFNameObject>(std::string(view < std::size(kViewNames) ? kViewNames[view] : "/Fit")));
  switch (view) {
    case dkXYZ:
      x(destination.Left);
      y(destination.Top);
      add(destination.Zoom);
      break;
    case dkFitH:
    case dkFitBH:
      y(destination.Top);
      break;
    case dkFitV:
    case dkFitBV:
      x(destination.Left);
      break;
    case dkFitR:
      x(destination.Left);
      y(destination.Bottom);
      x(destination.Right);
      y(destination.Top);
      break;
    default:
      break;
  }
  return array;
}

}  // namespace sarvane::pdf::doc
