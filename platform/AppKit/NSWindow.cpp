#include <AppKit/NSWindow.h>

#include <cmath>

#include <AppKit/NSApplication.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSView.h>
#include <AppKit/NSViewController.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGWindowRegistry.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSNotificationCenter.h>

#include "backend/ScreenSpace.h"
#include "backend/ServerWindow.h"

NSString* const NSWindowDidBecomeKeyNotification = NSSTR("NSWindowDidBecomeKeyNotification");
NSString* const NSWindowDidResignKeyNotification = NSSTR("NSWindowDidResignKeyNotification");
NSString* const NSWindowDidMoveNotification = NSSTR("NSWindowDidMoveNotification");
NSString* const NSWindowDidResizeNotification = NSSTR("NSWindowDidResizeNotification");
NSString* const NSWindowWillCloseNotification = NSSTR("NSWindowWillCloseNotification");

OBJC_CLASS_DEFINE(NSWindow)

namespace {

CGContextRef makeBackingStore(NSSize size) {
  const size_t width = size_t(std::lround(std::max<CGFloat>(0, size.width)));
  const size_t height = size_t(std::lround(std::max<CGFloat>(0, size.height)));
  if (width == 0 || height == 0) return nullptr;
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef context = CGBitmapContextCreate(nullptr, width, height, 8, 0, space,
                                               kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  CGColorSpaceRelease(space);
  return context;
}

void postGlobalFrameChange(NSView* view) {
  if (!view) return;
  NSNotificationCenter::defaultCenter()->postNotificationName_object(NSViewGlobalFrameDidChangeNotification, view);
  for (NSObject* subview : *view->subviews()) postGlobalFrameChange(static_cast<NSView*>(subview));
}

}  // namespace

NSWindow::~NSWindow() {
  if (mServerWindow) {
    delete mServerWindow;
  } else if (mWindowNumber) {
    CGWindowRegistryRemoveWindow(CGWindowID(mWindowNumber));
  }
  if (NSApp) NSApp->removeWindow(this);
}

NSObject* NSWindow::init() {
  return initWithContentRect_styleMask_backing_defer(NSZeroRect, NSTitledWindowMask, NSBackingStoreBuffered, false);
}

NSWindow* NSWindow::initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                                 NSBackingStoreType backing, bool) {
  mFrame = contentRect;
  mStyleMask = style;
  mBackingType = backing;
  mBackgroundColor = RefPtr<NSColor>(NSColor::windowBackgroundColor());
  mTitle = RefPtr<NSString>(NSString::string());
  NSApplication::sharedApplication()->addWindow(this);
  mServerWindow = AppKitBackend::ServerWindow::create(this, mFrame, style == NSBorderlessWindowMask, true);
  if (mServerWindow) {
    mWindowNumber = NSInteger(mServerWindow->xid());
  } else {
    registerWithWindowList();
  }
  resizeBackingStore();
  RefPtr<NSView> content = adopt(NSView::alloc()->initWithFrame(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height)));
  content->setAutoresizingMask(NSViewWidthSizable | NSViewHeightSizable);
  setContentView(content.get());
  mInitialized = true;
  return this;
}

NSWindow* NSWindow::initWithContentRect_styleMask_backing_defer_screen(NSRect contentRect, NSWindowStyleMask style,
                                                                        NSBackingStoreType backing, bool defer,
                                                                        NSScreen*) {
  return initWithContentRect_styleMask_backing_defer(contentRect, style, backing, defer);
}

void NSWindow::describe(CGWindowRegistryWindow& description) const {
  description.name = std::string(mTitle ? mTitle->UTF8String() : "");
  description.bounds = AppKitBackend::serverRectFromCocoa(mFrame);
  description.onScreen = mVisible;
  description.layer = mLevel;
  description.alpha = mAlphaValue;
  description.sharingState = CGWindowSharingType(mSharingType);
}

void NSWindow::registerWithWindowList() {
  CGWindowRegistryWindow description;
  describe(description);
  mWindowNumber = NSInteger(CGWindowRegistryAddWindow(description));
}

