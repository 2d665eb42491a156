// Windows on a real X server: what another client of the server sees of them, and pointer
// input injected through the server (XTest) as a user's would be.
#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindowImage.h>
#include <Foundation/NSDate.h>

#include "XTestServer.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

namespace {

// Moves its window by the pointer's movement on screen while a drag lasts.
class DragMovesWindowView : public NSView {
  OBJC_CLASS_DECL(DragMovesWindowView, NSView)
 public:
  void mouseDown(NSEvent* event) override {
    mLast = window()->convertBaseToScreen(event->locationInWindow());
    ++downs;
  }
  void mouseDragged(NSEvent* event) override {
    NSPoint now = window()->convertBaseToScreen(event->locationInWindow());
    NSRect frame = window()->frame();
    window()->setFrameOrigin(NSMakePoint(frame.origin.x + now.x - mLast.x, frame.origin.y + now.y - mLast.y));
    mLast = now;
  }
  void mouseUp(NSEvent*) override { ++ups; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }
  int downs = 0, ups = 0;

 private:
  NSPoint mLast{};
};

// Clear everywhere but a red square at its middle.
class SquareView : public NSView {
  OBJC_CLASS_DECL(SquareView, NSView)
 public:
  void drawRect(NSRect) override {
    CGContextRef context = NSGraphicsContext::currentContext()->CGContext();
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextFillRect(context, CGRectMake(10, 10, 20, 20));
  }
};

}  // namespace

OBJC_CLASS_DEFINE(DragMovesWindowView)
OBJC_CLASS_DEFINE(SquareView)

namespace {

// One server for the program; the screen is 1280 x 1024, so Cocoa y = 1024 - X y.
class NSWindowOnXServer : public moxicam::test::XServerTest {
 protected:
  NSWindowOnXServer() : XServerTest(1280, 1024) {}

  void SetUp() override {
    XServerTest::SetUp();
    if (IsSkipped()) return;
    setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
    int event, error, major, minor;
    ASSERT_TRUE(XTestQueryExtension(mDisplay, &event, &error, &major, &minor));
  }

  NSWindow* makeWindow(NSRect frame, NSWindowStyleMask style) {
    return static_cast<NSWindow*>(NSWindow::alloc()
                                      ->initWithContentRect_styleMask_backing_defer(frame, style, NSBackingStoreBuffered, false)
                                      ->autorelease());
  }

  // Runs the application's event loop until the condition holds or 10 s pass.
  template <class Predicate>
  bool runUntil(Predicate done) {
    NSApplication* app = NSApplication::sharedApplication();
    NSDate* deadline = NSDate::dateWithTimeIntervalSinceNow(10);
    while (!done()) {
      objc::AutoreleasePool pool;
      if (deadline->timeIntervalSinceNow() <= 0) return done();
      if (NSEvent* event = app->nextEventMatchingMask_untilDate_inMode_dequeue(
              NSAnyEventMask, NSDate::dateWithTimeIntervalSinceNow(0.05), NSDefaultRunLoopMode, true)) {
        app->sendEvent(event);
      }
    }
    return true;
  }

  XWindowAttributes attributesOf(NSWindow* window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(mDisplay, Window(window->windowNumber()), &attributes);
    return attributes;
  }

  // The window's top-left corner on the root window, as the server places it.
  std::pair<int, int> placeOf(NSWindow* window) {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(mDisplay, Window(window->windowNumber()), DefaultRootWindow(mDisplay), 0, 0, &x, &y, &child);
    return {x, y};
  }

  bool isMapped(NSWindow* window) { return attributesOf(window).map_state == IsViewable; }
};

TEST_F(NSWindowOnXServer, AWindowAppearsWithItsTitleAndPlaceAndHidesAndShows) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(100, 200, 300, 150), NSTitledWindowMask);
  window->setTitle(NSSTR("Moxicam Preview"));
  EXPECT_FALSE(isMapped(window));
  window->makeKeyAndOrderFront(nullptr);
  ASSERT_TRUE(runUntil([&] { return isMapped(window); }));
  char* name = nullptr;
  ASSERT_TRUE(XFetchName(mDisplay, Window(window->windowNumber()), &name));
  EXPECT_STREQ(name, "Moxicam Preview");
  XFree(name);
  XWindowAttributes attributes = attributesOf(window);
  EXPECT_EQ(attributes.width, 300);
  EXPECT_EQ(attributes.height, 150);
  // Bottom at Cocoa y = 200 is X y = 1024 - 200 - 150.
  EXPECT_EQ(placeOf(window), std::make_pair(100, 674));
  window->orderOut(nullptr);
  EXPECT_TRUE(runUntil([&] { return !isMapped(window); }));
  window->orderFront(nullptr);
  EXPECT_TRUE(runUntil([&] { return isMapped(window); }));
  window->setFrameOrigin(NSMakePoint(10, 20));
  EXPECT_TRUE(runUntil([&] { return placeOf(window) == std::make_pair(10, 854); }));
}

TEST_F(NSWindowOnXServer, BorderlessWindowsAreOverrideRedirect) {
  objc::AutoreleasePool pool;
  NSWindow* borderless = makeWindow(NSMakeRect(0, 0, 50, 50), NSBorderlessWindowMask);
  NSWindow* titled = makeWindow(NSMakeRect(0, 0, 50, 50), NSTitledWindowMask);
  EXPECT_TRUE(attributesOf(borderless).override_redirect);
  EXPECT_FALSE(attributesOf(titled).override_redirect);
}

