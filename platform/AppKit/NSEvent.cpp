#include <AppKit/NSEvent.h>

#include <mutex>

#include <AppKit/NSApplication.h>
#include <AppKit/NSWindow.h>

OBJC_CLASS_DEFINE(NSEvent)

namespace {

struct InputState {
  std::mutex lock;
  NSPoint location{};
  NSEventModifierFlags flags = 0;
  NSUInteger buttons = 0;
};

InputState& inputState() {
  static InputState* const state = new InputState;
  return *state;
}

NSEventModifierFlags independentFlags(NSEventModifierFlags flags) { return flags & NSDeviceIndependentModifierFlagsMask; }

}  // namespace

NSEvent* NSEvent::make(NSEventType type, NSPoint location, NSEventModifierFlags flags, double time,
                       NSInteger windowNumber) {
  auto* event = new NSEvent();
  event->mType = type;
  event->mLocation = location;
  event->mModifierFlags = flags;
  event->mTimestamp = time;
  event->mWindowNumber = windowNumber;
  if (windowNumber) {
    NSWindow* window = NSApplication::sharedApplication()->windowWithWindowNumber(windowNumber);
    event->mWindow = window;
    if (window) {
      event->mScreenLocation = window->convertBaseToScreen(location);
      event->mHasScreenLocation = true;
    }
  }
  return static_cast<NSEvent*>(event->autorelease());
}

NSEvent* NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
    NSEventType type, NSPoint location, NSEventModifierFlags flags, double time, NSInteger windowNumber,
    NSGraphicsContext*, NSInteger eventNumber, NSInteger clickCount, float pressure) {
  NSEvent* event = make(type, location, flags, time, windowNumber);
  event->mEventNumber = eventNumber;
  event->mClickCount = clickCount;
  event->mPressure = pressure;
  switch (type) {
    case NSEventTypeRightMouseDown:
    case NSEventTypeRightMouseUp:
    case NSEventTypeRightMouseDragged:
      event->mButtonNumber = 1;
      break;
    case NSEventTypeOtherMouseDown:
    case NSEventTypeOtherMouseUp:
    case NSEventTypeOtherMouseDragged:
      event->mButtonNumber = 2;
      break;
    default:
      break;
  }
  return event;
}

NSEvent*
NSEvent::keyEventWithType_location_modifierFlags_timestamp_windowNumber_context_characters_charactersIgnoringModifiers_isARepeat_keyCode(
    NSEventType type, NSPoint location, NSEventModifierFlags flags, double time, NSInteger windowNumber,
    NSGraphicsContext*, NSString* characters, NSString* charactersIgnoringModifiers, bool isARepeat,
    unsigned short keyCode) {
  NSEvent* event = make(type, location, flags, time, windowNumber);
  event->mCharacters = RefPtr<NSString>(characters);
  event->mCharactersIgnoringModifiers = RefPtr<NSString>(charactersIgnoringModifiers);
  event->mIsARepeat = isARepeat;
  event->mKeyCode = keyCode;
  return event;
}

NSEvent* NSEvent::otherEventWithType_location_modifierFlags_timestamp_windowNumber_context_subtype_data1_data2(
    NSEventType type, NSPoint location, NSEventModifierFlags flags, double time, NSInteger windowNumber,
    NSGraphicsContext*, short subtype, NSInteger data1, NSInteger data2) {
  NSEvent* event = make(type, location, flags, time, windowNumber);
  event->mSubtype = subtype;
  event->mData1 = data1;
  event->mData2 = data2;
  return event;
}

void NSEvent::attachToWindow(NSWindow* window, NSPoint screenLocation) {
  mWindow = window;
  mWindowNumber = window ? window->windowNumber() : 0;
  mScreenLocation = screenLocation;
  mHasScreenLocation = window != nullptr;
  mLocation = window ? window->convertScreenToBase(screenLocation) : screenLocation;
}

NSPoint NSEvent::locationInWindow() const {
  if (!mHasScreenLocation) return mLocation;
  RefPtr<NSWindow> window = mWindow.get();
  return window ? window->convertScreenToBase(mScreenLocation) : mLocation;
}

NSWindow* NSEvent::window() const {
  // Borrowed, as the platform's accessor answers it: the application keeps its windows.
  return mWindow.get().get();
}

void NSEvent::noteInputState(NSPoint screenLocation, NSEventModifierFlags flags, NSUInteger buttons) {
  InputState& state = inputState();
  std::lock_guard<std::mutex> lock(state.lock);
  state.location = screenLocation;
  state.flags = independentFlags(flags);
  state.buttons = buttons;
}

NSPoint NSEvent::mouseLocation() {
  InputState& state = inputState();
  std::lock_guard<std::mutex> lock(state.lock);
  return state.location;
}

NSEventModifierFlags NSEvent::classModifierFlags() {
  InputState& state = inputState();
  std::lock_guard<std::mutex> lock(state.lock);
  return state.flags;
}

NSUInteger NSEvent::pressedMouseButtons() {
  InputState& state = inputState();
  std::lock_guard<std::mutex> lock(state.lock);
  return state.buttons;
}
