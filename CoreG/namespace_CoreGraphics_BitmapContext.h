#pragma once
// A bitmap context over pixel memory that the object allocates and owns, in one of four
// fixed layouts of 8-bit components. Rows are stored top row first; user space is y-up.
#include <cstdint>

#include "namespace_CoreGraphics_Context.h"

namespace CoreGraphics {

enum BitmapType : int32_t {
  kBitmapTypeNone = 0,
  kBitmapTypeGray = 1,  // 1 byte: gray
  kBitmapTypeARGB = 2,  // 4 bytes: A R G B, premultiplied
  kBitmapTypeXRGB = 3,  // 4 bytes: x R G B
  kBitmapTypeRGBX = 4,  // 4 bytes: R G B x
};

class BitmapContext : public Context {
 public:
  static constexpr unsigned long kImageBitsPerComponent = 8;

  BitmapContext() = default;
  virtual ~BitmapContext();

  // A `rowBytes` smaller than a packed row is ignored; a gray bitmap ignores `colorSpace`.
  bool Construct(int width, int height, BitmapType type, unsigned long rowBytes, CGColorSpaceRef colorSpace);
  // Releases whatever the object holds, even after a Construct that failed part-way.
  void Destruct();
  // Forgets every field without releasing anything.
  void Empty();
  bool IsConstructed() const;

  // An image sharing the pixel memory (valid while this object lives); caller owns it.
  virtual CGImageRef ConstructCGImage(CGColorSpaceRef colorSpace) const;
  virtual bool ConstructSelf();
  virtual unsigned char* CreateImageData(unsigned long size) const;
  virtual void DeleteImageData(unsigned char* data) const;

  // An image of the part of the bitmap under `rect` (y-up coordinates), sharing the
  // pixels. The rect is cut to the bitmap; null when nothing of it lies inside.
  CGImageRef GetCroppedImageRef(const CGRect& rect, CGColorSpaceRef colorSpace) const;
  // A 4-byte pixel interpolated at (x, y) in stored rows, x and y clamped to the bitmap;
  // byte 0 of the pixel lands in the top 8 bits, bytes 1..3 in the low 24.
  uint32_t SafeGetPixel_BilinearInterpolatedSample8888(double x, double y) const;
  void FillPerlinNoise(int step, float amplitude) const;

  BitmapType GetBitmapType() const { return mBitmapType; }
  int64_t GetImageWidth() const { return mImageWidth; }
  int64_t GetImageHeight() const { return mImageHeight; }
  unsigned long GetImageBitsPerPixel() const { return mImageBitsPerPixel; }
  unsigned long GetImageBytesPerPixel() const { return mImageBytesPerPixel; }
  unsigned long GetImageRowBytes() const { return mImageRowBytes; }
  unsigned long GetImageDataSize() const { return mImageDataSize; }
  CGImageAlphaInfo GetImageAlphaInfo() const { return mImageAlphaInfo; }
  CGColorSpaceRef GetColorSpace() const { return mColorSpace; }
  unsigned char* GetImageDataBytes() const { return mImageDataBytes; }

  // Class-wide colour spaces, made when the program loads and released at exit.
  static CGColorSpaceRef sLinearColorSpace;
  static CGColorSpaceRef sSRGBColorSpace;
  static CGColorSpaceRef sDefaultColorSpace;
  static CGColorSpaceRef sAdobe98ColorSpace;

 protected:
  BitmapType mBitmapType = kBitmapTypeNone;
  int64_t mImageWidth = 0;
  int64_t mImageHeight = 0;
  unsigned long mImageBitsPerPixel = 0;
  unsigned long mImageBytesPerPixel = 0;
  unsigned long mImageRowBytes = 0;
  unsigned long mImageDataSize = 0;
  CGImageAlphaInfo mImageAlphaInfo = kCGImageAlphaNone;
  CGColorSpaceRef mColorSpace = nullptr;
  unsigned char* mImageDataBytes = nullptr;
};

// Translucent colours (R, G, B, A) for marking areas while debugging drawings.
extern const CGFloat colorDebugGray[4];
extern const CGFloat colorDebugRed[4];
extern const CGFloat colorDebugGreen[4];
extern const CGFloat colorDebugBlue[4];

void CoreGraphicsBitmapContextTermFunc();

}  // namespace CoreGraphics
