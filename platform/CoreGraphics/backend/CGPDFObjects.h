#pragma once
// The objects behind CGPDFDocumentRef and CGPDFPageRef, over Poppler-GLib.
#include <vector>

#include <poppler.h>

#include "backend/CGObjects.h"
#include <CoreGraphics/CGPDFPage.h>

struct CGPDFPage : NSObject {
  CG_TYPE_ID(CGPDFPage)
  ~CGPDFPage() override;
  // The document owns its pages; a page does not keep its document alive.
  CGPDFDocument* document = nullptr;
  PopplerPage* page = nullptr;
  size_t number = 0;
  CGSize size{};
  int rotation = 0;
};

struct CGPDFDocument : NSObject {
  CG_TYPE_ID(CGPDFDocument)
  ~CGPDFDocument() override;
  PopplerDocument* document = nullptr;
  // Made on first request, one per page number.
  std::vector<RefPtr<CGPDFPage>> pages;
};
