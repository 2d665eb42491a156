#include <AppKit/AppKit.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSException.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Headless.h"

// Records the delegate calls; detaches when told to.
class PopoverRecorder : public NSObject, public NSPopoverDelegate {
 public:
  bool popoverShouldDetach(NSPopover*) override { return detaches; }
  NSWindow* detachableWindowForPopover(NSPopover*) override { return window.get(); }
  void popoverDidShow(NSNotification*) override { calls.push_back("didShow"); }
  void popoverDidClose(NSNotification*) override { calls.push_back("didClose"); }
  bool detaches = false;
  RefPtr<NSWindow> window;
  std::vector<std::string> calls;
};

namespace {

NSEvent* mouse(NSEventType type, NSWindow* window, CGFloat x, CGFloat y) {
  return NSEvent::
      mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
          type, NSMakePoint(x, y), 0, 0, window->windowNumber(), nullptr, 0, 1, 1);
}

void drain() {
  while (NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
      NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true)) {
  }
}

class FlippedView : public NSView {
 public:
  bool isFlipped() const override { return true; }
};

struct Scene {
  RefPtr<NSWindow> window;
  RefPtr<NSView> anchor;
  RefPtr<NSViewController> controller;
  RefPtr<NSPopover> popover;
  RefPtr<PopoverRecorder> delegate;
};

// A window at (100, 100) with a 40 x 20 anchor view at (30, 50) in it, and a popover of a
// 120 x 80 view.
Scene makeScene(bool flipped = false) {
  Scene scene;
  scene.window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(100, 100, 300, 200), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  RefPtr<NSView> content = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 300, 200)));
  scene.window->setContentView(content.get());
  NSView* anchor = flipped ? new FlippedView : static_cast<NSView*>(NSView::alloc());
  scene.anchor = adopt(anchor->initWithFrame(NSMakeRect(30, 50, 40, 20)));
  content->addSubview(scene.anchor.get());
  scene.window->orderFront(nullptr);
  RefPtr<NSView> shown = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 120, 80)));
  scene.controller = adopt(static_cast<NSViewController*>(NSViewController::alloc()->init()));
  scene.controller->setView(shown.get());
  scene.popover = adopt(static_cast<NSPopover*>(NSPopover::alloc()->init()));
  scene.popover->setContentViewController(scene.controller.get());
  scene.delegate = adopt(new PopoverRecorder);
  scene.popover->setDelegate(scene.delegate.get());
  return scene;
}

class NSPopoverTest : public testing::Test {
 protected:
  void SetUp() override { drain(); }
  void TearDown() override { drain(); }
};

struct EdgeCase {
  NSRectEdge edge;
  bool flipped;
  NSRect frame;
};

TEST_F(NSPopoverTest, ShowsBesideTheRectangleOnThePreferredEdge) {
  objc::AutoreleasePool pool;
  // The anchor is at (130, 150, 40, 20) on screen; the popover is 120 x 80.
  const EdgeCase cases[] = {
      {NSMaxYEdge, false, NSMakeRect(90, 170, 120, 80)},
      {NSMinYEdge, false, NSMakeRect(90, 70, 120, 80)},
      {NSMaxXEdge, false, NSMakeRect(170, 120, 120, 80)},
      {NSMinXEdge, false, NSMakeRect(10, 120, 120, 80)},
      // A flipped view's maximum y is its bottom.
      {NSMaxYEdge, true, NSMakeRect(90, 70, 120, 80)},
  };
  for (const EdgeCase& c : cases) {
    Scene scene = makeScene(c.flipped);
    scene.popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(), scene.anchor.get(),
                                                           c.edge);
    ASSERT_TRUE(scene.popover->isShown());
    NSWindow* shown = scene.popover->popoverWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(NSEqualRects(shown->frame(), c.frame)) << "edge " << c.edge << " flipped " << c.flipped;
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->contentView(), scene.controller->view());
    scene.popover->close();
    EXPECT_FALSE(shown->isVisible());
    EXPECT_EQ(scene.controller->view()->window(), nullptr);
    EXPECT_EQ(scene.delegate->calls, (std::vector<std::string>{"didShow", "didClose"}));
  }
}

TEST_F(NSPopoverTest, ShowingWithoutContentOrWindowRaises) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  RefPtr<NSView> loose = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  EXPECT_THROW(
      scene.popover->showRelativeToRect_ofView_preferredEdge(loose->bounds(), loose.get(), NSMaxYEdge),
      NSException::Raised);
  RefPtr<NSViewController> empty = adopt(static_cast<NSViewController*>(NSViewController::alloc()->init()));
  scene.popover->setContentViewController(empty.get());
  EXPECT_THROW(scene.popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(),
                                                                      scene.anchor.get(), NSMaxYEdge),
               NSException::Raised);
  EXPECT_FALSE(scene.popover->isShown());
  EXPECT_TRUE(scene.delegate->calls.empty());
}

