#pragma once
// One camera device with one stream. It keeps its name and uid strings.
#include <atomic>

#include "CMIOObject.h"

namespace NQCMIO {

class CMIODeviceBase : public CMIOObject {
 public:
  CMIODeviceBase(CFStringRef name, CFStringRef uid);

  const char* ClassName() const override { return "NQCMIO::CMIODeviceBase"; }
  OSStatus GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                           const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) const override;
  OSStatus SetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                           const void* qualifierData, UInt32 dataSize, const void* data) override;
  CFStringRef CopyObjectName() const override;
  // The uid (+1), or null.
  virtual CFStringRef CopyDeviceUID() const;

  void SetPlugInID(CMIOObjectID plugInID) { mPlugInID = plugInID; }
  void SetStreamID(CMIOObjectID streamID) { mStreamID = streamID; }
  CMIOObjectID GetStreamID() const { return mStreamID; }
  SInt64 GetListenerCount() const { return mListenerCount; }

 private:
  const RefPtr<const __CFString> mName;
  const RefPtr<const __CFString> mUID;
  std::atomic<CMIOObjectID> mPlugInID{kCMIOObjectUnknown};
  std::atomic<CMIOObjectID> mStreamID{kCMIOObjectUnknown};
  std::atomic<bool> mExcludeNonDALAccess{false};
  std::atomic<UInt32> mDeviceMaster{0};
  std::atomic<SInt64> mListenerCount{0};
};

}  // namespace NQCMIO
