#pragma once
// The rows of the device panels' property tables: the properties of an audio object, and the
// objects a device owns with a one-line summary each.
#include <CoreAudio/AudioHardware.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <objc/NSObject.h>

class NQCASystemDeviceDescription : public NSObject {
  OBJC_CLASS_DECL(NQCASystemDeviceDescription, NSObject)

 public:
  // With all, also rows for properties the object lacks; failed reads always give a row.
  static NSArray* propertiesForAudioObjectID_includeAll(AudioObjectID objectID, bool includeAll);
  static NSArray* devicePropertiesForDeviceID_includeAll(AudioObjectID deviceID, bool includeAll);
  static NSArray* devicePropertiesForDeviceID(AudioObjectID deviceID);
  // {"kAudioObjectID": "0x..", "kAudioObjectPropertyClass": class text}.
  static NSDictionary* ownedObjectTableViewRowSummary(AudioObjectID objectID);
  static NSArray* deviceOwnedObjectsForDeviceID(AudioObjectID deviceID);
  // The id of the device's owned object at the index; 0 when there is none.
  static AudioObjectID device_ownedObjectAtIndex(AudioObjectID deviceID, NSUInteger objectIndex);
};
