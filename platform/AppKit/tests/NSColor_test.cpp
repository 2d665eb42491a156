#include <AppKit/AppKit.h>
#include <Foundation/NSData.h>
#include <gtest/gtest.h>

#include "Headless.h"
#include "OffscreenDrawing.h"

namespace {

struct HSBCase {
  CGFloat r, g, b;
  CGFloat h, s, v;
};

class HueSaturationBrightness : public ::testing::TestWithParam<HSBCase> {};

TEST_P(HueSaturationBrightness, ReadsAndMakesTheSameColour) {
  objc::AutoreleasePool pool;
  const HSBCase& c = GetParam();
  NSColor* rgb = NSColor::colorWithCalibratedRed_green_blue_alpha(c.r, c.g, c.b, 0.5);
  CGFloat h, s, v, a;
  rgb->getHue_saturation_brightness_alpha(&h, &s, &v, &a);
  EXPECT_NEAR(h, c.h, 1e-9);
  EXPECT_NEAR(s, c.s, 1e-9);
  EXPECT_NEAR(v, c.v, 1e-9);
  EXPECT_EQ(a, 0.5);
  NSColor* back = NSColor::colorWithCalibratedHue_saturation_brightness_alpha(c.h, c.s, c.v, 0.5);
  EXPECT_NEAR(back->redComponent(), c.r, 1e-9);
  EXPECT_NEAR(back->greenComponent(), c.g, 1e-9);
  EXPECT_NEAR(back->blueComponent(), c.b, 1e-9);
  EXPECT_STREQ(back->colorSpaceName()->UTF8String(), "NSCalibratedRGBColorSpace");
}

INSTANTIATE_TEST_SUITE_P(Colours, HueSaturationBrightness,
                         ::testing::Values(HSBCase{1, 0, 0, 0, 1, 1}, HSBCase{1, 1, 0, 1.0 / 6, 1, 1},
                                           HSBCase{0, 1, 0, 1.0 / 3, 1, 1}, HSBCase{0, 0, 1, 2.0 / 3, 1, 1},
                                           HSBCase{1, 0, 1, 5.0 / 6, 1, 1}, HSBCase{0.5, 0.5, 0.5, 0, 0, 0.5},
                                           HSBCase{0, 0, 0, 0, 0, 0}, HSBCase{0.5, 0.25, 0.25, 0, 0.5, 0.5},
                                           HSBCase{0.2, 0.4, 0.8, 0.6111111111111112, 0.75, 0.8}));

TEST(NSColor, NamedColoursHaveTheirPlatformValues) {
  objc::AutoreleasePool pool;
  struct Named {
    NSColor* color;
    CGFloat r, g, b, a;
  } table[] = {
      {NSColor::blackColor(), 0, 0, 0, 1},      {NSColor::darkGrayColor(), 1.0 / 3, 1.0 / 3, 1.0 / 3, 1},
      {NSColor::grayColor(), 0.5, 0.5, 0.5, 1}, {NSColor::lightGrayColor(), 2.0 / 3, 2.0 / 3, 2.0 / 3, 1},
      {NSColor::whiteColor(), 1, 1, 1, 1},      {NSColor::clearColor(), 0, 0, 0, 0},
      {NSColor::yellowColor(), 1, 1, 0, 1},     {NSColor::magentaColor(), 1, 0, 1, 1},
      {NSColor::blueColor(), 0, 0, 1, 1},       {NSColor::shadowColor(), 0, 0, 0, 1}};
  for (const Named& n : table) {
    NSColor* rgb = n.color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
    ASSERT_NE(rgb, nullptr);
    EXPECT_NEAR(rgb->redComponent(), n.r, 1e-9) << rgb->className();
    EXPECT_NEAR(rgb->greenComponent(), n.g, 1e-9);
    EXPECT_NEAR(rgb->blueComponent(), n.b, 1e-9);
    EXPECT_NEAR(rgb->alphaComponent(), n.a, 1e-9);
  }
  // The control tint is one fixed colour here.
  EXPECT_EQ(NSColor::currentControlTint(), NSBlueControlTint);
  EXPECT_TRUE(NSColor::colorForControlTint(NSColor::currentControlTint())
                  ->isEqual(NSColor::colorForControlTint(NSDefaultControlTint)));
}

TEST(NSColor, APatternConvertsToNoSpaceAndPaintsNothing) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> tile = adopt(NSImage::alloc()->initWithSize(NSMakeSize(2, 2)));
  NSColor* pattern = NSColor::colorWithPatternImage(tile.get());
  ASSERT_NE(pattern, nullptr);
  EXPECT_EQ(pattern->patternImage(), tile.get());
  EXPECT_STREQ(pattern->colorSpaceName()->UTF8String(), "NSPatternColorSpace");
  EXPECT_EQ(pattern->colorUsingColorSpaceName(NSCalibratedRGBColorSpace), nullptr);
  EXPECT_EQ(pattern->colorUsingColorSpaceName(NSCalibratedWhiteColorSpace), nullptr);
  EXPECT_EQ(pattern->numberOfComponents(), 0);
  RefPtr<NSBitmapImageRep> drawn = moxicam::test::drawOffscreen(4, 4, [&] {
    NSColor::redColor()->set();
    pattern->set();
    NSBezierPath::fillRect(NSMakeRect(0, 0, 4, 4));
  });
  EXPECT_EQ(moxicam::test::pixelAt(drawn.get(), 1, 1).a, 0) << "not the colour set before it";
}

}  // namespace
