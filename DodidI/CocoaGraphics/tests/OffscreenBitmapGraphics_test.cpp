#include <AppKit/AppKit.h>
#include <Foundation/NSException.h>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "NSBitmapImageRep_NSGraphicsContext.h"
#include "OffscreenDrawing.h"
#include "UFOffscreenBitmapGraphicsContext.h"

const char* g_CoreMachDebug_LogPrefix = "OffscreenBitmapGraphicsTest";
const char* g_CoreMachDebug_LogFileName = "OffscreenBitmapGraphicsTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// A screen of twice the pixels per point.
class RetinaScreen : public NSScreen {
  OBJC_CLASS_DECL(RetinaScreen, NSScreen)
 public:
  CGFloat backingScaleFactor() const override { return 2.0; }
};

// A picture that fails while it is drawn.
class FailingRep : public NSImageRep {
  OBJC_CLASS_DECL(FailingRep, NSImageRep)
 public:
  bool drawInRect(NSRect) const override {
    NSException::raise_format(NSGenericException, NSSTR("the picture is gone"));
  }
};

}  // namespace

OBJC_CLASS_DEFINE(RetinaScreen)
OBJC_CLASS_DEFINE(FailingRep)

namespace {

using moxicam::test::near;
using moxicam::test::pixelAt;

std::vector<unsigned char> bytesOf(NSBitmapImageRep* rep) {
  const unsigned char* data = rep->bitmapData();
  return std::vector<unsigned char>(data, data + rep->bytesPerRow() * rep->pixelsHigh());
}

TEST(UFOffscreenBitmapGraphicsContext, BitmapsHaveTheWholePixelsOfTheSize) {
  objc::AutoreleasePool pool;
  UFOffscreenBitmapGraphicsContext* offscreen =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(24.9, 10.2));
  ASSERT_NE(offscreen->bitmapImageRep(), nullptr);
  EXPECT_EQ(offscreen->bitmapImageRep()->pixelsWide(), 24);
  EXPECT_EQ(offscreen->bitmapImageRep()->pixelsHigh(), 10);
  EXPECT_EQ(offscreen->sizePixels().width, 24.9);
  EXPECT_EQ(offscreen->bitmapImageRep()->bitmapFormat(), NSAlphaFirstBitmapFormat);

  RefPtr<RetinaScreen> retina = adopt(static_cast<RetinaScreen*>(RetinaScreen::alloc()->init()));
  EXPECT_EQ(UFOffscreenBitmapGraphicsContext::scaleForRetinaDisplay(retina.get()), 2.0);
  EXPECT_EQ(UFOffscreenBitmapGraphicsContext::scaleForRetinaDisplay(nullptr), 1.0);
  UFOffscreenBitmapGraphicsContext* points =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePoints(CGSizeMake(100, 50));
  const CGFloat scale = NSScreen::mainScreen()->backingScaleFactor();
  EXPECT_TRUE(CGSizeEqualToSize(points->sizePixels(), CGSizeMake(100 * scale, 50 * scale)));

  // Sizes that are no number of pixels make no bitmap, and such an object takes no focus.
  for (CGSize bad : {CGSizeMake(0, 10), CGSizeMake(-5, 5), CGSizeMake(NAN, 4), CGSizeMake(INFINITY, 1)}) {
    UFOffscreenBitmapGraphicsContext* none =
        UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(bad);
    EXPECT_EQ(none->bitmapImageRep(), nullptr);
    EXPECT_EQ(none->bitmapContext(), nullptr);
    EXPECT_EQ(none->lockFocus(), nullptr);
    EXPECT_FALSE(none->isLocked());
    EXPECT_EQ(none->graphicsContext(), nullptr);
  }
}

TEST(UFOffscreenBitmapGraphicsContext, DrawsAlphaFirstBytesAndErasesToZero) {
  objc::AutoreleasePool pool;
  UFOffscreenBitmapGraphicsContext* offscreen =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(2, 1));
  ASSERT_NE(offscreen->lockFocus(), nullptr);
  NSColor::redColor()->set();
  NSRectFill(NSMakeRect(0, 0, 1, 1));
  NSColor::colorWithDeviceRed_green_blue_alpha(0, 0, 1, 1)->set();
  NSRectFill(NSMakeRect(1, 0, 1, 1));
  offscreen->unlockFocus();
  EXPECT_EQ(bytesOf(offscreen->bitmapImageRep()),
            (std::vector<unsigned char>{255, 255, 0, 0, 255, 0, 0, 255}));
  ASSERT_NE(offscreen->lockFocusAndEraseTransparent(true), nullptr);
  offscreen->unlockFocus();
  EXPECT_EQ(bytesOf(offscreen->bitmapImageRep()), std::vector<unsigned char>(8, 0));
}

