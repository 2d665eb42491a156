#include "NSUIGradientView.h"

#include <objc/ClassMethods.h>

int import_NSUIGradientView() { return 1; }

OBJC_CLASS_DEFINE(NSUIGradientView)

NSColor* NSUIGradientView::Meta::gradientStartingColor(Class) const { return NSColor::grayColor(); }

NSColor* NSUIGradientView::Meta::gradientEndingColor(Class) const { return NSColor::darkGrayColor(); }

NSBezierPath* NSUIGradientView::Meta::borderForFrameSize(Class, NSSize size) const {
  NSBezierPath* path = NSBezierPath::bezierPath();
  path->moveToPoint(NSMakePoint(0, 0));
  path->lineToPoint(NSMakePoint(size.width, 0));
  return path;
}

NSUIGradientView::~NSUIGradientView() {
  setGradient(nullptr);
  setBorder(nullptr);
  setBorderColor(nullptr);
}

NSView* NSUIGradientView::initWithFrame(NSRect frame) {
  if (!NSView::initWithFrame(frame)) return nullptr;
  setDefaults();
  initGradient(frame);
  return this;
}

NSObject* NSUIGradientView::initWithCoder(NSCoder* coder) {
  if (!NSView::initWithCoder(coder)) return nullptr;
  setDefaults();
  initGradient(frame());
  return this;
}

void NSUIGradientView::setDefaults() {
  const Meta& meta = objc::classMethods<NSUIGradientView>(classObject());
  setBorderColor(NSColor::shadowColor());
  mStartColor.set(meta.gradientStartingColor(classObject()));
  mEndColor.set(meta.gradientEndingColor(classObject()));
}

void NSUIGradientView::initGradient(NSRect rect) {
  RefPtr<NSGradient> gradient =
      adopt(NSGradient::alloc()->initWithStartingColor_endingColor(mStartColor.get(), mEndColor.get()));
  setGradient(gradient.get());
  setBorder(objc::classMethods<NSUIGradientView>(classObject()).borderForFrameSize(classObject(), rect.size));
}

void NSUIGradientView::setStartColor(NSColor* color) {
  mStartColor.set(color);
  initGradient(frame());
  setNeedsDisplay(true);
}

void NSUIGradientView::setEndColor(NSColor* color) {
  mEndColor.set(color);
  initGradient(frame());
  setNeedsDisplay(true);
}

void NSUIGradientView::setFrameSize(NSSize size) {
  NSView::setFrameSize(size);
  setBorder(objc::classMethods<NSUIGradientView>(classObject()).borderForFrameSize(classObject(), size));
}

void NSUIGradientView::drawRect(NSRect) {
  if (RefPtr<NSGradient> gradient = mGradient.copy()) gradient->drawInRect_angle(bounds(), 90.0);
  RefPtr<NSColor> color = mBorderColor.copy();
  RefPtr<NSBezierPath> border = mBorder.copy();
  if (color && border) {
    color->setStroke();
    border->stroke();
  }
}
