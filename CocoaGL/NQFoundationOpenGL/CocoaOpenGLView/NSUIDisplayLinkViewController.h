#pragma once
// One display link for a master view and its slave views: at each tick, on the link's
// thread, every view that can be locked at once is asked whether to render, rendered and
// flushed; the work views may only do on the main thread goes, at most once a tick, to a
// serial queue that runs on the main thread. The view set is locked: views join from the main
// thread while the link ticks.
#include <dispatch/dispatch.h>
#include <objc/WeakPtr.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "NSUIDisplayLink.h"
#include "NSUIDisplayLinkProtocols.h"

class NSUIDisplayLinkViewController : public NSUIDisplayLink, public NSUIDisplayLinkViewControllerProtocol {
  OBJC_CLASS_DECL(NSUIDisplayLinkViewController, NSUIDisplayLink)

 public:
  NSObject* init() override;

  RefPtr<NSObject> delegate() const { return __delegate.get(); }
  void setDelegate(NSObject* view) { setMasterDisplayLinkViewDelegate(view); }
  std::vector<RefPtr<NSObject>> slaveDelegates() const;
  void setSlaves(std::vector<RefPtr<NSObject>> slaves);
  // The master first (when set), then the slaves.
  std::vector<RefPtr<NSObject>> allDelegates() const;
  bool dispatchHasActiveDelegates() const { return delegate() != nullptr; }

  // NSUIDisplayLinkViewControllerProtocol
  NSObject* displayLinkObject() override { return this; }
  bool isMasterDisplayLinkViewDelegate(NSObject* view) override;
  void setMasterDisplayLinkViewDelegate(NSObject* view) override;
  // Ignored for none, for the master and for a view already held.
  void addSlaveDisplayLinkViewDelegate(NSObject* view) override;
  // Only the master starts and stops the link.
  bool startDisplayLinkDelegate(NSObject* view) override;
  bool startDisplayLinkDelegate_context_pixelFormat(NSObject* view, CGLContextObj context,
                                                    CGLPixelFormatObj pixelFormat);
  bool stopDisplayLinkDelegate(NSObject* view) override;
  bool stopDisplayLinkNotifyDelegates(bool notify);

  void createDisplayLinkSelf() override;
  bool startDisplayLinkSelf() override;
  // The master's window moved to another display (NSViewGlobalFrameDidChangeNotification).
  void viewDidChangeDisplays(NSObject* notification);
  void delegatedDisplayLinkChangedFromAnyThread();
  void callDisplayLinkDelegateChangedWithUnlockedDrawable(NSObject* view);
  void callDisplayLinkDelegateChangedWithLockedDrawable(NSObject* view) {
    callDisplayLinkDelegateChangedWithUnlockedDrawable(view);
  }

  // The tick.
  CVReturn displayLinkOutputForTime(const CVTimeStamp* outputTime) override;
  void callDisplayLinkDelegate_withOutputForTime(NSObject* view, const CVTimeStamp* outputTime);
  void callDisplayLinkDelegatesOnMainThread();
  void callDisplayLinkDelegateOnMainThread(NSObject* view);
  void dispatchBlockOnMainThread(dispatch_block_t block);

 protected:
  NSUIDisplayLinkViewController() = default;
  void dealloc() override;

 private:
  void observeMaster(bool observe);

  WeakPtr<NSObject> __delegate;
  // Which object the master is, for asking by identity: a master that is going (its weak
  // reference already cleared) still stops the link from its dealloc.
  std::atomic<const NSObject*> mMasterIdentity{nullptr};
  mutable std::mutex mSlavesMutex;
  std::vector<RefPtr<NSObject>> __slaves;
  dispatch_queue_t __mainQueueTarget = nullptr;
  RefPtr<NSObject> mMasterObserver;
};

// A stand-in for the controller in interface files: forwards to its controller, and answers
// none or NO without one.
class NSUIDisplayLinkViewControllerProxy : public NSObject, public NSUIDisplayLinkViewControllerProtocol {
  OBJC_CLASS_DECL(NSUIDisplayLinkViewControllerProxy, NSObject)

 public:
  NSObject* displayLinkObject() override;
  bool isMasterDisplayLinkViewDelegate(NSObject* view) override;
  void setMasterDisplayLinkViewDelegate(NSObject* view) override;
  void addSlaveDisplayLinkViewDelegate(NSObject* view) override;
  bool startDisplayLinkDelegate(NSObject* view) override;
  bool stopDisplayLinkDelegate(NSObject* view) override;

  RefPtr<NSUIDisplayLinkViewController> displayLinkViewController() const {
    return __displayLinkViewController.get();
  }
  void setDisplayLinkViewController(NSUIDisplayLinkViewController* controller) {
    __displayLinkViewController = controller;
  }

 protected:
  NSUIDisplayLinkViewControllerProxy() = default;

 private:
  WeakPtr<NSUIDisplayLinkViewController> __displayLinkViewController;
};
