#include "Headless.h"

#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

NSView* makeView(NSRect frame) { return static_cast<NSView*>(NSView::alloc()->initWithFrame(frame)->autorelease()); }

class FlippedView : public NSView {
  OBJC_CLASS_DECL(FlippedView, NSView)
 public:
  bool isFlipped() const override { return true; }
};

// Fills its bounds with a colour, counting its draws.
class SolidView : public NSView {
  OBJC_CLASS_DECL(SolidView, NSView)
 public:
  void drawRect(NSRect) override {
    ++draws;
    NSColor::colorWithCalibratedRed_green_blue_alpha(red, green, blue, alpha)->setFill();
    CGContextFillRect(NSGraphicsContext::currentContext()->CGContext(), fillRect.size.width > 0 ? fillRect : bounds());
  }
  CGFloat red = 1, green = 0, blue = 0, alpha = 1;
  NSRect fillRect{};
  int draws = 0;
};

}  // namespace

OBJC_CLASS_DEFINE(FlippedView)
OBJC_CLASS_DEFINE(SolidView)

namespace {

// The pixel at (x, y) of a window's backing store, y up, as 0xAARRGGBB.
uint32_t pixelAt(NSWindow* window, int x, int y) {
  CGContextRef context = window->graphicsContext()->CGContext();
  auto* data = static_cast<const uint8_t*>(CGBitmapContextGetData(context));
  const size_t row = CGBitmapContextGetHeight(context) - 1 - size_t(y);
  uint32_t value;
  std::memcpy(&value, data + row * CGBitmapContextGetBytesPerRow(context) + size_t(x) * 4, 4);
  return value;
}

// A window on a white background.
NSWindow* makeWindow(NSRect frame, NSWindowStyleMask style = NSTitledWindowMask) {
  auto* window = static_cast<NSWindow*>(
      NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(frame, style, NSBackingStoreBuffered, false)->autorelease());
  window->setBackgroundColor(NSColor::whiteColor());
  return window;
}

bool nearlyEqual(NSRect a, NSRect b) {
  return std::abs(a.origin.x - b.origin.x) < 1e-9 && std::abs(a.origin.y - b.origin.y) < 1e-9 &&
         std::abs(a.size.width - b.size.width) < 1e-9 && std::abs(a.size.height - b.size.height) < 1e-9;
}

struct AutoresizeCase {
  const char* name;
  NSAutoresizingMaskOptions mask;
  NSRect expected;  // of a view at (10, 20, 30, 40) in a 100 x 100 superview grown to 160 x 130
};

class AutoresizingTest : public testing::TestWithParam<AutoresizeCase> {};

TEST_P(AutoresizingTest, SharesTheSizeChangeAmongFlexibleParts) {
  objc::AutoreleasePool pool;
  NSView* parent = makeView(NSMakeRect(0, 0, 100, 100));
  NSView* child = makeView(NSMakeRect(10, 20, 30, 40));
  child->setAutoresizingMask(GetParam().mask);
  parent->addSubview(child);
  parent->setFrameSize(NSMakeSize(160, 130));
  EXPECT_TRUE(nearlyEqual(child->frame(), GetParam().expected))
      << NSStringFromRect(child->frame())->UTF8String() << " for " << GetParam().name;
}

// Horizontal: margins 10 and 60, width 30; vertical: margins 20 and 40, height 40.
INSTANTIATE_TEST_SUITE_P(
    Masks, AutoresizingTest,
    testing::Values(AutoresizeCase{"none", NSViewNotSizable, NSMakeRect(10, 20, 30, 40)},
                    AutoresizeCase{"width and height", NSViewWidthSizable | NSViewHeightSizable,
                                   NSMakeRect(10, 20, 90, 70)},
                    AutoresizeCase{"left margin", NSViewMinXMargin | NSViewMinYMargin, NSMakeRect(70, 50, 30, 40)},
                    AutoresizeCase{"right margin only", NSViewMaxXMargin | NSViewMaxYMargin, NSMakeRect(10, 20, 30, 40)},
                    AutoresizeCase{"both margins", NSViewMinXMargin | NSViewMaxXMargin, NSMakeRect(10 + 60.0 * 10 / 70, 20, 30, 40)},
                    AutoresizeCase{"width and right margin", NSViewWidthSizable | NSViewMaxXMargin,
                                   NSMakeRect(10, 20, 50, 40)}),
    [](const testing::TestParamInfo<AutoresizeCase>& info) {
      std::string name = info.param.name;
      for (char& c : name) if (c == ' ') c = '_';
      return name;
    });

TEST(NSView, ConvertsPointsThroughNestedAndFlippedViews) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(100, 100, 200, 200));
  NSView* outer = makeView(NSMakeRect(10, 20, 150, 150));
  NSView* flipped = static_cast<NSView*>(FlippedView::alloc()->initWithFrame(NSMakeRect(5, 5, 100, 50))->autorelease());
  window->contentView()->addSubview(outer);
  outer->addSubview(flipped);
  // The flipped view's (0, 0) is its top-left corner: base (15, 75).
  NSPoint base = flipped->convertPoint_toView(NSMakePoint(0, 0), nullptr);
  EXPECT_DOUBLE_EQ(base.x, 15);
  EXPECT_DOUBLE_EQ(base.y, 75);
  NSPoint back = flipped->convertPoint_fromView(NSMakePoint(15, 65), nullptr);
  EXPECT_DOUBLE_EQ(back.x, 0);
  EXPECT_DOUBLE_EQ(back.y, 10);
  NSRect onScreen = window->convertRectToScreen(outer->convertRectToBase(outer->bounds()));
  EXPECT_TRUE(NSEqualRects(onScreen, NSMakeRect(110, 120, 150, 150)));
  EXPECT_EQ(flipped->window(), window);
}

