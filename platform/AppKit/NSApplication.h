#pragma once
// The application: its windows, its event queue and its main loop.
//
// Events come from the window server (X input, when windows are shown on an X server) and
// from postEvent, which any thread may call (scripted input). nextEventMatchingMask runs
// the main run loop in the given mode until a matching event is queued or the date passes;
// timers, performed calls and the main dispatch queue go on meanwhile. When the environment
// variable MOXICAM_EVENT_WAIT_LIMIT holds a number of seconds, no wait lasts longer than that:
// the call reports on standard error and answers null, so that a program whose input was
// scripted short (a test) ends instead of waiting for ever.
#include <deque>
#include <mutex>
#include <vector>

#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSString.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSEvent.h>
#include <AppKit/NSResponder.h>

class NSArray;
class NSDate;
class NSMenu;
class NSWindow;

APPKIT_EXPORT NSString* const NSEventTrackingRunLoopMode;
APPKIT_EXPORT NSString* const NSModalPanelRunLoopMode;

typedef NSUInteger NSApplicationTerminateReply;
enum : NSUInteger { NSTerminateCancel = 0, NSTerminateNow = 1, NSTerminateLater = 2 };

// The optional methods of the application's delegate.
class APPKIT_CLASS NSApplicationDelegate {
 public:
  virtual NSApplicationTerminateReply applicationShouldTerminate(NSObject* sender) { return NSTerminateNow; }

 protected:
  ~NSApplicationDelegate() = default;
};

class APPKIT_CLASS NSApplication : public NSResponder {
  OBJC_CLASS_DECL(NSApplication, NSResponder)

 public:
  // The one application object, made on first use; also in NSApp.
  static NSApplication* sharedApplication();

  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  // Posts will- and did-finish-launching (once).
  void finishLaunching();
  // finishLaunching, then takes events and sends them on until stop or terminate.
  void run();
  void stop(NSObject* sender);
  bool isRunning() const { return mRunning; }
  // Asks the delegate, posts will-terminate and ends the process unless the delegate refuses.
  void terminate(NSObject* sender);

  // Events.
  NSEvent* nextEventMatchingMask_untilDate_inMode_dequeue(unsigned long long mask, NSDate* expiration,
                                                          NSString* mode, bool dequeue);
  void postEvent_atStart(NSEvent* event, bool atStart);
  void discardEventsMatchingMask_beforeEvent(unsigned long long mask, NSEvent* lastEvent);
  virtual void sendEvent(NSEvent* event);
  NSEvent* currentEvent() const { return mCurrentEvent.get(); }
  // Sends the action to the target (the first responder chain of the key window for null);
  // false when nobody answers it.
  bool sendAction_to_from(SEL action, NSObject* target, NSObject* sender);

  // Windows: every window that exists, and the key window.
  NSArray* windows() const;
  NSWindow* windowWithWindowNumber(NSInteger windowNumber) const;
  NSWindow* keyWindow() const;
  NSWindow* mainWindow() const { return keyWindow(); }
  void activateIgnoringOtherApps(bool flag) {}
  NSMenu* mainMenu() const;
  void setMainMenu(NSMenu* menu);

  // Window bookkeeping for NSWindow.
  APPKIT_PRIVATE void addWindow(NSWindow* window);
  APPKIT_PRIVATE void removeWindow(NSWindow* window);
  APPKIT_PRIVATE void setKeyWindow(NSWindow* window);
  APPKIT_PRIVATE void keepOrderedIn(NSWindow* window, bool orderedIn);
  // Windows whose views need display are redrawn before the main loop waits.
  APPKIT_PRIVATE void scheduleDisplay();

 protected:
  NSApplication() = default;

 private:
  NSEvent* takeEvent(unsigned long long mask, bool dequeue);
  void displayWindowsIfNeeded();

  WeakPtr<NSObject> mDelegate;
  mutable std::mutex mQueueLock;
  std::deque<RefPtr<NSEvent>> mQueue;
  RefPtr<NSEvent> mCurrentEvent;
  std::vector<WeakPtr<NSWindow>> mWindows;
  std::vector<RefPtr<NSWindow>> mOrderedIn;
  WeakPtr<NSWindow> mKeyWindow;
  RefPtr<NSMenu> mMainMenu;
  bool mRunning = false;
  bool mStopRequested = false;
  bool mDisplayScheduled = false;
};

// The shared application, once sharedApplication has made it.
APPKIT_EXPORT NSApplication* NSApp;

// Makes the application, loads the main nib that the main bundle's Info.plist names
// (NSMainNibFile) with the application as owner, and runs it.
APPKIT_EXPORT int NSApplicationMain(int argc, const char** argv);
