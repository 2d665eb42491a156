#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <string>

#include "Headless.h"
#include "OffscreenDrawing.h"

namespace {

class SliderTarget : public NSObject {
  OBJC_CLASS_DECL(SliderTarget, NSObject)
 public:
  void moved(NSObject* sender) { values.push_back(static_cast<NSSlider*>(sender)->doubleValue()); }
  std::vector<double> values;
};

}  // namespace

OBJC_CLASS_DEFINE(SliderTarget)
OBJC_METHODS(SliderTarget, OBJC_METHOD("moved:", &SliderTarget::moved))

namespace {

RefPtr<NSSlider> makeSlider(NSRect frame) {
  return adopt(static_cast<NSSlider*>(NSSlider::alloc()->initWithFrame(frame)));
}

TEST(NSSlider, KeepsItsValueInItsRangeAndOnItsTicks) {
  objc::AutoreleasePool pool;
  RefPtr<NSSlider> slider = makeSlider(NSMakeRect(0, 0, 100, 20));
  ASSERT_NE(slider->sliderCell(), nullptr);
  EXPECT_TRUE(slider->isFlipped());
  EXPECT_EQ(slider->isVertical(), 0);
  EXPECT_EQ(slider->doubleValue(), 0);
  slider->setDoubleValue(2);
  EXPECT_EQ(slider->doubleValue(), 1);
  slider->setMaxValue(10);
  slider->setDoubleValue(7.3);
  EXPECT_DOUBLE_EQ(slider->doubleValue(), 7.3);
  slider->setMaxValue(5);
  EXPECT_EQ(slider->doubleValue(), 5) << "a narrower range takes the value in";
  slider->setNumberOfTickMarks(6);
  slider->setAllowsTickMarkValuesOnly(true);
  slider->setDoubleValue(2.4);
  EXPECT_EQ(slider->doubleValue(), 2);
  slider->setDoubleValue(2.6);
  EXPECT_EQ(slider->doubleValue(), 3);
  // An empty range has one value and no position.
  slider->setMinValue(5);
  EXPECT_EQ(slider->doubleValue(), 5);
  EXPECT_EQ(slider->sliderCell()->position(), 0);
  EXPECT_TRUE(NSEqualRects(slider->sliderCell()->knobRectFlipped(true), NSMakeRect(0, 0, 20, 20)));
  RefPtr<NSSlider> tall = makeSlider(NSMakeRect(0, 0, 20, 100));
  EXPECT_EQ(tall->isVertical(), 1);
}

TEST(NSSlider, TheMouseSetsTheValueAndSendsTheAction) {
  objc::AutoreleasePool pool;
  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(0, 0, 120, 20), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  RefPtr<NSSlider> slider = makeSlider(NSMakeRect(0, 0, 120, 20));
  window->setContentView(slider.get());
  RefPtr<SliderTarget> target = adopt(static_cast<SliderTarget*>(SliderTarget::alloc()->init()));
  slider->setTarget(target.get());
  slider->setAction(SELECTOR("moved:"));
  slider->setContinuous(true);
  auto mouse = [&](NSEventType type, CGFloat x) {
    window->sendEvent(
        NSEvent::
            mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
                type, NSMakePoint(x, 10), 0, 0, window->windowNumber(), nullptr, 0, 1, 1));
  };
  // The knob is 20 wide: its centre runs from 10 to 110.
  mouse(NSEventTypeLeftMouseDown, 60);
  mouse(NSEventTypeLeftMouseDragged, 110);
  mouse(NSEventTypeLeftMouseDragged, 500);
  mouse(NSEventTypeLeftMouseUp, 0);
  EXPECT_EQ(target->values, (std::vector<double>{0.5, 1, 1, 1}));
  slider->setEnabled(false);
  mouse(NSEventTypeLeftMouseDown, 10);
  mouse(NSEventTypeLeftMouseUp, 10);
  EXPECT_EQ(target->values.size(), 4u) << "a disabled slider takes no clicks";
  window->setContentView(nullptr);
}

TEST(NSSlider, NibsGiveTheRangeAndDrawingShowsTheKnob) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  nib.object("NSSlider", "slider")
      .setString("frame", "{{0, 0}, {100, 20}}")
      .setReal("minValue", 10)
      .setReal("maxValue", 20)
      .setReal("doubleValue", 20);
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  auto* slider = static_cast<NSSlider*>(objects->objectAtIndex(0));
  EXPECT_EQ(slider->minValue(), 10);
  EXPECT_EQ(slider->doubleValue(), 20);
  RefPtr<NSBitmapImageRep> drawn = moxicam::test::renderView(slider);
  EXPECT_TRUE(moxicam::test::near(moxicam::test::pixelAt(drawn.get(), 90, 10), 255, 255, 255, 255))
      << "the knob, at the maximum";
  EXPECT_TRUE(moxicam::test::near(moxicam::test::pixelAt(drawn.get(), 40, 10), 153, 153, 153, 255))
      << "the bar";
  EXPECT_EQ(moxicam::test::pixelAt(drawn.get(), 40, 2).a, 0);
}

}  // namespace
