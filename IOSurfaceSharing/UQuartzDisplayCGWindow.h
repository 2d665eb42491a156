#pragma once
// One entry of the window list (the dictionary CGWindowListCopyWindowInfo gives per window),
// read through accessors that answer a default when the entry, or the value under a key, is
// missing or of another type.
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>

#include <cstdint>
#include <functional>

class UQuartzDisplayCGWindow : public NSObject {
  OBJC_CLASS_DECL(UQuartzDisplayCGWindow, NSObject)

 public:
  // Gets the running index (from 0) and the window.
  using Block = std::function<void(NSUInteger index, UQuartzDisplayCGWindow* window)>;

  // Autoreleased.
  static UQuartzDisplayCGWindow* quartzWindowWithQuartzDisplayServicesInfoDictionary(NSDictionary* info);
  // Calls the block for every window of the list the options select; answers the number of
  // windows, 0 when there is no list.
  static NSUInteger enumerateQuartzDisplayCGWindowListOptions_withBlock(uint32_t options, const Block& block);

  UQuartzDisplayCGWindow* initWithInfoDictionary(NSDictionary* info);

  // Autoreleased.
  NSDictionary* cgwindow() const;
  void setCgwindow(NSDictionary* info) { __cgwindow = RefPtr<NSDictionary>(info); }

  NSNumber* windowIDNumber() const;
  uint32_t windowID() const;
  NSNumber* windowOwnerPID() const;
  // "" without a name.
  NSString* windowName() const;
  // "(unknown)" without an owner.
  NSString* windowOwnerName() const;
  NSNumber* windowLevelNumber() const;
  unsigned long windowLevel() const;
  int sharingState() const;
  // YES only when the entry holds the true boolean.
  bool isOnscreen() const;
  CGRect windowBounds() const;
  // "Bounds(x,y,width,height)", rounded.
  NSString* windowBoundsString() const;

  // Default null.
  NSString* stringForKey(NSString* key) const;
  NSString* stringForKey_withDefaultValue(NSString* key, NSString* defaultValue) const;
  bool booleanForKey(NSString* key) const;
  NSNumber* numberForKey(NSString* key) const;

 protected:
  UQuartzDisplayCGWindow() = default;

 private:
  NSObject* valueForInfoKey(NSString* key) const;

  RefPtr<NSDictionary> __cgwindow;
};
