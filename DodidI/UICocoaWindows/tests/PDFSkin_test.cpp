#include <AppKit/AppKit.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSDate.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "OffscreenDrawing.h"
#include "PDFSkinView.h"
#include "PDFSkinWindow.h"

const char* g_CoreMachDebug_LogPrefix = "PDFSkinTest";
const char* g_CoreMachDebug_LogFileName = "PDFSkinTest.log";

namespace {

// Paints its bounds opaque blue, under a skin view.
class BlueView : public NSView {
  OBJC_CLASS_DECL(BlueView, NSView)
 public:
  void drawRect(NSRect) override {
    NSColor::blueColor()->set();
    NSRectFill(bounds());
  }
};

}  // namespace

OBJC_CLASS_DEFINE(BlueView)

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  return true;
}();

using moxicam::test::near;
using moxicam::test::PDFShape;
using moxicam::test::pixelAt;
using moxicam::test::writeShapePDF;

std::string resources() { return NSBundle::mainBundle()->resourcePath()->UTF8String(); }

class PDFSkin : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A red page to see where the picture lies, a green oval to see its transparent corners.
    ASSERT_TRUE(writeShapePDF(resources() + "/PDFSkinTestRed.pdf", 40, 30, PDFShape::Rectangle, 1, 0, 0));
    ASSERT_TRUE(writeShapePDF(resources() + "/PDFSkinTestOval.pdf", 40, 30, PDFShape::Ellipse, 0, 1, 0));
  }
  void SetUp() override { drain(); }
  void TearDown() override { drain(); }

  static void drain() {
    NSApplication* app = NSApplication::sharedApplication();
    while (NSEvent* event = app->nextEventMatchingMask_untilDate_inMode_dequeue(
               NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true)) {
      app->sendEvent(event);
    }
  }

  template <class Window>
  static RefPtr<Window> makeWindow(NSRect frame, const char* title) {
    RefPtr<Window> window =
        adopt(static_cast<Window*>(Window::alloc()->initWithContentRect_styleMask_backing_defer(
            frame, NSTitledWindowMask, NSBackingStoreRetained, true)));
    window->setReleasedWhenClosed(false);
    if (title) window->setTitle(NSString::stringWithUTF8String(title));
    return window;
  }

  template <class View>
  static RefPtr<View> makeView(NSRect frame) {
    return adopt(static_cast<View*>(View::alloc()->initWithFrame(frame)));
  }

  // The window drawn, as its content view shows it.
  static RefPtr<NSBitmapImageRep> pixelsOf(NSWindow* window) {
    window->display();
    NSView* view = window->contentView();
    view->lockFocus();
    RefPtr<NSBitmapImageRep> bitmap =
        adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(view->bounds()));
    view->unlockFocus();
    return bitmap;
  }
};

TEST_F(PDFSkin, TheWindowTitleNamesThePictureDrawnAtItsSizeInTheLowerLeftCorner) {
  objc::AutoreleasePool pool;
  const char* titles[] = {"PDFSkinTestRed", "PDFSkinTestRed.pdf"};
  for (const char* title : titles) {
    RefPtr<PDFSkinWindow> window = makeWindow<PDFSkinWindow>(NSMakeRect(50, 60, 100, 80), title);
    EXPECT_EQ(window->styleMask(), NSBorderlessWindowMask) << "the skin is all there is of it";
    EXPECT_FALSE(window->isOpaque());
    EXPECT_TRUE(window->hasShadow());
    EXPECT_TRUE(window->canBecomeKeyWindow());
    RefPtr<PDFSkinView> view = makeView<PDFSkinView>(NSMakeRect(0, 0, 100, 80));
    window->setContentView(view.get());
    view->awakeFromNib();
    EXPECT_TRUE(view->needsDisplay()) << title;
    ASSERT_NE(view->skinImage(), nullptr) << title;
    const NSUInteger shadows = window->shadowInvalidationCount();
    RefPtr<NSBitmapImageRep> drawn = pixelsOf(window.get());
    EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 0), 255, 0, 0, 255)) << title;
    EXPECT_TRUE(near(pixelAt(drawn.get(), 39, 29), 255, 0, 0, 255)) << title;
    EXPECT_EQ(pixelAt(drawn.get(), 40, 10).a, 0) << "right of the picture";
    EXPECT_EQ(pixelAt(drawn.get(), 10, 30).a, 0) << "above the picture";
    EXPECT_EQ(pixelAt(drawn.get(), 99, 79).a, 0) << "the far corner";
    EXPECT_GT(window->shadowInvalidationCount(), shadows) << "the shadow follows the painted shape";
  }
}

