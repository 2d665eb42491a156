#include <AppKit/NSView.h>

#include <algorithm>

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>

NSString* const NSViewFrameDidChangeNotification = NSSTR("NSViewFrameDidChangeNotification");
NSString* const NSViewBoundsDidChangeNotification = NSSTR("NSViewBoundsDidChangeNotification");
NSString* const NSViewGlobalFrameDidChangeNotification = NSSTR("NSViewGlobalFrameDidChangeNotification");

OBJC_CLASS_DEFINE(NSView)
NS_PROPERTIES(NSView,
              NS_PROPERTY("hidden", &NSView::isHidden, &NSView::setHidden),
              NS_PROPERTY("toolTip", &NSView::toolTip, &NSView::setToolTip),
              NS_PROPERTY("tag", &NSView::tag, &NSView::setTag),
              NS_READONLY_PROPERTY("superview", &NSView::superview),
              NS_READONLY_PROPERTY("window", &NSView::window))

namespace {

CGPoint apply(CGPoint p, const CGAffineTransform& t) { return CGPointApplyAffineTransform(p, t); }

CGRect applyToRect(CGRect r, const CGAffineTransform& t) {
  CGPoint corners[4] = {apply(r.origin, t), apply(CGPointMake(NSMaxX(r), NSMinY(r)), t),
                        apply(CGPointMake(NSMinX(r), NSMaxY(r)), t), apply(CGPointMake(NSMaxX(r), NSMaxY(r)), t)};
  CGFloat minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
  for (const CGPoint& c : corners) {
    minX = std::min(minX, c.x);
    maxX = std::max(maxX, c.x);
    minY = std::min(minY, c.y);
    maxY = std::max(maxY, c.y);
  }
  return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

// The size change `delta` shared among the flexible parts of one axis.
void distribute(CGFloat delta, bool flexible[3], CGFloat sizes[3], CGFloat shares[3]) {
  int count = 0;
  CGFloat total = 0;
  for (int i = 0; i < 3; ++i) {
    shares[i] = 0;
    if (!flexible[i]) continue;
    ++count;
    total += std::max<CGFloat>(0, sizes[i]);
  }
  if (count == 0) return;
  for (int i = 0; i < 3; ++i) {
    if (!flexible[i]) continue;
    shares[i] = total > 0 ? delta * std::max<CGFloat>(0, sizes[i]) / total : delta / count;
  }
}

}  // namespace

NSView::~NSView() = default;

NSObject* NSView::init() { return initWithFrame(NSZeroRect); }

NSView* NSView::initWithFrame(NSRect frame) {
  mFrame = frame;
  mBounds = NSMakeRect(0, 0, frame.size.width, frame.size.height);
  return this;
}

NSObject* NSView::initWithCoder(NSCoder* coder) {
  if (auto* text = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("frame")))) mFrame = NSRectFromString(text);
  mBounds = NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height);
  if (auto* text = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("bounds")))) mBounds = NSRectFromString(text);
  mAutoresizingMask = NSAutoresizingMaskOptions(coder->decodeIntegerForKey(NSSTR("autoresizingMask")));
  if (coder->containsValueForKey(NSSTR("autoresizesSubviews"))) {
    mAutoresizesSubviews = coder->decodeBoolForKey(NSSTR("autoresizesSubviews"));
  }
  mHidden = coder->decodeBoolForKey(NSSTR("hidden"));
  if (auto* tip = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("toolTip")))) setToolTip(tip);
  if (coder->containsValueForKey(NSSTR("tag"))) mTag = coder->decodeIntegerForKey(NSSTR("tag"));
  if (auto* subviews = NSDynamicCast<NSArray>(coder->decodeObjectForKey(NSSTR("subviews")))) {
    for (NSObject* object : *subviews) {
      if (auto* view = NSDynamicCast<NSView>(object)) addSubview(view);
    }
  }
  return this;
}

// Geometry.

void NSView::setFrame(NSRect frame) {
  setFrameOrigin(frame.origin);
  setFrameSize(frame.size);
}

void NSView::setFrameOrigin(NSPoint origin) {
  if (NSEqualPoints(origin, mFrame.origin)) return;
  mFrame.origin = origin;
  frameDidChange(mFrame.size);
}

