#pragma once
// The content view of the exact-bytes window: it draws the image it is given pixel for pixel
// (copy mode, no interpolation, full alpha) at the view's origin, and reads what it drew back
// out of the window. Main thread only, but for the written image, which any thread may set.
#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSView.h>
#include <CoreGraphics/CGImage.h>

#include <mutex>

#include "UAtomicProperty.h"

class NSViewExactBytes : public NSView {
  OBJC_CLASS_DECL(NSViewExactBytes, NSView)

 public:
  bool isOpaque() const override { return true; }
  bool wantsDefaultClipping() const { return false; }

  // The image to show (retained); setting it draws the window at once.
  void setImageDataWritten(CGImageRef image);
  // The caller releases it; null without one.
  CGImageRef imageDataWrittenCopy() const;
  void imageDataWrittenChanged();
  // (0, 0, image width, image height) with an image, else the bounds.
  CGRect imageDataWrittenMaximumRect() const;
  CGRect boundsCG() const { return bounds(); }

  void drawRect(NSRect dirtyRect) override;
  void drawRect_imageDataRect_clearRect(CGRect dirtyRect, CGRect imageDataRect, bool clearRect);

  // What the view shows now, read back from the window: the image of a new bitmap of the
  // bounds (kept as bitmapDataRead; not retained for the caller). Null without a window.
  CGImageRef imageDataRead();
  CGImageRef lastImageDataRead() const;
  // Autoreleased.
  NSBitmapImageRep* bitmapDataRead() const { return __bitmapDataRead.get(); }
  void setBitmapDataRead(NSBitmapImageRep* bitmap) { __bitmapDataRead.set(bitmap); }

  CGRect imageDataRect() const;
  void setImageDataRect(CGRect rect);

 protected:
  NSViewExactBytes() = default;

 private:
  UAtomicProperty<NSBitmapImageRep> __bitmapDataRead;
  mutable std::mutex mLock;
  RefPtr<CGImage> _imageDataWritten;
  CGRect __imageDataRect{};
};
