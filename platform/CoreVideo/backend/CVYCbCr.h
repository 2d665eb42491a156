#pragma once
// 4:2:2 Y'CbCr rows (video range, ITU-R BT.601) to BGRA rows of opaque pixels.
#include <cstddef>
#include <cstdint>

namespace CoreVideo {

struct YCbCrLayout {
  // Byte offsets of Y0, Cb, Y1 and Cr within each 4-byte pair of pixels.
  int y0, cb, y1, cr;
  // Chroma stored as signed values (offset by 128 from the unsigned form).
  bool signedChroma;
};

// The layout of '2vuy', 'yuvs' or 'yuv2'; null for another format.
const YCbCrLayout* yCbCrLayoutOf(uint32_t pixelFormat);
// width pixels of each of height rows; source rows sourceRowBytes apart, target rows width * 4.
void convertYCbCrToBGRA(const YCbCrLayout& layout, const uint8_t* source, size_t sourceRowBytes, size_t width,
                        size_t height, uint8_t* target);

}  // namespace CoreVideo
