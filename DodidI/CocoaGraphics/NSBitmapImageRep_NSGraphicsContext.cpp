#include "NSBitmapImageRep_NSGraphicsContext.h"

#include <AppKit/NSGraphics.h>
#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSException.h>

#include <cmath>

#include "CoreMachDebug.h"

int import_NSBitmapImageRep_NSGraphicsContext() { return 1; }

namespace category_NSGraphicsContext {

namespace {

NSInteger wholePixels(CGFloat side) {
  return std::isfinite(side) && side >= 1 ? NSInteger(std::min<CGFloat>(side, 1 << 20)) : 0;
}

// The caller's current context and graphics state, brought back however the drawing ends.
class DrawingInto {
 public:
  explicit DrawingInto(NSGraphicsContext* context) : mPrevious(NSGraphicsContext::currentContext()) {
    NSGraphicsContext::classSaveGraphicsState();
    NSGraphicsContext::setCurrentContext(context);
  }
  ~DrawingInto() {
    NSGraphicsContext::classRestoreGraphicsState();
    NSGraphicsContext::setCurrentContext(mPrevious.get());
  }
  DrawingInto(const DrawingInto&) = delete;
  DrawingInto& operator=(const DrawingInto&) = delete;

 private:
  RefPtr<NSGraphicsContext> mPrevious;
};

}  // namespace

NSBitmapImageRep* bitmapImageRepFromImageTIFFData(NSImage* image) {
  if (!image) return nullptr;
  return NSBitmapImageRep::imageRepWithData(image->TIFFRepresentation());
}

NSBitmapImageRep* bitmapImageRepWithImage_withSizePixels(NSImage* image, CGSize sizePixels) {
  return bitmapImageRepWithImage_withSizePixels_backgroundColor(image, sizePixels, NSColor::blackColor());
}

NSBitmapImageRep* bitmapImageRepWithImage_withSizePixels_backgroundColor(NSImage* image, CGSize sizePixels,
                                                                         NSColor* backgroundColor) {
  RefPtr<NSBitmapImageRep> rep;
  try {
    const NSInteger width = wholePixels(sizePixels.width), height = wholePixels(sizePixels.height);
    rep = adopt(
        NSBitmapImageRep::alloc()
            ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
                nullptr, width, height, 8, 4, true, false, NSDeviceRGBColorSpace, 0, 0, 0));
    if (!rep || width == 0 || height == 0) return nullptr;
    NSGraphicsContext* context = NSGraphicsContext::graphicsContextWithBitmapImageRep(rep.get());
    if (!context) return static_cast<NSBitmapImageRep*>(rep.leak()->autorelease());
    DrawingInto drawing(context);
    const NSRect whole = NSMakeRect(0, 0, CGFloat(width), CGFloat(height));
    if (!image) {
      (backgroundColor ? backgroundColor : NSColor::blackColor())->set();
      NSRectFill(whole);
    } else {
      NSEraseRect(whole);
      if (backgroundColor) {
        backgroundColor->set();
        NSRectFill(whole);
      }
      const NSSize size = image->size();
      image->drawInRect_fromRect_operation_fraction(whole, NSMakeRect(0, 0, size.width, size.height),
                                                    NSCompositeSourceOver, 1.0);
    }
  } catch (const NSException::Raised& raised) {
    NSLog(NSSTR("[NSBitmapImageRep bitmapImageRepWithImage:exception:%@\n"), raised.exception());
  }
  return rep ? static_cast<NSBitmapImageRep*>(rep.leak()->autorelease()) : nullptr;
}

NSBitmapImageRep* bitmapImageRepWithBitmap_withSizePixels_backgroundColor(NSBitmapImageRep* bitmap,
                                                                          CGSize sizePixels,
                                                                          NSColor* backgroundColor) {
  RefPtr<NSImage> image = adopt(static_cast<NSImage*>(NSImage::alloc()->init()));
  if (!image) {
    _CoreMachDebugVerifyBody(
        "+[NSBitmapImageRep(category_NSGraphicsContext) "
        "bitmapImageRepWithBitmap:withSizePixels:backgroundColor:]",
        "/Code/sdk/DodidI/CocoaGraphics/NSBitmapImageRep_NSGraphicsContext", 85, " code : image");
    return nullptr;
  }
  if (bitmap) {
    image->addRepresentation(bitmap);
    image->setScalesWhenResized(true);
    image->setSize(NSMakeSize(CGFloat(bitmap->pixelsWide()), CGFloat(bitmap->pixelsHigh())));
  }
  return bitmapImageRepWithImage_withSizePixels_backgroundColor(image.get(), sizePixels, backgroundColor);
}

}  // namespace category_NSGraphicsContext
