#include <AppKit/NSColor.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSPopover.h>
#include <AppKit/NSView.h>
#include <AppKit/NSViewController.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSNotificationCenter.h>

#include "backend/PopoverWindow.h"

NSString* const NSPopoverWillShowNotification = NSSTR("NSPopoverWillShowNotification");
NSString* const NSPopoverDidShowNotification = NSSTR("NSPopoverDidShowNotification");
NSString* const NSPopoverWillCloseNotification = NSSTR("NSPopoverWillCloseNotification");
NSString* const NSPopoverDidCloseNotification = NSSTR("NSPopoverDidCloseNotification");

OBJC_CLASS_DEFINE(NSPopover)

NSPopover::~NSPopover() {
  stopWatchingOutsideClicks();
  if (mWindow) {
    mWindow->setPopover(nullptr);
    mWindow->orderOut(nullptr);
  }
}

NSPopoverDelegate* NSPopover::popoverDelegate() const {
  return dynamic_cast<NSPopoverDelegate*>(mDelegate.get().get());
}

void NSPopover::setContentViewController(NSViewController* controller) {
  mContentViewController = RefPtr<NSViewController>(controller);
}

NSSize NSPopover::contentSize() const {
  if (mHasContentSize) return mContentSize;
  return mContentViewController ? mContentViewController->preferredContentSize() : NSZeroSize;
}

void NSPopover::setContentSize(NSSize size) {
  mContentSize = size;
  mHasContentSize = true;
}

void NSPopover::setAppearance(NSPopoverAppearance appearance) {
  mAppearance = appearance;
  if (!mWindow) return;
  const bool dark = appearance == NSPopoverAppearanceHUD;
  mWindow->setBackgroundColor(dark ? NSColor::colorWithCalibratedWhite_alpha(0.12, 0.94)
                                   : NSColor::windowBackgroundColor());
  mWindow->setOpaque(!dark);
}

NSWindow* NSPopover::popoverWindow() const { return mShown ? mWindow.get() : nullptr; }

void NSPopover::post(NSString* name) {
  RefPtr<NSPopover> self(this);
  NSNotification* notification = NSNotification::notificationWithName_object_userInfo(name, this, nullptr);
  if (NSPopoverDelegate* delegate = popoverDelegate()) {
    if (name == NSPopoverWillShowNotification) delegate->popoverWillShow(notification);
    if (name == NSPopoverDidShowNotification) delegate->popoverDidShow(notification);
    if (name == NSPopoverWillCloseNotification) delegate->popoverWillClose(notification);
    if (name == NSPopoverDidCloseNotification) delegate->popoverDidClose(notification);
  }
  NSNotificationCenter::defaultCenter()->postNotification(notification);
}

NSRect NSPopover::frameBeside(NSRect screenRect, NSSize size, NSRectEdge edge, bool flipped) const {
  // The edge is named in the positioning view's coordinates: a flipped view's maximum y is
  // its bottom on screen.
  if (flipped && (edge == NSMinYEdge || edge == NSMaxYEdge))
    edge = edge == NSMinYEdge ? NSMaxYEdge : NSMinYEdge;
  const CGFloat midX = NSMidX(screenRect) - size.width / 2;
  const CGFloat midY = NSMidY(screenRect) - size.height / 2;
  switch (edge) {
    case NSMinXEdge:
      return NSMakeRect(NSMinX(screenRect) - size.width, midY, size.width, size.height);
    case NSMaxXEdge:
      return NSMakeRect(NSMaxX(screenRect), midY, size.width, size.height);
    case NSMinYEdge:
      return NSMakeRect(midX, NSMinY(screenRect) - size.height, size.width, size.height);
    default:
      return NSMakeRect(midX, NSMaxY(screenRect), size.width, size.height);
  }
}