TEST(NSView, HitTestFindsTheFrontmostVisibleView) {
  objc::AutoreleasePool pool;
  NSView* root = makeView(NSMakeRect(0, 0, 100, 100));
  NSView* back = makeView(NSMakeRect(0, 0, 60, 60));
  NSView* front = makeView(NSMakeRect(40, 40, 60, 60));
  root->addSubview(back);
  root->addSubview(front);
  EXPECT_EQ(root->hitTest(NSMakePoint(50, 50)), front);
  EXPECT_EQ(root->hitTest(NSMakePoint(10, 10)), back);
  EXPECT_EQ(root->hitTest(NSMakePoint(90, 10)), root);
  EXPECT_EQ(root->hitTest(NSMakePoint(100, 50)), nullptr);
  front->setHidden(true);
  EXPECT_EQ(root->hitTest(NSMakePoint(50, 50)), back);
}

TEST(NSView, AddingAViewElsewhereMovesItAndKeepsItAlive) {
  objc::AutoreleasePool pool;
  NSView* first = makeView(NSMakeRect(0, 0, 10, 10));
  NSView* second = makeView(NSMakeRect(0, 0, 10, 10));
  WeakPtr<NSView> child;
  {
    RefPtr<NSView> made = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, 5, 5)));
    child = made.get();
    first->addSubview(made.get());
  }
  ASSERT_TRUE(child);
  second->addSubview(child.get().get());
  EXPECT_EQ(first->subviewCount(), 0u);
  EXPECT_EQ(second->subviewCount(), 1u);
  EXPECT_EQ(child.get()->superview(), second);
  EXPECT_EQ(child.get()->nextResponder(), second);
  // A view cannot become its own ancestor's subview.
  child.get()->addSubview(second);
  EXPECT_EQ(second->superview(), nullptr);
  child.get()->removeFromSuperview();
  EXPECT_FALSE(child);
}

