#include <AppKit/AppKit.h>
#include <Foundation/NSDate.h>
#include <gtest/gtest.h>

#include <CoreGraphics/CGBitmapContext.h>

#include <cstdlib>
#include <string>

#include "NSUIAlphaWindow.h"

const char* g_CoreMachDebug_LogPrefix = "NSUIAlphaWindowTest";
const char* g_CoreMachDebug_LogFileName = "NSUIAlphaWindowTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  return true;
}();

template <class Window>
Window* make(NSRect frame) {
  return static_cast<Window*>(Window::alloc()
                                  ->initWithContentRect_styleMask_backing_defer(
                                      frame, NSTitledWindowMask | NSClosableWindowMask | NSResizableWindowMask,
                                      NSBackingStoreRetained, true)
                                  ->autorelease());
}

struct Kind {
  const char* name;
  NSWindow* (*make)(NSRect);
  bool shadow;
  bool panel;
};

class AlphaWindowKinds : public testing::TestWithParam<Kind> {};

TEST_P(AlphaWindowKinds, ComeOutBorderlessClearAndNotOpaqueWhateverIsAsked) {
  objc::AutoreleasePool pool;
  NSWindow* window = GetParam().make(NSMakeRect(10, 20, 64, 48));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->styleMask(), NSBorderlessWindowMask);
  EXPECT_EQ(window->backingType(), NSBackingStoreBuffered);
  EXPECT_FALSE(window->isOpaque());
  EXPECT_EQ(window->backgroundColor()->alphaComponent(), 0.0);
  EXPECT_EQ(window->level(), 0);
  EXPECT_EQ(window->alphaValue(), 1.0);
  EXPECT_EQ(window->hasShadow(), GetParam().shadow);
  EXPECT_EQ(window->isKindOfClass(NSPanel::class_()), GetParam().panel);
  EXPECT_TRUE(NSEqualRects(window->frame(), NSMakeRect(10, 20, 64, 48)));
  // Nothing drawn: every pixel transparent.
  window->display();
  auto* pixels = static_cast<const uint32_t*>(CGBitmapContextGetData(window->graphicsContext()->CGContext()));
  EXPECT_EQ(pixels[0], 0u);
  EXPECT_EQ(pixels[64 * 24 + 32], 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, AlphaWindowKinds,
    testing::Values(Kind{"WindowWithShadow", [](NSRect f) -> NSWindow* { return make<NSAlphaWindowWithShadow>(f); }, true, false},
                    Kind{"WindowWithoutShadow", [](NSRect f) -> NSWindow* { return make<NSAlphaWindowWithoutShadow>(f); }, false, false},
                    Kind{"PanelWithShadow", [](NSRect f) -> NSWindow* { return make<NSAlphaPanelWithShadow>(f); }, true, true},
                    Kind{"PanelWithoutShadow", [](NSRect f) -> NSWindow* { return make<NSAlphaPanelWithoutShadow>(f); }, false, true}),
    [](const testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

NSEvent* mouse(NSEventType type, NSWindow* window, NSPoint where) {
  return NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      type, where, 0, 0, window->windowNumber(), nullptr, 0, 1, 1);
}

TEST(NSUIAlphaPanel, ADragFromAnyPointMovesItAboveTheScreenTopToo) {
  objc::AutoreleasePool pool;
  NSApplication* app = NSApplication::sharedApplication();
  const NSPoint starts[] = {{1, 1}, {99, 79}, {50, 40}, {99, 1}};
  for (const NSPoint& start : starts) {
    auto* panel = make<NSAlphaPanelWithShadow>(NSMakeRect(100, 900, 100, 80));
    panel->orderFront(nullptr);
    // The whole gesture goes through the application, as the window server's events would.
    app->postEvent_atStart(mouse(NSEventTypeLeftMouseDown, panel, start), false);
    app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, panel, NSMakePoint(start.x + 20, start.y + 100)), false);
    app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, panel, NSMakePoint(start.x + 20, start.y + 100)), false);
    while (NSEvent* event = app->nextEventMatchingMask_untilDate_inMode_dequeue(NSAnyEventMask, NSDate::distantPast(),
                                                                                NSDefaultRunLoopMode, true)) {
      app->sendEvent(event);
    }
    EXPECT_TRUE(NSEqualRects(panel->frame(), NSMakeRect(120, 1000, 100, 80)))
        << start.x << "," << start.y << ": " << NSStringFromRect(panel->frame())->UTF8String();
    EXPECT_TRUE(panel->acceptsFirstMouse(nullptr));
    panel->orderOut(nullptr);
  }
}

}  // namespace
