#pragma once
// Actions as the caller describes them: small classes that the document
// turns into PDF action dictionaries (links, outline items, the open and
// close events of a page, form fields). The objects stay the caller's; each
// dictionary is made anew from the fields as they stand, so one action may
// serve many pages.
#include <cstdint>
#include <string>

namespace sarvane::pdf::doc {

class TzkPDFAction {
 public:
  virtual ~TzkPDFAction() = default;
};

// Kinds of explicit destination: /XYZ, /Fit, /FitH, /FitV, /FitR, /FitB,
// /FitBH, /FitBV.
enum : uint8_t { dkXYZ, dkFit, dkFitH, dkFitV, dkFitR, dkFitB, dkFitBH, dkFitBV };

class TzkPDFGoToAction : public TzkPDFAction {
 public:
  int32_t PageNumber = 0;  // 1-based page of this document
  uint8_t DestinationKind = 0;
};

class TzkPDFGoToRAction : public TzkPDFGoToAction {
 public:
  std::string FileName;  // the other PDF file; ".pdf" is appended when making the dictionary
  bool NewWindow = false;
};

class TzkPDFLaunchAction : public TzkPDFAction {
 public:
  std::string FileName;
  bool NewWindow = false;
  std::string Parameters;
  uint8_t Operation = 0;  // 1 print, anything else open
};

class TzkPDFURIAction : public TzkPDFAction {
 public:
  std::string URI;
};

class TzkPDFJavaScriptAction : public TzkPDFAction {
 public:
  std::string Script;
};

// An action for a page's open (Trigger 0) or close (Trigger 1) event. The
// action is not owned.
class TzkPDFPageLevelAction {
 public:
  TzkPDFAction* Action = nullptr;
  uint8_t Trigger = 0;
};

}  // namespace sarvane::pdf::doc