void NSWindow::updateWindowList() {
  if (mServerWindow || !mWindowNumber) return;
  CGWindowRegistryWindow description;
  describe(description);
  CGWindowRegistryUpdateWindow(CGWindowID(mWindowNumber), description);
}

void NSWindow::resizeBackingStore() {
  CGContextRef context = makeBackingStore(mFrame.size);
  mGraphicsContext = nullptr;
  if (!context) return;
  auto* made = new NSGraphicsContext();
  made->mContext = context;
  made->mDrawingToScreen = true;
  mGraphicsContext = adopt(made);
}

NSGraphicsContext* NSWindow::graphicsContext() { return mGraphicsContext.get(); }

void NSWindow::postNotification(NSString* name) {
  NSNotificationCenter::defaultCenter()->postNotificationName_object(name, this);
}

// Geometry.

void NSWindow::setFrame_display(NSRect frame, bool display) {
  const NSRect old = mFrame;
  mFrame = frame;
  const bool resized = !NSEqualSizes(old.size, frame.size);
  const bool moved = !NSEqualPoints(old.origin, frame.origin);
  if (!resized && !moved) return;
  RefPtr<NSWindow> self(this);
  if (mServerWindow) mServerWindow->setFrame(mFrame);
  updateWindowList();
  if (resized) {
    resizeBackingStore();
    if (mContentView) mContentView->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
    postNotification(NSWindowDidResizeNotification);
  }
  if (moved) postNotification(NSWindowDidMoveNotification);
  postGlobalFrameChange(mContentView.get());
  if (display) {
    this->display();
  } else {
    setViewsNeedDisplay(true);
  }
}

void NSWindow::setFrame_display_animate(NSRect frame, bool display, bool) { setFrame_display(frame, display); }

void NSWindow::setFrameOrigin(NSPoint origin) { setFrame_display(NSMakeRect(origin.x, origin.y, mFrame.size.width, mFrame.size.height), false); }

void NSWindow::setFrameTopLeftPoint(NSPoint point) { setFrameOrigin(NSMakePoint(point.x, point.y - mFrame.size.height)); }

void NSWindow::setContentSize(NSSize size) {
  // The top edge stays where it is, as on the platform.
  setFrame_display(NSMakeRect(mFrame.origin.x, NSMaxY(mFrame) - size.height, size.width, size.height), true);
}

void NSWindow::center() {
  NSRect area = NSScreen::mainScreen()->visibleFrame();
  setFrameOrigin(NSMakePoint(std::floor(NSMidX(area) - mFrame.size.width / 2),
                             std::floor(NSMidY(area) - mFrame.size.height / 2)));
}

void NSWindow::noteServerFrame(NSRect frame) {
  if (NSEqualRects(frame, mFrame)) return;
  const bool resized = !NSEqualSizes(frame.size, mFrame.size);
  mFrame = frame;
  if (resized) {
    resizeBackingStore();
    if (mContentView) mContentView->setFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
    display();
  }
  postNotification(NSWindowDidMoveNotification);
}

NSScreen* NSWindow::screen() const {
  NSPoint middle = NSMakePoint(NSMidX(mFrame), NSMidY(mFrame));
  for (NSObject* object : *NSScreen::screens()) {
    auto* screen = static_cast<NSScreen*>(object);
    if (NSPointInRect(middle, screen->frame())) return screen;
  }
  return NSScreen::mainScreen();
}

NSPoint NSWindow::convertBaseToScreen(NSPoint point) const {
  return NSMakePoint(point.x + mFrame.origin.x, point.y + mFrame.origin.y);
}

NSPoint NSWindow::convertScreenToBase(NSPoint point) const {
  return NSMakePoint(point.x - mFrame.origin.x, point.y - mFrame.origin.y);
}

NSRect NSWindow::convertRectToScreen(NSRect rect) const { return NSOffsetRect(rect, mFrame.origin.x, mFrame.origin.y); }