TEST(NSView, DrawsIntoTheWindowBackingStoreInItsOwnCoordinates) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(0, 0, 40, 40));
  auto* red = static_cast<SolidView*>(SolidView::alloc()->initWithFrame(NSMakeRect(10, 10, 20, 20))->autorelease());
  auto* blue = static_cast<SolidView*>(SolidView::alloc()->initWithFrame(NSMakeRect(0, 0, 20, 5))->autorelease());
  blue->red = 0;
  blue->blue = 1;
  window->contentView()->addSubview(red);
  red->addSubview(blue);
  window->display();
  EXPECT_EQ(red->draws, 1);
  EXPECT_EQ(pixelAt(window, 20, 25), 0xFFFF0000u);  // red
  EXPECT_EQ(pixelAt(window, 12, 12), 0xFF0000FFu);  // blue at the bottom of red
  EXPECT_EQ(pixelAt(window, 5, 5), 0xFFFFFFFFu);    // window background
  // A subview is clipped to its superview's bounds.
  blue->setFrameOrigin(NSMakePoint(15, 0));
  window->display();
  EXPECT_EQ(pixelAt(window, 32, 12), 0xFFFFFFFFu);
}

TEST(NSView, SetNeedsDisplayRedrawsBeforeTheLoopWaits) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(0, 0, 20, 20));
  auto* view = static_cast<SolidView*>(SolidView::alloc()->initWithFrame(NSMakeRect(0, 0, 20, 20))->autorelease());
  window->contentView()->addSubview(view);
  window->display();
  const int before = view->draws;
  view->green = 1;
  view->setNeedsDisplay(true);
  EXPECT_TRUE(window->viewsNeedDisplay());
  // A pass of the event loop draws what is marked.
  NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
      NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true);
  EXPECT_EQ(view->draws, before + 1);
  EXPECT_EQ(pixelAt(window, 10, 10), 0xFFFFFF00u);
  EXPECT_FALSE(view->needsDisplay());
}

TEST(NSView, LockFocusDrawsOutsideDrawRectInTheViewCoordinates) {
  objc::AutoreleasePool pool;
  NSWindow* window = makeWindow(NSMakeRect(0, 0, 40, 40));
  NSView* view = makeView(NSMakeRect(20, 20, 10, 10));
  window->contentView()->addSubview(view);
  window->display();
  view->lockFocus();
  CGContextRef context = NSGraphicsContext::currentContext()->CGContext();
  CGContextSetRGBFillColor(context, 0, 1, 0, 1);
  // Bigger than the view: clipped to it.
  CGContextFillRect(context, CGRectMake(-20, -20, 100, 100));
  view->unlockFocus();
  EXPECT_EQ(pixelAt(window, 25, 25), 0xFF00FF00u);
  EXPECT_EQ(pixelAt(window, 15, 15), 0xFFFFFFFFu);
  EXPECT_EQ(NSGraphicsContext::currentContext(), nullptr);
}

TEST(NSView, DecodesFromANibWithSubviewsAndAttributes) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  auto top = nib.object("NSView", "top");
  top.setString("frame", "{{0, 0}, {200, 100}}");
  top.setString("toolTip", "Top");
  auto inner = nib.object("FlippedView", "inner");
  inner.setString("frame", "{{10, 10}, {50, 20}}");
  inner.setInteger("autoresizingMask", NSViewWidthSizable);
  inner.setBool("hidden", true);
  inner.setInteger("tag", 7);
  top.setReferences("subviews", {"inner"});
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  auto* view = NSDynamicCast<NSView>(objects->objectAtIndex(0));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(0, 0, 200, 100)));
  EXPECT_STREQ(view->toolTip()->UTF8String(), "Top");
  ASSERT_EQ(view->subviewCount(), 1u);
  auto* child = static_cast<NSView*>(view->subviews()->objectAtIndex(0));
  EXPECT_TRUE(child->isFlipped());
  EXPECT_TRUE(child->isHidden());
  EXPECT_EQ(child->tag(), 7);
  view->setFrameSize(NSMakeSize(300, 100));
  EXPECT_DOUBLE_EQ(child->frame().size.width, 150);
}

}  // namespace
