#include "NSUISelfLabelingSliderCell.h"

#include <AppKit/NSGraphics.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSString+Values.h>
#include <Foundation/NSValue.h>

#include "NSSliderCell_Labeling.h"
#include "namespace_CoreGraphics_Drawing.h"

int import_NSUISelfLabelingSliderCell() {
  return import_NSSliderCell_Labeling() && import_NUCIControlImage();
}

OBJC_CLASS_DEFINE(NSUISelfLabelingSliderKnobImage)
OBJC_CLASS_DEFINE(NSUISelfLabelingSliderCell)

using namespace NSSliderCell_Labeling;

void NSUISelfLabelingSliderKnobImage::drawInRect_forState(NSRect rect, NSInteger state) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  if (!graphics) return;
  CGContextRef port = graphics->CGContext();
  CGContextSaveGState(port);
  if (state == 1) {
    if (CGContextRef mask = maskContext().GetContext()) {
      CGContextSetRGBFillColor(mask, 0, 1, 1, 1);
      CGContextFillEllipseInRect(mask, rect);
    }
    if (CGImageRef maskImage = createMaskImageFromMaskContext()) {
      CoreGraphics::DrawAxialGrayShading(port, maskImage, rect, 0.0f, 1.0f);
      CGImageRelease(maskImage);
    }
    CGContextSetRGBFillColor(port, 1, 1, 1, 0.95);
    CGContextFillRect(port, CGRectMake(rect.origin.x + 2.0, rect.origin.y + 0.485 * rect.size.height,
                                       rect.size.width - 4.0, 0.275));
  } else {
    CGContextSetRGBFillColor(port, 1, 1, 1, 0.75);
    CGContextFillRect(port, rect);
  }
  CGContextRestoreGState(port);
}

NSUISelfLabelingSliderCell* NSUISelfLabelingSliderCell::sliderCellWithCopyOfSliderCell(NSSliderCell* cell) {
  NSUISelfLabelingSliderCell* made = alloc()->initWithCopyOfSliderCell(cell);
  return made ? static_cast<NSUISelfLabelingSliderCell*>(made->autorelease()) : nullptr;
}

NSCell* NSUISelfLabelingSliderCell::initTextCell(NSString* text) {
  NSSliderCell::initTextCell(text);
  setDefaultAttributes();
  return this;
}

NSObject* NSUISelfLabelingSliderCell::initWithCoder(NSCoder* coder) {
  NSSliderCell::initWithCoder(coder);
  setDefaultAttributes();
  return this;
}

NSUISelfLabelingSliderCell* NSUISelfLabelingSliderCell::initWithCopyOfSliderCell(NSSliderCell* cell) {
  NSSliderCell::initTextCell(NSString::string());
  if (cell) copyAttributesFrom(cell);
  setDefaultAttributes();
  return this;
}

void NSUISelfLabelingSliderCell::setDefaultAttributes() {
  setSelfLabelTextColor(NSColor::lightGrayColor());
  NSView* view = controlView();
  setSelfLabel(view ? view->toolTip() : nullptr);
  setCoolKnobImage(createCoolKnobImageForSize(NSMakeSize(24, 24)));
  mLozengeGrey = 0.75;
  mLozengeAlpha = 0.125;
  mLozengeMargin = 1.0;
}

void NSUISelfLabelingSliderCell::copyAttributesFrom(NSSliderCell* cell) {
  setMinValue(cell->minValue());
  setMaxValue(cell->maxValue());
  setSliderType(cell->sliderType());
  setTarget(cell->target());
  setAction(cell->action());
  setTag(cell->tag());
  setControlSize(cell->controlSize());
  setType(cell->type());
  setState(cell->state());
  setAllowsTickMarkValuesOnly(cell->allowsTickMarkValuesOnly());
  setAltIncrementValue(cell->altIncrementValue());
  setKnobThickness(cell->knobThickness());
  setSliderType(cell->sliderType());
  setFocusRingType(cell->focusRingType());
  setTickMarkPosition(cell->tickMarkPosition());
  setNumberOfTickMarks(cell->numberOfTickMarks());
  setMaxValue(cell->maxValue());
  setMinValue(cell->minValue());
  setDoubleValue(cell->doubleValue());
  setEditable(cell->isEditable());
  setEnabled(cell->isEnabled());
  setHighlighted(cell->isHighlighted());
}

NUCIControlImage* NSUISelfLabelingSliderCell::createCoolKnobImageForSize(NSSize size) {
  return NUCIControlImage::imageWithSize_forState(NSUISelfLabelingSliderKnobImage::class_(), size, 1);
}