NSRect NSWindow::convertRectFromScreen(NSRect rect) const { return NSOffsetRect(rect, -mFrame.origin.x, -mFrame.origin.y); }

NSPoint NSWindow::mouseLocationOutsideOfEventStream() const { return convertScreenToBase(NSEvent::mouseLocation()); }

// Look and kind.

void NSWindow::setStyleMask(NSWindowStyleMask style) { mStyleMask = style; }

void NSWindow::setTitle(NSString* title) {
  mTitle = RefPtr<NSString>(title ? NSString::stringWithString(title) : NSString::string());
  if (mServerWindow) mServerWindow->setTitle(mTitle->UTF8String());
  updateWindowList();
}

void NSWindow::setLevel(NSWindowLevel level) {
  mLevel = level;
  if (mServerWindow) mServerWindow->setLevel(level);
  updateWindowList();
}

void NSWindow::setOpaque(bool opaque) {
  mOpaque = opaque;
  setViewsNeedDisplay(true);
}

void NSWindow::setAlphaValue(CGFloat alpha) {
  mAlphaValue = alpha;
  if (mServerWindow) mServerWindow->setAlpha(alpha);
  updateWindowList();
}

void NSWindow::setSharingType(NSWindowSharingType type) {
  if (type > NSWindowSharingReadWrite) return;
  mSharingType = type;
  if (mServerWindow) mServerWindow->setSharingState(CGWindowSharingType(type));
  updateWindowList();
}

void NSWindow::setBackgroundColor(NSColor* color) {
  mBackgroundColor = RefPtr<NSColor>(color);
  setViewsNeedDisplay(true);
}

// Content.

void NSWindow::setContentView(NSView* view) {
  RefPtr<NSView> incoming(view);
  if (incoming.get() == mContentView.get()) return;
  if (mContentView) {
    mContentView->setNextResponder(nullptr);
    mContentView->setWindowRecursively(nullptr);
  }
  if (incoming) {
    NSWindow* previous = incoming->window();
    if (previous && previous != this && previous->mContentView.get() == incoming.get()) {
      previous->mContentView = nullptr;
      previous->setViewsNeedDisplay(true);
    } else if (incoming->superview()) {
      incoming->removeFromSuperview();
    }
  }
  mContentView = incoming;
  if (mContentView) {
    mContentView->setFrame(NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height));
    mContentView->setNextResponder(this);
    mContentView->setWindowRecursively(this);
  }
  setViewsNeedDisplay(true);
}

void NSWindow::setContentViewController(NSViewController* controller) {
  mContentViewController = RefPtr<NSViewController>(controller);
  NSView* view = controller ? controller->view() : nullptr;
  if (view && mInitialized) setContentSize(view->frame().size);
  setContentView(view);
}

// Ordering.

void NSWindow::orderIn(bool front) {
  RefPtr<NSWindow> self(this);
  const bool wasVisible = mVisible;
  mVisible = true;
  NSApp->keepOrderedIn(this, true);
  if (mServerWindow) {
    if (!wasVisible) {
      mServerWindow->show();
      if (!front) mServerWindow->lower();
    } else if (front) {
      mServerWindow->raise();
    } else {
      mServerWindow->lower();
    }
  } else if (front && mWindowNumber) {
    CGWindowRegistryOrderFront(CGWindowID(mWindowNumber));
  }
  updateWindowList();
  if (!wasVisible) display();
}

void NSWindow::orderFront(NSObject*) { orderIn(true); }

void NSWindow::orderBack(NSObject*) { orderIn(false); }

void NSWindow::orderFrontRegardless() { orderIn(true); }

void NSWindow::orderWindow_relativeTo(NSWindowOrderingMode place, NSInteger) {
  if (place == NSWindowOut) {
    orderOut(nullptr);
  } else {
    orderIn(place == NSWindowAbove);
  }
}

