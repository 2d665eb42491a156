#include "CMIOObject.h"

#include <cstring>

namespace NQCMIO {

OSStatus CMIOObject::GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32 qualifierDataSize,
                                     const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data) const {
  if (address.mSelector == kCMIOObjectPropertyName) {
    if (RefPtr<const __CFString> name = adopt(CopyObjectName())) {
      OSStatus status = CMIOPropertyWriteReference(name.get(), dataSize, dataUsed, data);
      // The caller owns a name handed out; one that was not stays ours to release.
      if (status == kCMIOHardwareNoError) (void)name.leak();
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