TEST(UFOffscreenBitmapGraphicsContext, LocksDoNotNestAndUnlockingBringsTheCallersContextBack) {
  objc::AutoreleasePool pool;
  UFOffscreenBitmapGraphicsContext* outer =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(4, 4));
  UFOffscreenBitmapGraphicsContext* inner =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(4, 4));
  NSGraphicsContext* callers = outer->lockFocus();
  ASSERT_NE(callers, nullptr);
  NSGraphicsContext* locked = inner->lockFocus();
  EXPECT_EQ(NSGraphicsContext::currentContext(), locked);
  EXPECT_EQ(inner->savedContext(), callers);
  EXPECT_EQ(inner->lockFocus(), nullptr) << "no nesting";
  EXPECT_EQ(NSGraphicsContext::currentContext(), locked) << "and nothing changed";
  inner->unlockFocus();
  EXPECT_FALSE(inner->isLocked());
  EXPECT_EQ(inner->savedContext(), nullptr);
  EXPECT_EQ(NSGraphicsContext::currentContext(), callers);
  outer->unlockFocus();
}

TEST(UFOffscreenBitmapGraphicsContext, LocksAndUnlocksOnAThreadWithoutACurrentContext) {
  objc::AutoreleasePool pool;
  RefPtr<UFOffscreenBitmapGraphicsContext> offscreen = RefPtr<UFOffscreenBitmapGraphicsContext>(
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(3, 3)));
  std::thread drawer([&] {
    objc::AutoreleasePool threadPool;
    for (int round = 0; round < 2; ++round) {
      ASSERT_EQ(NSGraphicsContext::currentContext(), nullptr);
      NSGraphicsContext* context = offscreen->lockFocus();
      ASSERT_NE(context, nullptr) << "round " << round;
      EXPECT_TRUE(offscreen->isLocked());
      EXPECT_EQ(offscreen->lockFocus(), nullptr);
      NSColor::greenColor()->set();
      NSRectFill(NSMakeRect(0, 0, 3, 3));
      offscreen->unlockFocus();
      EXPECT_FALSE(offscreen->isLocked());
      EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr) << "no context, as before the lock";
    }
  });
  drawer.join();
  EXPECT_TRUE(near(pixelAt(offscreen->bitmapImageRep(), 1, 1), 0, 255, 0, 255));
}

TEST(UFOffscreenBitmapGraphicsContext, OnlyTheLockingThreadUnlocks) {
  objc::AutoreleasePool pool;
  UFOffscreenBitmapGraphicsContext* offscreen =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(2, 2));
  NSGraphicsContext* context = offscreen->lockFocus();
  std::thread([&] { offscreen->unlockFocus(); }).join();
  EXPECT_TRUE(offscreen->isLocked());
  EXPECT_EQ(NSGraphicsContext::currentContext(), context);
  offscreen->unlockFocus();
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr);
}

TEST(UFOffscreenBitmapGraphicsContext, TheImageSharesTheBitmapsPixels) {
  objc::AutoreleasePool pool;
  UFOffscreenBitmapGraphicsContext* offscreen =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(4, 4));
  NSImage* image = offscreen->image();
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(NSEqualSizes(image->size(), NSMakeSize(4, 4)));
  offscreen->lockFocusAndEraseTransparent(true);
  CGContextSetRGBFillColor(offscreen->graphicsContext(), 0, 0, 1, 1);
  CGContextFillRect(offscreen->graphicsContext(), CGRectMake(0, 0, 4, 4));
  offscreen->unlockFocus();
  RefPtr<NSBitmapImageRep> drawn =
      moxicam::test::drawOffscreen(4, 4, [&] { image->drawInRect(NSMakeRect(0, 0, 4, 4)); });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 2, 2), 0, 0, 255, 255)) << "drawn after the image was taken";
}

