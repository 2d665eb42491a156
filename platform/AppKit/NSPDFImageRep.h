#pragma once
// A PDF document as an image representation: its first page, drawn as vectors at any size.
#include <CoreGraphics/CGPDFDocument.h>

#include <AppKit/NSImageRep.h>

class NSData;

class APPKIT_CLASS NSPDFImageRep : public NSImageRep {
  OBJC_CLASS_DECL(NSPDFImageRep, NSImageRep)

 public:
  static bool isPDFData(NSData* data);
  // Autoreleased; null for data that is no readable PDF document with a page.
  static NSPDFImageRep* imageRepWithData(NSData* data);
  NSPDFImageRep* initWithData(NSData* data);

  // The page's rectangle, at the origin, in points.
  NSRect bounds() const { return NSMakeRect(0, 0, mSize.width, mSize.height); }
  NSInteger pageCount() const;
  // Draws the page's rectangle stretched over the rectangle.
  bool drawInRect(NSRect rect) const override;

 protected:
  NSPDFImageRep() = default;
  ~NSPDFImageRep() override;

 private:
  CGPDFDocumentRef mDocument = nullptr;
};
