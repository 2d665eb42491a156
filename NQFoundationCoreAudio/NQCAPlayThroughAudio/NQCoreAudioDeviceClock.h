#pragma once
// A hardware device's clock: its current time stamp and the latency figures of one side.
#include <CoreAudio/AudioHardware.h>

namespace NQCoreAudio {

class DeviceClockInterface {
 public:
  virtual OSStatus GetCurrentTime(AudioTimeStamp& outTime) = 0;
  virtual ~DeviceClockInterface() = default;
};

class AudioDeviceClock : public DeviceClockInterface {
 public:
  // Reads the safety offset and buffer frame size of the device's side ('inpt' or 'outp').
  OSStatus SetDeviceID(AudioDeviceID deviceID, AudioObjectPropertyScope scope);
  // kAudioHardwareNotRunningError ('stop', not reported) while the device does not run.
  OSStatus GetCurrentTime(AudioTimeStamp& outTime) override;

  UInt32 mSafetyOffsetInFrames = 0;
  UInt32 mBufferSizeInFrames = 0;
  AudioDeviceID mDeviceID = kAudioObjectUnknown;
};

}  // namespace NQCoreAudio
