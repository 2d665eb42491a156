#pragma once
// Bitmaps of 8-bit samples, chunky (not planar): rows from the top of the picture, samples in
// the order red, green, blue (or white), then alpha, premultiplied unless the format says
// otherwise; alpha first with NSAlphaFirstBitmapFormat, and 32-bit pixels read as
// little-endian words (B, G, R, A in memory for alpha first) with
// NSBitmapFormatThirtyTwoBitLittleEndian. A bitmap made from data planes uses the caller's
// memory; otherwise it owns its pixels.
//
// Bitmaps read and write PNG data. There is no TIFF codec here: TIFFRepresentation answers the
// PNG encoding, which imageRepWithData reads back, since only the pixels travel that way.
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <cstdint>
#include <vector>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGeometry.h>
#include <AppKit/NSImageRep.h>

class NSData;

typedef NSUInteger NSBitmapFormat;
enum : NSUInteger {
  NSAlphaFirstBitmapFormat = 1,
  NSAlphaNonpremultipliedBitmapFormat = 2,
  NSFloatingPointSamplesBitmapFormat = 4,
  NSBitmapFormatSixteenBitLittleEndian = 1 << 8,
  NSBitmapFormatThirtyTwoBitLittleEndian = 1 << 9,
  NSBitmapFormatSixteenBitBigEndian = 1 << 10,
  NSBitmapFormatThirtyTwoBitBigEndian = 1 << 11,
  NSBitmapFormatAlphaFirst = NSAlphaFirstBitmapFormat,
  NSBitmapFormatAlphaNonpremultiplied = NSAlphaNonpremultipliedBitmapFormat,
};

class APPKIT_CLASS NSBitmapImageRep : public NSImageRep {
  OBJC_CLASS_DECL(NSBitmapImageRep, NSImageRep)

 public:
  // A bitmap of PNG data (premultiplied RGBA), autoreleased; null for data that does not decode.
  static NSBitmapImageRep* imageRepWithData(NSData* data);
  NSBitmapImageRep* initWithData(NSData* data);
  // A bitmap of a copy of the image's pixels (premultiplied RGBA); null for no image.
  NSBitmapImageRep* initWithCGImage(CGImageRef image);
  // The pixels of a rectangle of the current graphics context (in its user space) as RGBA;
  // null (and the object released) without a context that holds pixels.
  NSBitmapImageRep* initWithFocusedViewRect(NSRect rect);
  // A bitmap over the caller's memory (planes[0], kept by the caller), or over memory of its
  // own when planes or planes[0] is null. Only 8-bit chunky layouts; null (and the object
  // released) for any other, for row bytes too small for a row, or for a size whose bytes
  // cannot be counted.
  NSBitmapImageRep*
  initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
      unsigned char** planes, NSInteger width, NSInteger height, NSInteger bitsPerSample,
      NSInteger samplesPerPixel, bool hasAlpha, bool isPlanar, NSString* colorSpaceName,
      NSBitmapFormat bitmapFormat, NSInteger bytesPerRow, NSInteger bitsPerPixel);

  unsigned char* bitmapData() const { return mData; }
  NSInteger bitsPerSample() const { return 8; }
  NSInteger samplesPerPixel() const { return mSamplesPerPixel; }
  NSInteger bitsPerPixel() const { return mBitsPerPixel; }
  NSInteger bytesPerRow() const { return mBytesPerRow; }
  bool isPlanar() const { return false; }
  NSBitmapFormat bitmapFormat() const { return mBitmapFormat; }
  NSString* colorSpaceName() const { return mColorSpaceName.get(); }

  // The colour of a pixel (x from the left, y from the top) in device RGB, with straight
  // alpha; null outside the bitmap.
  NSColor* colorAtX_y(NSInteger x, NSInteger y) const;
  // The PNG encoding of the pixels (see above); null for an empty bitmap.
  NSData* TIFFRepresentation() const;

  // The bitmap's picture over its pixels (autoreleased; it keeps the bitmap), or null for a
  // layout CoreGraphics cannot show.
  CGImageRef CGImage() const;
  bool drawInRect(NSRect rect) const override;

  // A new CoreGraphics context drawing into the pixels (+1), or null for a layout that cannot
  // be drawn into (straight alpha, 24-bit RGB, gray with alpha).
  APPKIT_PRIVATE CGContextRef createDrawingContext() const;
  // The pixel as straight R, G, B, A.
  APPKIT_PRIVATE void straightRGBAAt(NSInteger x, NSInteger y, uint8_t rgba[4]) const;

 protected:
  NSBitmapImageRep() = default;

 private:
  std::vector<unsigned char> mOwned;
  unsigned char* mData = nullptr;
  NSInteger mSamplesPerPixel = 0, mBitsPerPixel = 0, mBytesPerRow = 0;
  NSBitmapFormat mBitmapFormat = 0;
  RefPtr<NSString> mColorSpaceName;
};
