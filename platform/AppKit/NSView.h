#pragma once
// Views: rectangles of a window that draw themselves and take events, in a tree.
//
// A view's frame is its rectangle in its superview's coordinates, its bounds the same
// rectangle in its own; a flipped view's y axis runs downwards from its top. Views are
// made in code with initWithFrame or from a nib with initWithCoder, which reads the keys
// "frame" (a rectangle text, "{{x, y}, {w, h}}"), "bounds", "autoresizingMask", "hidden",
// "toolTip", "tag" and "subviews" (an array of views).
//
// Drawing: setNeedsDisplay marks the window, which redraws its views into its backing store
// before the main run loop next waits (displayIfNeeded); drawRect runs with the current
// NSGraphicsContext set up for the view: its coordinates, clipped to its bounds.
#include <vector>

#include <CoreGraphics/CGContext.h>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSGeometry.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSResponder.h>

class NSArray;
class NSCoder;
class NSEvent;
class NSWindow;

typedef NSUInteger NSAutoresizingMaskOptions;
enum : NSUInteger {
  NSViewNotSizable = 0,
  NSViewMinXMargin = 1,
  NSViewWidthSizable = 2,
  NSViewMaxXMargin = 4,
  NSViewMinYMargin = 8,
  NSViewHeightSizable = 16,
  NSViewMaxYMargin = 32,
};

APPKIT_EXPORT NSString* const NSViewFrameDidChangeNotification;
APPKIT_EXPORT NSString* const NSViewBoundsDidChangeNotification;
APPKIT_EXPORT NSString* const NSViewGlobalFrameDidChangeNotification;

class APPKIT_CLASS NSView : public NSResponder {
  OBJC_CLASS_DECL(NSView, NSResponder)

 public:
  NSObject* init() override;
  virtual NSView* initWithFrame(NSRect frame);
  NSObject* initWithCoder(NSCoder* coder) override;

