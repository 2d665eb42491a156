#pragma once
// Input events: mouse, keys and events the application posts itself. Locations are in the
// window's base coordinates (y up from the window's bottom-left corner), or in screen
// coordinates for an event without a window. An event of a window keeps the place on screen
// where it happened: when the window has moved since (a window dragged by the mouse),
// locationInWindow answers that place in the window's base coordinates of now. An event does
// not keep its window alive.
#include <functional>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSGeometry.h>

class NSGraphicsContext;
class NSWindow;

typedef NSUInteger NSEventType;
enum : NSUInteger {
  NSEventTypeLeftMouseDown = 1,
  NSEventTypeLeftMouseUp = 2,
  NSEventTypeRightMouseDown = 3,
  NSEventTypeRightMouseUp = 4,
  NSEventTypeMouseMoved = 5,
  NSEventTypeLeftMouseDragged = 6,
  NSEventTypeRightMouseDragged = 7,
  NSEventTypeMouseEntered = 8,
  NSEventTypeMouseExited = 9,
  NSEventTypeKeyDown = 10,
  NSEventTypeKeyUp = 11,
  NSEventTypeFlagsChanged = 12,
  NSEventTypeAppKitDefined = 13,
  NSEventTypeSystemDefined = 14,
  NSEventTypeApplicationDefined = 15,
  NSEventTypePeriodic = 16,
  NSEventTypeCursorUpdate = 17,
  NSEventTypeScrollWheel = 22,
  NSEventTypeOtherMouseDown = 25,
  NSEventTypeOtherMouseUp = 26,
  NSEventTypeOtherMouseDragged = 27,
};
enum : NSUInteger {
  NSLeftMouseDown = NSEventTypeLeftMouseDown,
  NSLeftMouseUp = NSEventTypeLeftMouseUp,
  NSRightMouseDown = NSEventTypeRightMouseDown,
  NSRightMouseUp = NSEventTypeRightMouseUp,
  NSMouseMoved = NSEventTypeMouseMoved,
  NSLeftMouseDragged = NSEventTypeLeftMouseDragged,
  NSRightMouseDragged = NSEventTypeRightMouseDragged,
  NSKeyDown = NSEventTypeKeyDown,
  NSKeyUp = NSEventTypeKeyUp,
  NSFlagsChanged = NSEventTypeFlagsChanged,
  NSApplicationDefined = NSEventTypeApplicationDefined,
  NSScrollWheel = NSEventTypeScrollWheel,
};

typedef unsigned long long NSEventMask;
inline constexpr NSEventMask NSEventMaskFromType(NSEventType type) { return NSEventMask(1) << type; }
enum : unsigned long long {
  NSLeftMouseDownMask = 1ULL << NSLeftMouseDown,
  NSLeftMouseUpMask = 1ULL << NSLeftMouseUp,
  NSRightMouseDownMask = 1ULL << NSRightMouseDown,
  NSRightMouseUpMask = 1ULL << NSRightMouseUp,
  NSMouseMovedMask = 1ULL << NSMouseMoved,
  NSLeftMouseDraggedMask = 1ULL << NSLeftMouseDragged,
  NSRightMouseDraggedMask = 1ULL << NSRightMouseDragged,
  NSKeyDownMask = 1ULL << NSKeyDown,
  NSKeyUpMask = 1ULL << NSKeyUp,
  NSFlagsChangedMask = 1ULL << NSFlagsChanged,
  NSApplicationDefinedMask = 1ULL << NSApplicationDefined,
  NSScrollWheelMask = 1ULL << NSScrollWheel,
  NSAnyEventMask = ~0ULL,
  NSEventMaskAny = ~0ULL,
};

typedef NSUInteger NSEventModifierFlags;
enum : NSUInteger {
  NSAlphaShiftKeyMask = 1 << 16,
  NSShiftKeyMask = 1 << 17,
  NSControlKeyMask = 1 << 18,
  NSAlternateKeyMask = 1 << 19,
  NSCommandKeyMask = 1 << 20,
  NSEventModifierFlagCapsLock = NSAlphaShiftKeyMask,
  NSEventModifierFlagShift = NSShiftKeyMask,
  NSEventModifierFlagControl = NSControlKeyMask,
  NSEventModifierFlagOption = NSAlternateKeyMask,
  NSEventModifierFlagCommand = NSCommandKeyMask,
  NSDeviceIndependentModifierFlagsMask = 0xffff0000UL,
};

class APPKIT_CLASS NSEvent : public NSObject {
  OBJC_CLASS_DECL(NSEvent, NSObject)

