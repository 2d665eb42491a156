// An alpha panel on a real X server, dragged by pointer input injected through the server.
#include <AppKit/AppKit.h>
#include <Foundation/NSDate.h>

#include "XTestServer.h"

#include <X11/extensions/XTest.h>

#include <cstdlib>

#include "NSUIAlphaWindow.h"

const char* g_CoreMachDebug_LogPrefix = "NSUIAlphaWindowX11Test";
const char* g_CoreMachDebug_LogFileName = "NSUIAlphaWindowX11Test.log";

namespace {

class AlphaPanelOnXServer : public moxicam::test::XServerTest {
 protected:
  AlphaPanelOnXServer() : XServerTest(1280, 1024) {}

  void SetUp() override {
    XServerTest::SetUp();
    if (IsSkipped()) return;
    setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  }

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

  std::pair<int, int> placeOf(Window window) {
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(mDisplay, window, DefaultRootWindow(mDisplay), 0, 0, &x, &y, &child);
    return {x, y};
  }

  bool isViewable(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(mDisplay, window, &attributes);
    return attributes.map_state == IsViewable;
  }
};

TEST_F(AlphaPanelOnXServer, ShowsWithItsTitleAndPlaceMovesWhenDraggedAndHides) {
  objc::AutoreleasePool pool;
  auto* panel = static_cast<NSAlphaPanelWithShadow*>(NSAlphaPanelWithShadow::alloc()
                                                         ->initWithContentRect_styleMask_backing_defer(
                                                             NSMakeRect(300, 500, 160, 100), NSTitledWindowMask,
                                                             NSBackingStoreBuffered, true)
                                                         ->autorelease());
  panel->setTitle(NSSTR("Channel Controls"));
  const Window xid = Window(panel->windowNumber());
  panel->orderFront(nullptr);
  ASSERT_TRUE(runUntil([&] { return isViewable(xid); }));
  char* name = nullptr;
  ASSERT_TRUE(XFetchName(mDisplay, xid, &name));
  EXPECT_STREQ(name, "Channel Controls");
  XFree(name);
  XWindowAttributes attributes{};
  XGetWindowAttributes(mDisplay, xid, &attributes);
  EXPECT_TRUE(attributes.override_redirect);
  EXPECT_EQ(attributes.depth, 32);
  EXPECT_EQ(placeOf(xid), std::make_pair(300, 1024 - 500 - 100));

  // Drag from the panel's bottom-left corner (a corner moves an alpha panel too) up and right.
  const int x0 = 302, y0 = 1024 - 500 - 2;
  XTestFakeMotionEvent(mDisplay, -1, x0, y0, CurrentTime);
  XTestFakeButtonEvent(mDisplay, 1, True, CurrentTime);
  for (int step = 1; step <= 4; ++step) XTestFakeMotionEvent(mDisplay, -1, x0 + 10 * step, y0 - 25 * step, CurrentTime);
  XTestFakeButtonEvent(mDisplay, 1, False, CurrentTime);
  XFlush(mDisplay);
  ASSERT_TRUE(runUntil([&] { return NSEqualPoints(panel->frame().origin, NSMakePoint(340, 600)); }))
      << NSStringFromRect(panel->frame())->UTF8String();
  EXPECT_TRUE(runUntil([&] { return placeOf(xid) == std::make_pair(340, 1024 - 600 - 100); }));

  panel->orderOut(nullptr);
  EXPECT_TRUE(runUntil([&] { return !isViewable(xid); }));
  panel->orderFront(nullptr);
  EXPECT_TRUE(runUntil([&] { return isViewable(xid); }));
  panel->orderOut(nullptr);
}

}  // namespace
