#include "Q_2vuy_data.h"

#include <algorithm>

namespace {

struct Pixel {
  float a, r, g, b;
};

Pixel ReadARGB(const uint8_t* p) { return Pixel{float(p[0]), float(p[1]), float(p[2]), float(p[3])}; }

// Rounds as the conversion always has: half away from zero less a hair, then truncation.
int Round(float value) { return int(double(value) + 0.49999999); }

struct YCbCr {
  int cb, y0, cr, y1;
};

YCbCr ConvertPair(const Pixel& p0, const Pixel& p1) {
  const float y0 = Q_2vuy_data::kKr * p0.r + Q_2vuy_data::kKg * p0.g + Q_2vuy_data::kKb * p0.b;
  const float y1 = Q_2vuy_data::kKr * p1.r + Q_2vuy_data::kKg * p1.g + Q_2vuy_data::kKb * p1.b;
  const int cb = (Round((p1.b - y1) * Q_2vuy_data::kCu * 0.875f + 128.0f) +
                  Round((p0.b - y0) * Q_2vuy_data::kCu * 0.875f + 128.0f)) >>
                 1;
  const int cr = (Round((p1.r - y1) * Q_2vuy_data::kCv * 0.875f + 128.0f) +
                  Round((p0.r - y0) * Q_2vuy_data::kCv * 0.875f + 128.0f)) >>
                 1;
  return YCbCr{cb, Round(y0 * 219.0f / 256.0f + 16.0f), cr, Round(y1 * 219.0f / 256.0f + 16.0f)};
}

// Where each of the four samples of a pair lies in the frame's bytes.
struct Layout {
  int cb, y0, cr, y1;
};

Layout LayoutOf(OSType pixelFormat) {
  return pixelFormat == Q_2vuy_format::kYuvsPixelFormat ? Layout{1, 0, 3, 2} : Layout{0, 1, 2, 3};
}

void Store(uint8_t* pair, const Layout& at, const YCbCr& value, int count, bool blend, float a0, float a1) {
  const int samples[4] = {value.cb, value.y0, value.cr, value.y1};
  const int offsets[4] = {at.cb, at.y0, at.cr, at.y1};
  const float chromaWeight = ((1.0f - a1) + (1.0f - a0)) / 2.0f;
  const float oldWeights[4] = {chromaWeight, 1.0f - a0, chromaWeight, 1.0f - a1};
  const float newWeights[4] = {1.0f - chromaWeight, a0, 1.0f - chromaWeight, a1};
  for (int k = 0; k < 4; ++k) {
    if (offsets[k] >= count) continue;
    uint8_t& byte = pair[offsets[k]];
    byte = blend ? uint8_t(int(float(byte) * oldWeights[k] + float(samples[k]) * newWeights[k]))
                 : uint8_t(samples[k]);
  }
}

}  // namespace

Q_2vuy_data::Q_2vuy_data(uint16_t width, uint16_t height, uint64_t rowBytes, OSType pixelFormat, void* data,
                         uint64_t size)
    : mData(data), mDataSize(size) {
  mWidth = width;
  mHeight = height;
  mRowBytes = rowBytes;
  mPixelFormat = pixelFormat;
}

void Q_2vuy_data::CopyPixelsFrom(const CoreGraphics::BitmapContext& source, bool blend) {
  if (!source.GetContext() || !source.GetImageDataBytes() || source.GetImageWidth() <= 0 ||
      source.GetImageHeight() <= 0 || source.GetBitmapType() != CoreGraphics::kBitmapTypeARGB)
    return;
  if (!mData || !IsValidPixelFormat(mPixelFormat)) return;
  constexpr float kAmount = 1.0f;
  const Layout layout = LayoutOf(mPixelFormat);
  const int64_t width = std::min<int64_t>(mWidth, source.GetImageWidth());
  const int64_t rowOffset = source.GetImageHeight() - int64_t(mHeight);
  for (int64_t y = 0; y < mHeight; ++y) {
    const int64_t sourceRow = y + rowOffset;
    if (sourceRow < 0 || sourceRow >= source.GetImageHeight()) continue;
    const uint64_t rowStart = uint64_t(y) * mRowBytes;
    if (rowStart >= mDataSize) break;
    // The bytes of this row that the frame's memory holds.
    const uint64_t rowBytes = std::min(mRowBytes, mDataSize - rowStart);
    const uint8_t* in = source.GetImageDataBytes() + uint64_t(sourceRow) * source.GetImageRowBytes();
    uint8_t* out = static_cast<uint8_t*>(mData) + rowStart;
    for (int64_t x = 0; x < width; x += 2) {
      const uint64_t pairStart = uint64_t(x) * 2;
      if (pairStart >= rowBytes) break;
      const Pixel p0 = ReadARGB(in + x * 4);
      // An odd last pixel pairs with itself.
      const Pixel p1 = x + 1 < width ? ReadARGB(in + (x + 1) * 4) : p0;
      // The bytes of the pair that the row holds: a row of an odd width may end inside it.
      const int count = int(std::min<uint64_t>(4, rowBytes - pairStart));
      const float a0 = p0.a / 255.0f * kAmount, a1 = p1.a / 255.0f * kAmount;
      Store(out + pairStart, layout, ConvertPair(p0, p1), count, blend, a0, a1);
    }
  }
}
