#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "NSUIColorContentView.h"
#include "NSUIColorDrawing.h"
#include "OffscreenDrawing.h"

const char* g_CoreMachDebug_LogPrefix = "ColorContentViewTest";
const char* g_CoreMachDebug_LogFileName = "ColorContentViewTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

using moxicam::test::drawOffscreen;
using moxicam::test::near;
using moxicam::test::pixelAt;
using moxicam::test::renderView;

// A view of the class made in code.
RefPtr<NSView> makeView(const char* className, NSRect frame) {
  Class cls = objc_getClass(className);
  EXPECT_NE(cls, nullptr) << className;
  if (!cls) return nullptr;
  return adopt(static_cast<NSView*>(class_createInstance(cls))->initWithFrame(frame));
}

// The same class decoded from a nib.
RefPtr<NSView> decodeView(const char* className) {
  NibBuilder nib;
  nib.object(className, "view").setString("frame", "{{0, 0}, {30, 10}}");
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  EXPECT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  return RefPtr<NSView>(static_cast<NSView*>(objects->objectAtIndex(0)));
}

int byte(float component) { return int(std::lround(component * 255)); }

struct Colour {
  const char* className;
  float grey, opacity;
};

class ColourSetUp : public ::testing::TestWithParam<Colour> {};

TEST_P(ColourSetUp, EveryInitialiserSetsTheClassesColour) {
  objc::AutoreleasePool pool;
  const Colour& c = GetParam();
  for (RefPtr<NSView> view : {makeView(c.className, NSMakeRect(0, 0, 30, 10)), decodeView(c.className)}) {
    auto* colour = NSDynamicCast<NSUIColorContentView>(view.get());
    ASSERT_NE(colour, nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(colour->colorRGB()[i], c.grey);
    EXPECT_FLOAT_EQ(colour->opacity(), c.opacity);
    EXPECT_FALSE(colour->isOpaque());
    EXPECT_FALSE(colour->acceptsFirstResponder());
    EXPECT_TRUE(colour->acceptsFirstMouse(nullptr));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Classes, ColourSetUp,
    ::testing::Values(
        Colour{"NSUIColorContentView", 1.0f, 1.0f}, Colour{"NSUIWhiteOpaqueView", 1.0f, 1.0f},
        Colour{"NSUILightGreyOpaqueView", 0.85f, 1.0f}, Colour{"NSUIGreyOpaqueView", 0.75f, 1.0f},
        Colour{"NSUIMedGreyOpaqueView", 0.5f, 1.0f}, Colour{"NSUIDarkGreyOpaqueView", 0.25f, 1.0f},
        Colour{"NSUIOpaqueBlackView", 0.05f, 1.0f}, Colour{"NSUITransparentView", 1.0f, 0.0f},
        Colour{"NSUIGreyStrokedRoundRectView", 0.75f, 0.0f}, Colour{"NSUIBlackRoundRectView", 0.05f, 1.0f},
        Colour{"NSUIWhiteRoundRectViewCorner10", 1.0f, 1.0f},
        Colour{"NSUIMedGreyRoundRectTopViewCorner10", 0.5f, 1.0f},
        Colour{"NSUIDarkGreyRoundRectBottomViewCorner10", 0.25f, 1.0f},
        Colour{"NSUIGreyCircleView", 0.75f, 1.0f}, Colour{"NSUIAccentRoundRectView", 0.5f, 0.25f},
        Colour{"NSUIAccentRoundRectViewCorner10", 0.5f, 0.25f}, Colour{"NSUIBaseLozengeView", 0.75f, 0.8f},
        Colour{"NSUIGreyLozengeView", 0.75f, 0.8f}, Colour{"NSUIDarkGreyLozengeView", 0.25f, 0.75f},
        Colour{"NSUIMedGreyLozengeView", 0.5f, 0.75f}, Colour{"NSUIBlackLozengeView", 0.05f, 0.75f},
        Colour{"NSUIAccentLozengeView", 0.5f, 0.25f}),
    [](const ::testing::TestParamInfo<Colour>& info) { return std::string(info.param.className); });

// Where a shape leaves the view transparent and where it paints, on a 100 x 40 view.
struct Shape {
  const char* className;
  std::pair<int, int> painted[3];
  std::pair<int, int> clear[2];
};

class Shapes : public ::testing::TestWithParam<Shape> {};

TEST_P(Shapes, PaintInsideAndLeaveTheRestTransparent) {
  objc::AutoreleasePool pool;
  const Shape& s = GetParam();
  RefPtr<NSView> view = makeView(s.className, NSMakeRect(0, 0, 100, 40));
  auto* colour = NSDynamicCast<NSUIColorContentView>(view.get());
  ASSERT_NE(colour, nullptr);
  RefPtr<NSBitmapImageRep> drawn = renderView(view.get());
  const int grey = byte(colour->colorRGB()[0]), alpha = byte(colour->opacity());
  for (auto [x, y] : s.painted) {
    EXPECT_TRUE(near(pixelAt(drawn.get(), x, y), grey, grey, grey, alpha))
        << x << "," << y << " " << pixelAt(drawn.get(), x, y);
  }
  for (auto [x, y] : s.clear) {
    if (x >= 0) EXPECT_EQ(pixelAt(drawn.get(), x, y).a, 0) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Classes, Shapes,
    ::testing::Values(
        // A plain fill reaches every corner (and leaves nothing clear: -1).
        Shape{"NSUIGreyOpaqueView", {{0, 0}, {99, 39}, {50, 20}}, {{-1, -1}, {-1, -1}}},
        // Corners of a quarter of the height: 10.
        Shape{"NSUIGreyRoundRectView", {{50, 20}, {10, 1}, {1, 10}}, {{0, 0}, {99, 39}}},
        Shape{"NSUIBlackRoundRectViewCorner10", {{50, 20}, {10, 0}, {0, 10}}, {{0, 0}, {99, 39}}},
        Shape{"NSUIWhiteRoundRectViewCorner10", {{50, 20}, {10, 0}, {0, 10}}, {{0, 39}, {99, 0}}},
        // Top: the top corners are rounded, the bottom ones square.
        Shape{"NSUIGreyRoundRectTopViewCorner10", {{50, 20}, {0, 0}, {99, 0}}, {{0, 39}, {99, 39}}},
        // Bottom: the bottom corners are rounded, the top ones square.
        Shape{"NSUIMedGreyRoundRectBottomViewCorner10", {{50, 20}, {0, 39}, {99, 39}}, {{0, 0}, {99, 0}}},
        Shape{"NSUIAccentRoundRectViewCorner10", {{50, 20}, {10, 0}, {0, 10}}, {{0, 0}, {99, 39}}},
        // A circle of the bounds is an ellipse here.
        Shape{"NSUIDarkGreyCircleView", {{50, 20}, {2, 20}, {50, 38}}, {{3, 3}, {96, 36}}}),
    [](const ::testing::TestParamInfo<Shape>& info) { return std::string(info.param.className); });

TEST(ColorContentView, ACircleClearsItsCornersOverWhatLiesBehind) {
  objc::AutoreleasePool pool;
  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(0, 0, 40, 40), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  window->setOpaque(false);
  window->setBackgroundColor(NSColor::redColor());
  RefPtr<NSView> circle = makeView("NSUIBlackCircleView", NSMakeRect(0, 0, 40, 40));
  window->contentView()->addSubview(circle.get());
  window->display();
  circle->lockFocus();
  RefPtr<NSBitmapImageRep> drawn =
      adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(circle->bounds()));
  circle->unlockFocus();
  EXPECT_EQ(pixelAt(drawn.get(), 1, 1).a, 0) << "the window's red does not show";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 20, 20), 13, 13, 13, 255));
}

