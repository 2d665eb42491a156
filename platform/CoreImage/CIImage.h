#pragma once
// Core Image images: recipes rather than pixels. An image is a source (a bitmap, an IOSurface
// read when the image is drawn, or a colour without bounds) seen through an affine transform
// and a crop; its extent is where it has pixels, y up. Images never change once made and can
// be handed between threads.
#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGImage.h>
#include <CoreVideo/CVImageBuffer.h>
#include <Foundation/NSObject.h>
#include <IOSurface/IOSurfaceRef.h>

#include <memory>

#include <CoreImage/CoreImageDefines.h>

class CIColor;
class NSData;
class NSDictionary;

typedef int CIFormat;
COREIMAGE_EXPORT const CIFormat kCIFormatARGB8;
COREIMAGE_EXPORT const CIFormat kCIFormatBGRA8;
COREIMAGE_EXPORT const CIFormat kCIFormatRGBA8;
// An option of imageWithIOSurface_options: the surface's colour space (all spaces are device
// RGB here).
COREIMAGE_EXPORT NSString* const kCIImageColorSpace;

class COREIMAGE_CLASS CIImage : public NSObject {
  OBJC_CLASS_DECL(CIImage, NSObject)

 public:
  // All autoreleased; null for no source, or a layout that cannot be read.
  static CIImage* imageWithCGImage(CGImageRef image);
  // Premultiplied 8-bit pixels of the format, rows from the top; the image keeps the data.
  static CIImage* imageWithBitmapData_bytesPerRow_size_format_colorSpace(NSData* data, size_t bytesPerRow,
                                                                         CGSize size, CIFormat format,
                                                                         CGColorSpaceRef colorSpace);
  // The surface's pixels as they are each time the image is drawn ('BGRA', 'RGBA' or 32-bit
  // ARGB surfaces).
  static CIImage* imageWithIOSurface(IOSurfaceRef surface);
  static CIImage* imageWithIOSurface_options(IOSurfaceRef surface, NSDictionary* options);
  // The pixels of a Core Video buffer ('BGRA', or 4:2:2 '2vuy' seen as RGB), read each time
  // the image is drawn; the image keeps the buffer.
  static CIImage* imageWithCVImageBuffer(CVImageBufferRef buffer);
  static CIImage* imageWithCVImageBuffer_options(CVImageBufferRef buffer, NSDictionary* options);
  // The colour everywhere: its extent is infinite.
  static CIImage* imageWithColor(CIColor* color);

  CGRect extent() const;
  CIImage* imageByApplyingTransform(CGAffineTransform transform) const;
  CIImage* imageByCroppingToRect(CGRect rect) const;

  struct Source;
  // Draws the part fromRect of the image (in the image's space) over inRect of the context;
  // false when there is nothing to draw (an empty or infinite fromRect, a surface that cannot
  // be read).
  __attribute__((visibility("hidden"))) bool drawInContext(CGContextRef context, CGRect inRect,
                                                           CGRect fromRect) const;

 protected:
  CIImage() = default;

 private:
  static CIImage* make(std::shared_ptr<const Source> source);

  std::shared_ptr<const Source> mSource;
  CGAffineTransform mTransform = CGAffineTransformIdentity;
  CGRect mCrop{};
  bool mCropped = false;
};
