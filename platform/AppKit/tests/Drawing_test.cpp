#include <AppKit/AppKit.h>
#include <Foundation/NSData.h>
#include <gtest/gtest.h>

#include "Headless.h"
#include "OffscreenDrawing.h"

namespace {

using moxicam::test::drawOffscreen;
using moxicam::test::near;
using moxicam::test::pixelAt;

TEST(NSGradient, RunsAcrossTheRectangleAtTheAngle) {
  objc::AutoreleasePool pool;
  RefPtr<NSGradient> gradient = adopt(NSGradient::alloc()->initWithStartingColor_endingColor(
      NSColor::colorWithCalibratedRed_green_blue_alpha(1, 0, 0, 1),
      NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 1, 1)));
  ASSERT_TRUE(gradient);
  struct Case {
    CGFloat angle;
    int startX, startY, endX, endY;
  } cases[] = {{90, 50, 0, 50, 49}, {0, 0, 25, 99, 25}, {180, 99, 25, 0, 25}, {270, 50, 49, 50, 0}};
  for (const Case& c : cases) {
    RefPtr<NSBitmapImageRep> drawn =
        drawOffscreen(100, 50, [&] { gradient->drawInRect_angle(NSMakeRect(0, 0, 100, 50), c.angle); });
    EXPECT_TRUE(near(pixelAt(drawn.get(), c.startX, c.startY), 255, 0, 0, 255, 8))
        << c.angle << ": " << pixelAt(drawn.get(), c.startX, c.startY);
    EXPECT_TRUE(near(pixelAt(drawn.get(), c.endX, c.endY), 0, 0, 255, 255, 8)) << c.angle;
    EXPECT_TRUE(near(pixelAt(drawn.get(), 50, 25), 128, 0, 128, 255, 8))
        << c.angle << ": the middle is half way";
  }
  // Only the rectangle is painted.
  RefPtr<NSBitmapImageRep> part =
      drawOffscreen(20, 20, [&] { gradient->drawInRect_angle(NSMakeRect(5, 5, 10, 10), 90); });
  EXPECT_EQ(pixelAt(part.get(), 2, 2).a, 0);
  EXPECT_EQ(pixelAt(part.get(), 17, 17).a, 0);
  EXPECT_EQ(pixelAt(part.get(), 10, 10).a, 255);
  EXPECT_FALSE(NSGradient::alloc()->initWithStartingColor_endingColor(NSColor::redColor(), nullptr));
}

TEST(NSBezierPath, FillsStrokesAndRoundsCorners) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(40, 40, [] {
    NSColor::whiteColor()->setFill();
    NSBezierPath::bezierPathWithRoundedRect_xRadius_yRadius(NSMakeRect(0, 0, 40, 40), 10, 10)->fill();
    NSBezierPath* line = NSBezierPath::bezierPath();
    line->moveToPoint(NSMakePoint(0, 20));
    line->lineToPoint(NSMakePoint(40, 20));
    line->setLineWidth(2);
    NSColor::redColor()->setStroke();
    line->stroke();
  });
  EXPECT_EQ(pixelAt(drawn.get(), 0, 0).a, 0) << "a rounded corner";
  EXPECT_EQ(pixelAt(drawn.get(), 39, 39).a, 0);
  EXPECT_TRUE(near(pixelAt(drawn.get(), 10, 5), 255, 255, 255, 255));
  EXPECT_TRUE(near(pixelAt(drawn.get(), 20, 20), 255, 0, 0, 255)) << pixelAt(drawn.get(), 20, 20);
  EXPECT_TRUE(near(pixelAt(drawn.get(), 20, 19), 255, 0, 0, 255));
  EXPECT_TRUE(near(pixelAt(drawn.get(), 20, 22), 255, 255, 255, 255)) << "the line is 2 wide";
  NSBezierPath* empty = NSBezierPath::bezierPath();
  EXPECT_TRUE(empty->isEmpty());
  EXPECT_TRUE(NSEqualRects(empty->bounds(), NSZeroRect));
  EXPECT_TRUE(NSEqualRects(NSBezierPath::bezierPathWithOvalInRect(NSMakeRect(1, 2, 3, 4))->bounds(),
                           NSMakeRect(1, 2, 3, 4)));
}

TEST(NSAffineTransform, SetReplacesTheTransformAndConcatAddsToIt) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(20, 20, [] {
    NSAffineTransform* shift = NSAffineTransform::transform();
    shift->translateXBy_yBy(10, 0);
    shift->concat();
    shift->concat();  // now 20 to the right: off the bitmap
    NSAffineTransform* turn = NSAffineTransform::transform();
    // A quarter turn about the bitmap's centre: the bottom-left cell goes to the bottom-right.
    turn->translateXBy_yBy(10, 10);
    turn->rotateByDegrees(90);
    turn->translateXBy_yBy(-10, -10);
    turn->set();
    NSColor::redColor()->set();
    NSRectFill(NSMakeRect(0, 0, 5, 5));
  });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 17, 2), 255, 0, 0, 255)) << pixelAt(drawn.get(), 17, 2);
  EXPECT_EQ(pixelAt(drawn.get(), 2, 2).a, 0);
  NSAffineTransform* scale = NSAffineTransform::transform();
  scale->scaleXBy_yBy(2, 3);
  scale->translateXBy_yBy(1, 1);
  EXPECT_TRUE(NSEqualPoints(scale->transformPoint(NSMakePoint(1, 1)), NSMakePoint(4, 6)))
      << "translated first";
  NSAffineTransform* flat = NSAffineTransform::transform();
  flat->scaleXBy_yBy(0, 1);
  flat->invert();
  EXPECT_EQ(flat->transformStruct().m11, 0) << "a transform without inverse stays as it is";
}

TEST(NSGraphics, FillsReplaceAndEraseIsWhite) {
  objc::AutoreleasePool pool;
  RefPtr<NSBitmapImageRep> drawn = drawOffscreen(4, 4, [] {
    NSColor::redColor()->set();
    NSRectFill(NSMakeRect(0, 0, 4, 4));
    NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 1, 0.5)->set();
    NSRectFill(NSMakeRect(0, 0, 2, 2));
    NSEraseRect(NSMakeRect(2, 2, 2, 2));
  });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 0), 0, 0, 255, 128)) << "replaced, not blended";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 3, 3), 255, 255, 255, 255));
  EXPECT_TRUE(near(pixelAt(drawn.get(), 3, 0), 255, 0, 0, 255));
}

}  // namespace
