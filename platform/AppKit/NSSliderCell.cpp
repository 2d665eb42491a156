#include <AppKit/NSSliderCell.h>

#include <algorithm>
#include <cmath>

#include <AppKit/NSColor.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSView.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSValue.h>

OBJC_CLASS_DEFINE(NSSliderCell)

NSCell* NSSliderCell::initTextCell(NSString* text) {
  NSActionCell::initTextCell(text);
  setObjectValue(NSNumber::numberWithDouble(mMinValue));
  return this;
}

NSObject* NSSliderCell::initWithCoder(NSCoder* coder) {
  NSActionCell::initWithCoder(coder);
  takeValuesFromCoder(coder);
  return this;
}

void NSSliderCell::takeValuesFromCoder(NSCoder* coder) {
  if (coder->containsValueForKey(NSSTR("minValue"))) mMinValue = coder->decodeDoubleForKey(NSSTR("minValue"));
  if (coder->containsValueForKey(NSSTR("maxValue"))) mMaxValue = coder->decodeDoubleForKey(NSSTR("maxValue"));
  if (coder->containsValueForKey(NSSTR("numberOfTickMarks"))) {
    mNumberOfTickMarks = std::max<NSInteger>(0, coder->decodeIntegerForKey(NSSTR("numberOfTickMarks")));
  }
  if (coder->containsValueForKey(NSSTR("allowsTickMarkValuesOnly"))) {
    mAllowsTickMarkValuesOnly = coder->decodeBoolForKey(NSSTR("allowsTickMarkValuesOnly"));
  }
  const double value = coder->containsValueForKey(NSSTR("doubleValue"))
                           ? coder->decodeDoubleForKey(NSSTR("doubleValue"))
                           : doubleValue();
  setObjectValue(NSNumber::numberWithDouble(value));
}

void NSSliderCell::setMinValue(double value) {
  mMinValue = value;
  setObjectValue(objectValue());
}

void NSSliderCell::setMaxValue(double value) {
  mMaxValue = value;
  setObjectValue(objectValue());
}

void NSSliderCell::setNumberOfTickMarks(NSInteger count) {
  mNumberOfTickMarks = std::max<NSInteger>(0, count);
  setObjectValue(objectValue());
}

void NSSliderCell::setAllowsTickMarkValuesOnly(bool flag) {
  mAllowsTickMarkValuesOnly = flag;
  setObjectValue(objectValue());
}

void NSSliderCell::setObjectValue(NSObject* value) {
  auto* number = NSDynamicCast<NSNumber>(value);
  auto* text = NSDynamicCast<NSString>(value);
  if (!number && !text) {
    NSActionCell::setObjectValue(value);
    return;
  }
  NSActionCell::setObjectValue(value);
  double v = doubleValue();
  if (!std::isfinite(v)) v = mMinValue;
  // The range as given, whichever way round it is.
  v = std::clamp(v, std::min(mMinValue, mMaxValue), std::max(mMinValue, mMaxValue));
  if (mAllowsTickMarkValuesOnly) v = closestTickMarkValueToValue(v);
  NSActionCell::setObjectValue(NSNumber::numberWithDouble(v));
}

double NSSliderCell::tickMarkValueAtIndex(NSInteger index) const {
  if (mNumberOfTickMarks < 2) return mMinValue;
  return mMinValue + (mMaxValue - mMinValue) * double(index) / double(mNumberOfTickMarks - 1);
}

double NSSliderCell::closestTickMarkValueToValue(double value) const {
  if (mNumberOfTickMarks == 0) return value;
  if (mNumberOfTickMarks == 1) return (mMinValue + mMaxValue) / 2;
  const double span = mMaxValue - mMinValue;
  if (span == 0) return mMinValue;
  const double steps = double(mNumberOfTickMarks - 1);
  const double index = std::clamp(std::round((value - mMinValue) / span * steps), 0.0, steps);
  return tickMarkValueAtIndex(NSInteger(index));
}

NSRect NSSliderCell::frameOf(NSView* view) const { return view ? view->bounds() : NSZeroRect; }

NSInteger NSSliderCell::isVertical() const {
  NSView* view = controlView();
  if (!view) return -1;
  const NSRect frame = view->bounds();
  return frame.size.height > frame.size.width ? 1 : 0;
}

