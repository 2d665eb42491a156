#include "NQCASystemDeviceDescription.h"

#include <URequirements.h>

#include <vector>

#include "NQCoreAudioObjectProperties.h"
#include "NQCoreAudioProperties.h"

OBJC_CLASS_DEFINE(NQCASystemDeviceDescription)

namespace {

NSString* const kObjectIDKey = NSSTR("kAudioObjectID");
NSString* const kObjectClassKey = NSSTR("kAudioObjectPropertyClass");

NSString* Text(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

// The device's owned objects; empty, and reported, when they cannot be read.
std::vector<UInt32> OwnedObjects(AudioObjectID deviceID) {
  std::vector<UInt32> ownedObjectArray;
  const OSStatus err = NQCoreAudio::ObjectGetScopedPropertyVector(
      deviceID, kAudioObjectPropertyOwnedObjects, kAudioObjectPropertyScopeGlobal, ownedObjectArray);
  if (!REQUIREMENT(err == noErr)) return {};
  return ownedObjectArray;
}

}  // namespace

NSArray* NQCASystemDeviceDescription::propertiesForAudioObjectID_includeAll(AudioObjectID objectID,
                                                                            bool includeAll) {
  const UInt32 flags = NQCoreAudio::kObjectPropertiesIncludeFailed |
                       (includeAll ? UInt32(NQCoreAudio::kObjectPropertiesIncludeMissing) : 0u);
  return NQCoreAudio::sObjectAddProperties(objectID, flags);
}

NSArray* NQCASystemDeviceDescription::devicePropertiesForDeviceID_includeAll(AudioObjectID deviceID,
                                                                             bool includeAll) {
  return propertiesForAudioObjectID_includeAll(deviceID, includeAll);
}

NSArray* NQCASystemDeviceDescription::devicePropertiesForDeviceID(AudioObjectID deviceID) {
  return devicePropertiesForDeviceID_includeAll(deviceID, true);
}

NSDictionary* NQCASystemDeviceDescription::ownedObjectTableViewRowSummary(AudioObjectID objectID) {
  AudioClassID classID = 0;
  if (NQCoreAudio::ObjectGetGlobalProperty(objectID, kAudioObjectPropertyClass, classID) != noErr)
    classID = 0;
  return NSDictionary::dictionaryWithObjects_forKeys(
      {Text(NQCoreAudio::ObjectIDDescription(objectID)), Text(NQCoreAudio::ClassIDDescription(classID))},
      {kObjectIDKey, kObjectClassKey});
}

NSArray* NQCASystemDeviceDescription::deviceOwnedObjectsForDeviceID(AudioObjectID deviceID) {
  NSMutableArray* rows = NSMutableArray::array();
  if (deviceID == kAudioObjectUnknown) return rows;
  for (UInt32 objectID : OwnedObjects(deviceID)) rows->addObject(ownedObjectTableViewRowSummary(objectID));
  return rows;
}

AudioObjectID NQCASystemDeviceDescription::device_ownedObjectAtIndex(AudioObjectID deviceID,
                                                                     NSUInteger objectIndex) {
  if (deviceID == kAudioObjectUnknown) return kAudioObjectUnknown;
  const std::vector<UInt32> ownedObjectArray = OwnedObjects(deviceID);
  if (!REQUIREMENT(ownedObjectArray.size() > 0) || !REQUIREMENT(objectIndex < ownedObjectArray.size()))
    return kAudioObjectUnknown;
  return ownedObjectArray[objectIndex];
}
