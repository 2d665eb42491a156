#include "NSUIToolButton.h"

#include <AppKit/NSColor.h>
#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSKeyValueCoding.h>

#include "CoreMachDebug.h"

int import_NSUIToolButton() { return 1; }

OBJC_CLASS_DEFINE(NSUIToolButton)
OBJC_CLASS_DEFINE(NSUIToggleButton)
OBJC_CLASS_DEFINE(NSUIOvalToolButton)
NS_PROPERTIES(NSUIToolButton, NS_PROPERTY("delegate", &NSUIToolButton::delegate, &NSUIToolButton::setDelegate))

bool NSUIToolButton::setDefaultCellAttributes(NSButtonCell* buttonCell) {
  if (!buttonCell) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, "buttonCell");
    return false;
  }
  buttonCell->setBezelStyle(NSShadowlessSquareBezelStyle);
  buttonCell->setImagePosition(NSImageOnly);
  buttonCell->setBezeled(false);
  buttonCell->setBordered(false);
  buttonCell->setTitle(NSString::string());
  buttonCell->setHighlightsBy(NSNoCellMask);
  buttonCell->setShowsStateBy(NSNoCellMask);
  buttonCell->setCellAttribute_to(NSCellLightsByBackground, 0);
  buttonCell->setCellAttribute_to(NSCellLightsByGray, 0);
  buttonCell->setCellAttribute_to(NSCellLightsByContents, 0);
  return true;
}

NSView* NSUIToolButton::initWithFrame(NSRect frame) {
  if (!NSButton::initWithFrame(frame)) return nullptr;
  initToolAttributes();
  return this;
}

NSObject* NSUIToolButton::initWithCoder(NSCoder* coder) {
  if (!NSButton::initWithCoder(coder)) return nullptr;
  initToolAttributes();
  return this;
}

void NSUIToolButton::initToolAttributes() {
  NSButtonCell* buttonCell = this->buttonCell();
  if (!buttonCell) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, "buttonCell");
    return;
  }
  initCellAttributes(buttonCell);
}

void NSUIToolButton::initCellAttributes(NSButtonCell* buttonCell) {
  if (!setDefaultCellAttributes(buttonCell)) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__,
                             " code : [NSUIToolButton setDefaultCellAttributes:buttonCell]");
  }
}

NSUIToolButtonDelegate* NSUIToolButton::toolDelegate() const { return dynamic_cast<NSUIToolButtonDelegate*>(delegate()); }

float NSUIToolButton::buttonImageOpacityForState(NSInteger state) {
  RefPtr<NSObject> keep(delegate());
  if (NSUIToolButtonDelegate* d = toolDelegate()) {
    if (std::optional<float> opacity = d->toolButton_imageOpacityForState(this, state)) return *opacity;
  }
  return defaultButtonImageOpacityForState(state);
}

NSColor* NSUIToolButton::buttonStrokeColorForState(NSInteger state) {
  RefPtr<NSObject> keep(delegate());
  if (NSUIToolButtonDelegate* d = toolDelegate()) {
    if (std::optional<NSColor*> color = d->toolButton_strokeColorForState(this, state); color && *color) return *color;
  }
  return defaultButtonStrokeColorForState(state);
}

NSColor* NSUIToolButton::defaultButtonStrokeColorForState(NSInteger) const {
  return NSColor::colorWithCalibratedRed_green_blue_alpha(0.1, 0.1, 0.1, 0.8);
}

NSColor* NSUIToolButton::buttonFillColorForState(NSInteger state) {
  RefPtr<NSObject> keep(delegate());
  if (NSUIToolButtonDelegate* d = toolDelegate()) {
    if (std::optional<NSColor*> color = d->toolButton_fillColorForState(this, state); color && *color) return *color;
  }
  return defaultButtonFillColorForState(state);
}

NSColor* NSUIToolButton::defaultButtonFillColorForState(NSInteger state) const {
  if (state == NSOnState) return defaultButtonHighlightColor();
  return NSColor::colorWithCalibratedRed_green_blue_alpha(0.75, 0.75, 0.75, 0.25);
}

NSColor* NSUIToolButton::defaultButtonHighlightColor() const {
  return NSColor::colorForControlTint(NSColor::currentControlTint())->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
}

void NSUIToggleButton::initCellAttributes(NSButtonCell* buttonCell) {
  NSUIToolButton::initCellAttributes(buttonCell);
  buttonCell->setCellAttribute_to(NSCellLightsByContents, 1);
  buttonCell->setCellAttribute_to(NSCellChangesContents, 1);
}

void NSUIOvalToolButton::drawRect(NSRect rect) {
  if (hasOnlyOneImage()) drawBackground_forState(rect, state());
  NSUIToolButton::drawRect(rect);
}

void NSUIOvalToolButton::drawBackground_forState(NSRect, NSInteger state) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  if (state == 0) {
    CGContextSetRGBFillColor(cg, 0.1, 0.1, 0.1, 0.8);
  } else {
    NSColor* tint = NSColor::colorForControlTint(NSColor::currentControlTint())->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
    CGContextSetRGBFillColor(cg, float(tint->redComponent()), float(tint->greenComponent()), float(tint->blueComponent()), 0.8);
  }
  CGContextFillEllipseInRect(cg, bounds());
  CGContextRestoreGState(cg);
}
