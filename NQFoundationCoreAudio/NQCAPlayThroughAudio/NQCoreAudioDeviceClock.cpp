#include "NQCoreAudioDeviceClock.h"

#include "NQCoreAudioProperties.h"

namespace NQCoreAudio {

OSStatus AudioDeviceClock::SetDeviceID(AudioDeviceID deviceID, AudioObjectPropertyScope scope) {
  mDeviceID = deviceID;
  mSafetyOffsetInFrames = 0;
  mBufferSizeInFrames = 0;
  if (!REQUIREMENT(scope == kAudioObjectPropertyScopeInput || scope == kAudioObjectPropertyScopeOutput))
    return kAudio_ParamError;
  ObjectGetScopedProperty(deviceID, kAudioDevicePropertySafetyOffset, scope, mSafetyOffsetInFrames);
  return ObjectGetScopedProperty(deviceID, kAudioDevicePropertyBufferFrameSize, scope, mBufferSizeInFrames);
}

OSStatus AudioDeviceClock::GetCurrentTime(AudioTimeStamp& outTime) {
  if (!REQUIREMENT(mDeviceID != kAudioObjectUnknown)) return kAudioHardwareBadDeviceError;
  const OSStatus status = AudioDeviceGetCurrentTime(mDeviceID, &outTime);
  if (status != kAudioHardwareNotRunningError) REQUIRED_COREAUDIO(status);
  return status;
}

}  // namespace NQCoreAudio
