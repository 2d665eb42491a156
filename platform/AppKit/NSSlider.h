#pragma once
// Sliders: a control whose slider cell keeps the value and draws the bar and knob. Sliders are
// flipped (y down), as the platform's are. A mouse-down sets the value under the mouse, drags
// move it (sending the action as they go when the cell is continuous), and the mouse coming
// up sends the action.
#include <AppKit/NSControl.h>
#include <AppKit/NSSliderCell.h>

class APPKIT_CLASS NSSlider : public NSControl {
  OBJC_CLASS_DECL(NSSlider, NSControl)

 public:
  struct Meta : NSControl::Meta {
    Class cellClass(Class cls) const override;
  };

  NSObject* initWithCoder(NSCoder* coder) override;

  NSSliderCell* sliderCell() const;
  double minValue() const;
  void setMinValue(double value);
  double maxValue() const;
  void setMaxValue(double value);
  NSInteger numberOfTickMarks() const;
  void setNumberOfTickMarks(NSInteger count);
  bool allowsTickMarkValuesOnly() const;
  void setAllowsTickMarkValuesOnly(bool flag);
  NSInteger isVertical() const;

  bool isFlipped() const override { return true; }
  void mouseDown(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;

 protected:
  NSSlider() = default;

 private:
  bool mTracking = false;
  NSPoint mLastPoint{};
};
