#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <cmath>
#include <string>

#include "NSSliderCell_Labeling.h"
#include "NSUISelfLabelingSlider.h"
#include "NUCIControlImage.h"
#include "OffscreenDrawing.h"

const char* g_CoreMachDebug_LogPrefix = "SelfLabelingSliderTest";
const char* g_CoreMachDebug_LogFileName = "SelfLabelingSliderTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// Writes its own label.
class Describer : public NSObject, public protocol_NSUIControlCellDelegate {
  OBJC_CLASS_DECL(Describer, NSObject)
 public:
  NSString* controlCell_descriptionForValue(NSCell*, NSObject* value) override {
    return NSString::stringWithFormat(NSSTR("gain %@"), value);
  }
};

// A target that counts its actions.
class Counter : public NSObject {
  OBJC_CLASS_DECL(Counter, NSObject)
 public:
  void changed(NSObject*) { ++actions; }
  int actions = 0;
};

}  // namespace

OBJC_CLASS_DEFINE(Describer)
OBJC_CLASS_DEFINE(Counter)
OBJC_METHODS(Counter, OBJC_METHOD("changed:", &Counter::changed))

namespace {

using moxicam::test::near;
using moxicam::test::pixelAt;
using moxicam::test::renderView;
using namespace NSSliderCell_Labeling;

RefPtr<NSUISelfLabelingSlider> makeSlider(NSRect frame) {
  return adopt(static_cast<NSUISelfLabelingSlider*>(NSUISelfLabelingSlider::alloc()->initWithFrame(frame)));
}

NSUISelfLabelingSliderCell* cellOf(NSSlider* slider) {
  return NSDynamicCast<NSUISelfLabelingSliderCell>(slider->cell());
}

TEST(NSSliderCellLabeling, KnobRectanglesFollowTheValue) {
  objc::AutoreleasePool pool;
  RefPtr<NSUISelfLabelingSlider> slider = makeSlider(NSMakeRect(0, 0, 200, 20));
  NSSliderCell* cell = slider->sliderCell();
  ASSERT_NE(cell, nullptr);
  struct Case {
    NSRect frame;
    double min, max, value;
    NSRect knob;
  } cases[] = {
      {NSMakeRect(0, 0, 200, 20), 0, 1, 0, NSMakeRect(0, -20, 20, 20)},
      {NSMakeRect(0, 0, 200, 20), 0, 1, 1, NSMakeRect(180, -20, 20, 20)},
      {NSMakeRect(0, 0, 200, 20), 0, 10, 5, NSMakeRect(90, -20, 20, 20)},
      {NSMakeRect(0, 0, 20, 200), 0, 1, 0.5, NSMakeRect(0, 90, 20, 20)},
      {NSMakeRect(5, 5, 30, 30), 0, 1, 0.5, NSMakeRect(5, 5, 30, 30)},
      // An empty range: the knob rests at the minimum rather than nowhere.
      {NSMakeRect(0, 0, 200, 20), 3, 3, 3, NSMakeRect(0, -20, 20, 20)},
  };
  for (const Case& c : cases) {
    cell->setMinValue(c.min);
    cell->setMaxValue(c.max);
    cell->setDoubleValue(c.value);
    const NSRect knob = calculateKnobRectForCellFrame_flipped(cell, c.frame, false);
    EXPECT_TRUE(NSEqualRects(knob, c.knob)) << NSStringFromRect(knob)->UTF8String();
  }
  EXPECT_TRUE(isHorizontal(NSMakeRect(0, 0, 2, 1)));
  EXPECT_FALSE(isHorizontal(NSMakeRect(0, 0, 2, 2)));
  EXPECT_FALSE(isVertical(NSMakeRect(0, 0, 2, 2)));
  EXPECT_TRUE(NSEqualRects(alwaysHorizontalFrame(NSMakeRect(3, 4, 20, 200)), NSMakeRect(3, 4, 200, 20)));
}

TEST(NSSliderCellLabeling, ImagesTurnByQuarters) {
  objc::AutoreleasePool pool;
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(2, 1)));
  image->lockFocus();
  NSColor::redColor()->set();
  NSRectFill(NSMakeRect(0, 0, 1, 1));
  NSColor::blueColor()->set();
  NSRectFill(NSMakeRect(1, 0, 1, 1));
  image->unlockFocus();
  EXPECT_EQ(rotateImage_forScreen_byAngleOf90Degrees(image.get(), nullptr, 0), image.get());
  NSImage* turned = rotateImage_forScreen_byAngleOf90Degrees(image.get(), nullptr, 90);
  ASSERT_NE(turned, nullptr);
  EXPECT_TRUE(NSEqualSizes(turned->size(), NSMakeSize(1, 2)));
  RefPtr<NSBitmapImageRep> drawn =
      moxicam::test::drawOffscreen(1, 2, [&] { turned->drawInRect(NSMakeRect(0, 0, 1, 2)); });
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 0), 255, 0, 0, 255))
      << "a quarter turn anticlockwise: left goes down";
  EXPECT_TRUE(near(pixelAt(drawn.get(), 0, 1), 0, 0, 255, 255));
}

