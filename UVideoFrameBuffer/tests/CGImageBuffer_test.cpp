// Frame buffers over CGImages.
#include <gtest/gtest.h>

#include <vector>

#include "UVideoFrameBuffer.h"

const char* g_CoreMachDebug_LogPrefix = "UVideoFrameBufferImageTest";
const char* g_CoreMachDebug_LogFileName = "UVideoFrameBufferImageTest.log";

namespace {
using namespace UVideoFrameBuffer;

CGImageRef MakeImage(std::vector<uint8_t>& pixels, size_t w, size_t h, size_t bitsPerPixel, CGBitmapInfo info) {
  size_t rowBytes = w * bitsPerPixel / 8;
  pixels.resize(rowBytes * h);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i);
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, pixels.data(), pixels.size(), nullptr);
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGImageRef image = CGImageCreate(w, h, 8, bitsPerPixel, rowBytes, rgb, info, provider, nullptr, false,
                                   kCGRenderingIntentDefault);
  CGColorSpaceRelease(rgb);
  CGDataProviderRelease(provider);
  return image;
}

TEST(CGImageBuffer, NamesThePixelFormatByMemoryOrder) {
  struct Case {
    CGBitmapInfo info;
    tag_pixel_format_t expected;
  } cases[] = {
      {kCGImageAlphaPremultipliedFirst, kPixelFormatARGB},
      {kCGImageAlphaNoneSkipFirst, kPixelFormatARGB},
      {kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, kPixelFormatBGRA},
      {kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little, kPixelFormatBGRA},
      {kCGImageAlphaPremultipliedLast, kPixelFormatRGBA},
      {kCGImageAlphaNoneSkipLast | kCGBitmapByteOrder32Little, kPixelFormatABGR},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> pixels;
    CGImageRef image = MakeImage(pixels, 4, 2, 32, c.info);
    Format format;
    ASSERT_TRUE(T_CGImageRef::GetBufferFormat(image, format));
    EXPECT_EQ(format.mPixelFormat, c.expected) << Format::stringFromPixelFormat(c.expected);
    EXPECT_EQ(format.mPixelRowBytes, 16);
    CGImageRelease(image);
  }
  Format format(1, 1, kPixelFormatBGRA, 0);
  EXPECT_FALSE(T_CGImageRef::GetBufferFormat(nullptr, format));
  EXPECT_FALSE(format.HasValidFormat());
}

TEST(CGImageBuffer, CopiesThePixelsAndReadsRowsFromTheBottom) {
  std::vector<uint8_t> pixels;
  CGImageRef image = MakeImage(pixels, 4, 3, 32, kCGImageAlphaPremultipliedFirst);
  CGImageBuffer buffer;
  ASSERT_TRUE(buffer.Construct(image));
  EXPECT_EQ(buffer.mPixelWidth, 4);
  EXPECT_EQ(buffer.mPixelHeight, 3);
  EXPECT_EQ(buffer.GetBufferHandle(), image);
  pixels[32] = 0xEE;  // the image's memory changes after the copy
  auto* bottom = static_cast<const uint8_t*>(buffer.CGGetPixelScanline(0));
  ASSERT_NE(bottom, nullptr);
  EXPECT_EQ(bottom[0], 32) << "a copy: the bottom row as it was";
  EXPECT_EQ(static_cast<const uint8_t*>(buffer.CGGetPixelScanline(2))[1], 1);
  EXPECT_EQ(buffer.CGGetPixelScanline(3), nullptr);

  // Letting go of the image also lets go of the view into its copy.
  EXPECT_FALSE(buffer.SetBufferHandleLocked(nullptr));
  EXPECT_EQ(buffer.GetBufferHandle(), nullptr);
  EXPECT_EQ(buffer.CGGetPixelScanline(0), nullptr);
  CGImageRelease(image);
}

TEST(CGImageBuffer, OtherLayoutsAreReadWithoutAFormatName) {
  std::vector<uint8_t> pixels;
  CGImageRef image = MakeImage(pixels, 4, 2, 24, kCGImageAlphaNone);
  ASSERT_NE(image, nullptr);
  CGImageBuffer buffer;
  EXPECT_TRUE(buffer.Construct(image));
  EXPECT_EQ(buffer.mPixelFormat, kPixelFormatNone);
  CGImageRelease(image);
  CGImageBuffer empty;
  EXPECT_FALSE(empty.Construct(static_cast<CGImageRef>(nullptr)));
}

}  // namespace
