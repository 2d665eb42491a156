#include "CAPlayThroughHost.h"

#include <URequirements.h>

#include "NQCoreAudioDevice.h"
#include "NQCoreAudioProperties.h"

using NQCoreAudio::Device;
using Guard = std::lock_guard<std::recursive_mutex>;

CAPlayThroughHost::CAPlayThroughHost(AudioDeviceID inputDeviceID, AudioDeviceID outputDeviceID) {
  CreatePlayThrough(inputDeviceID, outputDeviceID);
}

CAPlayThroughHost::~CAPlayThroughHost() {
  {
    Guard guard(mLock);
    if (mPlayThrough) DeletePlayThrough();
    mListener.EndListeningIfListening();
  }
}

OSStatus CAPlayThroughHost::CreatePlayThrough(AudioDeviceID inInputDeviceID, AudioDeviceID inOutputDeviceID) {
  Guard guard(mLock);
  if (inInputDeviceID == kAudioObjectUnknown || inOutputDeviceID == kAudioObjectUnknown) return noErr;
  if (!REQUIREMENT(Device::IsValidDeviceID(inInputDeviceID)) ||
      !REQUIREMENT(Device::IsValidDeviceID(inOutputDeviceID)))
    return kAudioHardwareBadDeviceError;
  OSStatus status = noErr;
  mPlayThrough = CADeviceInputPlaythrough::CreateInstance(inInputDeviceID, inOutputDeviceID, &status);
  if (!REQUIRED_NOT_NULL(mPlayThrough.get())) return status;
  mListener.BeginListening(inInputDeviceID, kAudioObjectPropertyScopeInput,
                           [this](AudioDeviceID) { FormatChanged(); });
  return noErr;
}

void CAPlayThroughHost::DeletePlayThrough() {
  Guard guard(mLock);
  if (!REQUIRED_NOT_NULL(mPlayThrough.get())) return;
  mPlayThrough->Stop();
  mListener.EndListening();
  mPlayThrough.reset();
}

void CAPlayThroughHost::SetFormatChangeHandler(std::function<void()> handler) {
  Guard guard(mLock);
  mFormatChangeHandler = std::move(handler);
}

void CAPlayThroughHost::FormatChanged() {
  std::function<void()> handler;
  {
    Guard guard(mLock);
    handler = mFormatChangeHandler;
  }
  if (handler) {
    handler();
    return;
  }
  Guard guard(mLock);
  if (!FollowsDeviceFormats()) ResetPlayThrough();
}

bool CAPlayThroughHost::FollowsDeviceFormats() {
  Guard guard(mLock);
  return mPlayThrough && NQCoreAudio::UnitFollowsDevice(mPlayThrough->GetInputAudioUnit(), true) &&
         NQCoreAudio::UnitFollowsDevice(mPlayThrough->GetOutputAudioUnit(), false);
}

void CAPlayThroughHost::ResetPlayThrough() {
  Guard guard(mLock);
  if (!REQUIRED_NOT_NULL(mPlayThrough.get())) return;
  const AudioDeviceID inputDeviceID = mPlayThrough->GetInputDevice();
  const AudioDeviceID outputDeviceID = mPlayThrough->GetOutputDeviceID();
  const bool wasRunning = mPlayThrough->IsRunning();
  DeletePlayThrough();
  CreatePlayThrough(inputDeviceID, outputDeviceID);
  if (mPlayThrough && wasRunning) mPlayThrough->Start();
}

OSStatus CAPlayThroughHost::Start() {
  Guard guard(mLock);
  if (!REQUIRED_NOT_NULL(mPlayThrough.get())) return noErr;
  return mPlayThrough->Start();
}

OSStatus CAPlayThroughHost::Stop() {
  Guard guard(mLock);
  if (!REQUIRED_NOT_NULL(mPlayThrough.get())) return noErr;
  return mPlayThrough->Stop();
}

bool CAPlayThroughHost::IsRunning() {
  Guard guard(mLock);
  return mPlayThrough && mPlayThrough->IsRunning();
}

bool CAPlayThroughHost::HasPlayThrough() {
  Guard guard(mLock);
  return mPlayThrough != nullptr;
}

Float32 CAPlayThroughHost::GetInputLevel() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetInputLevel() : 0;
}

Float64 CAPlayThroughHost::GetVarispeedRate() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetVarispeedRate() : 0;
}

SInt64 CAPlayThroughHost::GetInToOutSampleOffset() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetInToOutSampleOffset() : 0;
}

AudioUnit CAPlayThroughHost::GetInputAudioUnit() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetInputAudioUnit() : nullptr;
}

AudioUnit CAPlayThroughHost::GetOutputAudioUnit() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetOutputAudioUnit() : nullptr;
}

AudioDeviceID CAPlayThroughHost::GetInputDeviceID() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetInputDevice() : kAudioObjectUnknown;
}

AudioDeviceID CAPlayThroughHost::GetOutputDeviceID() {
  Guard guard(mLock);
  return mPlayThrough ? mPlayThrough->GetOutputDeviceID() : kAudioObjectUnknown;
}
