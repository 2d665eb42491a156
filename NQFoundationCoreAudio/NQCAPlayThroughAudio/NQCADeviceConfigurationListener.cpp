#include "NQCADeviceConfigurationListener.h"

#include <URequirements.h>

#include <vector>

#include "NQCoreAudioDevice.h"
#include "NQCoreAudioProperties.h"

using NQCoreAudio::Device;

namespace {

// The streams of the device whose direction is the side's (1 input, 0 output).
template <class Visit>
void for_each_device_stream_with_scope_and_direction(AudioDeviceID deviceID, AudioObjectPropertyScope scope,
                                                     Visit visit) {
  UInt32 size = 0;
  void* storage = nullptr;
  if (NQCoreAudio::ObjectGetScopedPropertyDataOfType(deviceID, kAudioDevicePropertyStreams, scope, size,
                                                     storage) != noErr)
    return;
  REQUIREMENT(size % sizeof(AudioObjectID) == 0);
  const auto* streams = static_cast<const AudioObjectID*>(storage);
  const UInt32 useInputStreamDirection = scope == kAudioObjectPropertyScopeInput ? 1 : 0;
  for (UInt32 i = 0; i < size / sizeof(AudioObjectID); ++i) {
    UInt32 isInputStreamDirection = 0;
    if (NQCoreAudio::ObjectGetGlobalProperty(streams[i], kAudioStreamPropertyDirection,
                                             isInputStreamDirection) != noErr)
      continue;
    if (!REQUIREMENT(isInputStreamDirection == useInputStreamDirection)) continue;
    visit(streams[i]);
  }
  NQCoreAudio::ObjectDeletePropertyData(storage);
}

AudioObjectPropertyScope SideScope(AudioObjectPropertyScope scope) {
  return scope == kAudioObjectPropertyScopeInput ? kAudioObjectPropertyScopeInput
                                                 : kAudioObjectPropertyScopeOutput;
}

}  // namespace

NQCADeviceConfigurationListener::NQCADeviceConfigurationListener() { ConstructQueueListeners(); }

NQCADeviceConfigurationListener::~NQCADeviceConfigurationListener() {
  EndListeningIfListening();
  {
    std::lock_guard<std::mutex> guard(mLock);
    mNotifyWithBlock.reset();
  }
  DestructQueueListeners();
}

void NQCADeviceConfigurationListener::ConstructQueueListeners() {
  mStreamListenerQueue =
      dispatch_queue_create("NQCADeviceConfigurationListener.StreamListenerQueue", nullptr);
  REQUIRED_NOT_NULL(mStreamListenerQueue);
  mStreamListenerBlock =
      AudioObjectPropertyListenerBlock([this](UInt32, const AudioObjectPropertyAddress*) { Notify(); });
}

void NQCADeviceConfigurationListener::DestructQueueListeners() {
  if (REQUIRED_NOT_NULL(mStreamListenerQueue)) dispatch_sync(mStreamListenerQueue, [] {});
  mStreamListenerBlock = nullptr;
  if (mStreamListenerQueue) dispatch_release(mStreamListenerQueue);
  mStreamListenerQueue = nullptr;
}

void NQCADeviceConfigurationListener::Notify() {
  std::shared_ptr<const NotifyBlock> block;
  AudioDeviceID deviceID = kAudioObjectUnknown;
  {
    std::lock_guard<std::mutex> guard(mLock);
    block = mNotifyWithBlock;
    deviceID = mNotifyWithDeviceID;
  }
  const void* pThis_mNotifyWithBlock = block.get();
  if (!REQUIRED_NOT_NULL(pThis_mNotifyWithBlock)) return;
  (*block)(deviceID);
}

AudioDeviceID NQCADeviceConfigurationListener::GetDeviceID() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mNotifyWithDeviceID;
}

void NQCADeviceConfigurationListener::BeginListening(AudioDeviceID deviceID, AudioObjectPropertyScope scope,
                                                     NotifyBlock block) {
  // Registrations of a device watched before are removed first: once the device is
  // forgotten they could never be removed again.
  EndListeningIfListening();
  {
    std::lock_guard<std::mutex> guard(mLock);
    mNotifyWithBlock = block ? std::make_shared<const NotifyBlock>(std::move(block)) : nullptr;
    mNotifyWithDeviceID = kAudioObjectUnknown;
  }
  if (!REQUIRED_NOT_NULL(mStreamListenerQueue)) return;
  if (!REQUIREMENT(Device::IsValidDeviceID(deviceID))) return;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mNotifyWithDeviceID = deviceID;
    mNotifyWithScope = scope;
  }
  AddDeviceListeners(deviceID, scope);
}

void NQCADeviceConfigurationListener::EndListening() {
  AudioDeviceID deviceID = kAudioObjectUnknown;
  AudioObjectPropertyScope scope = kAudioObjectPropertyScopeInput;
  {
    std::lock_guard<std::mutex> guard(mLock);
    deviceID = mNotifyWithDeviceID;
    scope = mNotifyWithScope;
  }
  if (REQUIRED_NOT_NULL(mStreamListenerQueue) && REQUIREMENT(Device::IsValidDeviceID(deviceID)))
    RemoveDeviceListeners(deviceID, scope);
  std::lock_guard<std::mutex> guard(mLock);
  mNotifyWithDeviceID = kAudioObjectUnknown;
  mNotifyWithScope = kAudioObjectPropertyScopeInput;
  mNotifyWithBlock.reset();
}

void NQCADeviceConfigurationListener::EndListeningIfListening() {
  if (GetDeviceID() != kAudioObjectUnknown) EndListening();
}

void NQCADeviceConfigurationListener::AddDeviceListeners(AudioDeviceID deviceID,
                                                         AudioObjectPropertyScope scope) {
  if (!REQUIRED_NOT_NULL(mStreamListenerQueue) || !REQUIREMENT(mStreamListenerBlock)) return;
  if (!REQUIREMENT(Device::IsValidDeviceID(deviceID))) return;
  // The device's format on the side it is watched on.
  const AudioObjectPropertyAddress format{kAudioDevicePropertyStreamFormat, SideScope(scope),
                                          kAudioObjectPropertyElementMain};
  REQUIRED_COREAUDIO(
      AudioObjectAddPropertyListenerBlock(deviceID, &format, mStreamListenerQueue, mStreamListenerBlock));
  for_each_device_stream_with_scope_and_direction(deviceID, SideScope(scope), [&](AudioObjectID stream) {
    const AudioObjectPropertyAddress physical{
        kAudioStreamPropertyPhysicalFormat, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
    REQUIRED_COREAUDIO(
        AudioObjectAddPropertyListenerBlock(stream, &physical, mStreamListenerQueue, mStreamListenerBlock));
  });
}

void NQCADeviceConfigurationListener::RemoveDeviceListeners(AudioDeviceID deviceID,
                                                            AudioObjectPropertyScope scope) {
  const AudioObjectPropertyAddress format{kAudioDevicePropertyStreamFormat, SideScope(scope),
                                          kAudioObjectPropertyElementMain};
  REQUIRED_COREAUDIO(
      AudioObjectRemovePropertyListenerBlock(deviceID, &format, mStreamListenerQueue, mStreamListenerBlock));
  for_each_device_stream_with_scope_and_direction(deviceID, SideScope(scope), [&](AudioObjectID stream) {
    const AudioObjectPropertyAddress physical{
        kAudioStreamPropertyPhysicalFormat, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
    REQUIRED_COREAUDIO(AudioObjectRemovePropertyListenerBlock(stream, &physical, mStreamListenerQueue,
                                                              mStreamListenerBlock));
  });
}