void NSView::setFrameSize(NSSize size) {
  if (NSEqualSizes(size, mFrame.size)) return;
  const NSSize old = mFrame.size;
  // Unless the bounds were scaled apart from the frame, they follow its size.
  if (NSEqualSizes(mBounds.size, old)) mBounds.size = size;
  mFrame.size = size;
  if (mAutoresizesSubviews) resizeSubviewsWithOldSize(old);
  frameDidChange(old);
}

void NSView::frameDidChange(NSSize) {
  if (mWindow) renewGState();
  postFrameNotification();
  setNeedsDisplay(true);
  if (RefPtr<NSView> parent = mSuperview.get()) parent->setNeedsDisplay(true);
}

void NSView::postFrameNotification() {
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  if (mPostsFrameChanged) center->postNotificationName_object(NSViewFrameDidChangeNotification, this);
  if (mWindow) center->postNotificationName_object(NSViewGlobalFrameDidChangeNotification, this);
}

void NSView::setBounds(NSRect bounds) {
  mBounds = bounds;
  if (mPostsFrameChanged) {
    NSNotificationCenter::defaultCenter()->postNotificationName_object(NSViewBoundsDidChangeNotification, this);
  }
  setNeedsDisplay(true);
}

void NSView::setBoundsOrigin(NSPoint origin) { setBounds(NSMakeRect(origin.x, origin.y, mBounds.size.width, mBounds.size.height)); }

void NSView::setBoundsSize(NSSize size) { setBounds(NSMakeRect(mBounds.origin.x, mBounds.origin.y, size.width, size.height)); }

void NSView::resizeSubviewsWithOldSize(NSSize oldSize) {
  std::vector<RefPtr<NSView>> subviews = mSubviews;
  for (const RefPtr<NSView>& subview : subviews) subview->resizeWithOldSuperviewSize(oldSize);
}

void NSView::resizeWithOldSuperviewSize(NSSize oldSize) {
  RefPtr<NSView> parent = mSuperview.get();
  if (!parent || mAutoresizingMask == NSViewNotSizable) return;
  const NSSize now = parent->bounds().size;
  NSRect frame = mFrame;
  {
    bool flexible[3] = {bool(mAutoresizingMask & NSViewMinXMargin), bool(mAutoresizingMask & NSViewWidthSizable),
                        bool(mAutoresizingMask & NSViewMaxXMargin)};
    CGFloat sizes[3] = {mFrame.origin.x, mFrame.size.width, oldSize.width - NSMaxX(mFrame)};
    CGFloat shares[3];
    distribute(now.width - oldSize.width, flexible, sizes, shares);
    frame.origin.x += shares[0];
    frame.size.width += shares[1];
  }
  {
    bool flexible[3] = {bool(mAutoresizingMask & NSViewMinYMargin), bool(mAutoresizingMask & NSViewHeightSizable),
                        bool(mAutoresizingMask & NSViewMaxYMargin)};
    CGFloat sizes[3] = {mFrame.origin.y, mFrame.size.height, oldSize.height - NSMaxY(mFrame)};
    CGFloat shares[3];
    distribute(now.height - oldSize.height, flexible, sizes, shares);
    frame.origin.y += shares[0];
    frame.size.height += shares[1];
  }
  frame.size.width = std::max<CGFloat>(0, frame.size.width);
  frame.size.height = std::max<CGFloat>(0, frame.size.height);
  setFrame(frame);
}

// The tree.

NSWindow* NSView::window() const { return mWindow.get().get(); }

NSArray* NSView::subviews() const {
  NSMutableArray* subviews = NSMutableArray::arrayWithCapacity(mSubviews.size());
  for (const RefPtr<NSView>& subview : mSubviews) subviews->addObject(subview.get());
  return subviews;
}

bool NSView::isDescendantOf(const NSView* view) const {
  for (const NSView* v = this; v; v = v->superview()) {
    if (v == view) return true;
  }
  return false;
}

void NSView::addSubview(NSView* view) {
  if (!view || view == this || isDescendantOf(view)) return;
  RefPtr<NSView> child(view);
  if (child->superview()) child->removeFromSuperview();
  child->viewWillMoveToSuperview(this);
  mSubviews.push_back(child);
  child->mSuperview = this;
  child->setNextResponder(this);
  child->setWindowRecursively(window());
  child->viewDidMoveToSuperview();
  didAddSubview(child.get());
  child->setNeedsDisplay(true);
}

