#pragma once
// One audio device of the machine as the device lists show it: its id, UID and channel
// counts, read when the object is made, and its name, read live.
#include <CoreAudio/AudioHardware.h>
#include <Foundation/NSString.h>
#include <objc/NSObject.h>
#include <objc/RefPtr.h>

class NQCoreAudioHALOutputDevice : public NSObject {
  OBJC_CLASS_DECL(NQCoreAudioHALOutputDevice, NSObject)

 public:
  // A new device object (autoreleased).
  static NQCoreAudioHALOutputDevice* outputDeviceWithAudioDeviceID(AudioObjectID deviceID);
  NQCoreAudioHALOutputDevice* initWithAudioDeviceID(AudioObjectID deviceID);

  static unsigned _audioDeviceID_numberOfChannelsWithScope(AudioObjectID deviceID,
                                                           AudioObjectPropertyScope scope);
  static NSString* _audioDeviceID_globalPropertyStringWithSelector(AudioObjectID deviceID,
                                                                   AudioObjectPropertySelector selector);
  static NSString* audioDeviceNameFromAudioDeviceID(AudioObjectID deviceID);
  static NSString* audioDeviceUUIDFromAudioDeviceID(AudioObjectID deviceID);
  static bool isValidInputDeviceID(AudioObjectID deviceID);
  static bool isValidOutputDeviceID(AudioObjectID deviceID);

  AudioObjectID audioDeviceID() const { return mAudioDeviceID; }
  NSString* audioDeviceUUID() const { return mAudioDeviceUUID.get(); }
  unsigned availableInputs() const { return mAvailableInputs; }
  unsigned availableOutputs() const { return mAvailableOutputs; }
  bool hasAvailableInputs() const { return mAvailableInputs != 0; }
  bool hasAvailableOutputs() const { return mAvailableOutputs != 0; }
  bool hasVolumeProperty() const;
  bool hasMuteProperty() const;

  NSString* instanceAudioDeviceNameFromAudioDeviceID(AudioObjectID deviceID) const;
  NSString* audioDeviceName() const;
  NSString* _audioDeviceUUID() const;
  NSString* uniqueAudioDeviceName() const;
  // "<name> [<I/O|IN|OUT>:<id>]", the label by what the device has.
  NSString* _uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(AudioObjectID deviceID, bool isInput) const;
  NSString* description() const;
  const __CFString* copyDescription() const override;

 private:
  AudioObjectID mAudioDeviceID = kAudioObjectUnknown;
  RefPtr<NSString> mAudioDeviceUUID;
  unsigned mAvailableInputs = 0;
  unsigned mAvailableOutputs = 0;
};
