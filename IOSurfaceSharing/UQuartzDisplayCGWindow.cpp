#include "UQuartzDisplayCGWindow.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindow.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>

OBJC_CLASS_DEFINE(UQuartzDisplayCGWindow)

namespace {

NSString* key(CFStringRef name) { return bridge_cast<NSString*>(name); }

}  // namespace

UQuartzDisplayCGWindow* UQuartzDisplayCGWindow::quartzWindowWithQuartzDisplayServicesInfoDictionary(
    NSDictionary* info) {
  return static_cast<UQuartzDisplayCGWindow*>(
      static_cast<UQuartzDisplayCGWindow*>(alloc())->initWithInfoDictionary(info)->autorelease());
}

NSUInteger UQuartzDisplayCGWindow::enumerateQuartzDisplayCGWindowListOptions_withBlock(uint32_t options,
                                                                                       const Block& block) {
  RefPtr<NSArray> list = adopt(bridge_cast<NSArray*>(CGWindowListCopyWindowInfo(options, kCGNullWindowID)));
  if (!list) return 0;
  NSUInteger index = 0;
  for (NSObject* entry : *list) {
    objc::AutoreleasePool pool;
    RefPtr<UQuartzDisplayCGWindow> window =
        adopt(static_cast<UQuartzDisplayCGWindow*>(alloc())->initWithInfoDictionary(
            NSDynamicCast<NSDictionary>(entry)));
    if (block) block(index, window.get());
    ++index;
  }
  return index;
}

UQuartzDisplayCGWindow* UQuartzDisplayCGWindow::initWithInfoDictionary(NSDictionary* info) {
  setCgwindow(info);
  return this;
}

NSDictionary* UQuartzDisplayCGWindow::cgwindow() const {
  return __cgwindow ? static_cast<NSDictionary*>(__cgwindow->retain()->autorelease()) : nullptr;
}

NSObject* UQuartzDisplayCGWindow::valueForInfoKey(NSString* key) const {
  return __cgwindow && key ? __cgwindow->objectForKey(key) : nullptr;
}

NSString* UQuartzDisplayCGWindow::stringForKey(NSString* key) const {
  return stringForKey_withDefaultValue(key, nullptr);
}

NSString* UQuartzDisplayCGWindow::stringForKey_withDefaultValue(NSString* key, NSString* defaultValue) const {
  NSString* value = NSDynamicCast<NSString>(valueForInfoKey(key));
  return value ? value : defaultValue;
}

bool UQuartzDisplayCGWindow::booleanForKey(NSString* key) const {
  return static_cast<const void*>(valueForInfoKey(key)) == static_cast<const void*>(kCFBooleanTrue);
}

NSNumber* UQuartzDisplayCGWindow::numberForKey(NSString* key) const {
  return NSDynamicCast<NSNumber>(valueForInfoKey(key));
}

NSNumber* UQuartzDisplayCGWindow::windowIDNumber() const { return numberForKey(key(kCGWindowNumber)); }

uint32_t UQuartzDisplayCGWindow::windowID() const {
  NSNumber* number = windowIDNumber();
  return number ? number->unsignedIntValue() : 0;
}

NSNumber* UQuartzDisplayCGWindow::windowOwnerPID() const { return numberForKey(key(kCGWindowOwnerPID)); }

NSString* UQuartzDisplayCGWindow::windowName() const {
  return stringForKey_withDefaultValue(key(kCGWindowName), NSSTR(""));
}

NSString* UQuartzDisplayCGWindow::windowOwnerName() const {
  return stringForKey_withDefaultValue(key(kCGWindowOwnerName), NSSTR("(unknown)"));
}

NSNumber* UQuartzDisplayCGWindow::windowLevelNumber() const { return numberForKey(key(kCGWindowLayer)); }

unsigned long UQuartzDisplayCGWindow::windowLevel() const {
  NSNumber* number = windowLevelNumber();
  return number ? number->unsignedLongValue() : 0;
}

int UQuartzDisplayCGWindow::sharingState() const {
  NSNumber* number = numberForKey(key(kCGWindowSharingState));
  return number ? number->intValue() : 0;
}

bool UQuartzDisplayCGWindow::isOnscreen() const { return booleanForKey(key(kCGWindowIsOnscreen)); }

CGRect UQuartzDisplayCGWindow::windowBounds() const {
  auto* bounds = NSDynamicCast<NSDictionary>(valueForInfoKey(key(kCGWindowBounds)));
  CGRect rect = CGRectZero;
  if (!bounds || !CGRectMakeWithDictionaryRepresentation(bridge_cast<CFDictionaryRef>(bounds), &rect))
    return CGRectZero;
  return rect;
}

NSString* UQuartzDisplayCGWindow::windowBoundsString() const {
  const CGRect bounds = windowBounds();
  return NSString::stringWithFormat(NSSTR("Bounds(%.0f,%.0f,%.0f,%.0f)"), bounds.origin.x, bounds.origin.y,
                                    bounds.size.width, bounds.size.height);
}
