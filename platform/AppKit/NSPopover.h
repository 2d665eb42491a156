#pragma once
// Popovers: a view controller's view shown in a borderless window beside a rectangle of
// another view, on the preferred edge. A transient popover closes when the user clicks
// outside it. Dragging a popover by its background detaches it when the delegate allows: the
// delegate's detachable window (shown at the popover's place, its content view controller's
// view put back in it) takes the popover's place, or else the popover itself stays open as
// a free window. A shown popover is kept alive until it closes. The HUD appearance shows it
// dark. Showing needs a content view controller with a view and a positioning view in a
// window: without them show raises NSInternalInconsistencyException, as on the platform.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSGeometry.h>
#include <AppKit/NSResponder.h>

class NSNotification;
class NSPopover;
class NSView;
class NSViewController;
class NSWindow;

namespace AppKitBackend {
class PopoverWindow;
}

APPKIT_EXPORT NSString* const NSPopoverWillShowNotification;
APPKIT_EXPORT NSString* const NSPopoverDidShowNotification;
APPKIT_EXPORT NSString* const NSPopoverWillCloseNotification;
APPKIT_EXPORT NSString* const NSPopoverDidCloseNotification;

typedef NSInteger NSPopoverBehavior;
enum : NSInteger {
  NSPopoverBehaviorApplicationDefined = 0,
  NSPopoverBehaviorTransient = 1,
  NSPopoverBehaviorSemitransient = 2,
};

typedef NSInteger NSPopoverAppearance;
enum : NSInteger { NSPopoverAppearanceMinimal = 0, NSPopoverAppearanceHUD = 1 };

// The optional methods of a popover's delegate.
class APPKIT_CLASS NSPopoverDelegate {
 public:
  virtual bool popoverShouldClose(NSPopover* popover) { return true; }
  virtual bool popoverShouldDetach(NSPopover* popover) { return false; }
  virtual NSWindow* detachableWindowForPopover(NSPopover* popover) { return nullptr; }
  virtual void popoverWillShow(NSNotification* notification) {}
  virtual void popoverDidShow(NSNotification* notification) {}
  virtual void popoverWillClose(NSNotification* notification) {}
  virtual void popoverDidClose(NSNotification* notification) {}

 protected:
  ~NSPopoverDelegate() = default;
};

class APPKIT_CLASS NSPopover : public NSResponder {
  OBJC_CLASS_DECL(NSPopover, NSResponder)

 public:
  NSObject* init() override { return this; }

  NSViewController* contentViewController() const { return mContentViewController.get(); }
  void setContentViewController(NSViewController* controller);
  // The content view controller's preferred size unless set.
  NSSize contentSize() const;
  void setContentSize(NSSize size);
  bool animates() const { return mAnimates; }
  void setAnimates(bool flag) { mAnimates = flag; }
  NSPopoverBehavior behavior() const { return mBehavior; }
  void setBehavior(NSPopoverBehavior behavior) { mBehavior = behavior; }
  NSPopoverAppearance appearance() const { return mAppearance; }
  void setAppearance(NSPopoverAppearance appearance);
  // Not retained.
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  bool isShown() const { return mShown; }
  bool isDetached() const { return mDetached; }
  NSRect positioningRect() const { return mPositioningRect; }
  void showRelativeToRect_ofView_preferredEdge(NSRect rect, NSView* view, NSRectEdge edge);
  // Asks the delegate first.
  void performClose(NSObject* sender);
  void close();

  // The window showing the popover while it is shown (for the window server and tests).
  NSWindow* popoverWindow() const;
  // A drag of the popover's background by offset (screen units) from where it is shown: the
  // window that shows the content from now on, or null when the popover stays attached.
  APPKIT_PRIVATE NSWindow* detachWithOffset(NSPoint offset);

 protected:
  NSPopover() = default;
  ~NSPopover() override;

 private:
  NSPopoverDelegate* popoverDelegate() const;
  void post(NSString* name);
  NSRect frameBeside(NSRect screenRect, NSSize size, NSRectEdge edge, bool flipped) const;
  void watchOutsideClicks();
  void stopWatchingOutsideClicks();

  RefPtr<NSViewController> mContentViewController;
  NSSize mContentSize{};
  bool mHasContentSize = false;
  bool mAnimates = true;
  NSPopoverBehavior mBehavior = NSPopoverBehaviorApplicationDefined;
  NSPopoverAppearance mAppearance = NSPopoverAppearanceMinimal;
  WeakPtr<NSObject> mDelegate;
  bool mShown = false;
  bool mDetached = false;
  NSRect mPositioningRect{};
  RefPtr<AppKitBackend::PopoverWindow> mWindow;
  RefPtr<NSObject> mOutsideClickMonitor;
  // Held while shown, as the platform keeps a shown popover.
  RefPtr<NSPopover> mSelfWhileShown;
};