NSString* NSUISelfLabelingSliderCell::descriptiveSelfLabelWithString_value(NSString* name, NSObject* value) {
  if (auto* writer = dynamic_cast<protocol_NSUIControlCellDelegate*>(delegate())) {
    RefPtr<NSObject> keep(delegate());
    return writer->controlCell_descriptionForValue(this, value);
  }
  float number = 0;
  if (auto* n = NSDynamicCast<NSNumber>(value)) {
    number = n->floatValue();
  } else if (auto* text = NSDynamicCast<NSString>(value)) {
    number = float(NSStringValues::doubleValue(text));
  }
  return NSString::stringWithFormat(NSSTR("%@  -  %1.2f\n"), name ? name : NSString::string(),
                                    double(number));
}

NSImage* NSUISelfLabelingSliderCell::horizontalImageWithText_imageRect(NSString* text, NSRect frame) {
  const NSRect r = alwaysHorizontalFrame(frame);
  NSImage* image = beginNewImageWithLockedFocus(r);
  drawLozengeBackground_grey_alpha(NSInsetRect(r, mLozengeMargin, mLozengeMargin), mLozengeGrey,
                                   mLozengeAlpha);
  drawTextInRect_text_textSize_textColor(NSInsetRect(r, 12.0, 0.2 * r.size.height), text, 9.0f,
                                         selfLabelTextColor());
  image->unlockFocus();
  return image;
}

void NSUISelfLabelingSliderCell::updateKnobImageForKnobRect_cellFrame(NSRect knobRect, NSRect) {
  if (mCoolKnobImageSize.width == knobRect.size.width && mCoolKnobImageSize.height == knobRect.size.height)
    return;
  setCoolKnobImage(createCoolKnobImageForSize(NSMakeSize(knobRect.size.width - 1, knobRect.size.height - 1)));
  mCoolKnobImageSize = knobRect.size;
}

void NSUISelfLabelingSliderCell::drawKnobImage_knobRect_horizontal(NSImage* knobImage, NSRect knobRect,
                                                                   bool horizontal) {
  if (!knobImage) return;
  const NSPoint corner = horizontal
                             ? NSMakePoint(knobRect.origin.x, knobRect.origin.y + knobRect.size.height + 0.5)
                             : NSMakePoint(knobRect.origin.x + 0.5, knobRect.origin.y);
  knobImage->compositeToPoint_operation(corner, NSCompositeSourceOver);
}

NSImage* NSUISelfLabelingSliderCell::sliderCellImage_flipped(NSRect frame, bool flipped) {
  const NSRect knobRect = calculateKnobRectForCellFrame_flipped(this, frame, flipped);
  updateKnobImageForKnobRect_cellFrame(knobRect, frame);
  NSString* text = descriptiveSelfLabelWithString_value(selfLabel(), objectValue());
  NSImage* label = horizontalImageWithText_imageRect(text, frame);
  NSView* view = controlView();
  NSScreen* screen = view && view->window() ? view->window()->screen() : nullptr;
  const bool horizontal = isHorizontal(frame);
  NSImage* knob = coolKnobImage();
  if (horizontal) {
    knob = rotateImage_forScreen_byAngleOf90Degrees(knob, screen, 90);
  } else {
    label = rotateImage_forScreen_byAngleOf90Degrees(label, screen, 90);
  }
  if (!label) return nullptr;
  NSImage* picture = beginNewImageWithLockedFocus(frame);
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  graphics->saveGraphicsState();
  drawKnobImage_knobRect_horizontal(knob, knobRect, horizontal);
  label->compositeToPoint_operation(
      NSMakePoint(frame.origin.x, flipped ? frame.origin.y + frame.size.height : frame.origin.y),
      NSCompositeSourceOver);
  graphics->restoreGraphicsState();
  picture->unlockFocus();
  return picture;
}

void NSUISelfLabelingSliderCell::drawWithFrame_inView(NSRect cellFrame, NSView* view) {
  NSImage* picture = sliderCellImage_flipped(cellFrame, false);
  if (!picture) return;
  const bool focused = view && view->lockFocusIfCanDraw();
  picture->compositeToPoint_operation(
      NSMakePoint(cellFrame.origin.x, cellFrame.origin.y + cellFrame.size.height), NSCompositeSourceOver);
  if (focused) view->unlockFocus();
}

bool NSUISelfLabelingSliderCell::continueTracking_at_inView(NSPoint lastPoint, NSPoint currentPoint,
                                                            NSView* view) {
  const bool answer = NSSliderCell::continueTracking_at_inView(lastPoint, currentPoint, view);
  if (NSView* control = controlView()) control->setNeedsDisplay(true);
  return answer;
}