void NSWindow::orderOut(NSObject*) {
  if (!mVisible) return;
  RefPtr<NSWindow> self(this);
  mVisible = false;
  if (mServerWindow) mServerWindow->hide();
  // From now on the server keeps what the window shows.
  flushWindow();
  updateWindowList();
  if (isKeyWindow()) NSApp->setKeyWindow(nullptr);
  NSApp->keepOrderedIn(this, false);
}

void NSWindow::makeKeyAndOrderFront(NSObject* sender) {
  orderFront(sender);
  makeKeyWindow();
}

void NSWindow::makeKeyWindow() {
  if (!canBecomeKeyWindow() || isKeyWindow()) return;
  RefPtr<NSWindow> previous(NSApp->keyWindow());
  NSApp->setKeyWindow(this);
  if (previous) previous->postNotification(NSWindowDidResignKeyNotification);
  postNotification(NSWindowDidBecomeKeyNotification);
}

bool NSWindow::isKeyWindow() const { return NSApp && NSApp->keyWindow() == this; }

bool NSWindow::canBecomeKeyWindow() const { return (mStyleMask & (NSTitledWindowMask | NSResizableWindowMask)) != 0; }

bool NSWindow::canBecomeMainWindow() const { return canBecomeKeyWindow(); }

void NSWindow::close() {
  RefPtr<NSWindow> self(this);
  postNotification(NSWindowWillCloseNotification);
  if (auto* delegate = dynamic_cast<NSWindowDelegate*>(mDelegate.get().get())) delegate->windowWillClose(this);
  orderOut(nullptr);
}

void NSWindow::performClose(NSObject*) {
  if (auto* delegate = dynamic_cast<NSWindowDelegate*>(mDelegate.get().get())) {
    if (!delegate->windowShouldClose(this)) return;
  }
  close();
}

// Responders and events.

NSResponder* NSWindow::firstResponder() const {
  if (RefPtr<NSResponder> responder = mFirstResponder.get()) return responder.get();
  return const_cast<NSWindow*>(this);
}

bool NSWindow::makeFirstResponder(NSResponder* responder) {
  NSResponder* current = firstResponder();
  if (current == responder) return true;
  if (current != this && !current->resignFirstResponder()) return false;
  if (responder && responder != this && !responder->becomeFirstResponder()) {
    mFirstResponder = nullptr;
    return false;
  }
  mFirstResponder = responder == this ? nullptr : responder;
  return true;
}

void NSWindow::sendEvent(NSEvent* event) {
  if (!event) return;
  RefPtr<NSWindow> self(this);
  switch (event->type()) {
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    case NSEventTypeOtherMouseDown: {
      if (mIgnoresMouseEvents) return;
      RefPtr<NSView> view(mContentView ? mContentView->hitTest(event->locationInWindow()) : nullptr);
      if (!isKeyWindow() && canBecomeKeyWindow()) {
        makeKeyWindow();
        // The click that makes a window key only activates it, unless the view takes it.
        if (view && !view->acceptsFirstMouse(event)) return;
      }
      mMouseDownView = view.get();
      if (view && view->acceptsFirstResponder()) makeFirstResponder(view.get());
      NSResponder* target = view ? static_cast<NSResponder*>(view.get()) : this;
      if (event->type() == NSEventTypeLeftMouseDown) {
        target->mouseDown(event);
      } else if (event->type() == NSEventTypeRightMouseDown) {
        target->rightMouseDown(event);
      } else {
        target->otherMouseDown(event);
      }
      break;
    }
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
    case NSEventTypeOtherMouseUp: {
      RefPtr<NSView> view = mMouseDownView.get();
      NSResponder* target = view ? static_cast<NSResponder*>(view.get()) : this;
      switch (event->type()) {
        case NSEventTypeLeftMouseDragged: target->mouseDragged(event); break;
        case NSEventTypeRightMouseDragged: target->rightMouseDragged(event); break;
        case NSEventTypeLeftMouseUp: target->mouseUp(event); break;
        case NSEventTypeRightMouseUp: target->rightMouseUp(event); break;
        default: target->otherMouseUp(event); break;
      }
      if (event->type() != NSEventTypeLeftMouseDragged && event->type() != NSEventTypeRightMouseDragged) {
        mMouseDownView = nullptr;
      }
      break;
    }
    case NSEventTypeMouseMoved:
      if (mAcceptsMouseMovedEvents) firstResponder()->mouseMoved(event);
      break;
    case NSEventTypeScrollWheel: {
      RefPtr<NSView> view(mContentView ? mContentView->hitTest(event->locationInWindow()) : nullptr);
      (view ? static_cast<NSResponder*>(view.get()) : this)->scrollWheel(event);
      break;
    }
    case NSEventTypeKeyDown:
      firstResponder()->keyDown(event);
      break;
    case NSEventTypeKeyUp:
      firstResponder()->keyUp(event);
      break;
    case NSEventTypeFlagsChanged:
      firstResponder()->flagsChanged(event);
      break;
    default:
      break;
  }
}

