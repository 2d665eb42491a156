#include "NSUIDisplayLinkViewController.h"

#include <AppKit/NSView.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>

#include <algorithm>

OBJC_CLASS_DEFINE(NSUIDisplayLinkViewController)
OBJC_CLASS_DEFINE(NSUIDisplayLinkViewControllerProxy)

NS_PROPERTIES(NSUIDisplayLinkViewControllerProxy,
              NS_PROPERTY("displayLinkViewController", &NSUIDisplayLinkViewControllerProxy::displayLinkViewController,
                          &NSUIDisplayLinkViewControllerProxy::setDisplayLinkViewController))

namespace {

NSUIDisplayLinkViewDelegate* viewDelegateOf(NSObject* view) { return dynamic_cast<NSUIDisplayLinkViewDelegate*>(view); }

// The drawable lock held for a scope once taken; given back also when an exception passes.
class LockedDrawable {
 public:
  LockedDrawable(NSUIDisplayLinkViewDelegate* view, NSObject* link)
      : mView(view), mLink(link), mLocked(view->displayLinkLockDrawable(link)) {}
  ~LockedDrawable() {
    if (mLocked) mView->displayLinkUnlockDrawable(mLink);
  }
  LockedDrawable(const LockedDrawable&) = delete;
  LockedDrawable& operator=(const LockedDrawable&) = delete;
  bool locked() const { return mLocked; }

 private:
  NSUIDisplayLinkViewDelegate* mView;
  NSObject* mLink;
  bool mLocked;
};

}  // namespace

NSObject* NSUIDisplayLinkViewController::init() {
  NSUIDisplayLink::init();
  setDelegate(nullptr);
  setSlaves({});
  __mainQueueTarget = dispatch_queue_create("NSUIDisplayLinkViewController_MainThread", nullptr);
  dispatch_set_target_queue(__mainQueueTarget, dispatch_get_main_queue());
  return this;
}

std::vector<RefPtr<NSObject>> NSUIDisplayLinkViewController::slaveDelegates() const {
  std::lock_guard<std::mutex> lock(mSlavesMutex);
  return __slaves;
}

void NSUIDisplayLinkViewController::setSlaves(std::vector<RefPtr<NSObject>> slaves) {
  std::lock_guard<std::mutex> lock(mSlavesMutex);
  std::swap(__slaves, slaves);
}

std::vector<RefPtr<NSObject>> NSUIDisplayLinkViewController::allDelegates() const {
  std::vector<RefPtr<NSObject>> all = slaveDelegates();
  if (RefPtr<NSObject> master = delegate()) all.insert(all.begin(), master);
  return all;
}

bool NSUIDisplayLinkViewController::isMasterDisplayLinkViewDelegate(NSObject* view) {
  return view && mMasterIdentity.load() == view;
}

void NSUIDisplayLinkViewController::setMasterDisplayLinkViewDelegate(NSObject* view) {
  __delegate = view;
  mMasterIdentity = view;
}

void NSUIDisplayLinkViewController::addSlaveDisplayLinkViewDelegate(NSObject* view) {
  if (!view || isMasterDisplayLinkViewDelegate(view)) return;
  std::lock_guard<std::mutex> lock(mSlavesMutex);
  if (std::find(__slaves.begin(), __slaves.end(), RefPtr<NSObject>(view)) == __slaves.end())
    __slaves.push_back(RefPtr<NSObject>(view));
}

void NSUIDisplayLinkViewController::observeMaster(bool observe) {
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  if (mMasterObserver) {
    center->removeObserver(mMasterObserver.get());
    mMasterObserver = nullptr;
  }
  RefPtr<NSObject> master = delegate();
  if (!observe || !master) return;
  WeakPtr<NSUIDisplayLinkViewController> weakSelf(this);
  mMasterObserver = RefPtr<NSObject>(center->addObserverForName_object_queue_usingBlock(
      NSViewGlobalFrameDidChangeNotification, master.get(), nullptr, [weakSelf](NSNotification* notification) {
        if (RefPtr<NSUIDisplayLinkViewController> self = weakSelf.get())
          self->viewDidChangeDisplays(reinterpret_cast<NSObject*>(notification));
      }));
}

