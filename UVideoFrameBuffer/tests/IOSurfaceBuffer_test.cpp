#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include "UVideoFrameBuffer.h"

namespace {

RefPtr<__IOSurface> surfaceOf(int width, int height, uint32_t pixelFormat) {
  RefPtr<__CFDictionary> properties = adopt(CFDictionaryCreateMutable(
      nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  const int values[] = {width, height, 4, int(pixelFormat)};
  const CFStringRef keys[] = {kIOSurfaceWidth, kIOSurfaceHeight, kIOSurfaceBytesPerElement,
                              kIOSurfacePixelFormat};
  for (int i = 0; i < (pixelFormat ? 4 : 3); ++i) {
    RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberIntType, &values[i]));
    CFDictionarySetValue(properties.get(), keys[i], number.get());
  }
  return adopt(IOSurfaceCreate(properties.get()));
}

TEST(LockedIOSurface, ReadsTheSurfacesFormatAndHoldsItLockedForReading) {
  struct Case {
    uint32_t surfaceFormat;
    UVideoFrameBuffer::tag_pixel_format_t format;
    int width;
  };
  for (const Case& c : {Case{FOUR_CHAR_CODE("BGRA"), UVideoFrameBuffer::kPixelFormatBGRA, 64},
                        Case{0, UVideoFrameBuffer::kPixelFormatBGRA, 64},
                        Case{FOUR_CHAR_CODE("2VUY"), UVideoFrameBuffer::kPixelFormat2vuy, 128}}) {
    RefPtr<__IOSurface> surface = surfaceOf(64, 16, c.surfaceFormat);
    ASSERT_TRUE(surface);
    const uint32_t seed = IOSurfaceGetSeed(surface.get());
    {
      UVideoFrameBuffer::LockedIOSurface locked;
      ASSERT_TRUE(locked.Construct(surface.get()));
      EXPECT_EQ(locked.mPixelFormat, c.format);
      EXPECT_EQ(locked.mPixelWidth, c.width);
      EXPECT_EQ(locked.mPixelHeight, 16);
      EXPECT_EQ(locked.mPixelRowBytes, int(IOSurfaceGetBytesPerRow(surface.get())));
      EXPECT_EQ(locked.mFrameBufferData, IOSurfaceGetBaseAddress(surface.get()));
      EXPECT_EQ(locked.GetBufferHandle(), surface.get());
      EXPECT_EQ(CFGetRetainCount(surface.get()), 2);
    }
    // Its end let the surface go; a read lock leaves the seed alone.
    EXPECT_EQ(CFGetRetainCount(surface.get()), 1);
    EXPECT_EQ(IOSurfaceGetSeed(surface.get()), seed);
  }
  UVideoFrameBuffer::LockedIOSurface none;
  EXPECT_FALSE(none.Construct(static_cast<IOSurfaceRef>(nullptr)));
  EXPECT_FALSE(none.SetBufferHandleLocked(nullptr));
}

TEST(Memory, FramesAndWorkAreas) {
  const UVideoFrameBuffer::Format raw(1280, 720, FOUR_CHAR_CODE("raw "), 0);
  EXPECT_EQ(raw.mPixelRowBytes, 5120);
  EXPECT_EQ(UVideoFrameBuffer::Format(1280, 720, UVideoFrameBuffer::kPixelFormatNone, 0).mPixelRowBytes, 0);
  UVideoFrameBuffer::Memory memory;
  ASSERT_TRUE(memory.ConstructWithFormatAndMinimumDataSize(raw, 100));
  EXPECT_EQ(memory.mFrameBufferDataSizeBytes, 5120u * 720);
  ASSERT_TRUE(memory.ConstructWithFormatAndMinimumDataSize(raw, 5120u * 720 + 1));
  EXPECT_EQ(memory.mFrameBufferDataSizeBytes, 5120u * 720 + 1);
  EXPECT_FALSE(memory.ConstructWithFormatAndMinimumDataSize(UVideoFrameBuffer::Format(), 64));
  EXPECT_EQ(memory.mFrameBufferData, nullptr);
  // A '2vuy' frame is half as wide to vImage: a pair of pixels in four bytes.
  UVideoFrameBuffer::Memory twoVuy;
  ASSERT_TRUE(twoVuy.Construct(UVideoFrameBuffer::Format(640, 4, UVideoFrameBuffer::kPixelFormat2vuy, 0)));
  const UVideoFrameBuffer::ImageBuffer view(twoVuy);
  EXPECT_EQ(view.width, 320u);
  EXPECT_EQ(view.height, 4u);
  EXPECT_EQ(view.rowBytes, 1280u);
}

}  // namespace
