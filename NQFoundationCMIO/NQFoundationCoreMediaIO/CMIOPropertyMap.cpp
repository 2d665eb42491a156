#include "CMIOPropertyMap.h"

#include <URequirements.h>

#include <cstring>

namespace NQCMIO {

const tagCMIOPropertyMapEntry* CMIOPropertyMap::FindEntry(UInt32 selector) const {
  if (!REQUIRED_NOT_NULL(mPropertyMap)) {
    __CFRequiredPrintf("no property map\n");
    return nullptr;
  }
  for (const tagCMIOPropertyMapEntry* entry = mPropertyMap; entry->selector != 0; ++entry) {
    if (entry->selector == selector) return entry;
  }
  return nullptr;
}

bool CMIOPropertyMap::IsPropertyDefined(const CMIOObjectPropertyAddress& address) const {
  return FindEntry(address.mSelector) != nullptr;
}

bool CMIOPropertyMap::HasProperty(const CMIOObjectPropertyAddress& address) const {
  const tagCMIOPropertyMapEntry* entry = FindEntry(address.mSelector);
  return entry && entry->has;
}

bool CMIOPropertyMap::IsPropertySettable(const CMIOObjectPropertyAddress& address) const {
  const tagCMIOPropertyMapEntry* entry = FindEntry(address.mSelector);
  return entry && entry->settable;
}

UInt32 CMIOPropertyMap::GetPropertyDataSize(const CMIOObjectPropertyAddress& address, UInt32, const void*) const {
  const tagCMIOPropertyMapEntry* entry = FindEntry(address.mSelector);
  return entry ? entry->size : 0;
}

void CMIOPropertyMap::LogUnhandled(UInt32 selector) const {
  __CFRequiredPrintf("%p %s unhandled GetPropertyDataWithAddress for %08lx\n", static_cast<const void*>(this),
                     ClassName(), static_cast<unsigned long>(selector));
}

OSStatus CMIOPropertyMap::GetPropertyData(const CMIOObjectPropertyAddress& address, UInt32, const void*,
                                          UInt32 dataSize, UInt32* dataUsed, void* data) const {
  const tagCMIOPropertyMapEntry* entry = FindEntry(address.mSelector);
  // The table's inline value holds at most 8 bytes; entries that declare more ('frrg' and the
  // listener entries) are served by their objects, never from here.
  if (!entry || !entry->has || entry->size > sizeof entry->value) {
    LogUnhandled(address.mSelector);
    if (dataUsed) *dataUsed = 0;
    return kCMIOHardwareUnknownPropertyError;
  }
  if (OSStatus status = CMIOPropertyCheckSize(entry->size, dataSize, dataUsed, data)) return status;
  std::memcpy(data, &entry->value, entry->size);
  *dataUsed = entry->size;
  return kCMIOHardwareNoError;
}

OSStatus CMIOPropertyCheckSize(UInt32 needed, UInt32 dataSize, UInt32* dataUsed, const void* data) {
  if (dataUsed && data && dataSize >= needed) return kCMIOHardwareNoError;
  if (dataUsed) *dataUsed = 0;
  return kCMIOHardwareBadPropertySizeError;
}

}  // namespace NQCMIO