  // Geometry.
  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return mBounds; }
  virtual void setFrame(NSRect frame);
  virtual void setFrameOrigin(NSPoint origin);
  virtual void setFrameSize(NSSize size);
  virtual void setBounds(NSRect bounds);
  void setBoundsOrigin(NSPoint origin);
  void setBoundsSize(NSSize size);
  virtual bool isFlipped() const { return false; }
  virtual bool isOpaque() const { return false; }

  // The tree. Subviews are kept; the superview and window are not.
  NSView* superview() const { return mSuperview.get().get(); }
  NSWindow* window() const;
  // Autoreleased copy of the subviews, back to front.
  NSArray* subviews() const;
  NSUInteger subviewCount() const { return mSubviews.size(); }
  void addSubview(NSView* view);
  void removeFromSuperview();
  bool isDescendantOf(const NSView* view) const;
  virtual void viewWillMoveToWindow(NSWindow* window) {}
  virtual void viewDidMoveToWindow() {}
  virtual void viewWillMoveToSuperview(NSView* superview) {}
  virtual void viewDidMoveToSuperview() {}
  virtual void didAddSubview(NSView* subview) {}
  virtual void willRemoveSubview(NSView* subview) {}

  // Autoresizing.
  NSAutoresizingMaskOptions autoresizingMask() const { return mAutoresizingMask; }
  void setAutoresizingMask(NSAutoresizingMaskOptions mask) { mAutoresizingMask = mask; }
  bool autoresizesSubviews() const { return mAutoresizesSubviews; }
  void setAutoresizesSubviews(bool value) { mAutoresizesSubviews = value; }
  // Adapts the frame to the superview's size change by the mask: the difference between the
  // superview's size now and oldSize goes to the flexible parts, shared in proportion to
  // their sizes (evenly when they are all zero).
  virtual void resizeWithOldSuperviewSize(NSSize oldSize);
  virtual void resizeSubviewsWithOldSize(NSSize oldSize);

  // State.
  bool isHidden() const { return mHidden; }
  virtual void setHidden(bool hidden);
  bool isHiddenOrHasHiddenAncestor() const;
  NSString* toolTip() const { return mToolTip.get(); }
  virtual void setToolTip(NSString* toolTip);
  virtual NSInteger tag() const { return mTag; }
  virtual void setTag(NSInteger tag) { mTag = tag; }
  virtual NSFocusRingType focusRingType() const { return mFocusRingType; }
  void setFocusRingType(NSFocusRingType type) { mFocusRingType = type; }
  bool postsFrameChangedNotifications() const { return mPostsFrameChanged; }
  void setPostsFrameChangedNotifications(bool value) { mPostsFrameChanged = value; }

  // Coordinates. A null view means the window's base coordinates.
  NSPoint convertPoint_fromView(NSPoint point, const NSView* view) const;
  NSPoint convertPoint_toView(NSPoint point, const NSView* view) const;
  NSRect convertRect_fromView(NSRect rect, const NSView* view) const;
  NSRect convertRect_toView(NSRect rect, const NSView* view) const;
  NSSize convertSize_fromView(NSSize size, const NSView* view) const;
  NSRect convertRectToBase(NSRect rect) const { return convertRect_toView(rect, nullptr); }
  NSPoint convertPointToBase(NSPoint point) const { return convertPoint_toView(point, nullptr); }
  NSRect convertRectFromBase(NSRect rect) const { return convertRect_fromView(rect, nullptr); }
  NSPoint convertPointFromBase(NSPoint point) const { return convertPoint_fromView(point, nullptr); }
  // The rectangle in the pixels of the window's backing store (its scale times the points).
  NSRect convertRectToBacking(NSRect rect) const;

  // Events. hitTest takes a point in the superview's coordinates.
  virtual NSView* hitTest(NSPoint point);
  bool mouse_inRect(NSPoint point, NSRect rect) const { return NSMouseInRect(point, rect, isFlipped()); }
  virtual bool acceptsFirstMouse(NSEvent* event) { return false; }

  // Drawing.
  bool needsDisplay() const { return mNeedsDisplay; }
  virtual void setNeedsDisplay(bool flag);
  virtual void setNeedsDisplayInRect(NSRect rect) { setNeedsDisplay(!NSIsEmptyRect(rect)); }
  virtual void drawRect(NSRect dirtyRect) {}
  // Draws the view and its subviews into the window's backing store now.
  void display();
  void displayIfNeeded();
  NSRect visibleRect() const;
  // Makes the current graphics context draw in this view's coordinates, clipped to its
  // bounds (in its window), until unlockFocus.
  bool lockFocusIfCanDraw();
  virtual void lockFocus();
  void unlockFocus();
  bool canDraw() const;
  // Called when the view's place in its window changed (moved or resized, in a window).
  virtual void renewGState() {}

  // Live resize: a view hears when the user starts and ends resizing its window.
  virtual void viewWillStartLiveResize() {}
  virtual void viewDidEndLiveResize() {}

  // Layers are not offered here: a view always draws into its window's backing store, so a
  // view's wish for a layer is only recorded.
  bool wantsLayer() const { return mWantsLayer; }
  void setWantsLayer(bool wants) { mWantsLayer = wants; }
  // OpenGL drawables of the view at the backing store's full resolution (one pixel a point
  // here, so the wish changes no size).
  bool wantsBestResolutionOpenGLSurface() const { return mWantsBestResolutionOpenGLSurface; }
  void setWantsBestResolutionOpenGLSurface(bool wants) { mWantsBestResolutionOpenGLSurface = wants; }

  // Drag destinations: the pasteboard types the view takes.
  void registerForDraggedTypes(NSArray* types);
  void unregisterDraggedTypes();
  NSArray* registeredDraggedTypes() const;

  // The transform from this view's coordinates to its window's base coordinates.
  APPKIT_PRIVATE CGAffineTransform transformToBase() const;
  // Draws the view and its subviews with the context's state set to the superview's space.
  APPKIT_PRIVATE void drawInContext(CGContextRef context);
  // The window of this view and every view below it, as the tree moves.
  APPKIT_PRIVATE void setWindowRecursively(NSWindow* window);
  APPKIT_PRIVATE void clearNeedsDisplayRecursively();

 protected:
  NSView() = default;
  ~NSView() override;

 private:
  CGAffineTransform transformToSuperview() const;
  void frameDidChange(NSSize oldSize);
  void postFrameNotification();

  NSRect mFrame{};
  NSRect mBounds{};
  WeakPtr<NSView> mSuperview;
  WeakPtr<NSWindow> mWindow;
  std::vector<RefPtr<NSView>> mSubviews;
  NSAutoresizingMaskOptions mAutoresizingMask = NSViewNotSizable;
  bool mAutoresizesSubviews = true;
  bool mHidden = false;
  bool mNeedsDisplay = false;
  bool mPostsFrameChanged = false;
  bool mFocusLocked = false;
  bool mWantsLayer = false;
  bool mWantsBestResolutionOpenGLSurface = false;
  NSInteger mTag = -1;
  NSFocusRingType mFocusRingType = NSFocusRingTypeDefault;
  RefPtr<NSString> mToolTip;
  RefPtr<NSArray> mDraggedTypes;
};