 public:
  // Autoreleased events, as a program posts them (postEvent) or the window server makes them.
  // windowNumber names the window the location belongs to (0: none, location on screen).
  static NSEvent* mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      NSEventType type, NSPoint location, NSEventModifierFlags flags, double time, NSInteger windowNumber,
      NSGraphicsContext* context, NSInteger eventNumber, NSInteger clickCount, float pressure);
  static NSEvent*
  keyEventWithType_location_modifierFlags_timestamp_windowNumber_context_characters_charactersIgnoringModifiers_isARepeat_keyCode(
      NSEventType type, NSPoint location, NSEventModifierFlags flags, double time, NSInteger windowNumber,
      NSGraphicsContext* context, NSString* characters, NSString* charactersIgnoringModifiers, bool isARepeat,
      unsigned short keyCode);
  static NSEvent* otherEventWithType_location_modifierFlags_timestamp_windowNumber_context_subtype_data1_data2(
      NSEventType type, NSPoint location, NSEventModifierFlags flags, double time, NSInteger windowNumber,
      NSGraphicsContext* context, short subtype, NSInteger data1, NSInteger data2);

  // The pointer's place on screen and the modifier keys held, as of the latest event read.
  static NSPoint mouseLocation();
  static NSEventModifierFlags classModifierFlags();
  static NSUInteger pressedMouseButtons();

  // Runs the handler with every event of the mask that the application sends, before its
  // window gets it; the handler answers the event to send on, or null to swallow it. The
  // answer is the monitor, kept until removeMonitor.
  static NSObject* addLocalMonitorForEventsMatchingMask_handler(unsigned long long mask,
                                                                std::function<NSEvent*(NSEvent*)> handler);
  static void removeMonitor(NSObject* monitor);

  NSEventType type() const { return mType; }
  NSPoint locationInWindow() const;
  NSEventModifierFlags modifierFlags() const { return mModifierFlags; }
  double timestamp() const { return mTimestamp; }
  NSWindow* window() const;
  NSInteger windowNumber() const { return mWindowNumber; }
  NSInteger clickCount() const { return mClickCount; }
  NSInteger buttonNumber() const { return mButtonNumber; }
  NSInteger eventNumber() const { return mEventNumber; }
  float pressure() const { return mPressure; }
  NSString* characters() const { return mCharacters.get(); }
  NSString* charactersIgnoringModifiers() const { return mCharactersIgnoringModifiers.get(); }
  bool isARepeat() const { return mIsARepeat; }
  unsigned short keyCode() const { return mKeyCode; }
  short subtype() const { return mSubtype; }
  NSInteger data1() const { return mData1; }
  NSInteger data2() const { return mData2; }
  CGFloat deltaX() const { return mDeltaX; }
  CGFloat deltaY() const { return mDeltaY; }
  CGFloat scrollingDeltaX() const { return mDeltaX; }
  CGFloat scrollingDeltaY() const { return mDeltaY; }

  // Filled in by the window server backend.
  APPKIT_PRIVATE void setScrollDeltas(CGFloat dx, CGFloat dy) {
    mDeltaX = dx;
    mDeltaY = dy;
  }
  APPKIT_PRIVATE void setButtonNumber(NSInteger button) { mButtonNumber = button; }
  // The window the server delivered the event to, and where on screen it happened (window
  // numbers of windows on different servers may be the same).
  APPKIT_PRIVATE void attachToWindow(NSWindow* window, NSPoint screenLocation);
  // The current state read by mouseLocation and classModifierFlags.
  APPKIT_PRIVATE static void noteInputState(NSPoint screenLocation, NSEventModifierFlags flags, NSUInteger buttons);

 protected:
  NSEvent() = default;

 private:
  static NSEvent* make(NSEventType type, NSPoint location, NSEventModifierFlags flags, double time,
                       NSInteger windowNumber);

  NSEventType mType = 0;
  NSPoint mLocation{};
  NSPoint mScreenLocation{};
  bool mHasScreenLocation = false;
  NSEventModifierFlags mModifierFlags = 0;
  double mTimestamp = 0;
  NSInteger mWindowNumber = 0;
  WeakPtr<NSWindow> mWindow;
  NSInteger mClickCount = 0;
  NSInteger mButtonNumber = 0;
  NSInteger mEventNumber = 0;
  float mPressure = 0;
  RefPtr<NSString> mCharacters;
  RefPtr<NSString> mCharactersIgnoringModifiers;
  bool mIsARepeat = false;
  unsigned short mKeyCode = 0;
  short mSubtype = 0;
  NSInteger mData1 = 0, mData2 = 0;
  CGFloat mDeltaX = 0, mDeltaY = 0;
};