TEST(ColorContentView, LozengesAreCapsulesAlongTheLongerSide) {
  objc::AutoreleasePool pool;
  // 100 x 22: a horizontal capsule 20 thick from x = 0 to 100, centred at y = 11.
  RefPtr<NSBitmapImageRep> wide =
      renderView(makeView("NSUIGreyLozengeView", NSMakeRect(0, 0, 100, 22)).get());
  EXPECT_TRUE(near(pixelAt(wide.get(), 50, 11), 191, 191, 191, 204));
  EXPECT_TRUE(near(pixelAt(wide.get(), 50, 2), 191, 191, 191, 204));
  EXPECT_EQ(pixelAt(wide.get(), 50, 0).a, 0) << "one unit in from the bottom";
  EXPECT_EQ(pixelAt(wide.get(), 50, 21).a, 0) << "and from the top";
  EXPECT_GT(pixelAt(wide.get(), 1, 11).a, 100) << "round ends reach the edges";
  EXPECT_EQ(pixelAt(wide.get(), 1, 2).a, 0);
  // 22 x 100: vertical, the whole width thick, from y = 1 to 99.
  RefPtr<NSBitmapImageRep> tall =
      renderView(makeView("NSUIDarkGreyLozengeView", NSMakeRect(0, 0, 22, 100)).get());
  EXPECT_TRUE(near(pixelAt(tall.get(), 11, 50), 64, 64, 64, 191));
  EXPECT_TRUE(near(pixelAt(tall.get(), 0, 50), 64, 64, 64, 191));
  EXPECT_EQ(pixelAt(tall.get(), 11, 0).a, 0);
  EXPECT_EQ(pixelAt(tall.get(), 11, 99).a, 0);
  EXPECT_EQ(pixelAt(tall.get(), 1, 2).a, 0);
  // 30 x 32: a circle in (0, 1, 30, 30).
  RefPtr<NSBitmapImageRep> round =
      renderView(makeView("NSUIBlackLozengeView", NSMakeRect(0, 0, 30, 32)).get());
  EXPECT_TRUE(near(pixelAt(round.get(), 15, 16), 13, 13, 13, 191));
  EXPECT_EQ(pixelAt(round.get(), 2, 2).a, 0);
  EXPECT_EQ(pixelAt(round.get(), 15, 31).a, 0);
}

