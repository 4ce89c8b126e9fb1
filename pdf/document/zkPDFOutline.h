#pragma once
// TzkPDFOutline: one bookmark of the document outline, held in memory apart
// from the file's link entries (/Parent, /Prev, /Next, /First, /Last,
// /Count), which the writer makes afresh. Its value is the item's own
// dictionary (title, destination, action, colour, flags).
//
// An item owns its first child and its next sibling. Files with tens of
// thousands of bookmarks in one list are common, so neither destruction nor
// any walk over the tree recurses along a sibling list.
#include <cstdint>
#include <memory>
#include <string>

#include "pdf/objects/zkPDFObject.h"

namespace sarvane::pdf::doc {

class TzkCustomPDFDocument;

class TzkPDFOutline : public sarvane::pdf::TzkPDFIndirectObject {
 public:
  // A missing dictionary is held as null.
  TzkPDFOutline(TzkCustomPDFDocument* document, int32_t documentNumber, sarvane::pdf::TzkPDFObjectPtr dict,
                uint16_t generation, int32_t objectNumber);
  ~TzkPDFOutline();
  // An item is deleted as an item (its owners hold it so), never through a
  // pointer to an object model class, whose delete knows only the model's
  // own classes.
  static void operator delete(TzkPDFOutline* item, std::destroying_delete_t) noexcept;
  TzkPDFOutline(const TzkPDFOutline&) = delete;
  TzkPDFOutline& operator=(const TzkPDFOutline&) = delete;

  TzkCustomPDFDocument* Document() const { return document_; }
  bool Closed() const { return closed_; }
  void SetClosed(bool value) { closed_ = value; }
  // The item's dictionary, nullptr when it has none.
  sarvane::pdf::TzkPDFDictObject* Dict() const;

  TzkPDFOutline* Parent() const { return parent_; }
  TzkPDFOutline* FirstChild() const { return firstChild_.get(); }
  TzkPDFOutline* PrevSibling() const { return prev_; }
  TzkPDFOutline* NextSibling() const { return next_.get(); }
  // Links a new item as the last child; the item's parent and previous
  // sibling are set here. Linear in the number of children already there.
  TzkPDFOutline* AddChild(std::unique_ptr<TzkPDFOutline> item);
  // Links item after this one (the loader builds lists front to back).
  TzkPDFOutline* SetNextSibling(std::unique_ptr<TzkPDFOutline> item);
  TzkPDFOutline* SetFirstChild(std::unique_ptr<TzkPDFOutline> item);

  // The title's bytes as stored (PDFDocEncoding, or UTF-16BE with its mark);
  // empty without one.
  std::string TitleBytes() const;
  // The title as text: UTF-16BE after its byte order mark, else
  // PDFDocEncoding.
  std::u16string Title() const;

 private:
  TzkCustomPDFDocument* document_;
  bool closed_ = false;
  TzkPDFOutline* parent_ = nullptr;
  std::unique_ptr<TzkPDFOutline> firstChild_;
  TzkPDFOutline* prev_ = nullptr;
  std::unique_ptr<TzkPDFOutline> next_;
};

}  // namespace sarvane::pdf::doc
