#include <AppKit/AppKit.h>
#include <Foundation/NSDate.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <string>
#include <vector>

#include "NSWindow_MouseMoveSize.h"
#include "protocol_MouseCapture.h"

const char* g_CoreMachDebug_LogPrefix = "MouseMoveSizeTest";
const char* g_CoreMachDebug_LogFileName = "MouseMoveSizeTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  return true;
}();

// A window that counts the move-and-size hooks and limits sizes to even widths.
class CountingWindow : public NSWindow, public MouseMoveSize {
  OBJC_CLASS_DECL(CountingWindow, NSWindow)
 public:
  void windowMouseMoveSize_SingleClick() override { ++singleClicks; }
  void windowMouseMoveSize_OnDragMoved() override { ++dragMoves; }
  NSSize windowMouseMoveSize_ConstrainAspectRatio(NSSize size) override {
    ++constraints;
    return size;
  }
  int singleClicks = 0, dragMoves = 0, constraints = 0;
};

// A view that records the capture hooks it gets.
class CapturingView : public NSView, public protocol_MouseCapture {
  OBJC_CLASS_DECL(CapturingView, NSView)
 public:
  void mouseCaptureBegin(MouseCaptureRecord*) override { log.push_back("begin"); }
  void mouseCaptureMove(MouseCaptureRecord* r) override {
    log.push_back("move " + std::to_string(int(r->location.x)) + "," + std::to_string(int(r->location.y)));
  }
  void mouseCaptureIdle(MouseCaptureRecord* r) override {
    log.push_back(r->idleAfterEvents ? "idle" : "idle shift");
    // The next event comes only after the loop has idled once.
    if (RefPtr<NSEvent> up = std::exchange(postOnIdle, nullptr)) NSApplication::sharedApplication()->postEvent_atStart(up.get(), false);
  }
  void mouseCaptureUp(MouseCaptureRecord*) override { log.push_back("up"); }
  void mouseCaptureEnd(MouseCaptureRecord*) override { log.push_back("end"); }
  std::vector<std::string> log;
  RefPtr<NSEvent> postOnIdle;
};

}  // namespace

OBJC_CLASS_DEFINE(CountingWindow)
OBJC_CLASS_DEFINE(CapturingView)

namespace {

// An event at a point of the window's base coordinates (as the window lies when it is made).
NSEvent* mouse(NSEventType type, NSWindow* window, NSPoint where, NSEventModifierFlags flags = 0) {
  return NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      type, where, flags, 0, window->windowNumber(), nullptr, 0, 1, 1);
}

void post(NSEvent* event) { NSApplication::sharedApplication()->postEvent_atStart(event, false); }

void drain() {
  while (NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
      NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true)) {
  }
}

enum class Start { Standard, FromRegionZero };

struct DragCase {
  const char* name;
  Start start;
  NSRect frame;       // of the window
  NSPoint down;       // in the window, at the start
  NSPoint delta;      // of the mouse on screen, reached in two steps
  NSRect expected;    // frame afterwards
  int singleClicks;
};

class MouseMoveSizeDrag : public testing::TestWithParam<DragCase> {
 protected:
  void SetUp() override { drain(); }
  void TearDown() override { drain(); }
};

TEST_P(MouseMoveSizeDrag, FollowsTheScriptedMouseWithinTheLimits) {
  const DragCase& c = GetParam();
  objc::AutoreleasePool pool;
  auto* window = static_cast<CountingWindow*>(CountingWindow::alloc()
                                                  ->initWithContentRect_styleMask_backing_defer(
                                                      c.frame, NSBorderlessWindowMask, NSBackingStoreBuffered, false)
                                                  ->autorelease());
  window->setMinSize(NSMakeSize(100, 80));
  window->setMaxSize(NSMakeSize(400, 300));
  NSEvent* down = mouse(NSEventTypeLeftMouseDown, window, c.down);
  post(mouse(NSEventTypeLeftMouseDragged, window, NSMakePoint(c.down.x + c.delta.x / 2, c.down.y + c.delta.y / 2)));
  post(mouse(NSEventTypeLeftMouseDragged, window, NSMakePoint(c.down.x + c.delta.x, c.down.y + c.delta.y)));
  post(mouse(NSEventTypeLeftMouseUp, window, NSMakePoint(c.down.x + c.delta.x, c.down.y + c.delta.y)));
  if (c.start == Start::Standard) {
    MouseMoveSize::windowMouseMoveSize_StandardBehaviour(window, down);
  } else {
    MouseMoveSize::windowMouseMoveSize_FromHitRegion_inHitRegion(window, down, 0);
  }
  EXPECT_TRUE(NSEqualRects(window->frame(), c.expected)) << NSStringFromRect(window->frame())->UTF8String();
  EXPECT_EQ(window->singleClicks, c.singleClicks);
}

