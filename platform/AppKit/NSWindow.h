#pragma once
// Windows: a frame on screen in Cocoa's coordinates (y up from the bottom-left corner of the
// main screen), a content view, and a backing store that the views draw into.
//
// The backing store is a bitmap of the window's size (premultiplied ARGB) that headless
// programs read through graphicsContext(). When DISPLAY names an X server, a window that is
// ordered in is also an X window of its frame and title showing that bitmap: borderless
// windows are override-redirect (no window manager frame), non-opaque ones use a depth-32
// visual so that their transparent pixels stay transparent. Without an X server the window
// is known to the CoreGraphics window list instead. The frame is the content rectangle: any
// decoration is the window manager's, outside it.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSGeometry.h>
#include <AppKit/NSResponder.h>

class NSColor;
class NSDate;
class NSEvent;
class NSGraphicsContext;
class NSScreen;
class NSView;
class NSViewController;
class NSWindow;
struct CGWindowRegistryWindow;

namespace AppKitBackend {
class ServerWindow;
}

typedef NSUInteger NSWindowStyleMask;
enum : NSUInteger {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1 << 0,
  NSClosableWindowMask = 1 << 1,
  NSMiniaturizableWindowMask = 1 << 2,
  NSResizableWindowMask = 1 << 3,
  NSUtilityWindowMask = 1 << 4,
  NSNonactivatingPanelMask = 1 << 7,
  NSTexturedBackgroundWindowMask = 1 << 8,
  NSHUDWindowMask = 1 << 13,
  NSWindowStyleMaskBorderless = NSBorderlessWindowMask,
  NSWindowStyleMaskTitled = NSTitledWindowMask,
  NSWindowStyleMaskClosable = NSClosableWindowMask,
  NSWindowStyleMaskResizable = NSResizableWindowMask,
  NSWindowStyleMaskUtilityWindow = NSUtilityWindowMask,
  NSWindowStyleMaskHUDWindow = NSHUDWindowMask,
};

typedef NSUInteger NSBackingStoreType;
enum : NSUInteger { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };

typedef NSInteger NSWindowLevel;
enum : NSInteger {
  NSNormalWindowLevel = 0,
  NSFloatingWindowLevel = 3,
  NSModalPanelWindowLevel = 8,
  NSMainMenuWindowLevel = 24,
  NSStatusWindowLevel = 25,
  NSPopUpMenuWindowLevel = 101,
  NSScreenSaverWindowLevel = 1000,
};

// Whether other processes may read the window's pixels (the window list, window images).
typedef NSUInteger NSWindowSharingType;
enum : NSUInteger { NSWindowSharingNone = 0, NSWindowSharingReadOnly = 1, NSWindowSharingReadWrite = 2 };

typedef NSInteger NSWindowOrderingMode;
enum : NSInteger { NSWindowAbove = 1, NSWindowOut = 0, NSWindowBelow = -1 };

APPKIT_EXPORT NSString* const NSWindowDidBecomeKeyNotification;
APPKIT_EXPORT NSString* const NSWindowDidResignKeyNotification;
APPKIT_EXPORT NSString* const NSWindowDidMoveNotification;
APPKIT_EXPORT NSString* const NSWindowDidResizeNotification;
APPKIT_EXPORT NSString* const NSWindowWillCloseNotification;

// The optional delegate methods; a delegate that is no NSWindowDelegate gets none.
class APPKIT_CLASS NSWindowDelegate {
 public:
  virtual bool windowShouldClose(NSWindow* sender) { return true; }
  virtual void windowWillClose(NSWindow* window) {}

 protected:
  ~NSWindowDelegate() = default;
};

class APPKIT_CLASS NSWindow : public NSResponder {
  OBJC_CLASS_DECL(NSWindow, NSResponder)

