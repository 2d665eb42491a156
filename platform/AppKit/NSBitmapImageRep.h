#pragma once
// Bitmaps of 8-bit samples, chunky (not planar): rows from the top of the picture, samples in
// the order red, green, blue (or white), then alpha, premultiplied unless the format says
// otherwise. A bitmap made from data planes uses the caller's memory; otherwise it owns its
// pixels.
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <vector>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGeometry.h>

typedef NSUInteger NSBitmapFormat;
enum : NSUInteger {
  NSAlphaFirstBitmapFormat = 1,
  NSAlphaNonpremultipliedBitmapFormat = 2,
  NSFloatingPointSamplesBitmapFormat = 4,
};

class APPKIT_CLASS NSBitmapImageRep : public NSObject {
  OBJC_CLASS_DECL(NSBitmapImageRep, NSObject)

 public:
  // The pixels of a rectangle of the current graphics context (in its user space) as RGBA;
  // null (and the object released) without a context that holds pixels.
  NSBitmapImageRep* initWithFocusedViewRect(NSRect rect);
  // A bitmap over the caller's memory (planes[0], kept by the caller), or over memory of its
  // own when planes or planes[0] is null. Only 8-bit chunky layouts; null (and the object
  // released) for any other, or for row bytes too small for a row.
  NSBitmapImageRep*
  initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
      unsigned char** planes, NSInteger width, NSInteger height, NSInteger bitsPerSample,
      NSInteger samplesPerPixel, bool hasAlpha, bool isPlanar, NSString* colorSpaceName,
      NSBitmapFormat bitmapFormat, NSInteger bytesPerRow, NSInteger bitsPerPixel);

  unsigned char* bitmapData() const { return mData; }
  NSInteger pixelsWide() const { return mWidth; }
  NSInteger pixelsHigh() const { return mHeight; }
  NSInteger bitsPerSample() const { return 8; }
  NSInteger samplesPerPixel() const { return mSamplesPerPixel; }
  NSInteger bitsPerPixel() const { return mBitsPerPixel; }
  NSInteger bytesPerRow() const { return mBytesPerRow; }
  bool hasAlpha() const { return mHasAlpha; }
  NSBitmapFormat bitmapFormat() const { return mBitmapFormat; }
  NSSize size() const { return NSMakeSize(mWidth, mHeight); }

  // The bitmap's picture (autoreleased), or null for a layout CoreGraphics cannot show.
  CGImageRef CGImage() const;
  // Draws the picture over the rectangle of the current graphics context; false without one.
  bool drawInRect(NSRect rect) const;

 protected:
  NSBitmapImageRep() = default;

 private:
  std::vector<unsigned char> mOwned;
  unsigned char* mData = nullptr;
  NSInteger mWidth = 0, mHeight = 0, mSamplesPerPixel = 0, mBitsPerPixel = 0, mBytesPerRow = 0;
  bool mHasAlpha = false;
  NSBitmapFormat mBitmapFormat = 0;
};
