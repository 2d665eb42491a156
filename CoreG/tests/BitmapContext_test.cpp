// Bitmap contexts of the 2-D layer: construction, shared images, crops, sampling, noise
// and centred drawing scopes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CaptureOutput.h"
#include "namespace_CoreGeometry_PerlinNoise.h"
#include "namespace_CoreGraphics_BitmapContext.h"
#include "namespace_CoreGraphics_ContextCentered.h"

const char* g_CoreMachDebug_LogPrefix = "CoreGBitmapContextTest";
const char* g_CoreMachDebug_LogFileName = "CoreGBitmapContextTest.log";

namespace {
using CoreGraphics::BitmapContext;

TEST(BitmapContext, ConstructLaysOutEachType) {
  struct Case {
    int width, height;
    CoreGraphics::BitmapType type;
    unsigned long rowBytes;
    unsigned long expectedRowBytes, expectedBytesPerPixel;
    CGImageAlphaInfo expectedAlpha;
    CGColorSpaceModel expectedModel;
  } cases[] = {
      {3, 2, CoreGraphics::kBitmapTypeARGB, 0, 12, 4, kCGImageAlphaPremultipliedFirst, kCGColorSpaceModelRGB},
      {3, 2, CoreGraphics::kBitmapTypeARGB, 16, 16, 4, kCGImageAlphaPremultipliedFirst, kCGColorSpaceModelRGB},
      {3, 2, CoreGraphics::kBitmapTypeARGB, 8, 12, 4, kCGImageAlphaPremultipliedFirst, kCGColorSpaceModelRGB},
      {3, 2, CoreGraphics::kBitmapTypeXRGB, 0, 12, 4, kCGImageAlphaNoneSkipFirst, kCGColorSpaceModelRGB},
      {3, 2, CoreGraphics::kBitmapTypeRGBX, 0, 12, 4, kCGImageAlphaNoneSkipLast, kCGColorSpaceModelRGB},
      {10, 10, CoreGraphics::kBitmapTypeGray, 0, 10, 1, kCGImageAlphaNone, kCGColorSpaceModelMonochrome},
  };
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " rowBytes " << c.rowBytes);
    BitmapContext bitmap;
    // The gray type ignores the RGB space it is given.
    ASSERT_TRUE(bitmap.Construct(c.width, c.height, c.type, c.rowBytes,
                                 c.type == CoreGraphics::kBitmapTypeGray ? rgb : nullptr));
    EXPECT_TRUE(bitmap.IsConstructed());
    EXPECT_EQ(bitmap.GetImageRowBytes(), c.expectedRowBytes);
    EXPECT_EQ(bitmap.GetImageBytesPerPixel(), c.expectedBytesPerPixel);
    EXPECT_EQ(bitmap.GetImageDataSize(), c.expectedRowBytes * (unsigned long)c.height);
    EXPECT_EQ(bitmap.GetImageAlphaInfo(), c.expectedAlpha);
    EXPECT_EQ(CGColorSpaceGetModel(bitmap.GetColorSpace()), c.expectedModel);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(bitmap.GetContext()), c.expectedRowBytes);
  }
  CGColorSpaceRelease(rgb);
}

TEST(BitmapContext, ConstructRefusesUnknownTypes) {
  for (int type : {0, 5, -1}) {
    BitmapContext bitmap;
    EXPECT_FALSE(bitmap.Construct(4, 4, CoreGraphics::BitmapType(type), 0, nullptr));
    EXPECT_EQ(bitmap.GetContext(), nullptr);
    EXPECT_FALSE(bitmap.IsConstructed());
  }
}

TEST(BitmapContext, ConstructRefusesPaddingThatWrapsTheDataSize) {
  BitmapContext bitmap;
  // 4 rows of 2^62 + 1 bytes would come to 4 bytes once the size wraps.
  EXPECT_FALSE(bitmap.Construct(2, 4, CoreGraphics::kBitmapTypeARGB, (1ul << 62) + 1, nullptr));
  EXPECT_FALSE(bitmap.IsConstructed());
  EXPECT_EQ(bitmap.GetContext(), nullptr);
}

// Pixel memory that cannot be had, as when a large bitmap is refused.
class NoMemoryBitmap : public BitmapContext {
 public:
  unsigned char* CreateImageData(unsigned long) const override { return nullptr; }
};

TEST(BitmapContext, NoiseFillOfABitmapWithoutMemoryIsReported) {
  NoMemoryBitmap bitmap;
  for (auto type : {CoreGraphics::kBitmapTypeGray, CoreGraphics::kBitmapTypeARGB}) {
    ASSERT_FALSE(bitmap.Construct(16, 16, type, 0, nullptr));
    std::string reports = moxicam::test::captureStandardError([&] { bitmap.FillPerlinNoise(1, 1.0f); });
    EXPECT_NE(reports.find(" code : false"), std::string::npos) << reports;
    bitmap.Destruct();
  }
}

