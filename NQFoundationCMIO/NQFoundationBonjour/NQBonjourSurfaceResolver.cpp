#include "NQBonjourSurfaceResolver.h"

#include <cstdio>

#include "NQBonjourIOSurfaceProtocol.h"
#include "URequirements.h"

namespace NQBonjour {

namespace {
constexpr CFTimeInterval kResolveTimeout = 10.0;
}

SurfaceResolver::SurfaceResolver()
    : mQueue(dispatch_queue_create("CFNetworkService dispatch_queue", DISPATCH_QUEUE_SERIAL)) {}

SurfaceResolver::~SurfaceResolver() {
  StopBrowsing();
  dispatch_sync(mQueue, [] {});
  dispatch_release(mQueue);
}

bool SurfaceResolver::StartBrowsing(SurfaceDiscoveredFunction function, void* context) {
  if (!REQUIREMENT(StartBrowsingService())) return false;
  std::lock_guard<std::recursive_mutex> guard(mCallbackLock);
  mDiscoveredFunction = function;
  mContext = context;
  return true;
}

bool SurfaceResolver::StartBrowsing(SurfaceDiscoveredBlock block) {
  if (!REQUIREMENT(StartBrowsingService())) return false;
  std::lock_guard<std::recursive_mutex> guard(mCallbackLock);
  mDiscoveredBlock = std::move(block);
  return true;
}

bool SurfaceResolver::StartBrowsingService() {
  {
    std::lock_guard<std::recursive_mutex> guard(mCallbackLock);
    mDiscoveredBlock = nullptr;
    mDiscoveredFunction = nullptr;
    mContext = nullptr;
  }
  CFNetServiceClientContext clientContext{0, this, nullptr, nullptr, nullptr};
  RefPtr<__CFNetServiceBrowser> browser =
      adopt(CFNetServiceBrowserCreate(nullptr, sCFNetServiceBrowserCallback, &clientContext));
  CFNetServiceBrowserRef newBrowserService = browser.get();
  if (!REQUIRED_CFTYPEOF(newBrowserService, CFNetServiceBrowserGetTypeID())) return false;
  if (mBrowser) CFNetServiceBrowserInvalidate(mBrowser.get());
  mBrowser = std::move(browser);
  CFNetServiceBrowserScheduleWithRunLoop(mBrowser.get(), CFRunLoopGetCurrent(), kCFRunLoopCommonModes);
  CFStreamError streamError{0, 0};
  if (CFNetServiceBrowserSearchForServices(mBrowser.get(), BonjourIOSurfaceProtocol_NetServiceDomain,
                                           BonjourIOSurfaceProtocol_NetServiceType, &streamError)) {
    mBrowsing = true;
  } else {
    REQUIRED_CFSTREAMERROR(streamError);
    fprintf(stderr, "%s CFStreamError(%d,%d)\n", "bool NQBonjour::SurfaceResolver::StartBrowsingService()",
            int(streamError.domain), int(streamError.error));
  }
  return bool(mBrowser);
}

void SurfaceResolver::StopBrowsing() {
  mBrowsing = false;
  if (mBrowser) {
    // Invalidating takes the browser off the run loop it was scheduled on, whichever thread
    // stops it, and waits for a browser callback in progress.
    CFNetServiceBrowserInvalidate(mBrowser.get());
    mBrowser = nullptr;
  }
  CancelResolving(nullptr);
  std::lock_guard<std::recursive_mutex> guard(mCallbackLock);
  mDiscoveredFunction = nullptr;
  mContext = nullptr;
  mDiscoveredBlock = nullptr;
}

void SurfaceResolver::CancelResolving(CFStringRef name) {
  std::lock_guard<std::mutex> guard(mResolvingLock);
  if (!mResolving) return;
  if (name && CFStringCompare(name, CFNetServiceGetName(mResolving), 0) != kCFCompareEqualTo) return;
  CFNetServiceCancel(mResolving);
}

void SurfaceResolver::sCFNetServiceBrowserCallback(CFNetServiceBrowserRef, CFOptionFlags flags,
                                                   CFTypeRef domainOrService, CFStreamError* error, void* info) {
  auto* resolver = static_cast<SurfaceResolver*>(info);
  if (!REQUIRED_NOT_NULL(resolver)) return;
  const CFStreamError streamError = error ? *error : CFStreamError{0, 0};
  if (!REQUIRED_CFSTREAMERROR(streamError)) return;
  if (!REQUIRED_CFTYPEOF(domainOrService, CFNetServiceGetTypeID())) return;
  auto service = static_cast<CFNetServiceRef>(const_cast<void*>(domainOrService));
  // A service that went away while being resolved would hold the queue for the whole time
  // allowed.
  if (flags & kCFNetServiceFlagRemove) resolver->CancelResolving(CFNetServiceGetName(service));
  resolver->AddOrRemoveNetServiceCopy(flags, service);
}

void SurfaceResolver::AddOrRemoveNetServiceCopy(CFOptionFlags flags, CFNetServiceRef service) {
  if (!mBrowsing) return;
  RefPtr<__CFNetService> copy = adopt(CFNetServiceCreateCopy(nullptr, service));
  if (!copy) return;
  dispatch_async(mQueue, [this, flags, copy = std::move(copy)] {
    if (mBrowsing) AddOrRemoveNetServiceAsync(flags, copy.get());
  });
}

void SurfaceResolver::AddOrRemoveNetServiceAsync(CFOptionFlags flags, CFNetServiceRef service) {
  if (!REQUIRED_CFTYPEOF(service, CFNetServiceGetTypeID())) return;
  const RefPtr<__CFNetService> heldService(service);
  RefPtr<const __CFDictionary> record;
  CFDictionaryRef TXTDictionaryOrNull = nullptr;
  if (!(flags & kCFNetServiceFlagRemove)) {
    {
      std::lock_guard<std::mutex> guard(mResolvingLock);
      mResolving = service;
    }
    record = adopt(CopyTXTDictionaryAfterResolvingNetServiceWithTimeout(flags, service, kResolveTimeout));
    TXTDictionaryOrNull = record.get();
    {
      std::lock_guard<std::mutex> guard(mResolvingLock);
      mResolving = nullptr;
    }
    REQUIRED_NOT_NULL(TXTDictionaryOrNull);
  }
  {
    std::lock_guard<std::recursive_mutex> guard(mCallbackLock);
    if (mBrowsing) {
      if (mDiscoveredBlock) mDiscoveredBlock(flags, service, TXTDictionaryOrNull);
      if (mDiscoveredFunction) mDiscoveredFunction(flags, service, TXTDictionaryOrNull, mContext);
    }
  }
}

CFDictionaryRef SurfaceResolver::CopyTXTDictionaryAfterResolvingNetServiceWithTimeout(CFOptionFlags,
                                                                                     CFNetServiceRef netService,
                                                                                     CFTimeInterval resolveTimeout) {
  if (!REQUIRED_CFTYPEOF(netService, CFNetServiceGetTypeID())) return nullptr;
  CFStreamError streamError{0, 0};
  if (!REQUIREMENT(CFNetServiceResolveWithTimeout(netService,resolveTimeout,&streamError))) return nullptr;
  if (streamError.domain != 0 || streamError.error != 0) {
    __CFStreamErrorRequiredBody(&streamError, __FUNCTION__, REQUIRED_FILE_NAME, __LINE__, "SRC>>&streamError");
    return nullptr;
  }
  CFDataRef TXTDictionaryData = CFNetServiceGetTXTData(netService);
  if (!REQUIRED_CFTYPEOF(TXTDictionaryData, CFDataGetTypeID())) return nullptr;
  CFDictionaryRef TXTDictionary = CFNetServiceCreateDictionaryWithTXTData(nullptr, TXTDictionaryData);
  REQUIRED_CFTYPEOF(TXTDictionary, CFDictionaryGetTypeID());
  return TXTDictionary;
}

}  // namespace NQBonjour
