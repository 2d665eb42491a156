#pragma once
// The screens: the X server's monitors (the primary first), or one virtual screen of
// 1280 x 1024 without an X server. Frames are in Cocoa's screen coordinates, whose origin is
// the bottom-left corner of the primary screen.
#include <Foundation/NSObject.h>

#include <AppKit/NSGeometry.h>

class NSArray;
class NSDictionary;

class APPKIT_CLASS NSScreen : public NSObject {
  OBJC_CLASS_DECL(NSScreen, NSObject)

 public:
  // Autoreleased, read anew at each call.
  static NSArray* screens();
  // The primary screen.
  static NSScreen* mainScreen();

  NSRect frame() const { return mFrame; }
  NSRect visibleFrame() const { return mFrame; }
  virtual CGFloat backingScaleFactor() const { return 1.0; }
  // "NSScreenNumber": the CGDirectDisplayID (0 without an X server); "NSDeviceSize".
  NSDictionary* deviceDescription() const;

 protected:
  NSScreen() = default;

 private:
  NSRect mFrame{};
  uint32_t mDisplayID = 0;
};
