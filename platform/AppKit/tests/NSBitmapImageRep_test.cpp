#include <AppKit/AppKit.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Headless.h"

namespace {

RefPtr<NSBitmapImageRep> makeBitmap(unsigned char** planes, NSInteger width, NSInteger height,
                                    NSInteger samples, bool alpha, NSInteger rowBytes,
                                    NSInteger bitsPerPixel = 0) {
  return adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              planes, width, height, 8, samples, alpha, false, NSDeviceRGBColorSpace, 0, rowBytes,
              bitsPerPixel));
}

TEST(NSBitmapImageRep, DescribesItsLayout) {
  RefPtr<NSBitmapImageRep> rgb = makeBitmap(nullptr, 3, 2, 3, false, 0);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(rgb->bytesPerRow(), 9);
  EXPECT_EQ(rgb->bitsPerPixel(), 24);
  EXPECT_FALSE(rgb->hasAlpha());
  EXPECT_EQ(rgb->size().width, 3);
  unsigned char memory[32] = {};
  unsigned char* planes[] = {memory};
  RefPtr<NSBitmapImageRep> borrowed = makeBitmap(planes, 2, 2, 4, true, 16);
  EXPECT_EQ(borrowed->bitmapData(), memory);
  EXPECT_FALSE(makeBitmap(nullptr, 4, 1, 4, true, 8)) << "rows shorter than a row of pixels";
  EXPECT_FALSE(makeBitmap(nullptr, 1, 1, 5, true, 0)) << "more samples than a pixel holds";
}

TEST(NSBitmapImageRep, FocusedRectIsReadAsRGBARowsFromTheTop) {
  RefPtr<NSImage> image = adopt(static_cast<NSImage*>(NSImage::alloc()->initWithSize(NSMakeSize(4, 2))));
  image->lockFocus();
  NSColor::redColor()->set();
  NSRectFill(NSMakeRect(0, 0, 4, 1));  // the bottom row
  NSColor::clearColor()->set();
  NSRectFill(NSMakeRect(0, 1, 4, 1));  // the top row, replaced by transparent
  RefPtr<NSBitmapImageRep> bitmap =
      adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(NSMakeRect(0, 0, 4, 2)));
  image->unlockFocus();
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->pixelsWide(), 4);
  EXPECT_EQ(bitmap->samplesPerPixel(), 4);
  const unsigned char* data = bitmap->bitmapData();
  EXPECT_EQ(std::vector<unsigned char>(data, data + 4), (std::vector<unsigned char>{0, 0, 0, 0}))
      << "top row first";
  const unsigned char* bottom = data + bitmap->bytesPerRow();
  EXPECT_EQ(std::vector<unsigned char>(bottom, bottom + 4), (std::vector<unsigned char>{255, 0, 0, 255}));
  EXPECT_FALSE(NSBitmapImageRep::alloc()->initWithFocusedViewRect(NSMakeRect(0, 0, 1, 1)))
      << "nothing focused";
}

TEST(NSBitmapImageRep, DrawsItselfScaled) {
  RefPtr<NSBitmapImageRep> bitmap = makeBitmap(nullptr, 1, 1, 4, true, 0);
  const unsigned char blue[4] = {0, 0, 255, 255};
  std::memcpy(bitmap->bitmapData(), blue, 4);
  RefPtr<NSImage> image = adopt(static_cast<NSImage*>(NSImage::alloc()->initWithSize(NSMakeSize(3, 3))));
  image->lockFocus();
  EXPECT_TRUE(bitmap->drawInRect(NSMakeRect(0, 0, 3, 3)));
  RefPtr<NSBitmapImageRep> drawn =
      adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(NSMakeRect(0, 0, 3, 3)));
  image->unlockFocus();
  const unsigned char* corner = drawn->bitmapData() + 2 * drawn->bytesPerRow() + 2 * 4;
  EXPECT_EQ(std::vector<unsigned char>(corner, corner + 4), (std::vector<unsigned char>{0, 0, 255, 255}));
}

}  // namespace