 public:
  NSObject* init() override;
  virtual NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                                 NSBackingStoreType backing, bool defer);
  NSWindow* initWithContentRect_styleMask_backing_defer_screen(NSRect contentRect, NSWindowStyleMask style,
                                                                NSBackingStoreType backing, bool defer,
                                                                NSScreen* screen);

  static NSRect frameRectForContentRect_styleMask(NSRect contentRect, NSWindowStyleMask style) { return contentRect; }
  static NSRect contentRectForFrameRect_styleMask(NSRect frameRect, NSWindowStyleMask style) { return frameRect; }
  NSRect frameRectForContentRect(NSRect contentRect) const { return contentRect; }
  NSRect contentRectForFrameRect(NSRect frameRect) const { return frameRect; }

  // Geometry.
  NSRect frame() const { return mFrame; }
  virtual void setFrame_display(NSRect frame, bool display);
  virtual void setFrame_display_animate(NSRect frame, bool display, bool animate);
  virtual void setFrameOrigin(NSPoint origin);
  void setFrameTopLeftPoint(NSPoint point);
  void setContentSize(NSSize size);
  void center();
  NSSize minSize() const { return mMinSize; }
  NSSize maxSize() const { return mMaxSize; }
  void setMinSize(NSSize size) { mMinSize = size; }
  void setMaxSize(NSSize size) { mMaxSize = size; }
  NSScreen* screen() const;
  CGFloat backingScaleFactor() const { return 1.0; }

  // Coordinates between the window's base (its bottom-left corner) and the screen.
  NSPoint convertBaseToScreen(NSPoint point) const;
  NSPoint convertScreenToBase(NSPoint point) const;
  NSRect convertRectToScreen(NSRect rect) const;
  NSRect convertRectFromScreen(NSRect rect) const;
  NSPoint mouseLocationOutsideOfEventStream() const;

  // Look and kind.
  NSWindowStyleMask styleMask() const { return mStyleMask; }
  void setStyleMask(NSWindowStyleMask style);
  NSBackingStoreType backingType() const { return mBackingType; }
  NSString* title() const { return mTitle.get(); }
  virtual void setTitle(NSString* title);
  NSWindowLevel level() const { return mLevel; }
  virtual void setLevel(NSWindowLevel level);
  bool isOpaque() const { return mOpaque; }
  void setOpaque(bool opaque);
  CGFloat alphaValue() const { return mAlphaValue; }
  void setAlphaValue(CGFloat alpha);
  NSColor* backgroundColor() const { return mBackgroundColor.get(); }
  void setBackgroundColor(NSColor* color);
  bool hasShadow() const { return mHasShadow; }
  void setHasShadow(bool hasShadow) { mHasShadow = hasShadow; }
  // There is no compositor that draws shadows: this only counts the requests.
  void invalidateShadow() { ++mShadowInvalidations; }
  NSUInteger shadowInvalidationCount() const { return mShadowInvalidations; }
  bool isReleasedWhenClosed() const { return mReleasedWhenClosed; }
  void setReleasedWhenClosed(bool flag) { mReleasedWhenClosed = flag; }
  bool ignoresMouseEvents() const { return mIgnoresMouseEvents; }
  void setIgnoresMouseEvents(bool flag) { mIgnoresMouseEvents = flag; }
  NSWindowSharingType sharingType() const { return mSharingType; }
  void setSharingType(NSWindowSharingType type);
  bool acceptsMouseMovedEvents() const { return mAcceptsMouseMovedEvents; }
  void setAcceptsMouseMovedEvents(bool flag) { mAcceptsMouseMovedEvents = flag; }

  // Content.
  NSView* contentView() const { return mContentView.get(); }
  virtual void setContentView(NSView* view);
  NSViewController* contentViewController() const { return mContentViewController.get(); }
  // Keeps the controller and shows its view as the content view.
  virtual void setContentViewController(NSViewController* controller);
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  // Ordering. A window that is ordered in is kept by the application until it is ordered out.
  void orderFront(NSObject* sender);
  void orderBack(NSObject* sender);
  void orderOut(NSObject* sender);
  void orderFrontRegardless();
  void makeKeyAndOrderFront(NSObject* sender);
  void makeKeyWindow();
  virtual void orderWindow_relativeTo(NSWindowOrderingMode place, NSInteger otherWindowNumber);
  bool isVisible() const { return mVisible; }
  bool isKeyWindow() const;
  virtual bool canBecomeKeyWindow() const;
  virtual bool canBecomeMainWindow() const;
  void close();
  void performClose(NSObject* sender);
  NSInteger windowNumber() const { return mWindowNumber; }

  // Responders and events.
  NSResponder* firstResponder() const;
  bool makeFirstResponder(NSResponder* responder);
  virtual void sendEvent(NSEvent* event);
  // The application's event queue (see NSApplication).
  NSEvent* nextEventMatchingMask(unsigned long long mask);
  NSEvent* nextEventMatchingMask_untilDate_inMode_dequeue(unsigned long long mask, NSDate* expiration,
                                                          NSString* mode, bool dequeue);
  void postEvent_atStart(NSEvent* event, bool atStart);
  NSEvent* currentEvent() const;

  // Drawing.
  NSGraphicsContext* graphicsContext();
  void display();
  void displayIfNeeded();
  bool viewsNeedDisplay() const { return mViewsNeedDisplay; }
  void setViewsNeedDisplay(bool flag);
  // Shows the backing store on the X window (when there is one). A window that is not on
  // screen keeps its pixels on the X server instead, where other processes read them.
  void flushWindow();
  void flushWindowIfNeeded() { flushWindow(); }
  // The screen shows a window's backing store only when it is flushed, so drawing before the
  // next flush never reaches the screen half done: nothing more is needed to hold updates.
  void disableScreenUpdatesUntilFlush() {}

  // For the window server backend: the frame as the server reports it after a move it made.
  APPKIT_PRIVATE void noteServerFrame(NSRect frame);
  APPKIT_PRIVATE AppKitBackend::ServerWindow* serverWindow() const { return mServerWindow; }

 protected:
  NSWindow() = default;
  ~NSWindow() override;

 private:
  void resizeBackingStore();
  void registerWithWindowList();
  void updateWindowList();
  void describe(CGWindowRegistryWindow& description) const;
  void postNotification(NSString* name);
  void orderIn(bool front);

  NSRect mFrame{};
  NSWindowStyleMask mStyleMask = NSTitledWindowMask;
  NSBackingStoreType mBackingType = NSBackingStoreBuffered;
  NSSize mMinSize{0, 0};
  NSSize mMaxSize{10000, 10000};
  RefPtr<NSString> mTitle;
  NSWindowLevel mLevel = NSNormalWindowLevel;
  bool mOpaque = true;
  CGFloat mAlphaValue = 1;
  RefPtr<NSColor> mBackgroundColor;
  bool mHasShadow = true;
  NSUInteger mShadowInvalidations = 0;
  bool mReleasedWhenClosed = true;
  bool mIgnoresMouseEvents = false;
  bool mAcceptsMouseMovedEvents = false;
  NSWindowSharingType mSharingType = NSWindowSharingReadOnly;
  bool mVisible = false;
  bool mViewsNeedDisplay = false;
  RefPtr<NSView> mContentView;
  RefPtr<NSViewController> mContentViewController;
  WeakPtr<NSObject> mDelegate;
  WeakPtr<NSResponder> mFirstResponder;
  WeakPtr<NSView> mMouseDownView;
  NSInteger mWindowNumber = 0;
  RefPtr<NSGraphicsContext> mGraphicsContext;
  AppKitBackend::ServerWindow* mServerWindow = nullptr;
  bool mInitialized = false;
};
