#pragma once
// The cell of a slider: a value between a minimum and a maximum, shown as a knob along a bar.
// A slider is vertical when its frame is taller than wide. Values set are kept within the
// range; with tick marks that only their values may take, a value moves to the closest one.
#include <AppKit/NSCell.h>

typedef NSUInteger NSSliderType;
enum : NSUInteger { NSLinearSlider = 0, NSCircularSlider = 1 };

typedef NSUInteger NSTickMarkPosition;
enum : NSUInteger { NSTickMarkBelow = 0, NSTickMarkAbove = 1, NSTickMarkLeft = 1, NSTickMarkRight = 0 };

class APPKIT_CLASS NSSliderCell : public NSActionCell {
  OBJC_CLASS_DECL(NSSliderCell, NSActionCell)

 public:
  NSCell* initTextCell(NSString* text) override;
  NSObject* initWithCoder(NSCoder* coder) override;

  double minValue() const { return mMinValue; }
  void setMinValue(double value);
  double maxValue() const { return mMaxValue; }
  void setMaxValue(double value);
  // Numbers are kept within the range (and on a tick mark when asked to).
  void setObjectValue(NSObject* value) override;
  NSSliderType sliderType() const { return mSliderType; }
  void setSliderType(NSSliderType type) { mSliderType = type; }
  double altIncrementValue() const { return mAltIncrementValue; }
  void setAltIncrementValue(double value) { mAltIncrementValue = value; }
  CGFloat knobThickness() const { return mKnobThickness; }
  void setKnobThickness(CGFloat thickness) { mKnobThickness = thickness; }
  NSInteger numberOfTickMarks() const { return mNumberOfTickMarks; }
  void setNumberOfTickMarks(NSInteger count);
  NSTickMarkPosition tickMarkPosition() const { return mTickMarkPosition; }
  void setTickMarkPosition(NSTickMarkPosition position) { mTickMarkPosition = position; }
  bool allowsTickMarkValuesOnly() const { return mAllowsTickMarkValuesOnly; }
  void setAllowsTickMarkValuesOnly(bool flag);
  double tickMarkValueAtIndex(NSInteger index) const;
  double closestTickMarkValueToValue(double value) const;

  // 1 vertical, 0 horizontal, -1 without a control view to tell.
  NSInteger isVertical() const;
  // Where the value lies from 0 (minimum) to 1 (maximum); 0 for an empty range.
  double position() const;
  // The value at a point of the control view (the knob's centre there).
  double valueAtPoint(NSPoint point, NSView* controlView) const;
  // The knob's rectangle in the control view.
  NSRect knobRectFlipped(bool flipped) const;

  void drawWithFrame_inView(NSRect cellFrame, NSView* controlView) override;
  virtual void drawBarInside_flipped(NSRect rect, bool flipped);
  virtual void drawKnob(NSRect knobRect);
  void drawKnob() { drawKnob(knobRectFlipped(controlViewIsFlipped())); }

  bool startTrackingAt_inView(NSPoint startPoint, NSView* controlView) override;
  bool continueTracking_at_inView(NSPoint lastPoint, NSPoint currentPoint, NSView* controlView) override;

  // The slider keys of a nib ("minValue", "maxValue", "doubleValue", "numberOfTickMarks",
  // "allowsTickMarkValuesOnly"), whether the nib gives them to the cell or to its slider.
  APPKIT_PRIVATE void takeValuesFromCoder(NSCoder* coder);

 protected:
  NSSliderCell() = default;

 private:
  bool controlViewIsFlipped() const;
  NSRect frameOf(NSView* controlView) const;

  double mMinValue = 0, mMaxValue = 1;
  NSSliderType mSliderType = NSLinearSlider;
  double mAltIncrementValue = -1;
  CGFloat mKnobThickness = 20;
  NSInteger mNumberOfTickMarks = 0;
  NSTickMarkPosition mTickMarkPosition = NSTickMarkBelow;
  bool mAllowsTickMarkValuesOnly = false;
};
