#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <string>

#include "NSUINfoGraffik.h"
#include "OffscreenDrawing.h"

const char* g_CoreMachDebug_LogPrefix = "NfoGraffikTest";
const char* g_CoreMachDebug_LogFileName = "NfoGraffikTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// Colours its buttons: a translucent grey fill and half opacity for the pictures.
class Painter : public NSObject, public NSUIToolButtonDelegate {
  OBJC_CLASS_DECL(Painter, NSObject)
 public:
  std::optional<NSColor*> toolButton_fillColorForState(NSUIToolButton*, NSInteger) override {
    return NSColor::colorWithCalibratedRed_green_blue_alpha(0.75, 0.75, 0.75, 0.25);
  }
  std::optional<float> toolButton_imageOpacityForState(NSUIToolButton*, NSInteger) override { return 0.5f; }
};

}  // namespace

OBJC_CLASS_DEFINE(Painter)

namespace {

using moxicam::test::near;
using moxicam::test::PDFShape;
using moxicam::test::pixelAt;
using moxicam::test::writeShapePDF;

std::string resources() { return NSBundle::mainBundle()->resourcePath()->UTF8String(); }

class NfoGraffik : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A large red square that shrinks to its picture rectangle, and a small one that does not
    // grow (PDF pages are only scaled down to fit).
    ASSERT_TRUE(writeShapePDF(resources() + "/NfoGraffikRed.pdf", 200, 200, PDFShape::Rectangle, 1, 0, 0));
    ASSERT_TRUE(writeShapePDF(resources() + "/NfoGraffikDot.pdf", 10, 10, PDFShape::Rectangle, 0, 0, 1));
  }

  template <class Button>
  static RefPtr<Button> make(NSRect frame, const char* title = nullptr) {
    RefPtr<Button> button = adopt(static_cast<Button*>(Button::alloc()->initWithFrame(frame)));
    if (title) button->setTitle(NSString::stringWithUTF8String(title));
    return button;
  }

  static NSBitmapImageRep* bitmapOf(NSImage* image) {
    return image ? NSDynamicCast<NSBitmapImageRep>(image->representations()->lastObject()) : nullptr;
  }
};

TEST_F(NfoGraffik, ARoundButtonDrawsACircleInItsMarginWithThePictureInside) {
  objc::AutoreleasePool pool;
  // 32 x 24, kind 3: margin 2, circle of 20 at (6, 2), picture of 18 at (7, 3).
  RefPtr<NSUINfoGraffikRound> button = make<NSUINfoGraffikRound>(NSMakeRect(0, 0, 32, 24), "NfoGraffikRed");
  EXPECT_EQ(button->buttonKind(), 3);
  NSBitmapImageRep* off = bitmapOf(button->image());
  ASSERT_NE(off, nullptr);
  EXPECT_EQ(off->pixelsWide(), 32);
  EXPECT_TRUE(near(pixelAt(off, 16, 12), 255, 0, 0, 255)) << "the picture";
  EXPECT_TRUE(near(pixelAt(off, 7, 3), 255, 0, 0, 255)) << "its corner";
  EXPECT_EQ(pixelAt(off, 6, 2).a, 0) << "outside the circle";
  // The circle's top row (its edge smoothed), in the off fill.
  EXPECT_TRUE(near(pixelAt(off, 16, 21), 191, 191, 191, 255, 12)) << pixelAt(off, 16, 21);
  EXPECT_EQ(pixelAt(off, 16, 22).a, 0) << "the margin";
  EXPECT_EQ(pixelAt(off, 3, 12).a, 0);
  // The on picture has the on fill, the control tint.
  NSBitmapImageRep* on = bitmapOf(button->alternateImage());
  ASSERT_NE(on, nullptr);
  NSColor* tint = NSColor::colorForControlTint(NSColor::currentControlTint());
  EXPECT_TRUE(near(pixelAt(on, 16, 21), int(tint->redComponent() * 255), int(tint->greenComponent() * 255),
                   int(tint->blueComponent() * 255), 255, 12))
      << pixelAt(on, 16, 21);
  EXPECT_EQ(button->focusRingType(), NSFocusRingTypeNone);
}

TEST_F(NfoGraffik, SquareKindsRoundTheirCornersBySize) {
  objc::AutoreleasePool pool;
  RefPtr<NSUINfoGraffik> large = make<NSUINfoGraffik>(NSMakeRect(0, 0, 100, 100), "NfoGraffikDot");
  RefPtr<NSUINfoGraffik> small = make<NSUINfoGraffik>(NSMakeRect(0, 0, 64, 64), "NfoGraffikDot");
  NSBitmapImageRep* l = bitmapOf(large->image());
  NSBitmapImageRep* s = bitmapOf(small->image());
  ASSERT_TRUE(l && s);
  EXPECT_EQ(pixelAt(l, 2, 2).a, 0) << "radius 12 above 64";
  EXPECT_GT(pixelAt(s, 3, 3).a, 200) << "radius 8 up to 64";
  EXPECT_LT(pixelAt(l, 3, 3).a, 200);
  EXPECT_TRUE(near(pixelAt(l, 50, 50), 0, 0, 255, 255)) << "the small picture, centred";
  EXPECT_TRUE(near(pixelAt(l, 20, 50), 191, 191, 191, 255)) << "the fill around it";
}

