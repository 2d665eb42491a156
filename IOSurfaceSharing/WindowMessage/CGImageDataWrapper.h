#pragma once
// A record of a fixed number of bytes carried as an image (CGImageInterleaveData.h) of the size
// that the number of bytes gives: width 4 x floor(sqrt(n)), height 2 x (n / width). Images to
// decode may come scaled (a capture at twice the size) or in another pixel format; they are
// brought back to this size and format first.
//
// The wrapper keeps no drawing state: one may serve every thread of the process.
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>

#include <cstddef>

#include "CGImageInterleaveData.h"

class CGImageDataWrapper {
 public:
  explicit CGImageDataWrapper(size_t rawDataSize);

  // The zero size for sizes too small to lay out.
  static CGSize CalculatedCGImageSizeFromRawDataSize(size_t rawDataSize);

  size_t rawDataSize() const { return mRawDataSize; }
  CGSize imageSize() const { return CGSizeMake(mInterleave.mWidth, mInterleave.mHeight); }

  // The record's bytes as a new image, or null (CGImageInterleaveData.h).
  CGImageRef CGImageCreateByInterleavingData(const void* data) const;
  // The record's bytes out of an image of this size and format.
  bool CGImageDeinterleaveDataBytes(CGImageRef image, void* out) const;
  // The image to decode, owned by the caller: the image itself when it is of this size (its
  // integer scale factors both 1) and pixel format, in the device RGB space; otherwise drawn
  // pixel for pixel (no interpolation, copy mode) into a bitmap of this size. Null when no
  // bitmap can be made.
  CGImageRef CopyImageWithDecodingFormat(CGImageRef image) const;
  // The image's integer scale factors against this size are equal and not 0.
  bool VerifyImageFormat(CGImageRef image) const;

 private:
  // Width and height of the image divided by this size's, in whole numbers; 0 for a missing
  // image or an empty size.
  void scaleFactors(CGImageRef image, size_t& horizontal, size_t& vertical) const;

  size_t mRawDataSize;
  CGImageInterleaveData mInterleave;
};

template <class T>
class CGImageDataWrapper_T : public CGImageDataWrapper {
 public:
  CGImageDataWrapper_T() : CGImageDataWrapper(sizeof(T)) {}
};
