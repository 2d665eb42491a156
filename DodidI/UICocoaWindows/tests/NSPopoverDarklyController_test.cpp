#include "NSPopoverDarklyController.h"

#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CaptureOutput.h"

const char* g_CoreMachDebug_LogPrefix = "PopoverDarklyTest";
const char* g_CoreMachDebug_LogFileName = "PopoverDarklyTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  return true;
}();

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

// The main window with the clicked control, and a controller whose nib view is 160 x 90.
struct Scene {
  RefPtr<NSWindow> window;
  RefPtr<NSButton> button;
  RefPtr<NSPopoverDarklyView> view;
  RefPtr<NSPopoverDarklyController> controller;
};

Scene makeScene(bool withView = true) {
  Scene scene;
  scene.window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(200, 200, 400, 300), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  RefPtr<NSView> content = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 400, 300)));
  scene.window->setContentView(content.get());
  scene.button = adopt(static_cast<NSButton*>(NSButton::alloc()->initWithFrame(NSMakeRect(20, 20, 60, 24))));
  content->addSubview(scene.button.get());
  scene.window->orderFront(nullptr);
  scene.controller =
      adopt(static_cast<NSPopoverDarklyController*>(NSPopoverDarklyController::alloc()->init()));
  if (withView) {
    scene.view = adopt(static_cast<NSPopoverDarklyView*>(
        NSPopoverDarklyView::alloc()->initWithFrame(NSMakeRect(0, 0, 160, 90))));
    scene.controller->setPopoverContentView(scene.view.get());
  }
  return scene;
}

void clickOutside(Scene& scene) {
  NSApplication* app = NSApplication::sharedApplication();
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, scene.window.get(), 350, 250));
  app->sendEvent(mouse(NSEventTypeLeftMouseUp, scene.window.get(), 350, 250));
}

class NSPopoverDarklyControllerTest : public testing::Test {
 protected:
  void SetUp() override { drain(); }
  void TearDown() override { drain(); }
};

TEST_F(NSPopoverDarklyControllerTest, MakesTheViewControllerAndTheDarkPanelOnce) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(import_NSPopoverDarklyController(), 1);
  for (const char* title : {"Key Channel", static_cast<const char*>(nullptr)}) {
    Scene scene = makeScene();
    EXPECT_EQ(scene.controller->popoverPosition(), NSMaxYEdge);
    EXPECT_TRUE(scene.controller->appearanceDark());
    if (title) scene.controller->setWindowTitle(NSString::stringWithUTF8String(title));
    NSPopoverDarklyViewController* made = scene.controller->popoverViewControllerLazy();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->view(), scene.view.get());
    EXPECT_TRUE(NSEqualSizes(made->preferredContentSize(), NSMakeSize(160, 90)));
    EXPECT_EQ(scene.controller->popoverViewControllerLazy(), made);
    NSPopoverDarklyPanel* panel = scene.controller->detachedHUDWindow();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->styleMask(), 8211u);
    EXPECT_EQ(panel->backingType(), NSBackingStoreBuffered);
    EXPECT_FALSE(panel->isReleasedWhenClosed());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->darkContentViewController(), made);
    EXPECT_TRUE(NSEqualSizes(panel->frame().size, NSMakeSize(160, 90)));
    EXPECT_STREQ(panel->title()->UTF8String(), title ? title : "");
  }
}

TEST_F(NSPopoverDarklyControllerTest, ShowsATransientDarkPopoverAboveTheSender) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  scene.controller->actionShowDetachablePopover(scene.button.get());
  NSPopover* popover = scene.controller->detachablePopover();
  ASSERT_NE(popover, nullptr);
  EXPECT_TRUE(popover->isShown());
  EXPECT_EQ(popover->behavior(), NSPopoverBehaviorTransient);
  EXPECT_EQ(popover->appearance(), NSPopoverAppearanceHUD);
  EXPECT_TRUE(popover->animates());
  EXPECT_EQ(popover->delegate(), scene.controller.get());
  EXPECT_EQ(popover->contentViewController(), scene.controller->popoverViewController());
  // The button spans (220, 220)-(280, 244) on screen; the popover sits on its top edge.
  EXPECT_TRUE(NSEqualRects(popover->popoverWindow()->frame(), NSMakeRect(170, 244, 160, 90)));
  EXPECT_EQ(scene.view->window(), popover->popoverWindow());
  // The action is also found by name, as a nib connects it.
  scene.controller->performSelector_withObject(sel_registerName("actionShowDetachablePopover:"),
                                               scene.button.get());
  EXPECT_EQ(scene.controller->detachablePopover(), popover);
  popover->close();
}