TEST(NSUISelfLabelingSliderCell, LabelsNameTheSliderAndItsValue) {
  objc::AutoreleasePool pool;
  RefPtr<NSUISelfLabelingSlider> slider = makeSlider(NSMakeRect(0, 0, 200, 20));
  NSUISelfLabelingSliderCell* cell = cellOf(slider.get());
  ASSERT_NE(cell, nullptr);
  cell->setDoubleValue(0.5);
  EXPECT_STREQ(cell->descriptiveSelfLabelWithString_value(NSSTR("Volume"), cell->objectValue())->UTF8String(),
               "Volume  -  0.50\n");
  EXPECT_STREQ(cell->descriptiveSelfLabelWithString_value(nullptr, cell->objectValue())->UTF8String(),
               "  -  0.50\n")
      << "no name, no null";
  slider->setToolTip(NSSTR("Gain"));
  EXPECT_STREQ(cell->selfLabel()->UTF8String(), "Gain");
  RefPtr<Describer> describer = adopt(static_cast<Describer*>(Describer::alloc()->init()));
  cell->setDelegate(describer.get());
  EXPECT_STREQ(cell->descriptiveSelfLabelWithString_value(NSSTR("Volume"), cell->objectValue())->UTF8String(),
               "gain 0.5");
}

TEST(NSUISelfLabelingSliderCell, TheKnobPictureIsRemadeOnlyWhenItsSizeChanges) {
  objc::AutoreleasePool pool;
  RefPtr<NSUISelfLabelingSlider> slider = makeSlider(NSMakeRect(0, 0, 200, 20));
  NSUISelfLabelingSliderCell* cell = cellOf(slider.get());
  EXPECT_TRUE(NSEqualSizes(cell->coolKnobImage()->size(), NSMakeSize(24, 24)));
  EXPECT_TRUE(NSEqualSizes(cell->coolKnobImageSize(), NSZeroSize));
  cell->updateKnobImageForKnobRect_cellFrame(NSMakeRect(0, -20, 20, 20), slider->bounds());
  NUCIControlImage* first = cell->coolKnobImage();
  EXPECT_TRUE(NSEqualSizes(first->size(), NSMakeSize(19, 19))) << "one point smaller";
  EXPECT_TRUE(NSEqualSizes(cell->coolKnobImageSize(), NSMakeSize(20, 20)));
  cell->updateKnobImageForKnobRect_cellFrame(NSMakeRect(50, -20, 20, 20), slider->bounds());
  EXPECT_EQ(cell->coolKnobImage(), first);
  cell->updateKnobImageForKnobRect_cellFrame(NSMakeRect(0, -30, 30, 30), slider->bounds());
  EXPECT_NE(cell->coolKnobImage(), first);
}

// How many pixels of the rectangle (y up) are well inked (the label's text, the knob's
// highlight; the capsule and the knob's disc are fainter), leaving out those of `besides`.
int strongInk(NSBitmapImageRep* bitmap, NSRect rect, NSRect besides = NSZeroRect) {
  int count = 0;
  for (int y = int(NSMinY(rect)); y < int(NSMaxY(rect)); ++y) {
    for (int x = int(NSMinX(rect)); x < int(NSMaxX(rect)); ++x) {
      if (NSPointInRect(NSMakePoint(x, y), besides)) continue;
      if (pixelAt(bitmap, x, y).a > 100) ++count;
    }
  }
  return count;
}

