#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSPDFImageRep.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGPDFPage.h>
#include <Foundation/NSData.h>

#include <cstring>

OBJC_CLASS_DEFINE(NSPDFImageRep)

NSPDFImageRep::~NSPDFImageRep() {
  if (mDocument) CGPDFDocumentRelease(mDocument);
}

bool NSPDFImageRep::isPDFData(NSData* data) {
  return data && data->length() >= 5 && std::memcmp(data->bytes(), "%PDF-", 5) == 0;
}

NSPDFImageRep* NSPDFImageRep::imageRepWithData(NSData* data) {
  NSPDFImageRep* rep = alloc()->initWithData(data);
  return rep ? static_cast<NSPDFImageRep*>(rep->autorelease()) : nullptr;
}

NSPDFImageRep* NSPDFImageRep::initWithData(NSData* data) {
  CGDataProviderRef provider =
      isPDFData(data) ? CGDataProviderCreateWithData(nullptr, data->bytes(), data->length(), nullptr)
                      : nullptr;
  mDocument = provider ? CGPDFDocumentCreateWithProvider(provider) : nullptr;
  if (provider) CGDataProviderRelease(provider);
  CGPDFPageRef page = mDocument ? CGPDFDocumentGetPage(mDocument, 1) : nullptr;
  if (!page) {
    release();
    return nullptr;
  }
  mSize = CGPDFPageGetBoxRect(page, kCGPDFMediaBox).size;
  mHasAlpha = true;
  return this;
}

NSInteger NSPDFImageRep::pageCount() const { return NSInteger(CGPDFDocumentGetNumberOfPages(mDocument)); }

bool NSPDFImageRep::drawInRect(NSRect rect) const {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  CGPDFPageRef page = mDocument ? CGPDFDocumentGetPage(mDocument, 1) : nullptr;
  if (!graphics || !page || mSize.width <= 0 || mSize.height <= 0) return false;
  CGContextRef context = graphics->CGContext();
  CGContextSaveGState(context);
  CGContextTranslateCTM(context, rect.origin.x, rect.origin.y);
  CGContextScaleCTM(context, rect.size.width / mSize.width, rect.size.height / mSize.height);
  CGContextDrawPDFPage(context, page);
  CGContextRestoreGState(context);
  return true;
}
