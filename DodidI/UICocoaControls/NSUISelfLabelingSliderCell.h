#pragma once
// The cell of a self-labelling slider: it paints the whole control as one picture, a round
// knob at the value and, along the whole control, a translucent grey capsule holding the
// slider's name and value ("name  -  0.50"), turned to run along vertical sliders.
#include <AppKit/NSColor.h>
#include <AppKit/NSSliderCell.h>
#include <objc/WeakPtr.h>

#include "NUCIControlImage.h"
#include "UAtomicProperty.h"

int import_NSUISelfLabelingSliderCell();

// The optional delegate of a cell: it may write the whole label itself.
class protocol_NSUIControlCellDelegate {
 public:
  virtual NSString* controlCell_descriptionForValue(NSCell* cell, NSObject* value) = 0;

 protected:
  ~protocol_NSUIControlCellDelegate() = default;
};

// The knob: a shaded disc with a highlight line across its middle (state 1), or a plain
// white square at three-quarter opacity (any other state).
class NSUISelfLabelingSliderKnobImage : public NUCIControlImage {
  OBJC_CLASS_DECL(NSUISelfLabelingSliderKnobImage, NUCIControlImage)

 public:
  void drawInRect_forState(NSRect rect, NSInteger state) override;
};

class NSUISelfLabelingSliderCell : public NSSliderCell {
  OBJC_CLASS_DECL(NSUISelfLabelingSliderCell, NSSliderCell)

 public:
  // A new cell (autoreleased) with the other cell's attributes.
  static NSUISelfLabelingSliderCell* sliderCellWithCopyOfSliderCell(NSSliderCell* cell);

  // A cell its control makes (a nib without a cell of its own) gets the defaults too.
  NSCell* initTextCell(NSString* text) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  NSUISelfLabelingSliderCell* initWithCopyOfSliderCell(NSSliderCell* cell);
  void setDefaultAttributes();
  // Range, value, target, action, tag, tick marks and the rest of the cell's set-up.
  void copyAttributesFrom(NSSliderCell* cell);

  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }
  NSColor* selfLabelTextColor() const { return mSelfLabelTextColor.get(); }
  void setSelfLabelTextColor(NSColor* color) { mSelfLabelTextColor.set(color); }
  NSString* selfLabel() const { return mSelfLabel.get(); }
  void setSelfLabel(NSString* label) { mSelfLabel.set(label); }
  NUCIControlImage* coolKnobImage() const { return mCoolKnobImage.get(); }
  void setCoolKnobImage(NUCIControlImage* image) { mCoolKnobImage.set(image); }
  NSSize coolKnobImageSize() const { return mCoolKnobImageSize; }
  double lozengeGrey() const { return mLozengeGrey; }
  void setLozengeGrey(double grey) { mLozengeGrey = grey; }
  double lozengeAlpha() const { return mLozengeAlpha; }
  void setLozengeAlpha(double alpha) { mLozengeAlpha = alpha; }
  double lozengeMargin() const { return mLozengeMargin; }
  void setLozengeMargin(double margin) { mLozengeMargin = margin; }

  NUCIControlImage* createCoolKnobImageForSize(NSSize size);
  // "name  -  value" with two decimals and a line break, or the delegate's text. A missing
  // name is left out, not printed as a null.
  NSString* descriptiveSelfLabelWithString_value(NSString* name, NSObject* value);
  // The capsule with the text, over the frame made horizontal.
  NSImage* horizontalImageWithText_imageRect(NSString* text, NSRect frame);
  // The whole control as one picture (autoreleased); null without a label picture.
  NSImage* sliderCellImage_flipped(NSRect frame, bool flipped);
  void drawKnobImage_knobRect_horizontal(NSImage* knobImage, NSRect knobRect, bool horizontal);
  // Makes a new knob picture when the knob rectangle's size changed.
  void updateKnobImageForKnobRect_cellFrame(NSRect knobRect, NSRect cellFrame);

  void drawWithFrame_inView(NSRect cellFrame, NSView* controlView) override;
  void drawBarInside_flipped(NSRect, bool) override {}
  void drawKnob(NSRect) override {}
  bool isOpaque() const override { return false; }
  // The label follows the mouse: every step redraws the control.
  bool continueTracking_at_inView(NSPoint lastPoint, NSPoint currentPoint, NSView* controlView) override;

 protected:
  NSUISelfLabelingSliderCell() = default;

 private:
  WeakPtr<NSObject> mDelegate;
  UAtomicProperty<NSColor> mSelfLabelTextColor;
  UAtomicProperty<NSString> mSelfLabel;
  UAtomicProperty<NUCIControlImage> mCoolKnobImage;
  NSSize mCoolKnobImageSize{};
  double mLozengeGrey = 0;
  double mLozengeAlpha = 0;
  double mLozengeMargin = 0;
};
