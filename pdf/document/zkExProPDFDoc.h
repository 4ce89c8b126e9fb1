#pragma once
// TzkExProPDFDocument: adds the page-level actions.
#include "pdf/document/zkExPDFDoc.h"
#include "pdf/document/zkPDFActions.h"

namespace sarvane::pdf::doc {

class TzkExProPDFDocument : public TzkExPDFDocument {
 public:
  explicit TzkExProPDFDocument(TzkComponent* owner = nullptr);
  ~TzkExProPDFDocument() override;

  // ------------------------------------------------ actions (zkPDFActions)
  // A new direct action dictionary, or nullptr without an action. A go-to-
  // remote action whose file name does not end in ".pdf" gets it appended.
  TzkPDFObjectPtr MakeActionDictionary(TzkPDFAction* action);
  // The same dictionary as a new stored object, used once; a reference to it.
  std::unique_ptr<TzkPDFIndirectReference> MakeActionObject(TzkPDFAction* action);
  // Runs the action when the page opens (Trigger 0) or closes (Trigger 1),
  // after any action the page already has for that event.
  void SetPageAction(const TzkPDFPageLevelAction& pageAction, int page);
  // Removes the page's open (0) or close (1) action with all chained to it.
  void RemovePageAction(int page, uint8_t trigger);
  // Whether the page has an open (0) or close (1) action.
  bool HasPageAction(int page, uint8_t trigger);
  // Whether the page's action for trigger (0 open, 1 close), or one chained
  // to it through /Next (an action or an array of them), is of kind ("/S").
  bool PageActionChainHolds(int page, uint8_t trigger, std::string_view kind);
  // Makes sure what an action read from the file points at is kept: a named
  // destination becomes the explicit one, and the objects of its targets
  // are loaded with their uses counted.
  void ReadAction(TzkPDFDictObject& action);

 protected:
  void PrepareReadAction(TzkPDFDictObject& action) override;

 private:
  TzkPDFDictObject& PageDictionary(int page);
  TzkPDFDictObject* OwnAdditionalActions(TzkPDFDictObject& page);
  TzkPDFObjectPtr MakeDestination(int32_t pageNumber, uint8_t kind, bool remote);
};

}  // namespace sarvane::pdf::doc
