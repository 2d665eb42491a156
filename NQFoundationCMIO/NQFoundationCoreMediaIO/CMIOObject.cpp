#include "CMIOObject.h"

#include <cstring>

namespace NQCMIO {

CMIOObject::~CMIOObject() { std::lock_guard<std::mutex> wait(mObjectLock); }

OSStatus CMIOObject::GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                     const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) const {
  if (address.mSelector == kCMIOObjectPropertyName) {
    if (CFStringRef name = CopyObjectName()) {
      OSStatus status = CMIOPropertyWriteReference(name, dataSize, dataUsed, data);
      // A name that was not handed out is not the caller's to release.
      if (status != kCMIOHardwareNoError) CFRelease(name);
      return status;
    }
  }
  return CMIOPropertyMap::GetPropertyData(address, qualifierDataSize, qualifierData, dataSize, dataUsed, data);
}

OSStatus CMIOObject::SetPropertyData(const CMIOObjectPropertyAddress& address, UInt32, const void*, UInt32,
                                     const void*) {
  return RefuseSet(address);
}

OSStatus CMIOObject::RefuseSet(const CMIOObjectPropertyAddress& address) const {
  return HasProperty(address) ? kCMIOHardwareIllegalOperationError : kCMIOHardwareUnknownPropertyError;
}

OSStatus CMIOPropertyWriteReference(CFTypeRef value, UInt32 dataSize, UInt32* dataUsed, void* data) {
  if (OSStatus status = CMIOPropertyCheckSize(sizeof value, dataSize, dataUsed, data)) return status;
  std::memcpy(data, &value, sizeof value);
  *dataUsed = sizeof value;
  return kCMIOHardwareNoError;
}

OSStatus CMIOPropertyWriteUInt32(UInt32 value, UInt32 dataSize, UInt32* dataUsed, void* data) {
  if (OSStatus status = CMIOPropertyCheckSize(sizeof value, dataSize, dataUsed, data)) return status;
  std::memcpy(data, &value, sizeof value);
  *dataUsed = sizeof value;
  return kCMIOHardwareNoError;
}

OSStatus CMIOPropertyWriteFloat64s(const Float64* values, UInt32 count, UInt32 dataSize, UInt32* dataUsed,
                                   void* data) {
  const UInt32 size = UInt32(sizeof(Float64) * count);
  if (OSStatus status = CMIOPropertyCheckSize(size, dataSize, dataUsed, data)) return status;
  std::memcpy(data, values, size);
  *dataUsed = size;
  return kCMIOHardwareNoError;
}

}  // namespace NQCMIO
