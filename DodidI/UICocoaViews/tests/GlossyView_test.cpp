#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "NSUIBlackGlossyView.h"
#include "NSUIGlossyFill.h"
#include "NSUISheenmarkGlossyView.h"
#include "OffscreenDrawing.h"

const char* g_CoreMachDebug_LogPrefix = "GlossyViewTest";
const char* g_CoreMachDebug_LogFileName = "GlossyViewTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

using moxicam::test::near;
using moxicam::test::Pixel;
using moxicam::test::pixelAt;
using moxicam::test::renderView;

RefPtr<NSBitmapImageRep> glossIn(NSColor* color, int width = 10, int height = 100) {
  RefPtr<NSUISheenmarkGlossyView> view = adopt(static_cast<NSUISheenmarkGlossyView*>(
      NSUISheenmarkGlossyView::alloc()->initWithFrame(NSMakeRect(0, 0, width, height))));
  view->setGlossyColor(color);
  return renderView(view.get());
}

// Mid grey at gloss 0.5: whitened by 0.261 at the top, by 0.087 just above the middle, plain
// just below it, and glowing towards a grey of 0.8 at the bottom.
TEST(NSUIFillGlossyRect, ReflectsAboveTheMiddleAndGlowsBelow) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> drawn =
      glossIn(NSColor::colorWithCalibratedRed_green_blue_alpha(0.5, 0.5, 0.5, 1));
  const struct { int y, value; } rows[] = {{99, 160}, {50, 139}, {49, 128}, {0, 203}};
  for (auto row : rows) {
    const Pixel p = pixelAt(drawn.get(), 5, row.y);
    EXPECT_TRUE(near(p, row.value, row.value, row.value, 255, 3)) << "row " << row.y << ": " << p;
  }
}

TEST(NSUIFillGlossyRect, APatternIsGlossedAsMidGrey) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> tile = adopt(NSImage::alloc()->initWithSize(NSMakeSize(1, 1)));
  RefPtr<NSBitmapImageRep> pattern = glossIn(NSColor::colorWithPatternImage(tile.get()));
  RefPtr<NSBitmapImageRep> grey = glossIn(NSColor::colorWithCalibratedWhite_alpha(0.5, 1));
  for (int y : {0, 30, 49, 50, 99}) {
    const Pixel a = pixelAt(pattern.get(), 5, y), b = pixelAt(grey.get(), 5, y);
    EXPECT_TRUE(near(a, b.r, b.g, b.b, b.a, 0)) << y;
  }
}

TEST(NSUIFillGlossyRect, ColoursGlowTowardsTheirCaustic) {
  objc::AutoreleasePool pool;
  // Blue turns towards yellow's side (green rises); a purple towards magenta (red rises); a
  // grey's glow stays grey.
  RefPtr<NSBitmapImageRep> blue = glossIn(NSColor::blueColor());
  const Pixel blueBottom = pixelAt(blue.get(), 5, 0), blueMiddle = pixelAt(blue.get(), 5, 49);
  EXPECT_GT(blueBottom.g, blueMiddle.g + 40) << blueBottom << " against " << blueMiddle;
  EXPECT_EQ(blueBottom.r, 0);
  RefPtr<NSBitmapImageRep> purple = glossIn(NSColor::colorWithCalibratedRed_green_blue_alpha(0.5, 0, 1, 1));
  const Pixel purpleBottom = pixelAt(purple.get(), 5, 0), purpleMiddle = pixelAt(purple.get(), 5, 49);
  EXPECT_GT(purpleBottom.r, purpleMiddle.r + 40) << purpleBottom << " against " << purpleMiddle;
  EXPECT_EQ(purpleBottom.g, 0);
  RefPtr<NSBitmapImageRep> grey = glossIn(NSColor::darkGrayColor());
  const Pixel glow = pixelAt(grey.get(), 5, 0);
  EXPECT_EQ(glow.r, glow.g);
  EXPECT_EQ(glow.g, glow.b);
}

TEST(NSUIGlossShadingEvaluate, MeetsTheReflectionAndGlowAtTheirEnds) {
  NSUIGlossShadingInfo info{{0.2, 0.4, 0.6, 1.0}, {0.9, 0.8, 0.1, 1.0}, 1.2, 0, std::exp(-1.2f), 0.3, 0.1};
  info.expScale = 1.0 / (1.0 - info.expOffset);
  CGFloat out[4];
  const CGFloat top = 0;
  NSUIGlossShadingEvaluate(&info, &top, out);
  EXPECT_NEAR(out[0], 0.2 * 0.7 + 0.3, 1e-6) << "whitened by the initial white";
  const CGFloat justAbove = 0.4999999;
  NSUIGlossShadingEvaluate(&info, &justAbove, out);
  EXPECT_NEAR(out[1], 0.4 * 0.9 + 0.1, 1e-5) << "by the final white";
  const CGFloat middle = 0.5;
  NSUIGlossShadingEvaluate(&info, &middle, out);
  EXPECT_NEAR(out[2], 0.6, 1e-6) << "the colour itself just below";
  const CGFloat bottom = 1;
  NSUIGlossShadingEvaluate(&info, &bottom, out);
  EXPECT_NEAR(out[0], 0.9, 1e-6) << "the caustic colour";
  EXPECT_NEAR(out[3], 1.0, 1e-6);
}

TEST(NSUISheenmarkGlossyView, StartsWithItsClassColourFromCodeAndNibs) {
  objc::AutoreleasePool pool;
  const struct {
    Class cls;
    NSColor* color;
  } classes[] = {{NSUISheenmarkGlossyView::class_(), NSColor::darkGrayColor()},
                 {NSUIBlackGlossyView::class_(), NSColor::blackColor()},
                 {NSUIDarkGrayGlossyView::class_(), NSColor::darkGrayColor()},
                 {NSUIGrayGlossyView::class_(), NSColor::grayColor()},
                 {NSUIBlueGlossyView::class_(), NSColor::blueColor()}};
  for (const auto& c : classes) {
    NibBuilder nib;
    nib.object(c.cls->name, "view").setString("frame", "{{0, 0}, {10, 10}}");
    const std::string xml = nib.xml();
    RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(
        NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
    NSArray* objects = nullptr;
    ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
    auto* decoded = static_cast<NSUISheenmarkGlossyView*>(objects->objectAtIndex(0));
    EXPECT_TRUE(decoded->glossyColor()->isEqual(c.color)) << c.cls->name;
    RefPtr<NSUISheenmarkGlossyView> made = adopt(static_cast<NSUISheenmarkGlossyView*>(
        static_cast<NSView*>(class_createInstance(c.cls))->initWithFrame(NSZeroRect)));
    EXPECT_TRUE(made->glossyColor()->isEqual(c.color)) << c.cls->name;
    EXPECT_TRUE(made->isOpaque());
    EXPECT_FALSE(made->acceptsFirstResponder());
  }
}

}  // namespace