bool NSSliderCell::controlViewIsFlipped() const {
  NSView* view = controlView();
  return view && view->isFlipped();
}

double NSSliderCell::position() const {
  const double span = mMaxValue - mMinValue;
  if (span == 0 || !std::isfinite(span)) return 0;
  return std::clamp((doubleValue() - mMinValue) / span, 0.0, 1.0);
}

NSRect NSSliderCell::knobRectFlipped(bool flipped) const {
  const NSRect frame = frameOf(controlView());
  const double t = position();
  if (frame.size.height > frame.size.width) {
    const CGFloat side = frame.size.width;
    const CGFloat travel = frame.size.height - side;
    // The maximum is at the top.
    const CGFloat y = flipped ? NSMaxY(frame) - side - travel * t : NSMinY(frame) + travel * t;
    return NSMakeRect(NSMinX(frame), y, side, side);
  }
  const CGFloat side = std::min(frame.size.height, mKnobThickness);
  const CGFloat travel = frame.size.width - side;
  return NSMakeRect(NSMinX(frame) + travel * t, NSMidY(frame) - side / 2, side, side);
}

double NSSliderCell::valueAtPoint(NSPoint point, NSView* view) const {
  const NSRect frame = frameOf(view);
  double t;
  if (frame.size.height > frame.size.width) {
    const CGFloat side = frame.size.width, travel = frame.size.height - side;
    const CGFloat along = (view && view->isFlipped()) ? NSMaxY(frame) - point.y : point.y - NSMinY(frame);
    t = travel > 0 ? (along - side / 2) / travel : 0;
  } else {
    const CGFloat side = std::min(frame.size.height, mKnobThickness), travel = frame.size.width - side;
    t = travel > 0 ? (point.x - NSMinX(frame) - side / 2) / travel : 0;
  }
  return mMinValue + (mMaxValue - mMinValue) * std::clamp(t, 0.0, 1.0);
}

void NSSliderCell::drawWithFrame_inView(NSRect cellFrame, NSView* view) {
  const bool flipped = view && view->isFlipped();
  drawBarInside_flipped(cellFrame, flipped);
  drawKnob(knobRectFlipped(flipped));
}

void NSSliderCell::drawBarInside_flipped(NSRect rect, bool) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  CGContextRef context = graphics->CGContext();
  const bool vertical = rect.size.height > rect.size.width;
  CGContextSaveGState(context);
  CGContextSetRGBStrokeColor(context, 0.6, 0.6, 0.6, 1);
  CGContextSetLineWidth(context, 4);
  CGContextSetLineCap(context, kCGLineCapRound);
  CGContextBeginPath(context);
  if (vertical) {
    CGContextMoveToPoint(context, NSMidX(rect), NSMinY(rect) + 2);
    CGContextAddLineToPoint(context, NSMidX(rect), NSMaxY(rect) - 2);
  } else {
    CGContextMoveToPoint(context, NSMinX(rect) + 2, NSMidY(rect));
    CGContextAddLineToPoint(context, NSMaxX(rect) - 2, NSMidY(rect));
  }
  CGContextStrokePath(context);
  CGContextRestoreGState(context);
}

void NSSliderCell::drawKnob(NSRect knobRect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics || NSIsEmptyRect(knobRect)) return;
  CGContextRef context = graphics->CGContext();
  const NSRect inside = NSInsetRect(knobRect, 1, 1);
  CGContextSaveGState(context);
  CGContextSetRGBFillColor(context, 1, 1, 1, isEnabled() ? 1 : 0.5);
  CGContextSetRGBStrokeColor(context, 0.4, 0.4, 0.4, 1);
  CGContextFillEllipseInRect(context, inside);
  CGContextStrokeEllipseInRect(context, inside);
  CGContextRestoreGState(context);
}

bool NSSliderCell::startTrackingAt_inView(NSPoint startPoint, NSView* view) {
  setDoubleValue(valueAtPoint(startPoint, view));
  return true;
}

bool NSSliderCell::continueTracking_at_inView(NSPoint, NSPoint currentPoint, NSView* view) {
  setDoubleValue(valueAtPoint(currentPoint, view));
  return true;
}
