#include <AppKit/NSTextView.h>

#include <AppKit/NSFont.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE(NSTextView)
NS_PROPERTIES(NSTextView, NS_PROPERTY("string", &NSTextView::string, &NSTextView::setString))
OBJC_METHODS(NSTextView, OBJC_METHOD("string", &NSTextView::string))

NSObject* NSTextView::initWithCoder(NSCoder* coder) {
  NSView::initWithCoder(coder);
  setString(NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("string"))));
  if (coder->containsValueForKey(NSSTR("editable"))) mEditable = coder->decodeBoolForKey(NSSTR("editable"));
  return this;
}

NSString* NSTextView::string() const { return mString ? mString.get() : NSString::string(); }

void NSTextView::setString(NSString* string) {
  mString = RefPtr<NSString>(string ? NSString::stringWithString(string) : NSString::string());
  setNeedsDisplay(true);
}

void NSTextView::setFont(NSFont* font) { mFont = RefPtr<NSFont>(font); }