TEST_F(PDFSkin, ATransparentSkinShapeLeavesItsCornersClear) {
  objc::AutoreleasePool pool;
  RefPtr<PDFSkinWindow> window = makeWindow<PDFSkinWindow>(NSMakeRect(0, 0, 40, 30), "PDFSkinTestOval");
  RefPtr<PDFSkinView> view = makeView<PDFSkinView>(NSMakeRect(0, 0, 40, 30));
  window->setContentView(view.get());
  ASSERT_TRUE(view->setResourceImageFromWindowTitle());
  RefPtr<NSBitmapImageRep> drawn = pixelsOf(window.get());
  EXPECT_TRUE(near(pixelAt(drawn.get(), 20, 15), 0, 255, 0, 255));
  EXPECT_EQ(pixelAt(drawn.get(), 0, 0).a, 0);
  EXPECT_EQ(pixelAt(drawn.get(), 39, 29).a, 0);
}

TEST_F(PDFSkin, AScaledSkinStretchesThePictureOverItsBounds) {
  objc::AutoreleasePool pool;
  RefPtr<PDFSkinWindow> window = makeWindow<PDFSkinWindow>(NSMakeRect(0, 0, 80, 60), "PDFSkinTestRed");
  RefPtr<PDFSkinViewScaled> view = makeView<PDFSkinViewScaled>(NSMakeRect(0, 0, 80, 60));
  window->setContentView(view.get());
  ASSERT_TRUE(view->setResourceImageFromWindowTitle());
  const NSUInteger shadows = window->shadowInvalidationCount();
  RefPtr<NSBitmapImageRep> drawn = pixelsOf(window.get());
  const NSPoint points[] = {{0, 0}, {79, 59}, {79, 0}, {0, 59}, {40, 30}};
  for (const NSPoint& p : points) {
    EXPECT_TRUE(near(pixelAt(drawn.get(), int(p.x), int(p.y)), 255, 0, 0, 255)) << p.x << "," << p.y;
  }
  EXPECT_GT(window->shadowInvalidationCount(), shadows);
}

TEST_F(PDFSkin, ATitleThatNamesNoPictureShowsNothing) {
  objc::AutoreleasePool pool;
  const char* titles[] = {"PDFSkinTestNowhere", "", "PDFSKINTESTRED.PDF"};
  for (const char* title : titles) {
    RefPtr<PDFSkinWindow> window = makeWindow<PDFSkinWindow>(NSMakeRect(0, 0, 40, 30), title);
    RefPtr<PDFSkinView> view = makeView<PDFSkinView>(NSMakeRect(0, 0, 40, 30));
    window->setContentView(view.get());
    pixelsOf(window.get());
    view->awakeFromNib();
    EXPECT_FALSE(view->needsDisplay()) << title;
    EXPECT_EQ(view->skinImage(), nullptr) << title;
    EXPECT_EQ(moxicam::test::inkCount(pixelsOf(window.get()).get(), NSMakeRect(0, 0, 40, 30)), 0) << title;
  }
  // A picture once found goes with a name that finds none.
  RefPtr<PDFSkinView> view = makeView<PDFSkinView>(NSMakeRect(0, 0, 40, 30));
  ASSERT_TRUE(view->setResourceImage(NSSTR("PDFSkinTestRed")));
  EXPECT_FALSE(view->setResourceImage(NSSTR("PDFSkinTestNowhere")));
  EXPECT_EQ(view->skinImage(), nullptr);
  EXPECT_FALSE(view->setResourceImage(nullptr));
  EXPECT_FALSE(view->setResourceImageFromWindowTitle()) << "no window";
}

