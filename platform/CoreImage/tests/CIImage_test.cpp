#include <CoreGraphics/CGBitmapContext.h>
#include <CoreImage/CoreImage.h>
#include <Foundation/NSData.h>
#include <IOSurface/IOSurface.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GlobalSurface.h"

namespace {

// A transparent BGRA drawing target, y up, read back as 0xAARRGGBB values.
class Target {
 public:
  Target(size_t width, size_t height) : mWidth(width), mHeight(height) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    mContext = CGBitmapContextCreate(nullptr, width, height, 8, 0, space,
                                     kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    CGColorSpaceRelease(space);
  }
  ~Target() { CGContextRelease(mContext); }
  CGContextRef context() const { return mContext; }
  // x from the left, y from the bottom.
  uint32_t at(size_t x, size_t y) const {
    const auto* row = static_cast<const uint8_t*>(CGBitmapContextGetData(mContext)) +
                      (mHeight - 1 - y) * CGBitmapContextGetBytesPerRow(mContext);
    uint32_t value;
    std::memcpy(&value, row + x * 4, 4);
    return value;
  }

 private:
  size_t mWidth, mHeight;
  CGContextRef mContext = nullptr;
};

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00, kNone = 0;

// A 2 x 1 picture: red on the left, blue on the right.
CIImage* redBluePicture() {
  const uint8_t rgba[] = {255, 0, 0, 255, 0, 0, 255, 255};
  return CIImage::imageWithBitmapData_bytesPerRow_size_format_colorSpace(
      NSData::dataWithBytes_length(rgba, sizeof rgba), 8, CGSizeMake(2, 1), kCIFormatRGBA8, nullptr);
}

TEST(CIImage, IsStretchedFromItsExtentOverTheRectangle) {
  objc::AutoreleasePool pool;
  CIImage* image = redBluePicture();
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(CGRectEqualToRect(image->extent(), CGRectMake(0, 0, 2, 1)));
  Target target(20, 10);
  CIContext* context = CIContext::contextWithCGContext_options(target.context(), nullptr);
  context->drawImage_inRect_fromRect(image, CGRectMake(0, 0, 20, 10), image->extent());
  EXPECT_EQ(target.at(2, 5), kRed);
  EXPECT_EQ(target.at(17, 0), kBlue);
  EXPECT_EQ(target.at(17, 9), kBlue);
}

TEST(CIImage, TransformsAndCropsMoveAndNarrowTheExtent) {
  objc::AutoreleasePool pool;
  CIImage* image = redBluePicture();
  CIImage* moved = image->imageByApplyingTransform(CGAffineTransformMakeTranslation(3, 1));
  EXPECT_TRUE(CGRectEqualToRect(moved->extent(), CGRectMake(3, 1, 2, 1)));
  // The vertical flip of the preview path: a mirror about the image's own height.
  CIImage* mirrored = image->imageByApplyingTransform(CGAffineTransformMake(-1, 0, 0, 1, 2, 0));
  Target flipped(2, 1);
  CIContext::contextWithCGContext_options(flipped.context(), nullptr)
      ->drawImage_inRect_fromRect(mirrored, CGRectMake(0, 0, 2, 1), mirrored->extent());
  EXPECT_EQ(flipped.at(0, 0), kBlue);
  EXPECT_EQ(flipped.at(1, 0), kRed);

  CIImage* cropped = image->imageByCroppingToRect(CGRectMake(1, 0, 5, 5));
  EXPECT_TRUE(CGRectEqualToRect(cropped->extent(), CGRectMake(1, 0, 1, 1)));
  Target target(4, 2);
  CIContext::contextWithCGContext_options(target.context(), nullptr)
      ->drawImage_inRect_fromRect(cropped, CGRectMake(0, 0, 4, 2), CGRectMake(0, 0, 2, 1));
  EXPECT_EQ(target.at(0, 0), kNone) << "cropped away";
  EXPECT_EQ(target.at(3, 1), kBlue);
}

TEST(CIImage, ASurfaceIsReadWhenTheImageIsDrawn) {
  objc::AutoreleasePool pool;
  IOSurfaceRef surface = moxicam::test::createGlobalSurface(2, 2);
  ASSERT_NE(surface, nullptr);
  auto fill = [&](uint32_t argb) {
    IOSurfaceLock(surface, 0, nullptr);
    for (size_t y = 0; y < 2; ++y) {
      auto* row =
          static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface)) + y * IOSurfaceGetBytesPerRow(surface);
      for (size_t x = 0; x < 2; ++x) std::memcpy(row + x * 4, &argb, 4);  // B, G, R, A in memory
    }
    IOSurfaceUnlock(surface, 0, nullptr);
  };
  fill(kGreen);
  CIImage* image = CIImage::imageWithIOSurface(surface);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(CGRectEqualToRect(image->extent(), CGRectMake(0, 0, 2, 2)));
  Target first(2, 2);
  CIContext::contextWithCGContext_options(first.context(), nullptr)
      ->drawImage_inRect_fromRect(image, CGRectMake(0, 0, 2, 2), image->extent());
  EXPECT_EQ(first.at(1, 1), kGreen);
  fill(kRed);
  Target second(2, 2);
  CIContext::contextWithCGContext_options(second.context(), nullptr)
      ->drawImage_inRect_fromRect(image, CGRectMake(0, 0, 2, 2), image->extent());
  EXPECT_EQ(second.at(0, 0), kRed);
  CFRelease(surface);
}

