#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "NSUIToolButton.h"

const char* g_CoreMachDebug_LogPrefix = "ToolButtonTest";
const char* g_CoreMachDebug_LogFileName = "ToolButtonTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// Answers a fill colour that is null, and a stroke colour for the on state only.
class PartialDelegate : public NSObject, public NSUIToolButtonDelegate {
  OBJC_CLASS_DECL(PartialDelegate, NSObject)
 public:
  std::optional<NSColor*> toolButton_fillColorForState(NSUIToolButton*, NSInteger) override { return nullptr; }
  std::optional<NSColor*> toolButton_strokeColorForState(NSUIToolButton*, NSInteger state) override {
    if (state == NSOnState) return NSColor::redColor();
    return nullptr;
  }
};

}  // namespace

OBJC_CLASS_DEFINE(PartialDelegate)

namespace {

void expectColor(NSColor* color, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  ASSERT_NE(color, nullptr);
  EXPECT_NEAR(color->redComponent(), r, 1e-6);
  EXPECT_NEAR(color->greenComponent(), g, 1e-6);
  EXPECT_NEAR(color->blueComponent(), b, 1e-6);
  EXPECT_NEAR(color->alphaComponent(), a, 1e-6);
}

template <class Button>
Button* make() {
  return static_cast<Button*>(Button::alloc()->initWithFrame(NSMakeRect(0, 0, 20, 20))->autorelease());
}

TEST(NSUIToolButton, DefaultsWithoutADelegate) {
  objc::AutoreleasePool pool;
  NSUIToolButton* button = make<NSUIToolButton>();
  NSColor* tint = NSColor::colorForControlTint(NSColor::currentControlTint());
  for (NSInteger state : {NSOffState, NSOnState, NSMixedState}) {
    EXPECT_EQ(button->buttonImageOpacityForState(state), 1.0f);
    expectColor(button->buttonStrokeColorForState(state), 0.1, 0.1, 0.1, 0.8);
  }
  expectColor(button->buttonFillColorForState(NSOffState), 0.75, 0.75, 0.75, 0.25);
  expectColor(button->buttonFillColorForState(NSMixedState), 0.75, 0.75, 0.75, 0.25);
  expectColor(button->buttonFillColorForState(NSOnState), tint->redComponent(), tint->greenComponent(),
              tint->blueComponent(), 1);
  EXPECT_STREQ(button->buttonFillColorForState(NSOnState)->colorSpaceName()->UTF8String(), "NSCalibratedRGBColorSpace");
}

TEST(NSUIToolButton, TheDelegateAnswersFirstUnlessItAnswersNothing) {
  objc::AutoreleasePool pool;
  NSUIToolButton* button = make<NSUIToolButton>();
  RefPtr<PartialDelegate> delegate = adopt(static_cast<PartialDelegate*>(PartialDelegate::alloc()->init()));
  button->setDelegate(delegate.get());
  expectColor(button->buttonFillColorForState(NSOffState), 0.75, 0.75, 0.75, 0.25);
  expectColor(button->buttonStrokeColorForState(NSOnState), 1, 0, 0, 1);
  expectColor(button->buttonStrokeColorForState(NSOffState), 0.1, 0.1, 0.1, 0.8);
  EXPECT_EQ(button->buttonImageOpacityForState(NSOnState), 1.0f);
}

TEST(NSUIToolButton, CellsAreSetUpAsBorderlessImageOnlyButtonsFromCodeAndNibs) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  nib.object("NSUIToggleButton", "toggle").setString("frame", "{{0, 0}, {20, 20}}").setString("title", "Name");
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  NSUIToggleButton* fromNib = static_cast<NSUIToggleButton*>(objects->objectAtIndex(0));
  NSUIToggleButton* fromCode = make<NSUIToggleButton>();
  NSUIToolButton* tool = make<NSUIToolButton>();
  for (NSUIToolButton* button : {static_cast<NSUIToolButton*>(fromNib), static_cast<NSUIToolButton*>(fromCode), tool}) {
    NSButtonCell* cell = button->buttonCell();
    EXPECT_EQ(cell->bezelStyle(), NSShadowlessSquareBezelStyle);
    EXPECT_EQ(cell->imagePosition(), NSImageOnly);
    EXPECT_FALSE(cell->isBordered());
    EXPECT_FALSE(cell->isBezeled());
    EXPECT_EQ(cell->highlightsBy(), 0);
    EXPECT_EQ(cell->showsStateBy(), 0);
    EXPECT_EQ(cell->cellAttribute(NSCellLightsByBackground), 0);
    EXPECT_EQ(cell->cellAttribute(NSCellLightsByGray), 0);
    const bool toggle = button != tool;
    EXPECT_EQ(cell->cellAttribute(NSCellLightsByContents), toggle ? 1 : 0);
    EXPECT_EQ(cell->cellAttribute(NSCellChangesContents), toggle ? 1 : 0);
  }
  EXPECT_FALSE(NSUIToolButton::setDefaultCellAttributes(nullptr));
}

// The pixel at the middle of a 20 x 20 button drawn into a window.
uint32_t middlePixel(NSButton* button) {
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(0, 0, 20, 20), NSBorderlessWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  window->setOpaque(false);
  window->setBackgroundColor(NSColor::clearColor());
  window->setContentView(button);
  window->display();
  CGContextRef context = window->graphicsContext()->CGContext();
  return static_cast<const uint32_t*>(CGBitmapContextGetData(context))[10 * CGBitmapContextGetBytesPerRow(context) / 4 + 10];
}

TEST(NSUIOvalToolButton, PaintsAnOvalOnlyBehindASingleImage) {
  objc::AutoreleasePool pool;
  NSUIOvalToolButton* single = make<NSUIOvalToolButton>();
  EXPECT_EQ(middlePixel(single) >> 24, 0xCCu);
  NSUIOvalToolButton* withAlternate = make<NSUIOvalToolButton>();
  withAlternate->setAlternateImage(static_cast<NSImage*>(NSImage::alloc()->initWithSize(NSMakeSize(4, 4))->autorelease()));
  EXPECT_EQ(middlePixel(withAlternate), 0u);
}

}  // namespace