// The headless main screen is 1280 x 1024.
INSTANTIATE_TEST_SUITE_P(
    Cases, MouseMoveSizeDrag,
    testing::Values(
        DragCase{"click", Start::Standard, NSMakeRect(100, 100, 200, 150), NSMakePoint(50, 50), NSMakePoint(0, 0),
                 NSMakeRect(100, 100, 200, 150), 1},
        DragCase{"top_left_corner_moves", Start::Standard, NSMakeRect(100, 100, 200, 150), NSMakePoint(5, 145),
                 NSMakePoint(30, -20), NSMakeRect(130, 80, 200, 150), 0},
        DragCase{"bottom_right_corner_resizes", Start::Standard, NSMakeRect(100, 100, 200, 150), NSMakePoint(195, 5),
                 NSMakePoint(50, -30), NSMakeRect(100, 70, 250, 180), 0},
        DragCase{"resize_below_min_shifts_left_and_top", Start::Standard, NSMakeRect(100, 100, 200, 150),
                 NSMakePoint(195, 5), NSMakePoint(-150, 100), NSMakeRect(50, 200, 100, 80), 0},
        DragCase{"resize_above_max", Start::Standard, NSMakeRect(100, 100, 200, 150), NSMakePoint(195, 5),
                 NSMakePoint(300, -300), NSMakeRect(200, -200, 400, 300), 0},
        DragCase{"standard_move_stops_at_screen_top", Start::Standard, NSMakeRect(100, 800, 200, 150),
                 NSMakePoint(100, 50), NSMakePoint(0, 200), NSMakeRect(100, 874, 200, 150), 0},
        DragCase{"region_zero_moves_above_screen_top", Start::FromRegionZero, NSMakeRect(100, 800, 200, 150),
                 NSMakePoint(195, 5), NSMakePoint(0, 200), NSMakeRect(100, 1000, 200, 150), 0}),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST(MouseMoveSize, CornerRegionsAreTestedFromTopLeft) {
  objc::AutoreleasePool pool;
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(0, 0, 100, 100), NSBorderlessWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  const struct {
    NSPoint at;
    uint32_t region;
  } cases[] = {{{1, 99}, 1}, {{99, 99}, 2}, {{1, 1}, 3}, {{99, 1}, 4}, {{50, 50}, 0}, {{31, 1}, 3}, {{32, 1}, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(MouseMoveSize::windowMouseMoveSize_MouseHitTest_cornerSize(window, mouse(NSEventTypeLeftMouseDown, window, c.at),
                                                                         NSMakeSize(32, 32)),
              c.region)
        << c.at.x << "," << c.at.y;
  }
  // Overlapping corners of a small window: top-left wins.
  window->setFrame_display(NSMakeRect(0, 0, 40, 40), false);
  EXPECT_EQ(MouseMoveSize::windowMouseMoveSize_MouseHitTest_cornerSize(
                window, mouse(NSEventTypeLeftMouseDown, window, NSMakePoint(20, 20)), NSMakeSize(32, 32)),
            1u);
}

TEST(MouseMoveSize, AShiftDragSendsNoMoveHooksButEndsAtTheMouseUp) {
  objc::AutoreleasePool pool;
  drain();
  auto* window = static_cast<CountingWindow*>(CountingWindow::alloc()
                                                  ->initWithContentRect_styleMask_backing_defer(
                                                      NSMakeRect(100, 100, 200, 150), NSBorderlessWindowMask,
                                                      NSBackingStoreBuffered, false)
                                                  ->autorelease());
  NSEvent* down = mouse(NSEventTypeLeftMouseDown, window, NSMakePoint(50, 50), NSShiftKeyMask);
  post(mouse(NSEventTypeLeftMouseDragged, window, NSMakePoint(80, 80)));
  post(mouse(NSEventTypeLeftMouseUp, window, NSMakePoint(80, 80)));
  MouseMoveSize::windowMouseMoveSize_StandardBehaviour(window, down);
  EXPECT_TRUE(NSEqualRects(window->frame(), NSMakeRect(100, 100, 200, 150)));
  EXPECT_EQ(window->dragMoves, 0);
  // The up still came: a location other than the down's is no single click.
  EXPECT_EQ(window->singleClicks, 0);
  EXPECT_EQ(NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
                NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true),
            nullptr);
}

TEST(MouseMoveSize, AViewCaptureReportsItsOwnCoordinatesAndIdlesBetweenBatches) {
  objc::AutoreleasePool pool;
  drain();
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(0, 0, 100, 100), NSBorderlessWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  auto* view = static_cast<CapturingView*>(CapturingView::alloc()->initWithFrame(NSMakeRect(10, 10, 50, 50))->autorelease());
  window->contentView()->addSubview(view);
  NSEvent* down = mouse(NSEventTypeLeftMouseDown, window, NSMakePoint(20, 20));
  post(mouse(NSEventTypeLeftMouseDragged, window, NSMakePoint(25, 30)));
  // The up comes in a later batch: the capture idles in between.
  view->postOnIdle = RefPtr<NSEvent>(mouse(NSEventTypeLeftMouseUp, window, NSMakePoint(30, 30)));
  MouseCaptureRecord record = protocol_MouseCapture::prepareRecord(down);
  view->log.clear();
  protocol_MouseCapture::protocol_MouseCaptureEventLoop(view, &record);
  ASSERT_GE(view->log.size(), 5u);
  EXPECT_EQ(view->log.front(), "begin");
  EXPECT_EQ(view->log[1], "move 15,20");
  EXPECT_EQ(view->log[2], "idle");
  EXPECT_EQ(view->log[view->log.size() - 3], "move 20,20");
  EXPECT_EQ(view->log[view->log.size() - 2], "up");
  EXPECT_EQ(view->log.back(), "end");
  EXPECT_DOUBLE_EQ(record.downLocation.x, 10);
}

TEST(MouseMoveSize, AViewInNoWindowReturnsAtOnceWithoutHooks) {
  objc::AutoreleasePool pool;
  auto* view = static_cast<CapturingView*>(CapturingView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10))->autorelease());
  NSEvent* down = NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      NSEventTypeLeftMouseDown, NSMakePoint(1, 1), 0, 0, 0, nullptr, 0, 1, 1);
  MouseCaptureRecord record = protocol_MouseCapture::prepareRecord(down);
  protocol_MouseCapture::protocol_MouseCaptureEventLoop(view, &record);
  EXPECT_TRUE(view->log.empty());
}

TEST(MouseMoveSize, TheImportFunctionKeepsBothLayers) { EXPECT_EQ(import_category_NSWindow_MouseMoveSize(), 1); }

}  // namespace
