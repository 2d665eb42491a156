#include "namespace_CoreGraphics_BitmapContext.h"

#include <algorithm>
#include <cstdlib>

#include "CoreGVerify.h"
#include "namespace_CoreGeometry_PerlinNoise.h"

namespace CoreGraphics {

CGColorSpaceRef BitmapContext::sLinearColorSpace = nullptr;
CGColorSpaceRef BitmapContext::sSRGBColorSpace = nullptr;
CGColorSpaceRef BitmapContext::sDefaultColorSpace = nullptr;
CGColorSpaceRef BitmapContext::sAdobe98ColorSpace = nullptr;

const CGFloat colorDebugGray[4] = {0.25, 0.25, 0.25, 0.75};
const CGFloat colorDebugRed[4] = {0.25, 0, 0, 0.75};
const CGFloat colorDebugGreen[4] = {0, 0.25, 0, 0.75};
const CGFloat colorDebugBlue[4] = {0, 0, 0.25, 0.75};

void CoreGraphicsBitmapContextTermFunc() {
  for (CGColorSpaceRef* space : {&BitmapContext::sLinearColorSpace, &BitmapContext::sSRGBColorSpace,
                                 &BitmapContext::sDefaultColorSpace, &BitmapContext::sAdobe98ColorSpace}) {
    CGColorSpaceRelease(*space);
    *space = nullptr;
  }
}

namespace {
[[maybe_unused]] const bool sColorSpacesMade = [] {
  BitmapContext::sLinearColorSpace = CGColorSpaceCreateWithName(kCGColorSpaceGenericRGBLinear);
  BitmapContext::sSRGBColorSpace = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
  BitmapContext::sDefaultColorSpace = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
  BitmapContext::sAdobe98ColorSpace = CGColorSpaceCreateWithName(kCGColorSpaceAdobeRGB1998);
  std::atexit(CoreGraphicsBitmapContextTermFunc);
  return true;
}();

template <class Pixel>
void FillNoise(unsigned char* data, unsigned long rowBytes, int64_t width, int64_t height, int step,
               float amplitude, Pixel store) {
  step = std::clamp(step, 1, 64);
  // Sides are counted in 16 bits, as they always have been (up to 32,767 pixels).
  int rows = int16_t(height), columns = int16_t(width);
  float w = float(width), h = float(height);
  for (int y = 0; y < rows; ++y) {
    unsigned char* row = data + size_t(y) * rowBytes;
    float qy = float(y / step) * float(step);
    for (int x = 0; x < columns; ++x) {
      float qx = float(x / step) * float(step);
      float v = CoreGeometry::PerlinNoise::sSingleton.Noise2(qx / w * 256.0f, qy / h * 256.0f);
      int n = int(v * amplitude * 255.0f);
      store(row, x, uint8_t(n));
    }
  }
}
}  // namespace

BitmapContext::~BitmapContext() { Destruct(); }

bool BitmapContext::IsConstructed() const {
  return mImageWidth != 0 && mImageHeight != 0 && mContext && mImageDataBytes;
}

void BitmapContext::Empty() {
  mContext = nullptr;
  mBitmapType = kBitmapTypeNone;
  mImageWidth = mImageHeight = 0;
  mImageBitsPerPixel = mImageBytesPerPixel = mImageRowBytes = mImageDataSize = 0;
  mImageAlphaInfo = kCGImageAlphaNone;
  mColorSpace = nullptr;
  mImageDataBytes = nullptr;
}

void BitmapContext::Destruct() {
  CGContextRelease(mContext);
  CGColorSpaceRelease(mColorSpace);
  if (mImageDataBytes) DeleteImageData(mImageDataBytes);
  Empty();
}

bool BitmapContext::Construct(int width, int height, BitmapType type, unsigned long rowBytes,
                              CGColorSpaceRef colorSpace) {
  // Building over a built object would lose what it holds.
  Destruct();
  mBitmapType = type;
  mImageWidth = width;
  mImageHeight = height;
  if (type < kBitmapTypeGray || type > kBitmapTypeRGBX) return false;
  if (width <= 0 || height <= 0) return false;
  if (type == kBitmapTypeGray) {
    mImageBytesPerPixel = 1;
    mImageAlphaInfo = kCGImageAlphaNone;
    mColorSpace = CGColorSpaceCreateDeviceGray();
  } else {
    mImageBytesPerPixel = 4;
    mImageAlphaInfo = type == kBitmapTypeARGB   ? kCGImageAlphaPremultipliedFirst
                      : type == kBitmapTypeXRGB ? kCGImageAlphaNoneSkipFirst
                                                : kCGImageAlphaNoneSkipLast;
    mColorSpace = colorSpace ? CGColorSpaceRetain(colorSpace) : CGColorSpaceCreateDeviceRGB();
  }
  mImageBitsPerPixel = 8 * mImageBytesPerPixel;
  mImageRowBytes = std::max<unsigned long>(mImageBytesPerPixel * (unsigned long)width, rowBytes);
  // A padding so large that the size wraps would leave the context drawing past the memory.
  if (__builtin_mul_overflow(mImageRowBytes, (unsigned long)height, &mImageDataSize)) return false;
  mImageDataBytes = CreateImageData(mImageDataSize);
  if (!mImageDataBytes) return false;
  mContext = CGBitmapContextCreate(mImageDataBytes, size_t(width), size_t(height), kImageBitsPerComponent,
                                   mImageRowBytes, mColorSpace, mImageAlphaInfo);
  if (!mContext) return false;
  return ConstructSelf();
}

bool BitmapContext::ConstructSelf() { return true; }

unsigned char* BitmapContext::CreateImageData(unsigned long size) const {
  return static_cast<unsigned char*>(std::malloc(size));
}

void BitmapContext::DeleteImageData(unsigned char* data) const {
  if (data) std::free(data);
}

CGImageRef BitmapContext::ConstructCGImage(CGColorSpaceRef colorSpace) const {
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, mImageDataBytes, mImageDataSize, nullptr);
  if (!provider) return nullptr;
  CGImageRef image = CGImageCreate(size_t(mImageWidth), size_t(mImageHeight), kImageBitsPerComponent,
                                   mImageBitsPerPixel, mImageRowBytes, colorSpace ? colorSpace : mColorSpace,
                                   mImageAlphaInfo, provider, nullptr, true, kCGRenderingIntentDefault);
  CGDataProviderRelease(provider);
  return image;
}