void NSView::removeFromSuperview() {
  RefPtr<NSView> parent = mSuperview.get();
  if (!parent) return;
  RefPtr<NSView> self(this);
  parent->willRemoveSubview(this);
  viewWillMoveToSuperview(nullptr);
  std::erase_if(parent->mSubviews, [this](const RefPtr<NSView>& entry) { return entry.get() == this; });
  mSuperview = nullptr;
  setNextResponder(nullptr);
  setWindowRecursively(nullptr);
  viewDidMoveToSuperview();
  parent->setNeedsDisplay(true);
}

void NSView::setWindowRecursively(NSWindow* window) {
  const bool changed = !(window ? mWindow.refersTo(window) : !mWindow);
  if (changed) {
    viewWillMoveToWindow(window);
    if (NSWindow* old = mWindow.get().get(); old && old->firstResponder() == this) old->makeFirstResponder(nullptr);
    mWindow = window;
  }
  std::vector<RefPtr<NSView>> subviews = mSubviews;
  for (const RefPtr<NSView>& subview : subviews) subview->setWindowRecursively(window);
  if (changed) viewDidMoveToWindow();
}

// State.

void NSView::setHidden(bool hidden) {
  if (mHidden == hidden) return;
  mHidden = hidden;
  if (RefPtr<NSView> parent = mSuperview.get()) {
    parent->setNeedsDisplay(true);
  } else if (RefPtr<NSWindow> window = mWindow.get()) {
    window->setViewsNeedDisplay(true);
  }
}

bool NSView::isHiddenOrHasHiddenAncestor() const {
  for (const NSView* v = this; v; v = v->superview()) {
    if (v->isHidden()) return true;
  }
  return false;
}

void NSView::setToolTip(NSString* toolTip) {
  mToolTip = RefPtr<NSString>(toolTip ? NSString::stringWithString(toolTip) : nullptr);
}

// Coordinates.

CGAffineTransform NSView::transformToSuperview() const {
  const CGFloat sx = mBounds.size.width != 0 ? mFrame.size.width / mBounds.size.width : 1;
  const CGFloat sy = mBounds.size.height != 0 ? mFrame.size.height / mBounds.size.height : 1;
  if (isFlipped()) {
    return CGAffineTransformMake(sx, 0, 0, -sy, mFrame.origin.x - sx * mBounds.origin.x,
                                 mFrame.origin.y + mFrame.size.height + sy * mBounds.origin.y);
  }
  return CGAffineTransformMake(sx, 0, 0, sy, mFrame.origin.x - sx * mBounds.origin.x,
                               mFrame.origin.y - sy * mBounds.origin.y);
}

CGAffineTransform NSView::transformToBase() const {
  CGAffineTransform transform = transformToSuperview();
  for (const NSView* v = superview(); v; v = v->superview()) {
    transform = CGAffineTransformConcat(transform, v->transformToSuperview());
  }
  return transform;
}

NSPoint NSView::convertPoint_fromView(NSPoint point, const NSView* view) const {
  NSPoint base = view ? apply(point, view->transformToBase()) : point;
  return apply(base, CGAffineTransformInvert(transformToBase()));
}

NSPoint NSView::convertPoint_toView(NSPoint point, const NSView* view) const {
  NSPoint base = apply(point, transformToBase());
  return view ? apply(base, CGAffineTransformInvert(view->transformToBase())) : base;
}

NSRect NSView::convertRect_fromView(NSRect rect, const NSView* view) const {
  NSRect base = view ? applyToRect(rect, view->transformToBase()) : rect;
  return applyToRect(base, CGAffineTransformInvert(transformToBase()));
}

NSRect NSView::convertRect_toView(NSRect rect, const NSView* view) const {
  NSRect base = applyToRect(rect, transformToBase());
  return view ? applyToRect(base, CGAffineTransformInvert(view->transformToBase())) : base;
}

NSSize NSView::convertSize_fromView(NSSize size, const NSView* view) const {
  NSRect rect = convertRect_fromView(NSMakeRect(0, 0, size.width, size.height), view);
  return rect.size;
}

// Events.

NSView* NSView::hitTest(NSPoint point) {
  if (mHidden) return nullptr;
  NSPoint local = apply(point, CGAffineTransformInvert(transformToSuperview()));
  if (!NSMouseInRect(local, mBounds, isFlipped())) return nullptr;
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it) {
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  }
  return this;
}

// Drawing.

