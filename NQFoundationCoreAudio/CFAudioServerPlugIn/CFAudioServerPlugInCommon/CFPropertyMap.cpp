#include "CFPropertyMap.h"

#include <cstring>

#include "CFAudioServerObjectIDs.h"
#include "CFAudioServerRequired.h"

namespace NQCFAudioServer {

static const tagCFPropertyMapEntry* FindRowInTable(const tagCFPropertyMapEntry* table, UInt32 selector) {
  for (const tagCFPropertyMapEntry* row = table; row->selector != 0; ++row) {
    if (row->selector == selector) return row;
  }
  return nullptr;
}

CFPropertyMap::CFPropertyMap(const tagCFPropertyMapEntry* inPropertyMap) { AppendPropertyMap(inPropertyMap); }

void CFPropertyMap::AppendPropertyMap(const tagCFPropertyMapEntry* inPropertyMap) {
  if (REQUIRED_PRESENT(inPropertyMap)) mPropertyMaps.push_back(inPropertyMap);
}

const tagCFPropertyMapEntry* CFPropertyMap::FindFirstRow(UInt32 selector) const {
  if (mPropertyMaps.empty()) {
    __CFRequiredPrintf("no property map\n");
    return nullptr;
  }
  for (const tagCFPropertyMapEntry* table : mPropertyMaps) {
    if (const tagCFPropertyMapEntry* row = FindRowInTable(table, selector)) return row;
  }
  return nullptr;
}

bool CFPropertyMap::HasProperty(const AudioObjectPropertyAddress& address) const {
  const tagCFPropertyMapEntry* row = FindFirstRow(address.mSelector);
  return row && row->readProperty;
}

void CFPropertyMap::IsPropertySettable(OSStatus& status, const AudioObjectPropertyAddress& address,
                                       Boolean* outIsSettable) const {
  const tagCFPropertyMapEntry* row = FindFirstRow(address.mSelector);
  if (!row) return;
  status = kAudioHardwareNoError;
  if (outIsSettable) *outIsSettable = row->writeProperty;
}

void CFPropertyMap::GetPropertyDataSize(OSStatus& status, const AudioObjectPropertyAddress& address, UInt32,
                                        const void*, UInt32* outDataSize) const {
  for (const tagCFPropertyMapEntry* table : mPropertyMaps) {
    const tagCFPropertyMapEntry* row = FindRowInTable(table, address.mSelector);
    if (!row) continue;
    status = kAudioHardwareNoError;
    if (outDataSize) *outDataSize = row->sizeofProperty;
  }
}

void CFPropertyMap::SetPropertyData(const AudioObjectPropertyAddress&, UInt32, const void*, UInt32,
                                    const void*) {}

void CFPropertyMap::GetPropertyData(OSStatus& status, const AudioObjectPropertyAddress& address, UInt32,
                                    const void*, UInt32 inDataSize, UInt32* outDataSize,
                                    void* outData) const {
  const tagCFPropertyMapEntry* property = FindFirstRow(address.mSelector);
  // Only rows of up to 8 bytes carry their value; a larger one is a handler's to answer.
  if (property && REQUIRED_CODE(property->readProperty, "property->readProperty==true") &&
      REQUIRED_CODE(property->sizeofProperty <= inDataSize, "property->sizeofProperty<=inDataSize") &&
      property->sizeofProperty <= sizeof property->value && outData) {
    std::memcpy(outData, &property->value, property->sizeofProperty);
    if (outDataSize) *outDataSize = property->sizeofProperty;
    status = kAudioHardwareNoError;
    return;
  }
  if (outDataSize) *outDataSize = 0;
  status = kAudioHardwareUnknownPropertyError;
  __CFRequiredPrintf("%s unhandled %s:%d .mSelector=('%s') %s\n", ClassName(), "GetPropertyData", __LINE__,
                     FourCCTextOf(address.mSelector).text, CStringFromSelector(address.mSelector));
}

}  // namespace NQCFAudioServer
