#include <AppKit/NSColor.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSStringDrawing.h>
#include <AppKit/NSTextFieldCell.h>
#include <Foundation/NSDictionary.h>

OBJC_CLASS_DEFINE(NSTextFieldCell)

NSTextFieldCell::~NSTextFieldCell() = default;

NSColor* NSTextFieldCell::textColor() const { return mTextColor ? mTextColor.get() : NSColor::blackColor(); }

void NSTextFieldCell::setTextColor(NSColor* color) { mTextColor = RefPtr<NSColor>(color); }

void NSTextFieldCell::drawWithFrame_inView(NSRect cellFrame, NSView*) {
  NSString* text = stringValue();
  if (!text || text->length() == 0) return;
  NSFont* shown = font() ? font() : NSFont::systemFontOfSize(NSFont::systemFontSize());
  NSStringDrawing::drawInRect_withAttributes(
      text, cellFrame,
      NSDictionary::dictionaryWithObjects_forKeys({shown, textColor()},
                                                  {NSFontAttributeName, NSForegroundColorAttributeName}));
}