void NSPopover::showRelativeToRect_ofView_preferredEdge(NSRect rect, NSView* view, NSRectEdge edge) {
  RefPtr<NSView> content(mContentViewController ? mContentViewController->view() : nullptr);
  if (!content) {
    NSException::raise_format(NSInternalInconsistencyException,
                              NSSTR("NSPopover %p: no content view to show"), this);
  }
  NSWindow* parent = view ? view->window() : nullptr;
  if (!parent) {
    NSException::raise_format(NSInternalInconsistencyException,
                              NSSTR("NSPopover %p: the positioning view is in no window"), this);
  }
  const bool wasShown = mShown;
  if (!wasShown) post(NSPopoverWillShowNotification);
  NSSize size = contentSize();
  if (size.width <= 0 || size.height <= 0) size = content->frame().size;
  const NSRect screenRect = parent->convertRectToScreen(view->convertRect_toView(rect, nullptr));
  const NSRect frame = frameBeside(screenRect, size, edge, view->isFlipped());
  if (!mWindow) {
    mWindow = adopt(static_cast<AppKitBackend::PopoverWindow*>(
        AppKitBackend::PopoverWindow::alloc()->initWithContentRect_styleMask_backing_defer(
            frame, NSBorderlessWindowMask, NSBackingStoreBuffered, false)));
    mWindow->setPopover(this);
    mWindow->setReleasedWhenClosed(false);
    mWindow->setLevel(NSPopUpMenuWindowLevel);
  }
  setAppearance(mAppearance);
  mWindow->setFrame_display(frame, false);
  mWindow->setContentView(content.get());
  content->setFrame(NSMakeRect(0, 0, size.width, size.height));
  mPositioningRect = rect;
  mShown = true;
  mDetached = false;
  mSelfWhileShown = RefPtr<NSPopover>(this);
  mWindow->makeKeyAndOrderFront(nullptr);
  if (mBehavior != NSPopoverBehaviorApplicationDefined) watchOutsideClicks();
  if (!wasShown) post(NSPopoverDidShowNotification);
}

void NSPopover::performClose(NSObject*) {
  NSPopoverDelegate* delegate = popoverDelegate();
  if (delegate && !delegate->popoverShouldClose(this)) return;
  close();
}

void NSPopover::close() {
  if (!mShown) return;
  RefPtr<NSPopover> self(this);
  post(NSPopoverWillCloseNotification);
  stopWatchingOutsideClicks();
  mWindow->orderOut(nullptr);
  mWindow->setContentView(nullptr);
  mShown = false;
  mDetached = false;
  post(NSPopoverDidCloseNotification);
  mSelfWhileShown = nullptr;
}

NSWindow* NSPopover::detachWithOffset(NSPoint offset) {
  NSPopoverDelegate* delegate = popoverDelegate();
  if (!mShown || mDetached || !delegate || !delegate->popoverShouldDetach(this)) return nullptr;
  RefPtr<NSPopover> self(this);
  const NSRect shown = mWindow->frame();
  const NSPoint origin = NSMakePoint(shown.origin.x + offset.x, shown.origin.y + offset.y);
  RefPtr<NSWindow> detached(delegate->detachableWindowForPopover(this));
  if (!detached) {
    // The popover itself stays open as a free window.
    mDetached = true;
    stopWatchingOutsideClicks();
    mWindow->setFrameOrigin(origin);
    return mWindow.get();
  }
  RefPtr<NSViewController> controller = mContentViewController;
  close();
  if (controller && detached->contentViewController() == controller.get())
    detached->setContentView(controller->view());
  const NSRect frame = detached->frame();
  // Top-left corner where the popover's was.
  detached->setFrameOrigin(NSMakePoint(origin.x, origin.y + shown.size.height - frame.size.height));
  detached->makeKeyAndOrderFront(nullptr);
  return detached.get();
}

void NSPopover::watchOutsideClicks() {
  if (mOutsideClickMonitor) return;
  WeakPtr<NSPopover> weak(this);
  mOutsideClickMonitor = RefPtr<NSObject>(NSEvent::addLocalMonitorForEventsMatchingMask_handler(
      NSLeftMouseDownMask | NSRightMouseDownMask | NSEventMaskFromType(NSEventTypeOtherMouseDown),
      [weak](NSEvent* event) -> NSEvent* {
        RefPtr<NSPopover> popover = weak.get();
        if (popover && popover->isShown() && !popover->isDetached() &&
            event->window() != popover->popoverWindow()) {
          popover->performClose(nullptr);
        }
        return event;
      }));
}

void NSPopover::stopWatchingOutsideClicks() {
  if (!mOutsideClickMonitor) return;
  NSEvent::removeMonitor(mOutsideClickMonitor.get());
  mOutsideClickMonitor = nullptr;
}