TEST_F(NSWindowOnXServer, ADragWithInjectedPointerEventsMovesTheWindow) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(200, 300, 120, 80), NSBorderlessWindowMask);
  auto* view = static_cast<DragMovesWindowView*>(
      DragMovesWindowView::alloc()->initWithFrame(NSMakeRect(0, 0, 120, 80))->autorelease());
  window->setContentView(view);
  window->orderFront(nullptr);
  ASSERT_TRUE(runUntil([&] { return isMapped(window); }));
  // Press inside (X 250, 1024 - 300 - 40), move by (+60, +30) in X steps, release.
  const int x0 = 250, y0 = 1024 - 340;
  XTestFakeMotionEvent(mDisplay, -1, x0, y0, CurrentTime);
  XTestFakeButtonEvent(mDisplay, 1, True, CurrentTime);
  for (int step = 1; step <= 6; ++step) XTestFakeMotionEvent(mDisplay, -1, x0 + 10 * step, y0 + 5 * step, CurrentTime);
  XTestFakeButtonEvent(mDisplay, 1, False, CurrentTime);
  XFlush(mDisplay);
  ASSERT_TRUE(runUntil([&] { return view->ups == 1; }));
  EXPECT_EQ(view->downs, 1);
  // X down is Cocoa down: the window went right 60 and down 30.
  EXPECT_TRUE(NSEqualPoints(window->frame().origin, NSMakePoint(260, 270)))
      << NSStringFromRect(window->frame())->UTF8String();
  EXPECT_TRUE(runUntil([&] { return placeOf(window) == std::make_pair(260, 1024 - 270 - 80); }));
}

TEST_F(NSWindowOnXServer, ANonOpaqueWindowKeepsItsTransparentPixels) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(400, 400, 40, 40), NSBorderlessWindowMask);
  window->setOpaque(false);
  window->setBackgroundColor(NSColor::clearColor());
  window->setContentView(static_cast<NSView*>(SquareView::alloc()->initWithFrame(NSMakeRect(0, 0, 40, 40))->autorelease()));
  window->orderFront(nullptr);
  ASSERT_TRUE(runUntil([&] { return isMapped(window); }));
  EXPECT_EQ(attributesOf(window).depth, 32);
  XImage* image = nullptr;
  ASSERT_TRUE(runUntil([&] {
    if (image) XDestroyImage(image);
    image = XGetImage(mDisplay, Window(window->windowNumber()), 0, 0, 40, 40, AllPlanes, ZPixmap);
    return image && XGetPixel(image, 20, 20) == 0xFFFF0000ul;
  }));
  EXPECT_EQ(XGetPixel(image, 2, 2), 0ul);
  EXPECT_EQ(XGetPixel(image, 37, 37), 0ul);
  XDestroyImage(image);
  // In memory as well.
  CGContextRef context = window->graphicsContext()->CGContext();
  auto* pixels = static_cast<const uint32_t*>(CGBitmapContextGetData(context));
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[20 * (CGBitmapContextGetBytesPerRow(context) / 4) + 20], 0xFFFF0000u);
}

// Another process reads a window that was never shown from the pixels the server keeps for it,
// the last drawn, and sees the sharing state its owner set.
TEST_F(NSWindowOnXServer, AWindowNeverShownKeepsItsLastPixelsAndSharingStateOnTheServer) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(0, 0, 40, 40), NSBorderlessWindowMask);
  window->setBackgroundColor(NSColor::blueColor());
  window->setSharingType(NSWindowSharingReadWrite);
  EXPECT_EQ(window->sharingType(), NSWindowSharingReadWrite);
  window->display();
  window->setContentView(static_cast<NSView*>(SquareView::alloc()->initWithFrame(NSMakeRect(0, 0, 40, 40))->autorelease()));
  window->display();
  EXPECT_FALSE(isMapped(window));
  const void* ids[] = {reinterpret_cast<const void*>(uintptr_t(window->windowNumber()))};
  auto list = adopt(CFArrayCreate(nullptr, ids, 1, nullptr));
  auto image = adopt(CGWindowListCreateImageFromArray(CGRectNull, list.get(), kCGWindowImageDefault));
  ASSERT_TRUE(image);
  ASSERT_EQ(CGImageGetWidth(image.get()), 40u);
  ASSERT_EQ(CGImageGetHeight(image.get()), 40u);
  auto data = adopt(CGDataProviderCopyData(CGImageGetDataProvider(image.get())));
  const auto* pixels = reinterpret_cast<const uint32_t*>(CFDataGetBytePtr(data.get()));
  const size_t row = CGImageGetBytesPerRow(image.get()) / 4;
  EXPECT_EQ(pixels[20 * row + 20], 0xFFFF0000u);
  EXPECT_EQ(pixels[2 * row + 2], 0xFF0000FFu);

  auto windows = adopt(CGWindowListCopyWindowInfo(kCGWindowListOptionAll, kCGNullWindowID));
  CFIndex found = 0;
  for (CFIndex i = 0; i < CFArrayGetCount(windows.get()); ++i) {
    auto entry = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(windows.get(), i));
    int64_t number = 0, sharing = -1;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(entry, kCGWindowNumber)), kCFNumberSInt64Type,
                     &number);
    if (number != window->windowNumber()) continue;
    ++found;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(entry, kCGWindowSharingState)),
                     kCFNumberSInt64Type, &sharing);
    EXPECT_EQ(sharing, int64_t(kCGWindowSharingReadWrite));
    EXPECT_EQ(CFDictionaryGetValue(entry, kCGWindowIsOnscreen), static_cast<const void*>(kCFBooleanFalse));
  }
  EXPECT_EQ(found, 1);
}

}  // namespace
