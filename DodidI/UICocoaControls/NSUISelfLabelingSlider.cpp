#include "NSUISelfLabelingSlider.h"

#include <Foundation/NSBridging.h>

int import_NSUISelfLabelingSlider() {
  return import_NSUISelfLabelingSliderCell() && import_NUCIControlImage();
}

OBJC_CLASS_DEFINE(NSUISelfLabelingSlider)

Class NSUISelfLabelingSlider::Meta::cellClass(Class) const { return NSUISelfLabelingSliderCell::class_(); }

void NSUISelfLabelingSlider::awakeFromNib() {
  NSSlider::awakeFromNib();
  if (!NSDynamicCast<NSUISelfLabelingSliderCell>(cell())) {
    if (auto* plain = NSDynamicCast<NSSliderCell>(cell())) {
      setCell(NSUISelfLabelingSliderCell::sliderCellWithCopyOfSliderCell(plain));
    }
  }
  setSliderCellProperties(cell());
}

void NSUISelfLabelingSlider::setSliderCellProperties(NSCell* cell) {
  if (auto* labelling = NSDynamicCast<NSUISelfLabelingSliderCell>(cell)) labelling->setSelfLabel(toolTip());
}

void NSUISelfLabelingSlider::setToolTip(NSString* toolTip) {
  NSSlider::setToolTip(toolTip);
  if (auto* labelling = NSDynamicCast<NSUISelfLabelingSliderCell>(cell()))
    labelling->setSelfLabel(NSSlider::toolTip());
}

void NSUISelfLabelingSlider::drawRect(NSRect) { NSSlider::drawRect(bounds()); }

void NSUISelfLabelingSlider::setNeedsDisplayInRect(NSRect) { NSSlider::setNeedsDisplayInRect(bounds()); }
