#include <AppKit/NSSlider.h>

#include <AppKit/NSEvent.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSSlider)
NS_PROPERTIES(NSSlider, NS_PROPERTY("minValue", &NSSlider::minValue, &NSSlider::setMinValue),
              NS_PROPERTY("maxValue", &NSSlider::maxValue, &NSSlider::setMaxValue),
              NS_PROPERTY("doubleValue", &NSSlider::doubleValue, &NSSlider::setDoubleValue))

Class NSSlider::Meta::cellClass(Class) const { return NSSliderCell::class_(); }

NSObject* NSSlider::initWithCoder(NSCoder* coder) {
  NSControl::initWithCoder(coder);
  if (NSSliderCell* cell = sliderCell()) cell->takeValuesFromCoder(coder);
  return this;
}

NSSliderCell* NSSlider::sliderCell() const { return NSDynamicCast<NSSliderCell>(cell()); }

double NSSlider::minValue() const { return sliderCell() ? sliderCell()->minValue() : 0; }
void NSSlider::setMinValue(double value) {
  if (NSSliderCell* c = sliderCell()) c->setMinValue(value);
  setNeedsDisplay(true);
}
double NSSlider::maxValue() const { return sliderCell() ? sliderCell()->maxValue() : 0; }
void NSSlider::setMaxValue(double value) {
  if (NSSliderCell* c = sliderCell()) c->setMaxValue(value);
  setNeedsDisplay(true);
}
NSInteger NSSlider::numberOfTickMarks() const { return sliderCell() ? sliderCell()->numberOfTickMarks() : 0; }
void NSSlider::setNumberOfTickMarks(NSInteger count) {
  if (NSSliderCell* c = sliderCell()) c->setNumberOfTickMarks(count);
  setNeedsDisplay(true);
}
bool NSSlider::allowsTickMarkValuesOnly() const {
  return sliderCell() && sliderCell()->allowsTickMarkValuesOnly();
}
void NSSlider::setAllowsTickMarkValuesOnly(bool flag) {
  if (NSSliderCell* c = sliderCell()) c->setAllowsTickMarkValuesOnly(flag);
}
NSInteger NSSlider::isVertical() const { return sliderCell() ? sliderCell()->isVertical() : -1; }

void NSSlider::mouseDown(NSEvent* event) {
  NSCell* c = cell();
  if (!c || !isEnabled()) return;
  mLastPoint = convertPoint_fromView(event->locationInWindow(), nullptr);
  mTracking = c->startTrackingAt_inView(mLastPoint, this);
  setNeedsDisplay(true);
  if (mTracking && c->isContinuous()) sendAction_to(action(), target());
}

void NSSlider::mouseDragged(NSEvent* event) {
  NSCell* c = cell();
  if (!mTracking || !c) return;
  const NSPoint point = convertPoint_fromView(event->locationInWindow(), nullptr);
  mTracking = c->continueTracking_at_inView(mLastPoint, point, this);
  mLastPoint = point;
  setNeedsDisplay(true);
  if (c->isContinuous()) sendAction_to(action(), target());
}

void NSSlider::mouseUp(NSEvent* event) {
  NSCell* c = cell();
  if (!mTracking || !c) return;
  mTracking = false;
  const NSPoint point = convertPoint_fromView(event->locationInWindow(), nullptr);
  c->stopTracking_at_inView_mouseIsUp(mLastPoint, point, this, true);
  sendAction_to(action(), target());
}
