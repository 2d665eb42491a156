#include <AppKit/NSCell.h>

#include <AppKit/NSFont.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSView.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSString+Values.h>
#include <Foundation/NSDescription.h>
#include <Foundation/NSValue.h>

OBJC_CLASS_DEFINE(NSCell)
OBJC_CLASS_DEFINE(NSActionCell)

NSCell::~NSCell() = default;

NSCell* NSCell::initTextCell(NSString* text) {
  mType = NSTextCellType;
  setTitle(text);
  setObjectValue(text);
  return this;
}

NSCell* NSCell::initImageCell(NSImage* image) {
  mType = NSImageCellType;
  setImage(image);
  return this;
}

NSObject* NSCell::initWithCoder(NSCoder* coder) {
  NSString* title = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("title")));
  initTextCell(title ? title : NSString::string());
  if (NSObject* value = coder->decodeObjectForKey(NSSTR("objectValue"))) setObjectValue(value);
  mState = coder->decodeIntegerForKey(NSSTR("state"));
  mTag = coder->decodeIntegerForKey(NSSTR("tag"));
  if (coder->containsValueForKey(NSSTR("enabled"))) mEnabled = coder->decodeBoolForKey(NSSTR("enabled"));
  mEditable = coder->decodeBoolForKey(NSSTR("editable"));
  mBordered = coder->decodeBoolForKey(NSSTR("bordered"));
  mBezeled = coder->decodeBoolForKey(NSSTR("bezeled"));
  return this;
}

void NSCell::setObjectValue(NSObject* value) { mObjectValue = RefPtr<NSObject>(value); }

NSString* NSCell::stringValue() const {
  NSObject* value = mObjectValue.get();
  if (!value) return NSString::string();
  if (auto* string = NSDynamicCast<NSString>(value)) return string;
  if (auto* number = NSDynamicCast<NSNumber>(value)) return number->stringValue();
  return NSDescriptionOf(value);
}

void NSCell::setStringValue(NSString* value) { setObjectValue(value ? NSString::stringWithString(value) : NSString::string()); }

NSInteger NSCell::integerValue() const {
  if (auto* number = NSDynamicCast<NSNumber>(mObjectValue.get())) return number->longValue();
  if (auto* string = NSDynamicCast<NSString>(mObjectValue.get())) return NSStringValues::integerValue(string);
  return 0;
}

void NSCell::setIntegerValue(NSInteger value) { setObjectValue(NSNumber::numberWithLong(value)); }

double NSCell::doubleValue() const {
  if (auto* number = NSDynamicCast<NSNumber>(mObjectValue.get())) return number->doubleValue();
  if (auto* string = NSDynamicCast<NSString>(mObjectValue.get())) return NSStringValues::doubleValue(string);
  return 0;
}

void NSCell::setDoubleValue(double value) { setObjectValue(NSNumber::numberWithDouble(value)); }

void NSCell::setTitle(NSString* title) {
  mTitle = RefPtr<NSString>(title ? NSString::stringWithString(title) : NSString::string());
}

void NSCell::setImage(NSImage* image) { mImage = RefPtr<NSImage>(image); }

void NSCell::setFont(NSFont* font) { mFont = RefPtr<NSFont>(font); }

void NSCell::setState(NSInteger state) {
  if (state < 0 && !mAllowsMixedState) state = NSOnState;
  mState = state > 0 ? NSOnState : state;
}

NSInteger NSCell::nextState() const {
  if (mState == NSOffState) return NSOnState;
  if (mState == NSOnState && mAllowsMixedState) return NSMixedState;
  return NSOffState;
}

NSInteger NSCell::cellAttribute(NSCellAttribute attribute) const {
  switch (attribute) {
    case NSCellDisabled: return mEnabled ? 0 : 1;
    case NSCellState: return mState;
    case NSCellEditable: return mEditable ? 1 : 0;
    case NSCellHighlighted: return mHighlighted ? 1 : 0;
    case NSCellIsBordered: return mBordered ? 1 : 0;
    case NSCellAllowsMixedState: return mAllowsMixedState ? 1 : 0;
    default: break;
  }
  auto found = mAttributes.find(attribute);
  return found == mAttributes.end() ? 0 : found->second;
}

void NSCell::setCellAttribute_to(NSCellAttribute attribute, NSInteger value) {
  switch (attribute) {
    case NSCellDisabled: mEnabled = value == 0; return;
    case NSCellState: setState(value); return;
    case NSCellEditable: mEditable = value != 0; return;
    case NSCellHighlighted: mHighlighted = value != 0; return;
    case NSCellIsBordered: mBordered = value != 0; return;
    case NSCellAllowsMixedState: mAllowsMixedState = value != 0; return;
    default: mAttributes[attribute] = value;
  }
}

NSView* NSCell::controlView() const { return mControlView.get().get(); }

void NSCell::setControlView(NSView* view) { mControlView = view; }
