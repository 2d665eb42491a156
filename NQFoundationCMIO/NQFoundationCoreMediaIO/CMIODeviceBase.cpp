#include "CMIODeviceBase.h"

#include <URequirements.h>

#include <cstring>

#include "CMIOPropertyMapTables.h"

namespace NQCMIO {

CMIODeviceBase::CMIODeviceBase(CFStringRef name, CFStringRef uid)
    : CMIOObject(CMIODALDeviceBase_PropertyMap), mName(name), mUID(uid) {}

CFStringRef CMIODeviceBase::CopyObjectName() const { return RefPtr(mName).leak(); }

CFStringRef CMIODeviceBase::CopyDeviceUID() const { return RefPtr(mUID).leak(); }

OSStatus CMIODeviceBase::GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                         const void* qualifierData, UInt32 dataSize, UInt32* dataUsed,
                                         void* data) const {
  switch (address.mSelector) {
    case kCMIODevicePropertyExcludeNonDALAccess:
      return CMIOPropertyWriteUInt32(mExcludeNonDALAccess ? 1 : 0, dataSize, dataUsed, data);
    case kCMIODevicePropertyPlugIn:
      return CMIOPropertyWriteUInt32(mPlugInID, dataSize, dataUsed, data);
    case kCMIODevicePropertyDeviceMaster:
      return CMIOPropertyWriteUInt32(mDeviceMaster, dataSize, dataUsed, data);
    case kCMIODevicePropertyStreams:
      return CMIOPropertyWriteUInt32(mStreamID, dataSize, dataUsed, data);
    case kCMIODevicePropertyDeviceUID: {
      if (OSStatus status = CMIOPropertyCheckSize(sizeof(CFStringRef), dataSize, dataUsed, data)) return status;
      return CMIOPropertyWriteReference(CopyDeviceUID(), dataSize, dataUsed, data);
    }
    case kCMIOObjectPropertyListenerAdded:
    case kCMIOObjectPropertyListenerRemoved: {
      const UInt32 size = 12;
      if (OSStatus status = CMIOPropertyCheckSize(size, dataSize, dataUsed, data)) return status;
      std::memset(data, 0, size);
      *dataUsed = size;
      return kCMIOHardwareNoError;
    }
    case kCMIODevicePropertyStreamConfiguration:
      // Not served; the caller learns so instead of reading what it left in its variables.
      __CFRequiredPrintf("TODO kCMIODevicePropertyStreamConfiguration");
      if (dataUsed) *dataUsed = 0;
      return kCMIOHardwareUnknownPropertyError;
    default:
      return CMIOObject::GetPropertyData(address, qualifierDataSize, qualifierData, dataSize, dataUsed, data);
  }
}

OSStatus CMIODeviceBase::SetPropertyData(const CMIOObjectPropertyAddress& address, UInt32, const void*,
                                         UInt32 dataSize, const void* data) {
  switch (address.mSelector) {
    case kCMIODevicePropertyExcludeNonDALAccess:
    case kCMIODevicePropertyDeviceMaster:
    case kCMIOObjectPropertyListenerAdded:
    case kCMIOObjectPropertyListenerRemoved:
      break;
    default:
      return RefuseSet(address);
  }
  UInt32 value = 0;
  if (!data || dataSize < sizeof value) return kCMIOHardwareBadPropertySizeError;
  std::memcpy(&value, data, sizeof value);
  switch (address.mSelector) {
    case kCMIODevicePropertyExcludeNonDALAccess:
      mExcludeNonDALAccess = value != 0;
      break;
    case kCMIODevicePropertyDeviceMaster:
      mDeviceMaster = value;
      break;
    case kCMIOObjectPropertyListenerAdded:
      ++mListenerCount;
      break;
    default:
      --mListenerCount;
      break;
  }
  return kCMIOHardwareNoError;
}

}  // namespace NQCMIO