TEST(BitmapContext, DrawingLandsInTheOwnedMemoryInARGBOrder) {
  BitmapContext bitmap;
  ASSERT_TRUE(bitmap.Construct(4, 4, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
  CGContextSetRGBFillColor(bitmap.GetContext(), 0, 0, 1, 1);
  CGContextFillRect(bitmap.GetContext(), CGRectMake(0, 0, 4, 4));
  const unsigned char* p = bitmap.GetImageDataBytes();
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[2], 0);
  EXPECT_EQ(p[3], 255);
}

TEST(BitmapContext, ImagesShareThePixelsAndCropsStayInside) {
  BitmapContext bitmap;
  ASSERT_TRUE(bitmap.Construct(8, 4, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
  std::memset(bitmap.GetImageDataBytes(), 0, bitmap.GetImageDataSize());
  CGImageRef image = bitmap.ConstructCGImage(nullptr);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(CGImageGetColorSpace(image), bitmap.GetColorSpace());
  bitmap.GetImageDataBytes()[5] = 77;  // written after the image was made
  CFDataRef data = CGDataProviderCopyData(CGImageGetDataProvider(image));
  EXPECT_EQ(CFDataGetBytePtr(data)[5], 77);
  CFRelease(data);
  CGImageRelease(image);

  CGImageRef full = bitmap.GetCroppedImageRef(CGRectMake(0, 0, 8, 4), nullptr);
  EXPECT_EQ(CGImageGetWidth(full), 8u);
  CGImageRelease(full);

  struct Case {
    CGRect rect;
    size_t width, height;
  } cases[] = {
      {CGRectMake(2, 0, 3, 2), 3, 2},    // the bottom two rows
      {CGRectMake(6, 0, 5, 2), 2, 2},    // reaches past the right edge: cut
      {CGRectMake(-2, 2, 4, 4), 2, 2},   // starts left of and above the bitmap: cut
      {CGRectMake(9, 0, 2, 2), 0, 0},    // wholly outside: no image
  };
  for (const Case& c : cases) {
    CGImageRef crop = bitmap.GetCroppedImageRef(c.rect, nullptr);
    EXPECT_EQ(CGImageGetWidth(crop), c.width);
    EXPECT_EQ(CGImageGetHeight(crop), c.height);
    if (crop) {
      // Every byte the crop claims lies inside the bitmap's memory.
      CGDataProviderRef provider = CGImageGetDataProvider(crop);
      CFDataRef bytes = CGDataProviderCopyData(provider);
      const unsigned char* first = CFDataGetBytePtr(bytes);
      EXPECT_LE(size_t(CFDataGetLength(bytes)), bitmap.GetImageDataSize());
      (void)first;
      CFRelease(bytes);
    }
    CGImageRelease(crop);
  }
  BitmapContext empty;
  EXPECT_EQ(empty.GetCroppedImageRef(CGRectMake(0, 0, 1, 1), nullptr), nullptr);
}

TEST(BitmapContext, BilinearSampleClampsToTheBitmap) {
  BitmapContext bitmap;
  ASSERT_TRUE(bitmap.Construct(2, 2, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
  const unsigned char pixels[16] = {10, 20, 30, 40, 50, 60, 70, 80, 10, 20, 30, 40, 50, 60, 70, 80};
  std::memcpy(bitmap.GetImageDataBytes(), pixels, 16);
  EXPECT_EQ(bitmap.SafeGetPixel_BilinearInterpolatedSample8888(0, 0), 0x0A281E14u);
  // Halfway along the row: each byte the mean of its two pixels.
  EXPECT_EQ(bitmap.SafeGetPixel_BilinearInterpolatedSample8888(0.5, 0), 0x1E3C3228u);
  // At and past the right edge the sample is the edge pixel itself.
  EXPECT_EQ(bitmap.SafeGetPixel_BilinearInterpolatedSample8888(1, 1), 0x3250463Cu);
  EXPECT_EQ(bitmap.SafeGetPixel_BilinearInterpolatedSample8888(7.5, 9), 0x3250463Cu);
  EXPECT_EQ(bitmap.SafeGetPixel_BilinearInterpolatedSample8888(-3, -3), 0x0A281E14u);
}

TEST(PerlinNoise, TablesAndLatticeInvariants) {
  const auto& noise = CoreGeometry::PerlinNoise::sSingleton;
  bool seen[256] = {};
  for (int i = 0; i < 256; ++i) seen[noise.GetPermutation()[i]] = true;
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(seen[i]) << i;
  for (int i = -3; i <= 3; ++i) {
    EXPECT_EQ(noise.Noise1(float(i)), 0.0f);
    EXPECT_EQ(noise.Noise2(float(i), float(i + 7)), 0.0f);
    EXPECT_EQ(noise.Noise3(float(i), 2.0f, float(-i)), 0.0f);
  }
  for (int k = 0; k < 256; ++k) {
    EXPECT_GE(noise.GetGradient1()[k], -1.0f);
    EXPECT_LT(noise.GetGradient1()[k], 1.0f);
  }
  // Between 0 and 1 the 1-D noise depends only on the first two gradients.
  float g0 = noise.GetGradient1()[0], g1 = noise.GetGradient1()[1], f = 0.25f;
  float s = (3 - 2 * f) * f * f;
  float a = f * g0, b = (f - 1) * g1;
  EXPECT_FLOAT_EQ(noise.Noise1(f), a - (a - b) * s);
  EXPECT_EQ(CoreGeometry::PerlinNoise::OctaveFromFrequency(0.5f), 0u);
  EXPECT_EQ(CoreGeometry::PerlinNoise::OctaveFromFrequency(5.0f), 2u);
  EXPECT_EQ(CoreGeometry::PerlinNoise::OctaveFromFrequency(1024.0f), 8u);
  EXPECT_EQ(CoreGeometry::PerlinNoise::OctaveFromFrequency(0.0f), 0u);
}

TEST(PerlinNoise, FillKeepsBlocksAndTheFirstByte) {
  BitmapContext small, large;
  ASSERT_TRUE(small.Construct(64, 64, CoreGraphics::kBitmapTypeXRGB, 0, nullptr));
  small.FillPerlinNoise(4, 1.0f);
  const unsigned char* p = small.GetImageDataBytes();
  for (unsigned long i = 0; i < small.GetImageDataSize(); i += 4) ASSERT_EQ(p[i], 255);
  // Constant over 4 × 4 blocks.
  EXPECT_EQ(p[1], p[3 * 4 + 1]);
  EXPECT_EQ(p[1], p[3 * small.GetImageRowBytes() + 1]);
  // Steps outside 1..64 act as the nearest end.
  BitmapContext step0, step1, step100, step64;
  for (BitmapContext* b : {&step0, &step1, &step100, &step64})
    ASSERT_TRUE(b->Construct(80, 70, CoreGraphics::kBitmapTypeGray, 0, nullptr));
  step0.FillPerlinNoise(0, 0.7f);
  step1.FillPerlinNoise(1, 0.7f);
  step100.FillPerlinNoise(100, 0.7f);
  step64.FillPerlinNoise(64, 0.7f);
  EXPECT_EQ(std::memcmp(step0.GetImageDataBytes(), step1.GetImageDataBytes(), step1.GetImageDataSize()), 0);
  EXPECT_EQ(std::memcmp(step100.GetImageDataBytes(), step64.GetImageDataBytes(), step64.GetImageDataSize()), 0);
}

TEST(ContextCentered, MovesTheOriginForItsScopeOnly) {
  BitmapContext bitmap;
  ASSERT_TRUE(bitmap.Construct(100, 50, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
  std::memset(bitmap.GetImageDataBytes(), 0, bitmap.GetImageDataSize());
  CGContextRef c = bitmap.GetContext();
  {
    CoreGraphics::ContextCentered scope(CGRectMake(0, 0, 100, 50), c);
    const float* centred = scope.GetCenteredRect();
    EXPECT_EQ(centred[0], -50);
    EXPECT_EQ(centred[1], -25);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 1, 1));  // lands at (50, 25)
  }
  {
    CoreGraphics::ContextCentered corner(CGRectMake(0, 0, 100, 50), c);
    corner.MoveOriginToCorner(3);
    CGAffineTransform t = CGContextGetCTM(c);
    EXPECT_EQ(t.tx, 100);
    EXPECT_EQ(t.ty, 0);
    corner.MoveOriginToCorner(2);  // back over to the upper left of the moved frame
    EXPECT_EQ(CGContextGetCTM(c).tx, 50);
    EXPECT_EQ(CGContextGetCTM(c).ty, 25);
  }
  EXPECT_TRUE(CGAffineTransformIsIdentity(CGContextGetCTM(c)));
  // Device (50, 25) y-up is stored row 50 - 1 - 25 = 24.
  EXPECT_EQ(bitmap.GetImageDataBytes()[24 * bitmap.GetImageRowBytes() + 50 * 4 + 1], 255);
  CoreGraphics::ContextCentered nothing(CGRectMake(0, 0, 10, 10), nullptr);
  EXPECT_EQ(nothing.GetContext(), nullptr);
}

}  // namespace
