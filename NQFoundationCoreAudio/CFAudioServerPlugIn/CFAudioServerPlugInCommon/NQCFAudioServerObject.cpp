#include "NQCFAudioServerObject.h"

#include "CFAudioServerObjectIDs.h"
#include "CFAudioServerRequired.h"
#include "CFPropertyMapTables.h"

namespace NQCFAudioServer {

Object::Object(AudioObjectID objectID, const char* className, const tagCFPropertyMapEntry* propertyMap)
    : CFPropertyMap(propertyMap), mObjectID(objectID), mClassName(className) {}

Object::Object(AudioObjectID objectID, const char* className, const tagCFPropertyMapEntry* propertyMap,
               const tagCFPropertyMapEntry* pPropertyMap)
    : Object(objectID, className, propertyMap) {
  if (REQUIRED_PRESENT(pPropertyMap)) AppendPropertyMap(pPropertyMap);
}

void Object::GetPropertyData(AudioObjectID inObjectID, OSStatus& status,
                             const AudioObjectPropertyAddress& address, UInt32 qualifierDataSize,
                             const void* qualifierData, UInt32 inDataSize, UInt32* outDataSize,
                             void* outData) const {
  if (!REQUIRED_CODE(mObjectID == inObjectID, "mObjectID==inObjectID")) return;
  CFPropertyMap::GetPropertyData(status, address, qualifierDataSize, qualifierData, inDataSize, outDataSize,
                                 outData);
}

PlugIn::PlugIn() : Object(kObjectID_PlugIn, "PlugIn", AudioServerPlugin_PropertyMap) {}

Box::Box() : Object(kObjectID_Box, "Box", AudioServerBox_PropertyMap) {}

Device::Device() : Object(kObjectID_Device, "Device", AudioServerDevice_PropertyMap) {}

Stream::Stream(AudioObjectID objectID, const tagCFPropertyMapEntry* pPropertyMap)
    : Object(objectID, "Stream", AudioServerStreamBase_PropertyMap, pPropertyMap) {}

ControlVolume::ControlVolume(AudioObjectID objectID, const tagCFPropertyMapEntry* pPropertyMap)
    : Object(objectID, "ControlVolume", AudioServerControlVolumeBase_PropertyMap, pPropertyMap) {}

ControlMute::ControlMute(AudioObjectID objectID, const tagCFPropertyMapEntry* pPropertyMap)
    : Object(objectID, "ControlMute", AudioServerControlMuteBase_PropertyMap, pPropertyMap) {}

ControlData::ControlData(AudioObjectID objectID)
    : Object(objectID, "ControlData", AudioServerControlData_PropertyMap) {}

}  // namespace NQCFAudioServer