TEST(BitmapImageRepCategory, WithoutAnImageTheBitmapIsTheBackground) {
  objc::AutoreleasePool pool;
  NSBitmapImageRep* black =
      category_NSGraphicsContext::bitmapImageRepWithImage_withSizePixels_backgroundColor(
          nullptr, CGSizeMake(4, 4), nullptr);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(black->pixelsWide(), 4);
  EXPECT_EQ(black->bitmapFormat(), 0u);
  std::vector<unsigned char> expected;
  for (int i = 0; i < 16; ++i) expected.insert(expected.end(), {0, 0, 0, 255});
  EXPECT_EQ(bytesOf(black), expected) << "opaque black, R, G, B, A";
  NSBitmapImageRep* red = category_NSGraphicsContext::bitmapImageRepWithImage_withSizePixels_backgroundColor(
      nullptr, CGSizeMake(1, 1), NSColor::redColor());
  EXPECT_EQ(bytesOf(red), (std::vector<unsigned char>{255, 0, 0, 255}));
  for (CGSize bad : {CGSizeMake(0, 4), CGSizeMake(-1, -1), CGSizeMake(NAN, 2)}) {
    EXPECT_EQ(category_NSGraphicsContext::bitmapImageRepWithImage_withSizePixels_backgroundColor(nullptr, bad,
                                                                                                 nullptr),
              nullptr);
  }
}

TEST(BitmapImageRepCategory, TheImageIsStretchedOverTheWholeBitmap) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(10, 20)));
  image->lockFocus();
  NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 1, 0.5)->set();
  NSRectFill(NSMakeRect(0, 0, 10, 20));
  image->unlockFocus();
  NSBitmapImageRep* onWhite =
      category_NSGraphicsContext::bitmapImageRepWithImage_withSizePixels_backgroundColor(
          image.get(), CGSizeMake(40.7, 40), nullptr);
  ASSERT_NE(onWhite, nullptr);
  EXPECT_EQ(onWhite->pixelsWide(), 40);
  for (auto [x, y] : {std::pair{0, 0}, std::pair{39, 39}, std::pair{0, 39}, std::pair{20, 20}}) {
    EXPECT_TRUE(near(pixelAt(onWhite, x, y), 128, 128, 255, 255))
        << x << "," << y << ": blue over the erased white";
  }
  NSBitmapImageRep* onRed =
      category_NSGraphicsContext::bitmapImageRepWithImage_withSizePixels(image.get(), CGSizeMake(8, 8));
  EXPECT_TRUE(near(pixelAt(onRed, 4, 4), 0, 0, 128, 255)) << "over black by default";

  NSBitmapImageRep* source = category_NSGraphicsContext::bitmapImageRepFromImageTIFFData(image.get());
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->pixelsHigh(), 20);
  NSBitmapImageRep* fromBitmap =
      category_NSGraphicsContext::bitmapImageRepWithBitmap_withSizePixels_backgroundColor(
          source, CGSizeMake(5, 5), NSColor::whiteColor());
  ASSERT_NE(fromBitmap, nullptr);
  EXPECT_TRUE(near(pixelAt(fromBitmap, 4, 4), 128, 128, 255, 255));
  EXPECT_EQ(category_NSGraphicsContext::bitmapImageRepFromImageTIFFData(nullptr), nullptr);
}

TEST(BitmapImageRepCategory, AFailedDrawingKeepsWhatWasMadeAndTheCallersContext) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(2, 2)));
  image->addRepresentation(adopt(static_cast<FailingRep*>(FailingRep::alloc()->init())).get());
  NSGraphicsContext::classSaveGraphicsState();
  UFOffscreenBitmapGraphicsContext* callers =
      UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(CGSizeMake(1, 1));
  NSGraphicsContext* context = callers->lockFocus();
  testing::internal::CaptureStderr();
  NSBitmapImageRep* made = category_NSGraphicsContext::bitmapImageRepWithImage_withSizePixels_backgroundColor(
      image.get(), CGSizeMake(3, 3), NSColor::greenColor());
  const std::string log = testing::internal::GetCapturedStderr();
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(near(pixelAt(made, 1, 1), 0, 255, 0, 255)) << "the background drawn before the failure";
  EXPECT_NE(log.find("[NSBitmapImageRep bitmapImageRepWithImage:exception:the picture is gone"),
            std::string::npos)
      << log;
  EXPECT_EQ(NSGraphicsContext::currentContext(), context);
  callers->unlockFocus();
  NSGraphicsContext::classRestoreGraphicsState();
}

}  // namespace
