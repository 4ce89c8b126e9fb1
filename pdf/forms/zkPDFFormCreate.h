#pragma once
// Field creation: turns one creation-side field object into the objects of a
// loaded document - the widget annotation that is also the field, its
// appearance streams with their fonts, the page's /Annots entry, the
// AcroForm's /Fields entry and the default resources' font entry.
//
// The appearance streams are built so that a viewer shows the field as drawn
// here without regenerating it; the view-limit overlay depends on that, as
// it must cover the page even where no script runs.
#include <string>

#include "pdf/document/zkPDFDoc.h"
#include "pdf/forms/zkPDFFormField.h"

namespace sarvane::pdf::forms {

// Adds field to page (1-based) of the loaded document. The field's Rect is
// read in the document's measurement unit, distances from the top edge, and
// is left converted to points and flipped to PDF coordinates; a font size of
// 0 becomes 16. EInvalidPageError "Invalid page number (%d)" for a page
// outside 1..PageCount, with nothing changed. The new objects are written by
// the next save; the field list of loaded fields is not changed.
void AddFormField(sarvane::pdf::doc::TzkExProPDFDocument& doc, TzkPDFFormField& field, int page);

// "r g b" of a colour 0x00BBGGRR, each byte / 255 with four decimals.
std::string ColourText(TColor colour);
// The ZapfDingbats character of a check box style; any other style is "4".
char CheckGlyph(uint8_t style);
// The /F value of a field's annotation flags (4 when none is set).
int32_t AnnotationFlagsValue(const TzkPDFFormField& field);
// A font size taken as screen pixels, in whole points, ties to even.
int32_t DefaultAppearanceSize(int size);

}  // namespace sarvane::pdf::forms
