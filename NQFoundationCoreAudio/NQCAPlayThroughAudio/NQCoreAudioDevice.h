#pragma once
// One audio device with the side it is used on: 'inpt' for an input device, 'outp' otherwise.
#include <CoreAudio/AudioHardware.h>

namespace NQCoreAudio {

struct Device {
  Device() = default;
  Device(AudioDeviceID deviceID, AudioObjectPropertyScope scope)
      : mDeviceID(deviceID), mScope(SideOf(scope)) {}
  Device(const Device& other) = default;
  Device& operator=(const Device& other) {
    mDeviceID = other.mDeviceID;
    mScope = SideOf(other.mScope);
    return *this;
  }

  static bool IsValidDeviceID(AudioDeviceID deviceID) { return deviceID != kAudioObjectUnknown; }
  static AudioObjectPropertyScope SideOf(AudioObjectPropertyScope scope) {
    return scope == kAudioObjectPropertyScopeInput ? kAudioObjectPropertyScopeInput
                                                   : kAudioObjectPropertyScopeOutput;
  }

  AudioDeviceID mDeviceID = kAudioObjectUnknown;
  AudioObjectPropertyScope mScope = kAudioObjectPropertyScopeOutput;
};

}  // namespace NQCoreAudio
