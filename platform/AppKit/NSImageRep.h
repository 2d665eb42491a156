#pragma once
// One representation of an image: a bitmap or a PDF page, with the size in points at which
// it is drawn and its size in pixels. Images (NSImage) hold one or more.
#include <Foundation/NSObject.h>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

class APPKIT_CLASS NSImageRep : public NSObject {
  OBJC_CLASS_DECL(NSImageRep, NSObject)

 public:
  NSSize size() const { return mSize; }
  void setSize(NSSize size) { mSize = size; }
  NSInteger pixelsWide() const { return mPixelsWide; }
  NSInteger pixelsHigh() const { return mPixelsHigh; }
  bool hasAlpha() const { return mHasAlpha; }

  // Draws the whole representation over the rectangle of the current graphics context, in
  // its graphics state (transform, clip, alpha, compositing); false without a context or
  // without anything to draw.
  virtual bool drawInRect(NSRect) const { return false; }
  // At the origin, at the representation's size.
  bool draw() const { return drawInRect(NSMakeRect(0, 0, mSize.width, mSize.height)); }

 protected:
  NSImageRep() = default;

  NSSize mSize{};
  NSInteger mPixelsWide = 0;
  NSInteger mPixelsHigh = 0;
  bool mHasAlpha = false;
};