TEST_F(NSPopoverDarklyControllerTest, AfterAClickOutsideTheNextShowMakesANewPopoverWithTheSameController) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  scene.controller->actionShowDetachablePopover(scene.button.get());
  WeakPtr<NSPopover> first(scene.controller->detachablePopover());
  NSViewController* controller = scene.controller->popoverViewController();
  clickOutside(scene);
  EXPECT_EQ(scene.controller->detachablePopover(), nullptr);
  scene.controller->actionShowDetachablePopover(scene.button.get());
  NSPopover* second = scene.controller->detachablePopover();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(first.refersTo(second));
  EXPECT_TRUE(second->isShown());
  EXPECT_EQ(second->contentViewController(), controller);
  second->close();
}

TEST_F(NSPopoverDarklyControllerTest, DraggedOffItBecomesThePanelWhichLaterClicksBringToTheFront) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene();
  scene.controller->setWindowTitle(NSString::stringWithUTF8String("Detached"));
  scene.controller->actionShowDetachablePopover(scene.button.get());
  NSWindow* shown = scene.controller->detachablePopover()->popoverWindow();
  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, shown, 90, 50), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, shown, 120, 70), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, shown, 120, 70), false);
  app->sendEvent(mouse(NSEventTypeLeftMouseDown, shown, 80, 40));
  drain();

  NSPopoverDarklyPanel* panel = scene.controller->detachedHUDWindow();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(scene.view->window(), panel);
  EXPECT_EQ(scene.controller->detachablePopover(), nullptr);
  EXPECT_TRUE(NSEqualPoints(panel->frame().origin, NSMakePoint(170 + 40, 244 + 30)));

  // A click while it is out fronts it and opens no popover.
  scene.controller->actionShowDetachablePopover(scene.button.get());
  EXPECT_EQ(scene.controller->detachablePopover(), nullptr);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(scene.view->window(), panel);
  // Closed by the user, it is kept; the next click shows the popover again.
  panel->close();
  EXPECT_EQ(scene.controller->detachedHUDWindow(), panel);
  scene.controller->actionShowDetachablePopover(scene.button.get());
  ASSERT_NE(scene.controller->detachablePopover(), nullptr);
  EXPECT_EQ(scene.view->window(), scene.controller->detachablePopover()->popoverWindow());
  scene.controller->detachablePopover()->close();
}

TEST_F(NSPopoverDarklyControllerTest, WithoutAContentViewNothingIsShownAndItIsReported) {
  objc::AutoreleasePool pool;
  Scene scene = makeScene(false);
  std::string log = moxicam::test::captureStandardError(
      [&] { scene.controller->actionShowDetachablePopover(scene.button.get()); });
  EXPECT_NE(log.find("VERIFY"), std::string::npos) << log;
  EXPECT_EQ(scene.controller->detachablePopover(), nullptr);
  // Nor beside a sender that is in no window.
  Scene other = makeScene();
  RefPtr<NSView> loose = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10)));
  log = moxicam::test::captureStandardError(
      [&] { other.controller->actionShowDetachablePopover(loose.get()); });
  EXPECT_NE(log.find("VERIFY"), std::string::npos) << log;
  NSPopover* popover = other.controller->detachablePopover();
  EXPECT_TRUE(!popover || !popover->isShown());
}

TEST_F(NSPopoverDarklyControllerTest, TheViewFromANibIsPaintedDarkGreyToBlack) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  nib.object("NSPopoverDarklyView", "view").setString("frame", "{{0, 0}, {100, 60}}");
  nib.object("NSPopoverDarklyController", "controller")
      .setString("windowTitle", "From Nib")
      .setInteger("popoverPosition", 1);
  nib.outlet("controller", "popoverContentView", "view");
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  ASSERT_NE(loaded, nullptr);
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  NSPopoverDarklyController* controller = nullptr;
  for (NSObject* object : *objects) {
    if (auto* found = NSDynamicCast<NSPopoverDarklyController>(object)) controller = found;
  }
  ASSERT_NE(controller, nullptr);
  ASSERT_NE(controller->popoverContentView(), nullptr);
  EXPECT_EQ(controller->popoverPosition(), NSMinYEdge);
  controller->popoverViewControllerLazy();
  NSPopoverDarklyPanel* panel = controller->detachedHUDWindow();
  EXPECT_STREQ(panel->title()->UTF8String(), "From Nib");
  panel->display();
  CGContextRef context = panel->graphicsContext()->CGContext();
  auto* pixels = static_cast<const uint32_t*>(CGBitmapContextGetData(context));
  const size_t stride = CGBitmapContextGetBytesPerRow(context) / 4;
  const size_t height = CGBitmapContextGetHeight(context);
  auto grey = [&](size_t rowFromTop) { return int(pixels[rowFromTop * stride + 50] & 0xff); };
  // The bottom edge carries the one-line border; just above it the dark grey (1/3) begins.
  EXPECT_NEAR(grey(height - 3), 85, 6);
  EXPECT_LE(grey(0), 4);
  EXPECT_GT(grey(height - 3), grey(height / 2));
  EXPECT_GT(grey(height / 2), grey(0));
}

}  // namespace