TEST(NSUISelfLabelingSlider, DrawsTheKnobAndTheLabelInsideItsCapsule) {
  objc::AutoreleasePool pool;
  RefPtr<NSUISelfLabelingSlider> slider = makeSlider(NSMakeRect(0, 0, 200, 20));
  slider->setToolTip(NSSTR("Volume"));
  slider->setDoubleValue(0);
  RefPtr<NSBitmapImageRep> drawn = renderView(slider.get());
  ASSERT_TRUE(drawn);
  // The knob at the minimum end, a shaded disc with transparent corners.
  EXPECT_GT(pixelAt(drawn.get(), 10, 10).a, 40) << pixelAt(drawn.get(), 10, 10);
  EXPECT_EQ(pixelAt(drawn.get(), 0, 19).a, 0);
  // The capsule: faint grey along the control, one unit in.
  EXPECT_TRUE(near(pixelAt(drawn.get(), 195, 10), 191, 191, 191, 32, 4)) << pixelAt(drawn.get(), 195, 10);
  EXPECT_EQ(pixelAt(drawn.get(), 195, 0).a, 0);
  // The text lies inside the label rectangle (inset 12 across, a fifth of the height up and
  // down), and nowhere else but where the knob is.
  const NSRect label = NSMakeRect(12, 4, 176, 12), knob = NSMakeRect(0, 0, 20, 20);
  EXPECT_GT(strongInk(drawn.get(), label, knob), 30);
  EXPECT_EQ(strongInk(drawn.get(), NSMakeRect(0, 0, 200, 20), knob), strongInk(drawn.get(), label, knob));
  // At the maximum the knob has moved to the other end.
  slider->setDoubleValue(1);
  RefPtr<NSBitmapImageRep> moved = renderView(slider.get());
  EXPECT_GT(pixelAt(moved.get(), 190, 10).a, 40);
  EXPECT_LT(pixelAt(moved.get(), 10, 10).a, 40);
}

TEST(NSUISelfLabelingSlider, AVerticalSliderTurnsItsLabel) {
  objc::AutoreleasePool pool;
  RefPtr<NSUISelfLabelingSlider> slider = makeSlider(NSMakeRect(0, 0, 20, 200));
  slider->setToolTip(NSSTR("Level"));
  slider->setDoubleValue(0.5);
  RefPtr<NSBitmapImageRep> drawn = renderView(slider.get());
  // The knob stands upright half way up: (0, 90) to (20, 110).
  const NSRect label = NSMakeRect(4, 12, 12, 176), knob = NSMakeRect(0, 90, 20, 20);
  EXPECT_GT(strongInk(drawn.get(), label, knob), 30);
  EXPECT_EQ(strongInk(drawn.get(), NSMakeRect(0, 0, 20, 200), knob), strongInk(drawn.get(), label, knob));
  EXPECT_TRUE(near(pixelAt(drawn.get(), 10, 195), 191, 191, 191, 32, 4)) << "the capsule runs along it";
}

TEST(NSUISelfLabelingSlider, ANibSliderWithAPlainCellGetsALabellingCopy) {
  objc::AutoreleasePool pool;
  RefPtr<Counter> counter = adopt(static_cast<Counter*>(Counter::alloc()->init()));
  NibBuilder nib;
  NibBuilder::Object slider = nib.object("NSUISelfLabelingSlider", "slider");
  slider.setString("frame", "{{0, 0}, {200, 20}}").setString("toolTip", "Brightness");
  slider.object("cell", "NSSliderCell", "cell")
      .setReal("minValue", -1)
      .setReal("maxValue", 3)
      .setReal("doubleValue", 2)
      .setInteger("tag", 7)
      .setInteger("numberOfTickMarks", 5);
  nib.action("slider", "changed:", "owner");
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(counter.get(), &objects));
  auto* woken = static_cast<NSUISelfLabelingSlider*>(objects->objectAtIndex(0));
  NSUISelfLabelingSliderCell* cell = cellOf(woken);
  ASSERT_NE(cell, nullptr) << "replaced when it woke";
  EXPECT_EQ(cell->minValue(), -1);
  EXPECT_EQ(cell->maxValue(), 3);
  EXPECT_EQ(cell->doubleValue(), 2);
  EXPECT_EQ(cell->tag(), 7);
  EXPECT_EQ(cell->numberOfTickMarks(), 5);
  EXPECT_EQ(cell->target(), counter.get());
  EXPECT_EQ(cell->action(), SELECTOR("changed:"));
  EXPECT_STREQ(cell->selfLabel()->UTF8String(), "Brightness");
  EXPECT_EQ(cell->lozengeAlpha(), 0.125);
  EXPECT_EQ(cell->controlView(), woken);
}

