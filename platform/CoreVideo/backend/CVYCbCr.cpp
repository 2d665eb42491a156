#include "backend/CVYCbCr.h"

#include <algorithm>

namespace CoreVideo {

namespace {

constexpr uint32_t fourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 | uint32_t(uint8_t(c)) << 8 | uint8_t(d);
}

constexpr YCbCrLayout k2vuy{1, 0, 3, 2, false};
constexpr YCbCrLayout kYuvs{0, 1, 2, 3, false};
constexpr YCbCrLayout kYuv2{0, 1, 2, 3, true};

uint8_t clampByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// Fixed point with 16 fraction bits: 1.164, 1.596, 0.392, 0.813 and 2.017.
void putPixel(int y, int cb, int cr, uint8_t* bgra) {
  const int luma = 76284 * (y - 16);
  bgra[0] = clampByte((luma + 132186 * cb + 32768) >> 16);
  bgra[1] = clampByte((luma - 25690 * cb - 53281 * cr + 32768) >> 16);
  bgra[2] = clampByte((luma + 104595 * cr + 32768) >> 16);
  bgra[3] = 255;
}

}  // namespace

const YCbCrLayout* yCbCrLayoutOf(uint32_t pixelFormat) {
  switch (pixelFormat) {
    case fourCC('2', 'v', 'u', 'y'):
      return &k2vuy;
    case fourCC('y', 'u', 'v', 's'):
      return &kYuvs;
    case fourCC('y', 'u', 'v', '2'):
      return &kYuv2;
    default:
      return nullptr;
  }
}

void convertYCbCrToBGRA(const YCbCrLayout& layout, const uint8_t* source, size_t sourceRowBytes, size_t width,
                        size_t height, uint8_t* target) {
  const int chromaOffset = layout.signedChroma ? 0 : 128;
  for (size_t row = 0; row < height; ++row) {
    const uint8_t* pairs = source + row * sourceRowBytes;
    uint8_t* out = target + row * width * 4;
    for (size_t x = 0; x < width; x += 2, pairs += 4) {
      const int cb = layout.signedChroma ? int(int8_t(pairs[layout.cb])) : pairs[layout.cb] - chromaOffset;
      const int cr = layout.signedChroma ? int(int8_t(pairs[layout.cr])) : pairs[layout.cr] - chromaOffset;
      putPixel(pairs[layout.y0], cb, cr, out + x * 4);
      if (x + 1 < width) putPixel(pairs[layout.y1], cb, cr, out + (x + 1) * 4);
    }
  }
}

}  // namespace CoreVideo