TEST_F(PDFSkin, AViewAwayFromTheOriginClearsItsOwnBounds) {
  objc::AutoreleasePool pool;
  RefPtr<PDFSkinWindow> window = makeWindow<PDFSkinWindow>(NSMakeRect(0, 0, 100, 80), "PDFSkinTestRed");
  // An opaque blue content view under a skin view at (20, 10).
  RefPtr<NSView> content = makeView<BlueView>(NSMakeRect(0, 0, 100, 80));
  RefPtr<PDFSkinView> view = makeView<PDFSkinView>(NSMakeRect(20, 10, 50, 40));
  content->addSubview(view.get());
  window->setContentView(content.get());
  RefPtr<NSBitmapImageRep> drawn = pixelsOf(window.get());
  EXPECT_TRUE(near(pixelAt(drawn.get(), 5, 5), 0, 0, 255, 255)) << "outside the skin view";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 90, 70), 0, 0, 255, 255));
  const NSPoint cleared[] = {{20, 10}, {25, 15}, {69, 49}, {45, 30}};
  for (const NSPoint& p : cleared) {
    EXPECT_EQ(pixelAt(drawn.get(), int(p.x), int(p.y)).a, 0) << p.x << "," << p.y;
  }
}

TEST_F(PDFSkin, TheAboutBoxHidesOnAClickAndMovesOnADrag) {
  objc::AutoreleasePool pool;
  NSApplication* app = NSApplication::sharedApplication();
  auto mouse = [](NSEventType type, NSWindow* window, NSPoint where) {
    return NSEvent::
        mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
            type, where, 0, 0, window->windowNumber(), nullptr, 0, 1, 1);
  };
  RefPtr<PDFSkinAboutBox> box = makeWindow<PDFSkinAboutBox>(NSMakeRect(200, 300, 100, 80), "PDFSkinTestRed");
  RefPtr<PDFSkinAboutBoxView> view = makeView<PDFSkinAboutBoxView>(NSMakeRect(0, 0, 100, 80));
  box->setContentView(view.get());
  EXPECT_TRUE(view->acceptsFirstMouse(nullptr));
  box->orderFront(nullptr);
  ASSERT_TRUE(box->isVisible());

  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDown, box.get(), NSMakePoint(30, 40)), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, box.get(), NSMakePoint(50, 30)), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, box.get(), NSMakePoint(50, 30)), false);
  drain();
  EXPECT_TRUE(box->isVisible()) << "a drag is no click";
  EXPECT_TRUE(NSEqualRects(box->frame(), NSMakeRect(220, 290, 100, 80)))
      << NSStringFromRect(box->frame())->UTF8String();

  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDown, box.get(), NSMakePoint(30, 40)), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, box.get(), NSMakePoint(30, 40)), false);
  drain();
  EXPECT_FALSE(box->isVisible());
  EXPECT_TRUE(NSEqualRects(box->frame(), NSMakeRect(220, 290, 100, 80)));
}

TEST_F(PDFSkin, APlainSkinWindowStaysOnAClick) {
  objc::AutoreleasePool pool;
  NSApplication* app = NSApplication::sharedApplication();
  RefPtr<PDFSkinWindow> window = makeWindow<PDFSkinWindow>(NSMakeRect(200, 300, 100, 80), "PDFSkinTestRed");
  RefPtr<PDFSkinView> view = makeView<PDFSkinView>(NSMakeRect(0, 0, 100, 80));
  window->setContentView(view.get());
  window->orderFront(nullptr);
  for (NSEventType type : {NSEventTypeLeftMouseDown, NSEventTypeLeftMouseUp}) {
    app->postEvent_atStart(
        NSEvent::
            mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
                type, NSMakePoint(30, 40), 0, 0, window->windowNumber(), nullptr, 0, 1, 1),
        false);
  }
  drain();
  EXPECT_TRUE(window->isVisible());
  window->orderOut(nullptr);
}

TEST(PDFSkinImports, AnswerOne) {
  EXPECT_EQ(import_PDFSkinView(), 1);
  EXPECT_EQ(import_PDFSkinWindow(), 1);
}

}  // namespace
