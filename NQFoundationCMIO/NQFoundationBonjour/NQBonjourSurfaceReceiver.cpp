#include "NQBonjourSurfaceReceiver.h"

#include "NQBonjourIOSurfaceProtocol.h"
#include "URequirements.h"

namespace NQBonjour {

namespace {
const int sReportQueueKey = 0;
}

SurfaceReceiver::SurfaceReceiver()
    : mReportQueue(dispatch_queue_create("NQBonjour.SurfaceReceiver", DISPATCH_QUEUE_SERIAL)) {
  dispatch_queue_set_specific(mReportQueue, &sReportQueueKey, this, nullptr);
}

SurfaceReceiver::~SurfaceReceiver() {
  StopReceiving();
  dispatch_release(mReportQueue);
}

bool SurfaceReceiver::SetDictionaryDataFromNetService(CFDictionaryRef dictionaryData) {
  mFrameWidth = 0;
  mFrameHeight = 0;
  if (!REQUIRED_CFTYPEOF(dictionaryData, CFDictionaryGetTypeID())) return false;
  const RefPtr<const __CFDictionary> heldDictionary(dictionaryData);
  bool taken = false;
  const RefPtr<const __CFString> name0 =
      adopt(TXTDictionary::CopyStringValueForKey(dictionaryData, BonjourIOSurfaceProtocol_NotificationName0Key));
  CFStringRef notificationName0 = name0.get();
  if (SubscribeToNotificationName(notificationName0)) {
    std::unique_lock<std::mutex> guard(mLock);
    mNotificationName0 = name0;
    mSurface0 = uint32_t(TXTDictionary::IntegerValueForKey(dictionaryData, BonjourIOSurfaceProtocol_SurfaceID0Key));
    guard.unlock();
    // clang-format off
    REQUIREMENT(mSurface0!=0);
    // clang-format on
    const RefPtr<const __CFString> name1 =
        adopt(TXTDictionary::CopyStringValueForKey(dictionaryData, BonjourIOSurfaceProtocol_NotificationName1Key));
    CFStringRef notificationName1 = name1.get();
    if (REQUIREMENT(SubscribeToNotificationName(notificationName1))) {
      guard.lock();
      mNotificationName1 = name1;
      mSurface1 = uint32_t(TXTDictionary::IntegerValueForKey(dictionaryData, BonjourIOSurfaceProtocol_SurfaceID1Key));
      guard.unlock();
      // clang-format off
      REQUIREMENT(mSurface1!=0);
      // clang-format on
      mFrameWidth = TXTDictionary::IntegerValueForKey(dictionaryData, BonjourIOSurfaceProtocol_FrameWidthKey);
      mFrameHeight = TXTDictionary::IntegerValueForKey(dictionaryData, BonjourIOSurfaceProtocol_FrameHeightKey);
      mFramesPerSecond = TXTDictionary::DoubleValueForKey(dictionaryData, BonjourIOSurfaceProtocol_FrameRateKey);
      TXTDictionary::CFShow(dictionaryData, CFSTR("SetDictionaryDataFromNetService"));
      taken = true;
    }
  }
  return taken;
}

bool SurfaceReceiver::SubscribeToNotificationName(CFStringRef notificationName) {
  if (!REQUIRED_NOT_NULL(notificationName)) return false;
  if (CFGetTypeID(notificationName) != CFStringGetTypeID() || CFStringGetLength(notificationName) == 0 ||
      BonjourIOSurfaceProtocol_IsOurNotification(notificationName))
    return false;
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, sCFNotificationCallback,
                                  notificationName, nullptr, CFNotificationSuspensionBehaviorDrop);
  return true;
}

bool SurfaceReceiver::StartReceiving(SurfaceReceivedFunction function, void* context) {
  std::lock_guard<std::mutex> guard(mLock);
  mReceivedBlock = nullptr;
  if (function) {
    mReceivedFunction = function;
    mContext = context;
  }
  return mReceivedFunction != nullptr;
}

bool SurfaceReceiver::StartReceiving(SurfaceReceivedBlock block) {
  std::lock_guard<std::mutex> guard(mLock);
  mReceivedFunction = nullptr;
  mContext = nullptr;
  const void* inReceivedBlock = block ? &block : nullptr;
  if (REQUIRED_NOT_NULL(inReceivedBlock)) mReceivedBlock = std::move(block);
  return bool(mReceivedBlock);
}

void SurfaceReceiver::StopReceiving() {
  CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
  {
    std::lock_guard<std::mutex> guard(mLock);
    mReceivedBlock = nullptr;
    mReceivedFunction = nullptr;
    mContext = nullptr;
    mPendingSurfaceID = 0;
  }
  // A report may be running: wait for it, unless it is the caller.
  if (dispatch_get_specific(&sReportQueueKey) != this) dispatch_sync(mReportQueue, [] {});
}

void SurfaceReceiver::sCFNotificationCallback(CFNotificationCenterRef, void* observer, CFNotificationName name,
                                              const void*, CFDictionaryRef) {
  auto* surfaceReceiver = static_cast<SurfaceReceiver*>(observer);
  if (!REQUIRED_NOT_NULL(surfaceReceiver)) return;
  surfaceReceiver->NotificationReceived(name);
}

void SurfaceReceiver::NotificationReceived(CFStringRef name) {
  uint32_t surfaceReceivedID = 0;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (name && mNotificationName0 &&
        CFStringCompare(name, mNotificationName0.get(), kCFCompareCaseInsensitive) == 0)
      surfaceReceivedID = mSurface0;
    else if (name && mNotificationName1 &&
             CFStringCompare(name, mNotificationName1.get(), kCFCompareCaseInsensitive) == 0)
      surfaceReceivedID = mSurface1;
  }
  // clang-format off
  if (!REQUIREMENT(surfaceReceivedID!=0)) return;
  // clang-format on
  bool reportQueued;
  {
    std::lock_guard<std::mutex> guard(mLock);
    reportQueued = mPendingSurfaceID != 0;
    mPendingSurfaceID = surfaceReceivedID;
  }
  if (!reportQueued) dispatch_async(mReportQueue, [this] { Report(); });
}

void SurfaceReceiver::Report() {
  SurfaceReceivedBlock block;
  SurfaceReceivedFunction function;
  void* context;
  uint32_t surfaceReceivedID;
  {
    std::lock_guard<std::mutex> guard(mLock);
    surfaceReceivedID = mPendingSurfaceID;
    mPendingSurfaceID = 0;
    block = mReceivedBlock;
    function = mReceivedFunction;
    context = mContext;
  }
  if (surfaceReceivedID == 0) return;
  if (block) block(surfaceReceivedID);
  if (function) function(surfaceReceivedID, context);
}

}  // namespace NQBonjour
