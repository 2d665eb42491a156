#pragma once
// Follows one announcement: subscribes to the sender's two notification names and reports the
// surface id of surface 0 or 1 each time the sender posts the matching name. It refuses the
// names of its own process, so that a process never follows its own announcement.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNotificationCenter.h>
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

#include <cstdint>
#include <functional>
#include <mutex>

namespace NQBonjour {

using SurfaceReceivedBlock = std::function<void(uint32_t surfaceID)>;
using SurfaceReceivedFunction = void (*)(uint32_t surfaceID, void* context);

template <class Owner>
void sSurfaceReceivedCallback_T(uint32_t surfaceID, void* context) {
  static_cast<Owner*>(context)->SurfaceReceived(surfaceID);
}

class SurfaceReceiver {
 public:
  SurfaceReceiver() = default;
  ~SurfaceReceiver();
  SurfaceReceiver(const SurfaceReceiver&) = delete;
  SurfaceReceiver& operator=(const SurfaceReceiver&) = delete;

  bool SetDictionaryDataFromNetService(CFDictionaryRef dictionaryData);
  bool StartReceiving(SurfaceReceivedFunction function, void* context);
  bool StartReceiving(SurfaceReceivedBlock block);
  template <class Owner>
  bool StartReceivingWithDelegate(Owner& owner) {
    return StartReceiving(sSurfaceReceivedCallback_T<Owner>, &owner);
  }
  // Once this returns, no received callback runs.
  void StopReceiving();

  bool SubscribeToNotificationName(CFStringRef notificationName);
  void NotificationReceived(CFStringRef name);

  int64_t FrameWidth() const { return mFrameWidth; }
  int64_t FrameHeight() const { return mFrameHeight; }
  double FramesPerSecond() const { return mFramesPerSecond; }
  uint32_t Surface0() const { return mSurface0; }
  uint32_t Surface1() const { return mSurface1; }

 private:
  static void sCFNotificationCallback(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                                      const void* object, CFDictionaryRef userInfo);

  int64_t mFrameWidth = 0;
  int64_t mFrameHeight = 0;
  double mFramesPerSecond = 0.0;
  uint32_t mSurface0 = 0;
  uint32_t mSurface1 = 0;
  RefPtr<const __CFString> mNotificationName0;
  RefPtr<const __CFString> mNotificationName1;
  // Notifications arrive on the notification center's thread while the owner sets callbacks.
  std::mutex mLock;
  SurfaceReceivedBlock mReceivedBlock;
  SurfaceReceivedFunction mReceivedFunction = nullptr;
  void* mContext = nullptr;
};

}  // namespace NQBonjour
