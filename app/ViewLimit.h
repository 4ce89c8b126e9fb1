#pragma once
// The view limit: an expiry date and/or the one web address from which a
// locked document may be viewed. The tool does not judge the limit; it puts
// the means into the document - one pale check-box field over each page
// ("ViewLimit" + page index) and one page-open JavaScript per page made from
// a template file - and the viewer's JavaScript shows or hides the overlay.
// The overlay is drawn as written, so a viewer that runs no script shows
// every page covered.
#include <string>
#include <vector>

#include "app/Rw_ini.h"
#include "pdf/document/zkPDFDoc.h"

namespace sarvane::app {

// The template's lines: a line ends at CR LF, a lone CR or a lone LF; a line
// end at the very end adds no empty line. Bytes are kept as they are.
std::vector<std::string> SplitTemplateLines(const std::string& bytes);

// Replaces every "%P%" with the page index, then in the result every "%U%"
// with the address, then every "%D%" with the date (case-sensitive). Each
// search goes on after the text it inserted, so inserted text never loops;
// a "%D%" inside the address is filled, a "%P%" inside it is kept.
std::string FillTemplateLine(const std::string& line, int pageIndex, const std::string& url,
                             const std::string& date);

// The script of one page: each filled template line followed by CR LF.
std::string PageScript(const std::vector<std::string>& lines, int pageIndex, const std::string& url,
                       const std::string& date);

// Whether the allowed address can go into a JavaScript string inside a PDF
// literal string as it is: no quote, backslash, parenthesis, blank, control
// character or byte above 127.
bool IsSafeLimitURL(const std::string& url);

// The view-limit step on a loaded document. failure is the lock job's
// failure flag (set to 1 on a failed step, never cleared here).
class TViewLimits {
 public:
  TViewLimits(sarvane::pdf::doc::TzkPDFDocument& doc, int& failure) : doc_(doc), failure_(failure) {}

  // Removes earlier overlays and page-open actions, then adds the overlay
  // and scripts for the limits that are on: the date limit when dateOn and
  // date is not empty, the address limit when settings.LockURLOn and
  // settings.LockURL is not empty. An unsafe address raises Exception before
  // anything is changed; a missing template raises Exception.
  void ApplyViewLimits(const TSettings& settings, const std::string& date);
  // Drops the fields "ViewLimit0" .. "ViewLimit<n-1>" and every page-open
  // action, the document's own ones too.
  void ClearViewLimits();
  void AddViewLimitFields();
  void AddViewLimitScripts(const std::string& templatePath, const std::string& url, const std::string& date);

 private:
  sarvane::pdf::doc::TzkPDFDocument& doc_;
  int& failure_;
};

// The template for the limits that are on, under the folder of the
// executable; empty when neither is.
std::string ViewLimitTemplatePath(bool dateActive, bool urlActive);

}  // namespace sarvane::app