bool NSUIDisplayLinkViewController::startDisplayLinkDelegate(NSObject* view) {
  if (!isMasterDisplayLinkViewDelegate(view)) return false;
  if (NSUIDisplayLinkViewDelegate* master = viewDelegateOf(view))
    setDisplayLinkDisplayToWindowDisplay(master->displayLinkViewWindow());
  observeMaster(true);
  return startDisplayLink();
}

bool NSUIDisplayLinkViewController::startDisplayLinkDelegate_context_pixelFormat(NSObject* view,
                                                                                 CGLContextObj context,
                                                                                 CGLPixelFormatObj pixelFormat) {
  if (!displayLink() || !context || !pixelFormat) return false;
  setDisplayLinkDisplayWithCGLContext_pixelFormat(context, pixelFormat);
  return startDisplayLinkDelegate(view);
}

bool NSUIDisplayLinkViewController::stopDisplayLinkDelegate(NSObject* view) {
  if (!isMasterDisplayLinkViewDelegate(view)) return false;
  // A master that is going is forgotten, so that no later object at its address passes for it.
  if (!delegate()) mMasterIdentity = nullptr;
  return stopDisplayLink();
}

bool NSUIDisplayLinkViewController::stopDisplayLinkNotifyDelegates(bool notify) {
  if (notify) delegatedDisplayLinkChangedFromAnyThread();
  observeMaster(false);
  return stopDisplayLink();
}

void NSUIDisplayLinkViewController::createDisplayLinkSelf() {
  if (displayLink()) delegatedDisplayLinkChangedFromAnyThread();
}

bool NSUIDisplayLinkViewController::startDisplayLinkSelf() {
  const bool started = NSUIDisplayLink::startDisplayLinkSelf();
  if (started) delegatedDisplayLinkChangedFromAnyThread();
  return started;
}

void NSUIDisplayLinkViewController::viewDidChangeDisplays(NSObject*) {
  RefPtr<NSObject> master = delegate();
  if (NSUIDisplayLinkViewDelegate* view = viewDelegateOf(master.get()))
    setDisplayLinkDisplayToWindowDisplay(view->displayLinkViewWindow());
  for (const RefPtr<NSObject>& each : allDelegates())
    if (NSUIDisplayLinkViewDelegate* view = viewDelegateOf(each.get())) view->setDisplayLinkRenderContextUpdateNeeded(true);
}

void NSUIDisplayLinkViewController::delegatedDisplayLinkChangedFromAnyThread() {
  for (const RefPtr<NSObject>& each : allDelegates()) callDisplayLinkDelegateChangedWithUnlockedDrawable(each.get());
}

void NSUIDisplayLinkViewController::callDisplayLinkDelegateChangedWithUnlockedDrawable(NSObject* object) {
  NSUIDisplayLinkViewDelegate* view = viewDelegateOf(object);
  if (!view) return;
  LockedDrawable drawable(view, this);
  if (drawable.locked()) view->displayLinkChanged(this);
}

CVReturn NSUIDisplayLinkViewController::displayLinkOutputForTime(const CVTimeStamp* outputTime) {
  NSInteger pending = 0;
  for (const RefPtr<NSObject>& each : allDelegates()) {
    callDisplayLinkDelegate_withOutputForTime(each.get(), outputTime);
    if (NSUIDisplayLinkViewDelegate* view = viewDelegateOf(each.get()))
      pending += view->displayLinkHasMainThreadOperationsPending();
  }
  if (pending >= 1) {
    // The block keeps no controller alive: one that went meanwhile is not reached.
    WeakPtr<NSUIDisplayLinkViewController> weakSelf(this);
    dispatchBlockOnMainThread([weakSelf] {
      if (RefPtr<NSUIDisplayLinkViewController> self = weakSelf.get()) self->callDisplayLinkDelegatesOnMainThread();
    });
  }
  return kCVReturnSuccess;
}