TEST(CIImage, AnImageWithoutBoundsIsNotStretchedButCanBeCropped) {
  objc::AutoreleasePool pool;
  CIImage* colour = CIImage::imageWithColor(CIColor::colorWithRed_green_blue_alpha(0, 0, 1, 1));
  ASSERT_NE(colour, nullptr);
  EXPECT_TRUE(CGRectIsInfinite(colour->extent()));
  Target target(4, 4);
  CIContext* context = CIContext::contextWithCGContext_options(target.context(), nullptr);
  context->drawImage_inRect_fromRect(colour, CGRectMake(0, 0, 4, 4), colour->extent());
  EXPECT_EQ(target.at(2, 2), kNone);
  CIImage* tile = colour->imageByCroppingToRect(CGRectMake(0, 0, 1, 1));
  EXPECT_TRUE(CGRectEqualToRect(tile->extent(), CGRectMake(0, 0, 1, 1)));
  context->drawImage_inRect_fromRect(tile, CGRectMake(0, 0, 4, 4), tile->extent());
  EXPECT_EQ(target.at(2, 2), kBlue);
  CGImageRef picture = context->createCGImage_fromRect(colour, CGRectMake(0, 0, 3, 2));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(CGImageGetWidth(picture), 3u);
  CGImageRelease(picture);
  EXPECT_EQ(context->createCGImage_fromRect(colour, colour->extent()), nullptr);
}

TEST(CIImage, SourcesThatCannotBeReadMakeNoImage) {
  objc::AutoreleasePool pool;
  const uint8_t four[4] = {};
  NSData* short_ = NSData::dataWithBytes_length(four, sizeof four);
  EXPECT_EQ(CIImage::imageWithBitmapData_bytesPerRow_size_format_colorSpace(short_, 8, CGSizeMake(2, 1),
                                                                            kCIFormatRGBA8, nullptr),
            nullptr)
      << "fewer bytes than the rows need";
  EXPECT_EQ(CIImage::imageWithBitmapData_bytesPerRow_size_format_colorSpace(short_, 4, CGSizeMake(1, 1),
                                                                            'YUV2', nullptr),
            nullptr);
  EXPECT_EQ(CIImage::imageWithBitmapData_bytesPerRow_size_format_colorSpace(nullptr, 4, CGSizeMake(1, 1),
                                                                            kCIFormatRGBA8, nullptr),
            nullptr);
  EXPECT_EQ(CIImage::imageWithCGImage(nullptr), nullptr);
  EXPECT_EQ(CIImage::imageWithIOSurface(nullptr), nullptr);
  EXPECT_EQ(CIImage::imageWithColor(nullptr), nullptr);
  Target target(1, 1);
  CIContext::contextWithCGContext_options(target.context(), nullptr)
      ->drawImage_inRect_fromRect(nullptr, CGRectMake(0, 0, 1, 1), CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(CIContext::contextWithCGContext_options(nullptr, nullptr), nullptr);
}

}  // namespace
