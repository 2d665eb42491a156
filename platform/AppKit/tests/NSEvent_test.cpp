#include "Headless.h"

#include <AppKit/AppKit.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSThread.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "CaptureOutput.h"

namespace {

// Records the mouse events it gets.
class RecordingView : public NSView {
  OBJC_CLASS_DECL(RecordingView, NSView)
 public:
  void mouseDown(NSEvent* event) override { log.push_back("down@" + where(event)); }
  void mouseDragged(NSEvent* event) override { log.push_back("dragged@" + where(event)); }
  void mouseUp(NSEvent* event) override { log.push_back("up@" + where(event)); }
  bool acceptsFirstMouse(NSEvent*) override { return takesFirstMouse; }
  static std::string where(NSEvent* event) {
    NSPoint p = event->locationInWindow();
    return std::to_string(int(p.x)) + "," + std::to_string(int(p.y));
  }
  std::vector<std::string> log;
  bool takesFirstMouse = true;
};

}  // namespace

OBJC_CLASS_DEFINE(RecordingView)

namespace {

NSEvent* mouse(NSEventType type, NSWindow* window, CGFloat x, CGFloat y, NSEventModifierFlags flags = 0) {
  return NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      type, NSMakePoint(x, y), flags, 0, window ? window->windowNumber() : 0, nullptr, 0, 1, 1);
}

NSEvent* next(unsigned long long mask, double seconds = 0) {
  return NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
      mask, NSDate::dateWithTimeIntervalSinceNow(seconds), NSDefaultRunLoopMode, true);
}

void drain() {
  while (next(NSAnyEventMask)) {
  }
}

class NSEventTest : public testing::Test {
 protected:
  void SetUp() override { drain(); }
  void TearDown() override { drain(); }
};

TEST_F(NSEventTest, TheQueueAnswersTheFirstEventOfTheMaskAndKeepsTheOthers) {
  objc::AutoreleasePool pool;
  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(mouse(NSEventTypeMouseMoved, nullptr, 1, 1), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, nullptr, 2, 2), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, nullptr, 3, 3), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDown, nullptr, 0, 0), true);
  // Mask 68: left mouse up or dragged.
  NSEvent* first = next(68);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->type(), NSEventTypeLeftMouseDragged);
  EXPECT_EQ(app->currentEvent(), first);
  NSEvent* peeked = app->nextEventMatchingMask_untilDate_inMode_dequeue(68, NSDate::distantPast(), NSDefaultRunLoopMode, false);
  ASSERT_NE(peeked, nullptr);
  EXPECT_EQ(peeked->type(), NSEventTypeLeftMouseUp);
  EXPECT_EQ(next(68)->type(), NSEventTypeLeftMouseUp);
  EXPECT_EQ(next(68), nullptr);
  EXPECT_EQ(next(NSAnyEventMask)->type(), NSEventTypeLeftMouseDown);
  EXPECT_EQ(next(NSAnyEventMask)->type(), NSEventTypeMouseMoved);
}

TEST_F(NSEventTest, AnEventPostedFromAnotherThreadWakesTheWait) {
  objc::AutoreleasePool pool;
  std::thread poster([] {
    NSApplication::sharedApplication()->postEvent_atStart(
        NSEvent::otherEventWithType_location_modifierFlags_timestamp_windowNumber_context_subtype_data1_data2(
            NSEventTypeApplicationDefined, NSZeroPoint, 0, 0, 0, nullptr, 3, 42, 0),
        false);
  });
  NSEvent* event = next(NSApplicationDefinedMask, 10);
  poster.join();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->subtype(), 3);
  EXPECT_EQ(event->data1(), 42);
}

TEST_F(NSEventTest, AWaitWithoutEventsEndsAtTheLimitWithAReport) {
  objc::AutoreleasePool pool;
  NSEvent* event = reinterpret_cast<NSEvent*>(1);
  std::string report = moxicam::test::captureStandardError([&] { event = next(NSKeyDownMask, 1e9); });
  EXPECT_EQ(event, nullptr);
  EXPECT_NE(report.find("MOXICAM_EVENT_WAIT_LIMIT"), std::string::npos) << report;
}

TEST_F(NSEventTest, MouseEventsGoToTheViewUnderTheDownAndFollowItUntilUp) {
  objc::AutoreleasePool pool;
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(50, 50, 100, 100), NSBorderlessWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  auto* left = static_cast<RecordingView*>(RecordingView::alloc()->initWithFrame(NSMakeRect(0, 0, 50, 100))->autorelease());
  auto* right = static_cast<RecordingView*>(RecordingView::alloc()->initWithFrame(NSMakeRect(50, 0, 50, 100))->autorelease());
  window->contentView()->addSubview(left);
  window->contentView()->addSubview(right);
  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDown, window, 10, 10), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, window, 70, 10), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, window, 80, 20), false);
  while (NSEvent* event = next(NSAnyEventMask)) app->sendEvent(event);
  EXPECT_EQ(left->log, (std::vector<std::string>{"down@10,10", "dragged@70,10", "up@80,20"}));
  EXPECT_TRUE(right->log.empty());
}

TEST_F(NSEventTest, TheClickThatMakesAWindowKeyReachesOnlyViewsThatAcceptFirstMouse) {
  objc::AutoreleasePool pool;
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(50, 50, 100, 100), NSTitledWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  auto* view = static_cast<RecordingView*>(RecordingView::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 100))->autorelease());
  view->takesFirstMouse = false;
  window->contentView()->addSubview(view);
  window->orderFront(nullptr);
  NSApplication* app = NSApplication::sharedApplication();
  ASSERT_FALSE(window->isKeyWindow());
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, window, 5, 5));
  EXPECT_TRUE(window->isKeyWindow());
  EXPECT_TRUE(view->log.empty());
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, window, 6, 6));
  EXPECT_EQ(view->log, std::vector<std::string>{"down@6,6"});
  window->orderOut(nullptr);
  EXPECT_FALSE(window->isKeyWindow());
}

TEST_F(NSEventTest, LocalMonitorsSeeEventsFirstAndMaySwallowThem) {
  objc::AutoreleasePool pool;
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(0, 0, 100, 100), NSBorderlessWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  auto* view = static_cast<RecordingView*>(RecordingView::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 100))->autorelease());
  window->contentView()->addSubview(view);
  int seen = 0;
  NSObject* monitor = NSEvent::addLocalMonitorForEventsMatchingMask_handler(NSLeftMouseDownMask, [&](NSEvent* event) {
    ++seen;
    return seen == 1 ? nullptr : event;
  });
  NSApplication* app = NSApplication::sharedApplication();
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, window, 1, 1));
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, window, 2, 2));
  NSEvent::removeMonitor(monitor);
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, window, 3, 3));
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(view->log, (std::vector<std::string>{"down@2,2", "down@3,3"}));
}

}  // namespace