TEST_F(NfoGraffik, TheFillIsOpaqueAndThePictureTakesTheOpacity) {
  objc::AutoreleasePool pool;
  RefPtr<Painter> painter = adopt(static_cast<Painter*>(Painter::alloc()->init()));
  RefPtr<NSUINfoGraffik> button = make<NSUINfoGraffik>(NSMakeRect(0, 0, 100, 100));
  button->setDelegate(painter.get());
  button->setTitle(NSSTR("NfoGraffikDot"));
  NSBitmapImageRep* off = bitmapOf(button->image());
  ASSERT_NE(off, nullptr);
  EXPECT_TRUE(near(pixelAt(off, 20, 50), 191, 191, 191, 255)) << "a fill of alpha 0.25 is painted opaque";
  EXPECT_TRUE(near(pixelAt(off, 50, 50), 96, 96, 223, 255))
      << pixelAt(off, 50, 50) << ": half the blue over it";
}

TEST_F(NfoGraffik, TitlesRenderOnceAndOnlyWhenTheyChange) {
  objc::AutoreleasePool pool;
  RefPtr<NSUINfoGraffik> button = make<NSUINfoGraffik>(NSMakeRect(0, 0, 40, 40));
  EXPECT_EQ(button->image(), nullptr) << "no title, no pictures";
  EXPECT_EQ(button->buttonName(), nullptr);
  button->setTitle(NSSTR("NfoGraffikDot"));
  NSImage* first = button->image();
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(button->title()->UTF8String(), "") << "the cell shows pictures only";
  button->setTitle(NSSTR("NFOGRAFFIKDOT"));
  EXPECT_EQ(button->image(), first) << "the same name in another case";
  button->setTitle(NSSTR("NfoGraffikRed"));
  EXPECT_NE(button->image(), first);
  NSImage* second = button->alternateImage();
  RefPtr<NSImage> named = adopt(NSImage::alloc()->initWithSize(NSMakeSize(1, 1)));
  named->setName(NSSTR("nfograffikred"));
  button->setImage(named.get());
  EXPECT_EQ(button->alternateImage(), second) << "an image of the same name changes nothing";
  named->setName(nullptr);
}

TEST_F(NfoGraffik, TheFamilyRendersItsKindsFromNibs) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  const char* classes[] = {"NSUINfoGraffikRoundRect", "NSUINfoGraffikToggle", "NSUINfoGraffikRadio",
                           "NSUINfoGraffikRoundPushOnPushOff"};
  for (const char* cls : classes) {
    nib.object(cls, cls).setString("frame", "{{0, 0}, {40, 40}}").setString("title", "NfoGraffikDot");
  }
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  ASSERT_EQ(objects->count(), 4u);
  // A rounded square covers (4, 4); a circle inside the margin leaves it clear.
  const bool circle[] = {false, false, true, true};
  for (NSUInteger i = 0; i < 4; ++i) {
    auto* button = static_cast<NSUIToolButton*>(objects->objectAtIndex(i));
    NSBitmapImageRep* off = bitmapOf(button->image());
    ASSERT_NE(off, nullptr) << classes[i];
    ASSERT_NE(bitmapOf(button->alternateImage()), nullptr) << classes[i];
    EXPECT_EQ(button->buttonCell()->cellAttribute(NSCellLightsByContents), 1) << classes[i];
    EXPECT_EQ(pixelAt(off, 4, 4).a == 0, circle[i]) << classes[i] << " " << pixelAt(off, 4, 4);
  }
  auto* pushOnPushOff = static_cast<NSUIToolButton*>(objects->objectAtIndex(3));
  EXPECT_EQ(pushOnPushOff->buttonCell()->buttonType(), NSPushOnPushOffButton);
  EXPECT_EQ(static_cast<NSUIToolButton*>(objects->objectAtIndex(0))->buttonKind(), 2);
}

TEST_F(NfoGraffik, AMissingPictureLeavesOnlyTheBackground) {
  objc::AutoreleasePool pool;
  RefPtr<NSUINfoGraffik> button = make<NSUINfoGraffik>(NSMakeRect(0, 0, 30, 30), "NfoGraffikNowhere");
  NSBitmapImageRep* off = bitmapOf(button->image());
  ASSERT_NE(off, nullptr);
  EXPECT_TRUE(near(pixelAt(off, 15, 15), 191, 191, 191, 255));
  // A button too small for a bitmap still answers pictures, empty ones.
  NSUINfoGraffikImage* empty = NSUINfoGraffikImage::button_imageForSizeState_forSize_forState_forKind(
      button.get(), NSSTR("NfoGraffikRed"), NSMakeSize(0, 0), 0, 3);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->representations()->count(), 0u);
}

}  // namespace
