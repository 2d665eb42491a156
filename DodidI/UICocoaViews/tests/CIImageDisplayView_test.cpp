#include <AppKit/AppKit.h>
#include <CoreImage/CoreImage.h>
#include <Foundation/NSData.h>
#include <dispatch/dispatch.h>
#include <gtest/gtest.h>

#include <thread>

#include "CIImageDisplayView.h"
#include "OffscreenDrawing.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "CIImageDisplayViewTest";
const char* g_CoreMachDebug_LogFileName = "CIImageDisplayViewTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

using moxicam::test::near;
using moxicam::test::Pixel;
using moxicam::test::pixelAt;
using moxicam::test::renderView;

// A 2 x 1 picture: the colour on the left, blue on the right.
CIImage* picture(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t rgba[] = {r, g, b, 255, 0, 0, 255, 255};
  return CIImage::imageWithBitmapData_bytesPerRow_size_format_colorSpace(
      NSData::dataWithBytes_length(rgba, sizeof rgba), 8, CGSizeMake(2, 1), kCIFormatRGBA8, nullptr);
}

RefPtr<CIImageDisplayView> makeView() {
  return adopt(
      static_cast<CIImageDisplayView*>(CIImageDisplayView::alloc()->initWithFrame(NSMakeRect(0, 0, 40, 20))));
}

TEST(CIImageDisplayView, StretchesItsImageOverTheBoundsAndDrawsNothingWithout) {
  objc::AutoreleasePool pool;
  RefPtr<CIImageDisplayView> view = makeView();
  EXPECT_EQ(view->image(), nullptr);
  RefPtr<NSBitmapImageRep> empty = renderView(view.get());
  EXPECT_EQ(moxicam::test::inkCount(empty.get(), NSMakeRect(0, 0, 40, 20)), 0) << "no image: nothing drawn";
  view->setImage(picture(255, 0, 0));
  EXPECT_EQ(view->inputImage(), view->image());
  RefPtr<NSBitmapImageRep> drawn = renderView(view.get());
  // The two pixels land on the two halves, stretched (and blended between their centres).
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 0), 255, 0, 0, 255));
  EXPECT_TRUE(near(pixelAt(drawn.get(), 8, 19), 255, 0, 0, 255)) << pixelAt(drawn.get(), 8, 19);
  EXPECT_TRUE(near(pixelAt(drawn.get(), 32, 0), 0, 0, 255, 255)) << "the right half, aspect not kept";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 39, 19), 0, 0, 255, 255));
  // An image without bounds cannot be stretched: nothing, and no failure.
  view->setImage(CIImage::imageWithColor(CIColor::colorWithRed_green_blue_alpha(0, 1, 0, 1)));
  RefPtr<NSBitmapImageRep> endless = renderView(view.get());
  EXPECT_EQ(moxicam::test::inkCount(endless.get(), NSMakeRect(0, 0, 40, 20)), 0);
}

TEST(CIImageDisplayView, AnImageFromAnotherThreadIsShownByTheMainLoop) {
  objc::AutoreleasePool pool;
  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(0, 0, 40, 20), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  window->setOpaque(false);
  window->setBackgroundColor(NSColor::clearColor());
  RefPtr<CIImageDisplayView> view = makeView();
  window->setContentView(view.get());
  window->display();
  // setImage alone asks for nothing.
  view->setImage(picture(0, 255, 0));
  EXPECT_FALSE(view->needsDisplay());
  EXPECT_FALSE(window->viewsNeedDisplay());
  auto shown = [&] {
    view->lockFocus();
    RefPtr<NSBitmapImageRep> drawn =
        adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(view->bounds()));
    view->unlockFocus();
    return pixelAt(drawn.get(), 5, 5);
  };
  EXPECT_EQ(shown().a, 0);
  // A burst from a rendering thread: the last image is the one shown.
  std::thread renderer([&] {
    objc::AutoreleasePool threadPool;
    view->setInputImage(picture(0, 255, 0));
    view->setInputImage(picture(255, 0, 0));
  });
  renderer.join();
  EXPECT_TRUE(moxicam::test::runLoopUntil([&] { return near(shown(), 255, 0, 0, 255); })) << shown();
  window->setContentView(nullptr);
}

TEST(CIImageDisplayView, AQueuedRedrawKeepsTheViewAlive) {
  objc::AutoreleasePool pool;
  RefPtr<CIImageDisplayView> view = makeView();
  view->setInputImage(picture(0, 0, 255));
  CIImageDisplayView* raw = view.get();
  view = nullptr;  // only the queued request holds it now
  bool drained = false;
  dispatch_async(dispatch_get_main_queue(), [&] { drained = true; });
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return drained; }));
  (void)raw;
}

}  // namespace