TEST(ColorContentView, StrokedAndTransparentViewsFillNothing) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> stroked =
      renderView(makeView("NSUIGreyStrokedRoundRectView", NSMakeRect(0, 0, 100, 40)).get());
  EXPECT_EQ(pixelAt(stroked.get(), 50, 20).a, 0) << "the fill is transparent";
  EXPECT_TRUE(near(pixelAt(stroked.get(), 50, 0), 191, 191, 191, 255)) << "the outline shows";
  RefPtr<NSBitmapImageRep> transparent =
      renderView(makeView("NSUITransparentView", NSMakeRect(0, 0, 10, 10)).get());
  EXPECT_EQ(moxicam::test::inkCount(transparent.get(), NSMakeRect(0, 0, 10, 10)), 0);
}

TEST(ColorContentView, RoundRectsByFlagAndRadius) {
  objc::AutoreleasePool pool;
  RefPtr<NSView> view = makeView("NSUIGreyOpaqueView", NSMakeRect(0, 0, 40, 20));
  auto* colour = static_cast<NSUIColorContentView*>(view.get());
  for (unsigned flags : {0u, 4u, 99u}) {
    RefPtr<NSBitmapImageRep> none = drawOffscreen(
        40, 20, [&] { colour->drawRect_roundRect_withCorner_withFlags(NSZeroRect, 10, flags); });
    EXPECT_EQ(moxicam::test::inkCount(none.get(), NSMakeRect(0, 0, 40, 20)), 0) << "flags " << flags;
  }
  // A radius of exactly 1 is one unit; just below 1 it is a fraction of the smaller side.
  RefPtr<NSBitmapImageRep> small =
      drawOffscreen(40, 20, [&] { colour->drawRect_roundRect_withCorner(NSZeroRect, 1.0f); });
  EXPECT_GT(pixelAt(small.get(), 1, 1).a, 200);
  RefPtr<NSBitmapImageRep> large =
      drawOffscreen(40, 20, [&] { colour->drawRect_roundRect_withCorner(NSZeroRect, 0.99f); });
  EXPECT_EQ(pixelAt(large.get(), 1, 1).a, 0);
  EXPECT_GT(pixelAt(large.get(), 20, 10).a, 200);
}

TEST(ColorContentView, AKnobInLessThanTwoUnitsDrawsNothing) {
  objc::AutoreleasePool pool;
  const float white[3] = {1, 1, 1};
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(20, 4, [&] {
    CGContextRef context = NSGraphicsContext::currentContext()->CGContext();
    NSUIDrawKnobInContext(context, white, 1, CGRectMake(0, 0, 20, 1.5));
    NSUIDrawKnobInContext(context, white, 1, CGRectMake(0, 0, 20, 2));
    NSUIDrawKnobInContext(context, nullptr, 1, CGRectMake(0, 0, 20, 4));
    NSUIDrawKnobInContext(nullptr, white, 1, CGRectMake(0, 0, 20, 4));
  });
  EXPECT_EQ(moxicam::test::inkCount(drawn.get(), NSMakeRect(0, 0, 20, 4)), 0);
}

TEST(ColorContentView, ColourViewsAreMadeOfTheAskedClass) {
  objc::AutoreleasePool pool;
  const float rgb[3] = {0.1f, 0.2f, 0.3f};
  RefPtr<NSUIColorContentView> lozenge =
      adopt(NSUIColorContentView::colorViewWith(rgb, NSUIGreyLozengeView::class_()));
  ASSERT_TRUE(lozenge);
  EXPECT_TRUE(lozenge->isKindOfClass(NSUIGreyLozengeView::class_()));
  EXPECT_FLOAT_EQ(lozenge->colorRGB()[1], 0.2f);
  EXPECT_FLOAT_EQ(lozenge->opacity(), 0.8f) << "the class's own opacity";
  EXPECT_EQ(NSUIColorContentView::colorViewWith(rgb, NSView::class_()), nullptr) << "no colour view";
}

}  // namespace
