#include <AppKit/AppKit.h>
#include <Foundation/NSData.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Headless.h"
#include "OffscreenDrawing.h"

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

namespace layouts {

using moxicam::test::drawOffscreen;

struct Layout {
  const char* name;
  NSInteger samples;
  bool alpha;
  NSBitmapFormat format;
  // The bytes of one pixel painted with (red 255, green 128, blue 0) at alpha 1; -1 for a
  // padding byte, whatever it holds.
  std::vector<int> opaqueOrange;
};

class BitmapLayouts : public ::testing::TestWithParam<Layout> {};

// Drawing a pure colour into a bitmap of each layout leaves the bytes in the layout's order.
TEST_P(BitmapLayouts, PureColoursLandInTheLayoutsByteOrder) {
  const Layout& layout = GetParam();
  RefPtr<NSBitmapImageRep> bitmap = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, 2, 2, 8, layout.samples, layout.alpha, false, NSDeviceRGBColorSpace, layout.format, 0,
              32));
  ASSERT_TRUE(bitmap);
  NSGraphicsContext* context = NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap.get());
  ASSERT_NE(context, nullptr);
  NSGraphicsContext::classSaveGraphicsState();
  NSGraphicsContext::setCurrentContext(context);
  NSColor::colorWithDeviceRed_green_blue_alpha(1, 128 / 255.0, 0, 1)->set();
  NSRectFill(NSMakeRect(0, 1, 1, 1));  // the top-left pixel only
  NSGraphicsContext::classRestoreGraphicsState();
  const unsigned char* data = bitmap->bitmapData();
  for (int i = 0; i < 4; ++i) {
    if (layout.opaqueOrange[i] < 0) continue;
    EXPECT_EQ(data[i], layout.opaqueOrange[i]) << "byte " << i;
    EXPECT_EQ(data[4 + i], 0) << "byte " << i << " of its neighbour";
  }
  NSColor* read = bitmap->colorAtX_y(0, 0);
  EXPECT_NEAR(read->redComponent(), 1, 1e-9);
  EXPECT_NEAR(read->greenComponent(), 128 / 255.0, 1e-9);
  EXPECT_NEAR(read->blueComponent(), 0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BitmapLayouts,
    ::testing::Values(Layout{"RGBA", 4, true, 0, {255, 128, 0, 255}},
                      Layout{"ARGB", 4, true, NSAlphaFirstBitmapFormat, {255, 255, 128, 0}},
                      Layout{"BGRA",
                             4,
                             true,
                             NSAlphaFirstBitmapFormat | NSBitmapFormatThirtyTwoBitLittleEndian,
                             {0, 128, 255, 255}},
                      Layout{"ABGR", 4, true, NSBitmapFormatThirtyTwoBitLittleEndian, {255, 0, 128, 255}},
                      Layout{"RGBX", 3, false, 0, {255, 128, 0, -1}},
                      Layout{"XRGB", 3, false, NSAlphaFirstBitmapFormat, {-1, 255, 128, 0}}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

TEST(NSBitmapImageRep, LayoutsWithoutADrawingContextAnswerNone) {
  // Straight alpha, and 24-bit pixels, are read but not drawn into.
  RefPtr<NSBitmapImageRep> straight = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, 2, 2, 8, 4, true, false, NSDeviceRGBColorSpace, NSAlphaNonpremultipliedBitmapFormat, 0,
              0));
  RefPtr<NSBitmapImageRep> packed = makeBitmap(nullptr, 2, 2, 3, false, 0);
  EXPECT_EQ(NSGraphicsContext::graphicsContextWithBitmapImageRep(straight.get()), nullptr);
  EXPECT_EQ(NSGraphicsContext::graphicsContextWithBitmapImageRep(packed.get()), nullptr);
  EXPECT_EQ(NSGraphicsContext::graphicsContextWithBitmapImageRep(nullptr), nullptr);
  // A size whose byte count overflows is refused, not allocated.
  EXPECT_FALSE(makeBitmap(nullptr, NSInteger(1) << 40, 4, 4, true, 0));
  EXPECT_FALSE(makeBitmap(nullptr, -1, 4, 4, true, 0));
  EXPECT_FALSE(makeBitmap(nullptr, 1 << 19, 1 << 19, 4, true, 0)) << "a terabyte";
}

TEST(NSBitmapImageRep, PNGDataKeepsThePixelsAcrossARoundTrip) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(3, 2, [] {
    NSColor::colorWithDeviceRed_green_blue_alpha(0, 0, 1, 1)->set();
    NSRectFill(NSMakeRect(0, 0, 1, 1));
    NSColor::colorWithDeviceRed_green_blue_alpha(1, 0, 0, 0.5)->set();
    NSRectFill(NSMakeRect(2, 1, 1, 1));
  });
  NSData* data = drawn->TIFFRepresentation();
  ASSERT_NE(data, nullptr);
  NSBitmapImageRep* read = NSBitmapImageRep::imageRepWithData(data);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->pixelsWide(), 3);
  EXPECT_EQ(read->pixelsHigh(), 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      NSColor* before = drawn->colorAtX_y(x, y);
      NSColor* after = read->colorAtX_y(x, y);
      EXPECT_NEAR(before->alphaComponent(), after->alphaComponent(), 1 / 255.0) << x << "," << y;
      if (before->alphaComponent() > 0) EXPECT_NEAR(before->redComponent(), after->redComponent(), 2 / 255.0);
    }
  }
  EXPECT_NEAR(read->colorAtX_y(2, 0)->alphaComponent(), 0.5, 1 / 255.0);
  EXPECT_EQ(read->colorAtX_y(0, 1)->blueComponent(), 1);
}

TEST(NSBitmapImageRep, DataThatIsNoPictureGivesNone) {
  objc::AutoreleasePool pool;
  const char text[] = "not a picture at all";
  EXPECT_EQ(NSBitmapImageRep::imageRepWithData(NSData::dataWithBytes_length(text, sizeof text)), nullptr);
  EXPECT_EQ(NSBitmapImageRep::imageRepWithData(nullptr), nullptr);
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(4, 4, [] {});
  NSData* whole = drawn->TIFFRepresentation();
  // A PNG cut short is refused, not read past its end.
  EXPECT_EQ(
      NSBitmapImageRep::imageRepWithData(NSData::dataWithBytes_length(whole->bytes(), whole->length() / 2)),
      nullptr);
}

}  // namespace layouts
