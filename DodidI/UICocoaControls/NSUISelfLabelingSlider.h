#pragma once
// A slider that draws no standard bar or knob: its self-labelling cell paints the knob and a
// label naming the slider (its tool tip) and its value. A nib slider whose cell is a plain
// slider cell gets a self-labelling copy of it when it wakes.
#include <AppKit/NSSlider.h>

#include "NSUISelfLabelingSliderCell.h"

int import_NSUISelfLabelingSlider();

class NSUISelfLabelingSlider : public NSSlider {
  OBJC_CLASS_DECL(NSUISelfLabelingSlider, NSSlider)

 public:
  struct Meta : NSSlider::Meta {
    Class cellClass(Class cls) const override;
  };

  void awakeFromNib() override;
  void setSliderCellProperties(NSCell* cell);
  // The label's name follows the tool tip.
  void setToolTip(NSString* toolTip) override;
  void settooltip(NSString* toolTip) { setToolTip(toolTip); }
  NSString* tooltip() const { return toolTip(); }

  // The whole control is drawn, whatever part is asked for.
  void drawRect(NSRect rect) override;
  void setNeedsDisplayInRect(NSRect rect) override;
};