void NSUIDisplayLinkViewController::callDisplayLinkDelegate_withOutputForTime(NSObject* object,
                                                                             const CVTimeStamp* outputTime) {
  NSUIDisplayLinkViewDelegate* view = viewDelegateOf(object);
  if (!view || object == reinterpret_cast<const NSObject*>(kCFNull)) return;
  LockedDrawable drawable(view, this);
  if (!drawable.locked()) return;
  if (view->displayLink_shouldRenderForTime(this, outputTime)) {
    view->displayLink_renderForTime(this, outputTime);
    view->displayLinkFlushDrawable(this);
  }
}

void NSUIDisplayLinkViewController::callDisplayLinkDelegatesOnMainThread() {
  for (const RefPtr<NSObject>& each : allDelegates()) {
    NSUIDisplayLinkViewDelegate* view = viewDelegateOf(each.get());
    if (view && view->displayLinkHasMainThreadOperationsPending() != 0) callDisplayLinkDelegateOnMainThread(each.get());
  }
}

void NSUIDisplayLinkViewController::callDisplayLinkDelegateOnMainThread(NSObject* object) {
  NSUIDisplayLinkViewDelegate* view = viewDelegateOf(object);
  if (!view) return;
  LockedDrawable drawable(view, this);
  if (drawable.locked()) view->displayLinkMainThreadOperation();
}

void NSUIDisplayLinkViewController::dispatchBlockOnMainThread(dispatch_block_t block) {
  if (__mainQueueTarget) dispatch_async(__mainQueueTarget, block);
}

void NSUIDisplayLinkViewController::dealloc() {
  stopDisplayLinkNotifyDelegates(false);
  setDelegate(nullptr);
  setSlaves({});
  if (__mainQueueTarget) {
    // No wait for the queue: it runs on the main thread, which may itself be waiting for this
    // release (released there, or joining the thread that releases). Blocks still queued hold
    // no controller: they find none and do nothing.
    dispatch_release(__mainQueueTarget);
    __mainQueueTarget = nullptr;
  }
  NSUIDisplayLink::dealloc();
}

NSObject* NSUIDisplayLinkViewControllerProxy::displayLinkObject() {
  RefPtr<NSUIDisplayLinkViewController> controller = displayLinkViewController();
  return controller ? controller->displayLinkObject() : nullptr;
}

bool NSUIDisplayLinkViewControllerProxy::isMasterDisplayLinkViewDelegate(NSObject* view) {
  RefPtr<NSUIDisplayLinkViewController> controller = displayLinkViewController();
  return controller && controller->isMasterDisplayLinkViewDelegate(view);
}

void NSUIDisplayLinkViewControllerProxy::setMasterDisplayLinkViewDelegate(NSObject* view) {
  if (RefPtr<NSUIDisplayLinkViewController> controller = displayLinkViewController())
    controller->setMasterDisplayLinkViewDelegate(view);
}

void NSUIDisplayLinkViewControllerProxy::addSlaveDisplayLinkViewDelegate(NSObject* view) {
  if (RefPtr<NSUIDisplayLinkViewController> controller = displayLinkViewController())
    controller->addSlaveDisplayLinkViewDelegate(view);
}

bool NSUIDisplayLinkViewControllerProxy::startDisplayLinkDelegate(NSObject* view) {
  RefPtr<NSUIDisplayLinkViewController> controller = displayLinkViewController();
  return controller && controller->startDisplayLinkDelegate(view);
}

bool NSUIDisplayLinkViewControllerProxy::stopDisplayLinkDelegate(NSObject* view) {
  RefPtr<NSUIDisplayLinkViewController> controller = displayLinkViewController();
  return controller && controller->stopDisplayLinkDelegate(view);
}
