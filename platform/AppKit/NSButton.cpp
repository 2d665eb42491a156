#include <AppKit/NSButton.h>

#include <AppKit/NSEvent.h>
#include <AppKit/NSImage.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSButton)
NS_PROPERTIES(NSButton,
              NS_PROPERTY("title", &NSButton::title, &NSButton::setTitle),
              NS_PROPERTY("state", &NSButton::state, &NSButton::setState),
              NS_PROPERTY("image", &NSButton::image, &NSButton::setImage),
              NS_PROPERTY("alternateImage", &NSButton::alternateImage, &NSButton::setAlternateImage))

Class NSButton::Meta::cellClass(Class) const { return NSButtonCell::class_(); }

NSButtonCell* NSButton::buttonCell() const { return NSDynamicCast<NSButtonCell>(cell()); }

NSString* NSButton::title() const { return cell() ? cell()->title() : NSString::string(); }
void NSButton::setTitle(NSString* title) {
  if (cell()) cell()->setTitle(title);
  setNeedsDisplay(true);
}
NSImage* NSButton::image() const { return cell() ? cell()->image() : nullptr; }
void NSButton::setImage(NSImage* image) {
  if (cell()) cell()->setImage(image);
  setNeedsDisplay(true);
}
NSImage* NSButton::alternateImage() const { return buttonCell() ? buttonCell()->alternateImage() : nullptr; }
void NSButton::setAlternateImage(NSImage* image) {
  if (NSButtonCell* c = buttonCell()) c->setAlternateImage(image);
  setNeedsDisplay(true);
}
NSInteger NSButton::state() const { return cell() ? cell()->state() : 0; }
void NSButton::setState(NSInteger state) {
  if (cell()) cell()->setState(state);
  setNeedsDisplay(true);
}
void NSButton::setButtonType(NSButtonType type) {
  if (NSButtonCell* c = buttonCell()) c->setButtonType(type);
}
NSBezelStyle NSButton::bezelStyle() const { return buttonCell() ? buttonCell()->bezelStyle() : 0; }
void NSButton::setBezelStyle(NSBezelStyle style) {
  if (NSButtonCell* c = buttonCell()) c->setBezelStyle(style);
}
NSCellImagePosition NSButton::imagePosition() const { return buttonCell() ? buttonCell()->imagePosition() : 0; }
void NSButton::setImagePosition(NSCellImagePosition position) {
  if (NSButtonCell* c = buttonCell()) c->setImagePosition(position);
}
bool NSButton::isBordered() const { return cell() && cell()->isBordered(); }
void NSButton::setBordered(bool bordered) {
  if (cell()) cell()->setBordered(bordered);
}

void NSButton::mouseDown(NSEvent*) {
  if (!isEnabled()) return;
  mTracking = true;
  if (cell()) cell()->setHighlighted(true);
  setNeedsDisplay(true);
}

void NSButton::mouseUp(NSEvent* event) {
  if (!mTracking) return;
  mTracking = false;
  if (cell()) cell()->setHighlighted(false);
  setNeedsDisplay(true);
  NSPoint local = convertPoint_fromView(event->locationInWindow(), nullptr);
  if (!mouse_inRect(local, bounds())) return;
  NSButtonCell* c = buttonCell();
  if (c && c->changesState()) c->setState(c->nextState());
  sendAction_to(action(), target());
}

void NSButton::drawRect(NSRect) {
  NSImage* shown = (state() == NSOnState && alternateImage()) ? alternateImage() : image();
  if (!shown) return;
  NSSize size = shown->size();
  NSRect area = bounds();
  shown->drawInRect_fromRect_operation_fraction(
      NSMakeRect(NSMidX(area) - size.width / 2, NSMidY(area) - size.height / 2, size.width, size.height), NSZeroRect,
      NSCompositeSourceOver, isEnabled() ? 1.0 : 0.5);
}
