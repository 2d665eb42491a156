#pragma once
// Finds surface announcements: browses for services of the announcement type on the run
// loop of the thread that starts it, resolves each service found, one at a time and for at
// most 10 seconds, on its own serial queue, and hands service and decoded record to its
// owner there. A service that goes away is handed on too, with the remove flag and no record,
// so that the owner can drop what it made of it.
#include <CFNetwork/CFNetServices.h>
#include <dispatch/dispatch.h>
#include <objc/RefPtr.h>

#include <atomic>
#include <functional>
#include <mutex>

namespace NQBonjour {

// The record is the resolver's for the call; a callee that keeps it retains it.
using SurfaceDiscoveredBlock = std::function<void(CFOptionFlags flags, CFNetServiceRef service, CFDictionaryRef record)>;
using SurfaceDiscoveredFunction = void (*)(CFOptionFlags flags, CFNetServiceRef service, CFDictionaryRef record,
                                           void* context);

template <class Owner>
void sSurfaceDiscoveredCallback_T(CFOptionFlags flags, CFNetServiceRef service, CFDictionaryRef record, void* context) {
  static_cast<Owner*>(context)->DiscoveredService(flags, service, record);
}

class SurfaceResolver {
 public:
  SurfaceResolver();
  ~SurfaceResolver();
  SurfaceResolver(const SurfaceResolver&) = delete;
  SurfaceResolver& operator=(const SurfaceResolver&) = delete;

  bool StartBrowsing(SurfaceDiscoveredFunction function, void* context);
  bool StartBrowsing(SurfaceDiscoveredBlock block);
  bool StartBrowsingService();
  // May be called from any thread: the browser leaves the run loop it was scheduled on, a
  // resolve in progress is cancelled, and once this returns no callback runs (unless called
  // from inside one).
  void StopBrowsing();

  bool IsBrowsing() const { return mBrowsing; }

  static CFDictionaryRef CopyTXTDictionaryAfterResolvingNetServiceWithTimeout(CFOptionFlags flags,
                                                                              CFNetServiceRef service,
                                                                              CFTimeInterval timeout);

 private:
  static void sCFNetServiceBrowserCallback(CFNetServiceBrowserRef browser, CFOptionFlags flags,
                                           CFTypeRef domainOrService, CFStreamError* error, void* info);
  void AddOrRemoveNetServiceCopy(CFOptionFlags flags, CFNetServiceRef service);
  void AddOrRemoveNetServiceAsync(CFOptionFlags flags, CFNetServiceRef service);
  void CancelResolving(CFStringRef name);

  std::atomic<bool> mBrowsing{false};
  RefPtr<__CFNetServiceBrowser> mBrowser;
  // Held while the owner's callbacks are called or changed.
  std::recursive_mutex mCallbackLock;
  SurfaceDiscoveredBlock mDiscoveredBlock;
  SurfaceDiscoveredFunction mDiscoveredFunction = nullptr;
  void* mContext = nullptr;
  dispatch_queue_t mQueue;
  std::mutex mResolvingLock;
  CFNetServiceRef mResolving = nullptr;  // the service being resolved on the queue
};

}  // namespace NQBonjour
