#pragma once
// The application's picture of the machine's audio devices: a process-wide cache of device
// objects, refreshed by a listener on the audio hardware whenever the device list changes,
// and list objects that derive from it the ids and display names of the input devices and of
// the output devices, for user interfaces to bind to. A change of the device list reaches
// every list object through "NQCoreAudioHALOutputDeviceList_ChangeNotification" on the main
// queue.
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNotification.h>

#include "NQCoreAudioHALOutputDevice.h"

extern NSString* const NQCoreAudioHALOutputDeviceList_ChangeNotification;

class NQCoreAudioHALOutputDeviceList : public NSObject {
  OBJC_CLASS_DECL(NQCoreAudioHALOutputDeviceList, NSObject)

 public:
  static void initializeClassOnce();
  // The device ids of the system (NSNumbers); empty when they cannot be read.
  static NSArray* globalHardwarePropertyDeviceIDs();
  // The devices there are now (+1), one per UID, in the system's order.
  static NSArray* newHALOutputDevices();
  // UID -> device of the cache (a copy).
  static NSDictionary* cachedHALOutputDevicePropertiesDictionary();
  // The cache's devices in order (a copy).
  static NSArray* cachedHALOutputDevices();
  // Makes the cache anew from the devices there are now: a device that is gone leaves it, one
  // that came back under a new id is listed with that id.
  static void updateCachedHALOutputDevicePropertiesDictionary();
  static AudioObjectID defaultAudioDeviceID();
  static NSString* defaultAudioDeviceName();
  static NSString* defaultAudioDeviceUUID();
  static bool isValidInputDeviceID(AudioObjectID deviceID);
  static bool isValidOutputDeviceID(AudioObjectID deviceID);

  NSObject* init() override;
  void awakeFromNib() override;
  void _availableDevicesChangedNotification(NSNotification* notification);
  virtual void availableDevicesChangedSelf();
  void updateHALOutputDeviceNamesAndUUIDS();

  NSArray* HALOutputDeviceProperties() const;
  NSArray* HALOutputDeviceNames() const { return mHALOutputDeviceNames.get(); }
  NSArray* HALOutputDeviceUUIDS() const { return mHALOutputDeviceUUIDS.get(); }
  NSArray* availableInputDevices() const { return mAvailableInputDevices.get(); }
  NSArray* availableOutputDevices() const { return mAvailableOutputDevices.get(); }
  NSArray* availableInputDeviceNames() const { return mAvailableInputDeviceNames.get(); }
  NSArray* availableOutputDeviceNames() const { return mAvailableOutputDeviceNames.get(); }
  NSArray* availableInputDeviceObjects() const;
  NSArray* availableOutputDeviceObjects() const;

  NSString* audioDeviceNameFromAudioDeviceID_isInputDevice(AudioObjectID deviceID, bool isInput) const;
  NSString* _uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(AudioObjectID deviceID, bool isInput) const;
  NSString* nameOfDeviceWithUUID(NSString* uid) const;

 protected:
  ~NQCoreAudioHALOutputDeviceList() override;
  NQCoreAudioHALOutputDevice* cachedDeviceWithID(AudioObjectID deviceID) const;

 private:
  RefPtr<NSArray> mCachedHALOutputs;
  RefPtr<NSArray> mHALOutputDeviceNames;
  RefPtr<NSArray> mHALOutputDeviceUUIDS;
  RefPtr<NSArray> mAvailableInputDevices;
  RefPtr<NSArray> mAvailableOutputDevices;
  RefPtr<NSArray> mAvailableInputDeviceNames;
  RefPtr<NSArray> mAvailableOutputDeviceNames;
};