TEST(NSUISelfLabelingSlider, DraggingRedrawsTheLabelAtEveryStep) {
  objc::AutoreleasePool pool;
  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(100, 100, 200, 20), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  RefPtr<NSUISelfLabelingSlider> slider = makeSlider(NSMakeRect(0, 0, 200, 20));
  window->setContentView(slider.get());
  RefPtr<Counter> counter = adopt(static_cast<Counter*>(Counter::alloc()->init()));
  slider->setTarget(counter.get());
  slider->setAction(SELECTOR("changed:"));
  auto mouse = [&](NSEventType type, CGFloat x) {
    window->sendEvent(
        NSEvent::
            mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
                type, NSMakePoint(x, 10), 0, 0, window->windowNumber(), nullptr, 0, 1, 1));
  };
  mouse(NSEventTypeLeftMouseDown, 10);
  EXPECT_EQ(slider->doubleValue(), 0);
  window->display();
  EXPECT_FALSE(slider->needsDisplay());
  // Each tracking step of the cell marks the control, whoever asks.
  NSUISelfLabelingSliderCell* cell = cellOf(slider.get());
  EXPECT_TRUE(cell->continueTracking_at_inView(NSMakePoint(10, 10), NSMakePoint(100, 10), slider.get()));
  EXPECT_TRUE(slider->needsDisplay());
  EXPECT_NEAR(slider->doubleValue(), 0.5, 1e-9);
  window->display();
  mouse(NSEventTypeLeftMouseDragged, 190);
  EXPECT_TRUE(slider->needsDisplay());
  EXPECT_EQ(slider->doubleValue(), 1);
  EXPECT_EQ(counter->actions, 0) << "not continuous: the action waits for the mouse to come up";
  mouse(NSEventTypeLeftMouseUp, 190);
  EXPECT_EQ(counter->actions, 1);
  // Whatever part is asked for, the whole control is redrawn.
  window->display();
  slider->setNeedsDisplayInRect(NSZeroRect);
  EXPECT_TRUE(slider->needsDisplay());
  window->setContentView(nullptr);
}

TEST(NUCIControlImage, TheBaseImageIsTransparentAndItsMaskHasWholePixels) {
  objc::AutoreleasePool pool;
  NUCIControlImage* image =
      NUCIControlImage::imageWithSize_forState(NUCIControlImage::class_(), NSMakeSize(24.9, 24.9), 1);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(NSEqualSizes(image->size(), NSMakeSize(24.9, 24.9)));
  EXPECT_EQ(image->maskContext().GetImageWidth(), 24);
  EXPECT_EQ(image->maskContext().GetImageHeight(), 24);
  EXPECT_EQ(image->maskContext().GetImageDataBytes()[0], 255) << "the mask starts opaque";
  RefPtr<NSBitmapImageRep> drawn =
      moxicam::test::drawOffscreen(25, 25, [&] { image->drawInRect(NSMakeRect(0, 0, 25, 25)); });
  EXPECT_EQ(moxicam::test::inkCount(drawn.get(), NSMakeRect(0, 0, 25, 25)), 0);
  EXPECT_EQ(NUCIControlImage::imageWithSize_forState(NSImage::class_(), NSMakeSize(4, 4), 0), nullptr);
  // A size without pixels makes no mask and draws nothing.
  NUCIControlImage* empty =
      NUCIControlImage::imageWithSize_forState(NUCIControlImage::class_(), NSMakeSize(0.5, 10), 1);
  ASSERT_NE(empty, nullptr);
  EXPECT_FALSE(empty->maskContext().IsConstructed());
  CGImageRef noMask = empty->createMaskImageFromMaskContext();
  EXPECT_EQ(noMask, nullptr);
}

TEST(NUCIControlImage, TheSliderKnobIsAShadedDiscWithAHighlight) {
  objc::AutoreleasePool pool;
  NUCIControlImage* on = NUCIControlImage::imageWithSize_forState(NSUISelfLabelingSliderKnobImage::class_(),
                                                                  NSMakeSize(24, 24), 1);
  RefPtr<NSBitmapImageRep> disc =
      moxicam::test::drawOffscreen(24, 24, [&] { on->drawInRect(NSMakeRect(0, 0, 24, 24)); });
  EXPECT_EQ(pixelAt(disc.get(), 0, 0).a, 0) << "corners outside the disc";
  EXPECT_EQ(pixelAt(disc.get(), 23, 23).a, 0);
  const auto top = pixelAt(disc.get(), 12, 20), bottom = pixelAt(disc.get(), 12, 3);
  EXPECT_GT(top.a, 40);
  EXPECT_GT(bottom.a, 40);
  EXPECT_LT(top.r, bottom.r) << "dark at the top, light at the bottom";
  NUCIControlImage* off = NUCIControlImage::imageWithSize_forState(NSUISelfLabelingSliderKnobImage::class_(),
                                                                   NSMakeSize(8, 8), 0);
  RefPtr<NSBitmapImageRep> square =
      moxicam::test::drawOffscreen(8, 8, [&] { off->drawInRect(NSMakeRect(0, 0, 8, 8)); });
  EXPECT_TRUE(near(pixelAt(square.get(), 0, 0), 255, 255, 255, 191));
}

}  // namespace
