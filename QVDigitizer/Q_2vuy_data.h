#pragma once
// A view of a 4:2:2 Y'CbCr frame ('2vuy': Cb, Y'0, Cr, Y'1 for each pair of pixels; 'yuvs':
// Y'0, Cb, Y'1, Cr) and the conversion of an ARGB bitmap into it, replacing the frame's pixels
// or laid over them by its alpha.
#include <CoreFoundation/MacTypes.h>
#include <namespace_CoreGraphics_BitmapContext.h>

#include <cstdint>

class Q_2vuy_format {
 public:
  static constexpr OSType k2vuyPixelFormat = FOUR_CHAR_CODE("2vuy");
  static constexpr OSType kYuvsPixelFormat = FOUR_CHAR_CODE("yuvs");
  static bool IsValidPixelFormat(OSType pixelFormat) {
    return pixelFormat == k2vuyPixelFormat || pixelFormat == kYuvsPixelFormat;
  }

  uint16_t mWidth = 0;
  uint16_t mHeight = 0;
  uint64_t mRowBytes = 0;
  OSType mPixelFormat = k2vuyPixelFormat;
};

class Q_2vuy_data : public Q_2vuy_format {
 public:
  // Colour constants of the conversion (Rec. 709 luma weights).
  static constexpr float kKr = 0.2125f, kKg = 0.7154f, kKb = 0.0721f;
  static constexpr float kCu = 0.53885114f;  // 1 / (2 (1 - Kb))
  static constexpr float kCv = 0.63492066f;  // 1 / (2 (1 - Kr))

  Q_2vuy_data() = default;
  // A view of memory the caller owns.
  Q_2vuy_data(uint16_t width, uint16_t height, uint64_t rowBytes, OSType pixelFormat, void* data,
              uint64_t size);

  // Converts an ARGB bitmap (bitmap type 2) into the frame, its last rows onto the frame's
  // last rows. Pixels outside the bitmap or the frame's memory are left as they are; an odd
  // last pixel pairs with itself, written as far as its row holds the pair. Blending lays the bitmap over
  // the frame's pixels by its alpha. A bitmap of another type changes nothing.
  void CopyPixelsFrom(const CoreGraphics::BitmapContext& source, bool blend);

  void* mData = nullptr;
  uint64_t mDataSize = 0;
};