void NSView::setNeedsDisplay(bool flag) {
  mNeedsDisplay = flag;
  if (!flag) return;
  if (RefPtr<NSWindow> window = mWindow.get()) window->setViewsNeedDisplay(true);
}

void NSView::clearNeedsDisplayRecursively() {
  mNeedsDisplay = false;
  for (const RefPtr<NSView>& subview : mSubviews) subview->clearNeedsDisplayRecursively();
}

void NSView::display() {
  // A view is drawn with everything behind it: the window draws its whole tree.
  if (RefPtr<NSWindow> window = mWindow.get()) window->display();
}

void NSView::displayIfNeeded() {
  if (RefPtr<NSWindow> window = mWindow.get()) window->displayIfNeeded();
}

void NSView::drawInContext(CGContextRef context) {
  if (mHidden) return;
  CGContextSaveGState(context);
  CGContextConcatCTM(context, transformToSuperview());
  CGContextClipToRect(context, mBounds);
  NSGraphicsContext* previous = NSGraphicsContext::currentContext();
  RefPtr<NSGraphicsContext> keepPrevious(previous);
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithCGContext_flipped(context, isFlipped()));
  CGContextSaveGState(context);
  drawRect(mBounds);
  CGContextRestoreGState(context);
  mNeedsDisplay = false;
  std::vector<RefPtr<NSView>> subviews = mSubviews;
  for (const RefPtr<NSView>& subview : subviews) subview->drawInContext(context);
  NSGraphicsContext::setCurrentContext(keepPrevious.get());
  CGContextRestoreGState(context);
}

NSRect NSView::visibleRect() const {
  if (!mWindow) return NSZeroRect;
  NSRect visible = convertRect_toView(mBounds, nullptr);
  for (const NSView* v = superview(); v; v = v->superview()) {
    visible = NSIntersectionRect(visible, v->convertRect_toView(v->bounds(), nullptr));
  }
  return convertRect_fromView(visible, nullptr);
}

bool NSView::canDraw() const {
  RefPtr<NSWindow> window = mWindow.get();
  return window && window->graphicsContext() && !isHiddenOrHasHiddenAncestor();
}

bool NSView::lockFocusIfCanDraw() {
  if (!canDraw() || mFocusLocked) return false;
  RefPtr<NSWindow> window = mWindow.get();
  CGContextRef context = window->graphicsContext()->CGContext();
  NSGraphicsContext::classSaveGraphicsState();
  CGContextSaveGState(context);
  // The clips of every ancestor, then this view's coordinates.
  std::vector<const NSView*> chain;
  for (const NSView* v = this; v; v = v->superview()) chain.push_back(v);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    CGContextConcatCTM(context, (*it)->transformToSuperview());
    CGContextClipToRect(context, (*it)->bounds());
  }
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithCGContext_flipped(context, isFlipped()));
  mFocusLocked = true;
  return true;
}

void NSView::lockFocus() { lockFocusIfCanDraw(); }

void NSView::unlockFocus() {
  if (!mFocusLocked) return;
  mFocusLocked = false;
  if (RefPtr<NSWindow> window = mWindow.get(); window && window->graphicsContext()) {
    CGContextRestoreGState(window->graphicsContext()->CGContext());
  }
  NSGraphicsContext::classRestoreGraphicsState();
}

NSRect NSView::convertRectToBacking(NSRect rect) const {
  RefPtr<NSWindow> window = mWindow.get();
  const CGFloat scale = window ? window->backingScaleFactor() : 1.0;
  return NSMakeRect(rect.origin.x * scale, rect.origin.y * scale, rect.size.width * scale, rect.size.height * scale);
}

// Drag destinations.

void NSView::registerForDraggedTypes(NSArray* types) {
  NSMutableArray* all = mDraggedTypes ? mDraggedTypes->mutableCopy() : NSMutableArray::array()->mutableCopy();
  RefPtr<NSMutableArray> merged = adopt(all);
  if (types) {
    for (NSObject* type : *types) {
      if (!merged->containsObject(type)) merged->addObject(type);
    }
  }
  mDraggedTypes = RefPtr<NSArray>(merged.get());
}

void NSView::unregisterDraggedTypes() { mDraggedTypes = nullptr; }

NSArray* NSView::registeredDraggedTypes() const { return mDraggedTypes ? mDraggedTypes.get() : NSArray::array(); }