NSEvent* NSWindow::nextEventMatchingMask(unsigned long long mask) {
  return nextEventMatchingMask_untilDate_inMode_dequeue(mask, NSDate::distantFuture(), NSEventTrackingRunLoopMode, true);
}

NSEvent* NSWindow::nextEventMatchingMask_untilDate_inMode_dequeue(unsigned long long mask, NSDate* expiration,
                                                                  NSString* mode, bool dequeue) {
  return NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(mask, expiration, mode,
                                                                                           dequeue);
}

void NSWindow::postEvent_atStart(NSEvent* event, bool atStart) {
  NSApplication::sharedApplication()->postEvent_atStart(event, atStart);
}

NSEvent* NSWindow::currentEvent() const { return NSApplication::sharedApplication()->currentEvent(); }

// Drawing.

void NSWindow::setViewsNeedDisplay(bool flag) {
  mViewsNeedDisplay = flag;
  if (flag) NSApplication::sharedApplication()->scheduleDisplay();
}

void NSWindow::displayIfNeeded() {
  if (mViewsNeedDisplay) display();
}

void NSWindow::display() {
  mViewsNeedDisplay = false;
  if (!mGraphicsContext) return;
  objc::AutoreleasePool pool;
  RefPtr<NSWindow> self(this);
  CGContextRef context = mGraphicsContext->CGContext();
  const CGRect all = CGRectMake(0, 0, mFrame.size.width, mFrame.size.height);
  NSGraphicsContext::classSaveGraphicsState();
  NSGraphicsContext::setCurrentContext(mGraphicsContext.get());
  CGContextSaveGState(context);
  CGContextClearRect(context, all);
  if (mBackgroundColor && mBackgroundColor->alphaComponent() > 0) {
    CGFloat red, green, blue, alpha;
    mBackgroundColor->getRed_green_blue_alpha(&red, &green, &blue, &alpha);
    // An opaque window has no transparent pixels, whatever its background says.
    CGContextSetRGBFillColor(context, red, green, blue, mOpaque ? 1.0 : alpha);
    CGContextFillRect(context, all);
  } else if (mOpaque) {
    CGContextSetRGBFillColor(context, 0, 0, 0, 1);
    CGContextFillRect(context, all);
  }
  if (mContentView) mContentView->drawInContext(context);
  CGContextRestoreGState(context);
  NSGraphicsContext::classRestoreGraphicsState();
  if (mContentView) mContentView->clearNeedsDisplayRecursively();
  flushWindow();
}

void NSWindow::flushWindow() {
  if (!mServerWindow || !mGraphicsContext) return;
  CGContextRef context = mGraphicsContext->CGContext();
  const auto* pixels = static_cast<const uint8_t*>(CGBitmapContextGetData(context));
  const size_t width = CGBitmapContextGetWidth(context), height = CGBitmapContextGetHeight(context);
  const size_t bytesPerRow = CGBitmapContextGetBytesPerRow(context);
  if (mVisible) {
    mServerWindow->putImage(pixels, width, height, bytesPerRow);
  } else {
    mServerWindow->keepOffScreenImage(pixels, width, height, bytesPerRow);
  }
}
