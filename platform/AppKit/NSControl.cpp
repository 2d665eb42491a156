#include <AppKit/NSControl.h>

#include <AppKit/NSApplication.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/ClassMethods.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE(NSControl)
NS_PROPERTIES(NSControl,
              NS_PROPERTY("target", &NSControl::target, &NSControl::setTarget),
              NS_PROPERTY("action", &NSControl::action, &NSControl::setAction),
              NS_PROPERTY("objectValue", &NSControl::objectValue, &NSControl::setObjectValue),
              NS_PROPERTY("stringValue", &NSControl::stringValue, &NSControl::setStringValue),
              NS_PROPERTY("enabled", &NSControl::isEnabled, &NSControl::setEnabled),
              NS_PROPERTY("cell", &NSControl::cell, &NSControl::setCell))
OBJC_METHODS(NSControl,
             OBJC_METHOD("stringValue", &NSControl::stringValue),
             OBJC_METHOD("objectValue", &NSControl::objectValue),
             OBJC_METHOD("takeStringValueFrom:", &NSControl::takeStringValueFrom),
             OBJC_METHOD("takeIntegerValueFrom:", &NSControl::takeIntegerValueFrom),
             OBJC_METHOD("takeDoubleValueFrom:", &NSControl::takeDoubleValueFrom),
             OBJC_METHOD("performClick:", &NSControl::performClick))

Class NSControl::Meta::cellClass(Class) const { return NSActionCell::class_(); }

NSControl::~NSControl() = default;

void NSControl::makeCell() {
  Class cls = objc::classMethods<NSControl>(classObject()).cellClass(classObject());
  NSObject* made = cls ? class_createInstance(cls) : nullptr;
  RefPtr<NSCell> cell = made ? adopt(static_cast<NSCell*>(made->init())) : nullptr;
  setCell(cell.get());
}

NSView* NSControl::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  makeCell();
  return this;
}

NSObject* NSControl::initWithCoder(NSCoder* coder) {
  NSView::initWithCoder(coder);
  if (auto* cell = NSDynamicCast<NSCell>(coder->decodeObjectForKey(NSSTR("cell")))) {
    setCell(cell);
  } else {
    makeCell();
  }
  if (!mCell) return this;
  if (auto* title = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("title")))) mCell->setTitle(title);
  if (auto* value = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("stringValue")))) mCell->setStringValue(value);
  if (coder->containsValueForKey(NSSTR("tag"))) mCell->setTag(coder->decodeIntegerForKey(NSSTR("tag")));
  if (coder->containsValueForKey(NSSTR("state"))) mCell->setState(coder->decodeIntegerForKey(NSSTR("state")));
  if (coder->containsValueForKey(NSSTR("enabled"))) mCell->setEnabled(coder->decodeBoolForKey(NSSTR("enabled")));
  return this;
}

void NSControl::setCell(NSCell* cell) {
  if (mCell) mCell->setControlView(nullptr);
  mCell = RefPtr<NSCell>(cell);
  if (mCell) mCell->setControlView(this);
  setNeedsDisplay(true);
}

NSObject* NSControl::target() const { return mCell ? mCell->target() : nullptr; }
void NSControl::setTarget(NSObject* target) {
  if (mCell) mCell->setTarget(target);
}
SEL NSControl::action() const { return mCell ? mCell->action() : nullptr; }
void NSControl::setAction(SEL action) {
  if (mCell) mCell->setAction(action);
}
NSInteger NSControl::tag() const { return mCell ? mCell->tag() : -1; }
void NSControl::setTag(NSInteger tag) {
  if (mCell) mCell->setTag(tag);
}

NSObject* NSControl::objectValue() const { return mCell ? mCell->objectValue() : nullptr; }
void NSControl::setObjectValue(NSObject* value) {
  if (mCell) mCell->setObjectValue(value);
  setNeedsDisplay(true);
}
NSString* NSControl::stringValue() const { return mCell ? mCell->stringValue() : NSString::string(); }
void NSControl::setStringValue(NSString* value) {
  if (mCell) mCell->setStringValue(value);
  setNeedsDisplay(true);
}
NSInteger NSControl::integerValue() const { return mCell ? mCell->integerValue() : 0; }
int NSControl::intValue() const { return int(integerValue()); }
void NSControl::setIntegerValue(NSInteger value) {
  if (mCell) mCell->setIntegerValue(value);
  setNeedsDisplay(true);
}
double NSControl::doubleValue() const { return mCell ? mCell->doubleValue() : 0; }
void NSControl::setDoubleValue(double value) {
  if (mCell) mCell->setDoubleValue(value);
  setNeedsDisplay(true);
}
NSFont* NSControl::font() const { return mCell ? mCell->font() : nullptr; }
void NSControl::setFont(NSFont* font) {
  if (mCell) mCell->setFont(font);
}
bool NSControl::isEnabled() const { return mCell && mCell->isEnabled(); }
void NSControl::setEnabled(bool enabled) {
  if (mCell) mCell->setEnabled(enabled);
  setNeedsDisplay(true);
}

namespace {

// The sender's value as the platform reads it with [sender objectValue] / stringValue.
NSObject* valueOfSender(NSObject* sender) {
  if (auto* control = NSDynamicCast<NSControl>(sender)) return control->objectValue();
  if (auto* cell = NSDynamicCast<NSCell>(sender)) return cell->objectValue();
  if (sender && sender->respondsToSelector(SELECTOR("stringValue"))) return sender->performSelector(SELECTOR("stringValue"));
  return sender;
}

}  // namespace

void NSControl::takeStringValueFrom(NSObject* sender) {
  NSObject* value = valueOfSender(sender);
  if (auto* control = NSDynamicCast<NSControl>(sender)) value = control->stringValue();
  setStringValue(NSDynamicCast<NSString>(value) ? static_cast<NSString*>(value) : NSString::string());
}

void NSControl::takeIntegerValueFrom(NSObject* sender) {
  if (auto* control = NSDynamicCast<NSControl>(sender)) setIntegerValue(control->integerValue());
}

void NSControl::takeDoubleValueFrom(NSObject* sender) {
  if (auto* control = NSDynamicCast<NSControl>(sender)) setDoubleValue(control->doubleValue());
}

bool NSControl::sendAction_to(SEL action, NSObject* target) {
  if (!action) return false;
  return NSApplication::sharedApplication()->sendAction_to_from(action, target, this);
}

void NSControl::performClick(NSObject*) {
  if (!isEnabled()) return;
  if (mCell) mCell->setState(mCell->nextState());
  sendAction_to(action(), target());
}

bool NSControl::acceptsFirstMouse(NSEvent*) { return false; }

void NSControl::drawRect(NSRect) {
  if (mCell) mCell->drawWithFrame_inView(bounds(), this);
}
