#pragma once
// A filter's colour control: the colour held as a retained property (the "GL" one, read while
// the program is enabled), handed out and taken in as copies under the filter's own lock by
// the public accessor. Colours are immutable, so a copy is the same colour kept once more.
#include <AppKit/NSColor.h>

#include <mutex>

#include "LockedProperty.h"

class NSOGLFilterColorProperty {
 public:
  // The GL property.
  RefPtr<NSColor> gl() const { return mColor.get(); }
  void setGL(NSColor* color) { mColor.set(RefPtr<NSColor>(color)); }
  // The public accessor (autoreleased) and its setter, under the owner's lock.
  NSColor* get(std::recursive_mutex& ownerLock) const {
    std::lock_guard<std::recursive_mutex> lock(ownerLock);
    RefPtr<NSColor> color = gl();
    return color ? static_cast<NSColor*>(color->retain()->autorelease()) : nullptr;
  }
  void set(std::recursive_mutex& ownerLock, NSColor* color) {
    std::lock_guard<std::recursive_mutex> lock(ownerLock);
    setGL(color);
  }

  // The shared default colours, calibrated RGB, made once.
  static NSColor* calibratedWhite();
  static NSColor* calibratedGreen();

 private:
  LockedProperty<NSColor> mColor;
};
