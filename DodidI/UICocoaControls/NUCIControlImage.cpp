#include "NUCIControlImage.h"

#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSBridging.h>

#include "namespace_CoreGraphics_Drawing.h"

int import_NUCIControlImage() { return 1; }

OBJC_CLASS_DEFINE(NUCIControlImage)

NUCIControlImage::~NUCIControlImage() { _maskContext.Destruct(); }

NUCIControlImage* NUCIControlImage::imageWithSize_forState(Class cls, NSSize size, NSInteger state) {
  if (!cls || !class_isSubclassOfClass(cls, class_())) return nullptr;
  auto* made = static_cast<NUCIControlImage*>(class_createInstance(cls))->initWithSize_forState(size, state);
  return made ? static_cast<NUCIControlImage*>(made->autorelease()) : nullptr;
}

NUCIControlImage* NUCIControlImage::initWithSize_forState(NSSize size, NSInteger state) {
  if (!initWithSize(size)) return nullptr;
  const CGFloat w = size.width, h = size.height;
  if (!(w >= 1 && h >= 1 && w <= 1 << 15 && h <= 1 << 15) || !_maskContext.Construct(int(w), int(h)))
    return this;
  _maskContext.MakeOpaque();
  lockFocus();
  if (NSGraphicsContext* graphics = NSGraphicsContext::currentContext()) {
    CGContextRef port = CGContextRetain(graphics->CGContext());
    CGContextSaveGState(port);
    CGContextClearRect(port, CGRectMake(0, 0, w, h));
    drawInRect_forState(NSMakeRect(0, 0, w, h), state);
    CGContextRestoreGState(port);
    CGContextRelease(port);
  }
  unlockFocus();
  return this;
}

CGImageRef NUCIControlImage::createMaskImageFromMaskContext() const {
  return _maskContext.ConstructCGImage(nullptr);
}

void NUCIControlImage::drawImageNamed_withinRect(NSString* name, NSRect rect) {
  if (!name) return;
  CFURLRef url = CoreGraphics::CopyResourceURL(name->cfString(), CFSTR("pdf"));
  if (url) {
    drawPDFImageNamedURL_withinRect(url, rect);
    CFRelease(url);
  } else {
    drawBundleImageNamed_withinRect(name, rect);
  }
}

void NUCIControlImage::drawPDFImageNamedURL_withinRect(CFURLRef url, NSRect rect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!url || !graphics) return;
  CGContextRef context = graphics->CGContext();
  CGContextSaveGState(context);
  CoreGraphics::DrawPDFDocumentPage(context, url, rect, 1.0, 1.0);
  CGContextRestoreGState(context);
}

void NUCIControlImage::drawBundleImageNamed_withinRect(NSString* name, NSRect rect) {
  if (NSImage* image = NSImage::imageNamed(name))
    image->compositeToPoint_operation(rect.origin, NSCompositeSourceIn);
}