CGImageRef BitmapContext::GetCroppedImageRef(const CGRect& rect, CGColorSpaceRef colorSpace) const {
  if (!IsConstructed()) return nullptr;
  if (CGRectEqualToRect(rect, CGRectMake(0, 0, double(mImageWidth), double(mImageHeight))))
    return ConstructCGImage(colorSpace);
  int64_t column = int64_t(rect.origin.x);
  int64_t row = int64_t(double(mImageHeight) - (rect.origin.y + rect.size.height));
  int64_t width = int64_t(rect.size.width);
  int64_t height = int64_t(rect.size.height);
  // Only pixels of the bitmap may be read: the crop is cut to it.
  if (column < 0) width += column, column = 0;
  if (row < 0) height += row, row = 0;
  width = std::min(width, mImageWidth - column);
  height = std::min(height, mImageHeight - row);
  if (width <= 0 || height <= 0) return nullptr;
  unsigned char* start = mImageDataBytes + size_t(row) * mImageRowBytes + size_t(column) * mImageBytesPerPixel;
  size_t length = size_t(height - 1) * mImageRowBytes + size_t(width) * mImageBytesPerPixel;
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, start, length, nullptr);
  if (!provider) return nullptr;
  CGImageRef image = CGImageCreate(size_t(width), size_t(height), kImageBitsPerComponent, mImageBitsPerPixel,
                                   mImageRowBytes, colorSpace ? colorSpace : mColorSpace, mImageAlphaInfo,
                                   provider, nullptr, true, kCGRenderingIntentDefault);
  CGDataProviderRelease(provider);
  return image;
}

uint32_t BitmapContext::SafeGetPixel_BilinearInterpolatedSample8888(double x, double y) const {
  if (!IsConstructed() || mImageBytesPerPixel != 4) return 0;
  // Clamping the coordinates (not only the indices) keeps the weights within 0..1.
  x = std::clamp(x, 0.0, double(mImageWidth - 1));
  y = std::clamp(y, 0.0, double(mImageHeight - 1));
  int64_t x0 = int64_t(x), y0 = int64_t(y);
  int64_t y1 = std::min(y0 + 1, mImageHeight - 1);
  double fx = x - double(x0), fy = y - double(y0);
  int64_t right = x0 < mImageWidth - 1 ? 1 : 0;
  const unsigned char* p00 = mImageDataBytes + size_t(y0) * mImageRowBytes + size_t(x0) * 4;
  const unsigned char* p01 = p00 + right * 4;
  const unsigned char* p10 = mImageDataBytes + size_t(y1) * mImageRowBytes + size_t(x0) * 4;
  const unsigned char* p11 = p10 + right * 4;
  uint32_t b[4];
  for (int k = 0; k < 4; ++k) {
    double top = p00[k] * (1 - fx) + p01[k] * fx;
    double bottom = p10[k] * (1 - fx) + p11[k] * fx;
    b[k] = uint32_t(int(top * (1 - fy) + bottom * fy) & 255);
  }
  return b[1] | b[2] << 8 | b[3] << 16 | b[0] << 24;
}

void BitmapContext::FillPerlinNoise(int step, float amplitude) const {
  // A bitmap whose pixel memory could not be made has nothing to fill, whatever its type.
  switch (mImageDataBytes ? mBitmapType : kBitmapTypeNone) {
    case kBitmapTypeGray:
      FillNoise(mImageDataBytes, mImageRowBytes, mImageWidth, mImageHeight, step, amplitude,
                [](unsigned char* row, int x, uint8_t n) { row[x] = n; });
      break;
    case kBitmapTypeARGB:
    case kBitmapTypeXRGB:
    case kBitmapTypeRGBX:
      FillNoise(mImageDataBytes, mImageRowBytes, mImageWidth, mImageHeight, step, amplitude,
                [](unsigned char* row, int x, uint8_t n) {
                  unsigned char* pixel = row + size_t(x) * 4;
                  pixel[0] = 255;
                  pixel[1] = pixel[2] = pixel[3] = n;
                });
      break;
    default:
      Verify(false, "FillPerlinNoise", kBitmapContextSource, 237, " code : false");
      break;
  }
}

}  // namespace CoreGraphics
