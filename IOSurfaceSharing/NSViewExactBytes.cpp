#include "NSViewExactBytes.h"

#include <AppKit/NSGraphicsContext.h>
#include <CoreGraphics/CGContext.h>

OBJC_CLASS_DEFINE(NSViewExactBytes)

void NSViewExactBytes::setImageDataWritten(CGImageRef image) {
  RefPtr<CGImage> incoming(image);
  {
    std::lock_guard guard(mLock);
    _imageDataWritten.swap(incoming);
  }
  imageDataWrittenChanged();
}

CGImageRef NSViewExactBytes::imageDataWrittenCopy() const {
  std::lock_guard guard(mLock);
  return RefPtr<CGImage>(_imageDataWritten).leak();
}

void NSViewExactBytes::imageDataWrittenChanged() {
  setNeedsDisplay(true);
  display();
}

CGRect NSViewExactBytes::imageDataWrittenMaximumRect() const {
  RefPtr<CGImage> image = adopt(imageDataWrittenCopy());
  if (!image) return boundsCG();
  return CGRectMake(0, 0, CGFloat(CGImageGetWidth(image.get())), CGFloat(CGImageGetHeight(image.get())));
}

void NSViewExactBytes::drawRect(NSRect dirtyRect) {
  drawRect_imageDataRect_clearRect(dirtyRect, imageDataWrittenMaximumRect(), false);
}

void NSViewExactBytes::drawRect_imageDataRect_clearRect(CGRect, CGRect imageDataRect, bool clearRect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  CGContextRef context = graphics ? graphics->CGContext() : nullptr;
  if (!context) return;
  RefPtr<CGImage> image = adopt(imageDataWrittenCopy());
  CGContextSaveGState(context);
  if (clearRect) CGContextClearRect(context, boundsCG());
  if (image) {
    // Every pixel carries a byte: nothing may blend, smooth or fade it.
    CGContextSetAlpha(context, 1.0);
    CGContextSetBlendMode(context, kCGBlendModeCopy);
    CGContextSetInterpolationQuality(context, kCGInterpolationNone);
    CGContextDrawImage(context, imageDataRect, image.get());
  } else {
    CGContextClearRect(context, boundsCG());
  }
  CGContextRestoreGState(context);
}

CGImageRef NSViewExactBytes::imageDataRead() {
  if (!lockFocusIfCanDraw()) return nullptr;
  RefPtr<NSBitmapImageRep> bitmap = adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(bounds()));
  unlockFocus();
  setBitmapDataRead(bitmap.get());
  return lastImageDataRead();
}

CGImageRef NSViewExactBytes::lastImageDataRead() const {
  RefPtr<NSBitmapImageRep> bitmap = __bitmapDataRead.copy();
  // The bitmap keeps its image as long as it lives, and the view keeps the bitmap.
  return bitmap ? bitmap->CGImage() : nullptr;
}

CGRect NSViewExactBytes::imageDataRect() const {
  std::lock_guard guard(mLock);
  return __imageDataRect;
}

void NSViewExactBytes::setImageDataRect(CGRect rect) {
  std::lock_guard guard(mLock);
  __imageDataRect = rect;
}
