#include "NQBonjourSurfaceReceiver.h"

#include "NQBonjourIOSurfaceProtocol.h"
#include "URequirements.h"

namespace NQBonjour {

SurfaceReceiver::~SurfaceReceiver() { StopReceiving(); }

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
  std::lock_guard<std::mutex> guard(mLock);
  mReceivedBlock = nullptr;
}

void SurfaceReceiver::sCFNotificationCallback(CFNotificationCenterRef, void* observer, CFNotificationName name,
                                              const void*, CFDictionaryRef) {
  auto* surfaceReceiver = static_cast<SurfaceReceiver*>(observer);
  if (!REQUIRED_NOT_NULL(surfaceReceiver)) return;
  surfaceReceiver->NotificationReceived(name);
}

void SurfaceReceiver::NotificationReceived(CFStringRef name) {
  SurfaceReceivedBlock block;
  SurfaceReceivedFunction function;
  void* context;
  uint32_t surfaceReceivedID = 0;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (name && mNotificationName0 &&
        CFStringCompare(name, mNotificationName0.get(), kCFCompareCaseInsensitive) == 0)
      surfaceReceivedID = mSurface0;
    else if (name && mNotificationName1 &&
             CFStringCompare(name, mNotificationName1.get(), kCFCompareCaseInsensitive) == 0)
      surfaceReceivedID = mSurface1;
    block = mReceivedBlock;
    function = mReceivedFunction;
    context = mContext;
  }
  // clang-format off
  if (!REQUIREMENT(surfaceReceivedID!=0)) return;
  // clang-format on
  if (block) block(surfaceReceivedID);
  if (function) function(surfaceReceivedID, context);
}

}  // namespace NQBonjour