TEST_F(NSPopoverTest, ATransientPopoverClosesOnAClickOutsideOnly) {
  objc::AutoreleasePool pool;
  NSApplication* app = NSApplication::sharedApplication();
  for (NSPopoverBehavior behavior : {NSPopoverBehaviorTransient, NSPopoverBehaviorApplicationDefined}) {
    Scene scene = makeScene();
    scene.popover->setBehavior(behavior);
    scene.popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(), scene.anchor.get(),
                                                           NSMaxYEdge);
    NSWindow* shown = scene.popover->popoverWindow();
    app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, shown, 10, 10), false);
    app->sendEvent(mouse(NSEventTypeLeftMouseDown, shown, 10, 10));
    drain();
    EXPECT_TRUE(scene.popover->isShown());
    app->sendEvent(mouse(NSEventTypeLeftMouseDown, scene.window.get(), 250, 10));
    app->sendEvent(mouse(NSEventTypeLeftMouseUp, scene.window.get(), 250, 10));
    EXPECT_EQ(scene.popover->isShown(), behavior != NSPopoverBehaviorTransient);
    scene.popover->close();
  }
}

TEST_F(NSPopoverTest, AShownPopoverLivesUntilItCloses) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  WeakPtr<NSPopover> weak(scene.popover.get());
  NSPopover* popover = scene.popover.get();
  {
    // The notifications hold it until their pool drains.
    objc::AutoreleasePool inner;
    popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(), scene.anchor.get(), NSMaxYEdge);
    scene.popover = nullptr;
  }
  ASSERT_TRUE(weak.get());
  {
    objc::AutoreleasePool inner;
    popover->close();
  }
  EXPECT_FALSE(weak.get());
}

// Drags the popover's background by (dx, dy) from its middle.
void dragBackground(NSPopover* popover, CGFloat dx, CGFloat dy) {
  NSApplication* app = NSApplication::sharedApplication();
  NSWindow* shown = popover->popoverWindow();
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, shown, 60 + dx / 2, 40 + dy / 2), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, shown, 60 + dx, 40 + dy), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, shown, 60 + dx, 40 + dy), false);
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, shown, 60, 40));
  drain();
}

TEST_F(NSPopoverTest, DraggedOffItTurnsIntoTheDelegatesWindow) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  scene.popover->setBehavior(NSPopoverBehaviorTransient);
  scene.delegate->detaches = true;
  scene.delegate->window = adopt(NSPanel::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(0, 0, 120, 100), NSTitledWindowMask, NSBackingStoreBuffered, true));
  scene.delegate->window->setContentViewController(scene.controller.get());
  scene.popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(), scene.anchor.get(),
                                                         NSMaxYEdge);
  EXPECT_EQ(scene.delegate->window->contentView(), nullptr);  // the popover shows the view now
  dragBackground(scene.popover.get(), 30, -20);
  EXPECT_FALSE(scene.popover->isShown());
  NSWindow* detached = scene.delegate->window.get();
  EXPECT_TRUE(detached->isVisible());
  EXPECT_EQ(detached->contentView(), scene.controller->view());
  // The panel took the view's size; its top-left corner is where the popover's was (90, 250),
  // moved by the drag.
  EXPECT_TRUE(NSEqualRects(detached->frame(), NSMakeRect(120, 150, 120, 80)));
  EXPECT_EQ(scene.delegate->calls.back(), "didClose");
  detached->orderOut(nullptr);
}

TEST_F(NSPopoverTest, WithoutADetachedWindowThePopoverStaysOpenOnItsOwn) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  scene.popover->setBehavior(NSPopoverBehaviorTransient);
  scene.popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(), scene.anchor.get(),
                                                         NSMaxYEdge);
  NSRect before = scene.popover->popoverWindow()->frame();
  dragBackground(scene.popover.get(), 40, 0);  // the delegate refuses: nothing moves
  EXPECT_FALSE(scene.popover->isDetached());
  EXPECT_TRUE(NSEqualRects(scene.popover->popoverWindow()->frame(), before));

  scene.delegate->detaches = true;
  dragBackground(scene.popover.get(), 40, 0);
  EXPECT_TRUE(scene.popover->isDetached());
  EXPECT_TRUE(NSEqualRects(scene.popover->popoverWindow()->frame(), NSOffsetRect(before, 40, 0)));
  NSApplication* app = NSApplication::sharedApplication();
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, scene.window.get(), 250, 10));
  app->sendEvent(mouse(NSEventTypeLeftMouseUp, scene.window.get(), 250, 10));
  EXPECT_TRUE(scene.popover->isShown());
  scene.popover->close();
}

TEST_F(NSPopoverTest, TheHeadsUpAppearanceIsDark) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  scene.popover->setAppearance(NSPopoverAppearanceHUD);
  scene.popover->showRelativeToRect_ofView_preferredEdge(scene.anchor->bounds(), scene.anchor.get(),
                                                         NSMaxYEdge);
  NSColor* background =
      scene.popover->popoverWindow()->backgroundColor()->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  EXPECT_LT(background->redComponent(), 0.3);
  EXPECT_FALSE(scene.popover->popoverWindow()->isOpaque());
  scene.popover->close();
}

}  // namespace
