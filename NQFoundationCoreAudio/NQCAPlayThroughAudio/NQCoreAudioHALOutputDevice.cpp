#include "NQCoreAudioHALOutputDevice.h"

#include <URequirements.h>

#include "NQCoreAudioProperties.h"

OBJC_CLASS_DEFINE(NQCoreAudioHALOutputDevice)

NQCoreAudioHALOutputDevice* NQCoreAudioHALOutputDevice::outputDeviceWithAudioDeviceID(
    AudioObjectID deviceID) {
  auto* device = alloc()->initWithAudioDeviceID(deviceID);
  objc_autorelease(device);
  return device;
}

NQCoreAudioHALOutputDevice* NQCoreAudioHALOutputDevice::initWithAudioDeviceID(AudioObjectID deviceID) {
  mAudioDeviceID = deviceID;
  mAudioDeviceUUID = RefPtr<NSString>(_audioDeviceUUID());
  mAvailableInputs = _audioDeviceID_numberOfChannelsWithScope(deviceID, kAudioObjectPropertyScopeInput);
  mAvailableOutputs = _audioDeviceID_numberOfChannelsWithScope(deviceID, kAudioObjectPropertyScopeOutput);
  return this;
}

unsigned NQCoreAudioHALOutputDevice::_audioDeviceID_numberOfChannelsWithScope(
    AudioObjectID deviceID, AudioObjectPropertyScope scope) {
  UInt32 sizeofAudioBufferList = 0;
  void* audioBufferList = nullptr;
  const OSStatus err = NQCoreAudio::ObjectGetScopedPropertyDataOfType(
      deviceID, kAudioDevicePropertyStreamConfiguration, scope, sizeofAudioBufferList, audioBufferList);
  if (!REQUIREMENT(err == noErr) || !REQUIRED_NOT_NULL(audioBufferList)) return 0;
  unsigned channels = 0;
  const auto* list = static_cast<const AudioBufferList*>(audioBufferList);
  if (REQUIREMENT(sizeofAudioBufferList > 0) && sizeofAudioBufferList >= sizeof(UInt32)) {
    // Only the buffers the data holds are counted.
    const UInt32 held =
        UInt32((sizeofAudioBufferList - offsetof(AudioBufferList, mBuffers)) / sizeof(AudioBuffer));
    for (UInt32 i = 0; i < list->mNumberBuffers && i < held; ++i)
      channels += list->mBuffers[i].mNumberChannels;
  }
  NQCoreAudio::ObjectDeletePropertyData(audioBufferList);
  return channels;
}

NSString* NQCoreAudioHALOutputDevice::_audioDeviceID_globalPropertyStringWithSelector(
    AudioObjectID audioDeviceID, AudioObjectPropertySelector selector) {
  if (!REQUIREMENT(audioDeviceID != kAudioObjectUnknown)) return NSSTR("");
  const AudioObjectPropertyAddress address{selector, kAudioObjectPropertyScopeGlobal,
                                           kAudioObjectPropertyElementMain};
  CFStringRef copyOfTheDeviceProperty = nullptr;
  UInt32 size = sizeof copyOfTheDeviceProperty;
  const OSStatus status =
      AudioObjectGetPropertyData(audioDeviceID, &address, 0, nullptr, &size, &copyOfTheDeviceProperty);
  if (!REQUIRED_COREAUDIO(status)) return NSSTR("");
  RefPtr<const __CFString> owned = adopt(copyOfTheDeviceProperty);
  if (!REQUIRED_CFTYPEOF(copyOfTheDeviceProperty, CFStringGetTypeID())) return NSSTR("");
  return NSString::stringWithString(toNSString(owned.get()));
}

NSString* NQCoreAudioHALOutputDevice::audioDeviceNameFromAudioDeviceID(AudioObjectID deviceID) {
  return _audioDeviceID_globalPropertyStringWithSelector(deviceID, kAudioObjectPropertyName);
}

NSString* NQCoreAudioHALOutputDevice::audioDeviceUUIDFromAudioDeviceID(AudioObjectID deviceID) {
  return _audioDeviceID_globalPropertyStringWithSelector(deviceID, kAudioDevicePropertyDeviceUID);
}

bool NQCoreAudioHALOutputDevice::isValidInputDeviceID(AudioObjectID audioDeviceID) {
  if (!REQUIREMENT(audioDeviceID != kAudioObjectUnknown)) return false;
  return _audioDeviceID_numberOfChannelsWithScope(audioDeviceID, kAudioObjectPropertyScopeInput) != 0;
}

bool NQCoreAudioHALOutputDevice::isValidOutputDeviceID(AudioObjectID audioDeviceID) {
  if (!REQUIREMENT(audioDeviceID != kAudioObjectUnknown)) return false;
  return _audioDeviceID_numberOfChannelsWithScope(audioDeviceID, kAudioObjectPropertyScopeOutput) != 0;
}

bool NQCoreAudioHALOutputDevice::hasVolumeProperty() const {
  const AudioObjectPropertyAddress address{kAudioDevicePropertyVolumeScalar, kAudioObjectPropertyScopeOutput,
                                           kAudioObjectPropertyElementMain};
  return AudioObjectHasProperty(mAudioDeviceID, &address);
}

bool NQCoreAudioHALOutputDevice::hasMuteProperty() const {
  const AudioObjectPropertyAddress address{kAudioDevicePropertyMute, kAudioObjectPropertyScopeOutput,
                                           kAudioObjectPropertyElementMain};
  return AudioObjectHasProperty(mAudioDeviceID, &address);
}

NSString* NQCoreAudioHALOutputDevice::instanceAudioDeviceNameFromAudioDeviceID(AudioObjectID deviceID) const {
  if (deviceID == kAudioObjectUnknown) return NSSTR("kAudioObjectUnknown");
  return audioDeviceNameFromAudioDeviceID(deviceID);
}

NSString* NQCoreAudioHALOutputDevice::audioDeviceName() const {
  return audioDeviceNameFromAudioDeviceID(mAudioDeviceID);
}

NSString* NQCoreAudioHALOutputDevice::_audioDeviceUUID() const {
  return audioDeviceUUIDFromAudioDeviceID(mAudioDeviceID);
}

NSString* NQCoreAudioHALOutputDevice::uniqueAudioDeviceName() const {
  return _uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(mAudioDeviceID, false);
}

NSString* NQCoreAudioHALOutputDevice::_uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(
    AudioObjectID deviceID, bool) const {
  if (deviceID == kAudioObjectUnknown) return NSSTR("kAudioObjectUnknown");
  NSString* label = hasAvailableInputs() == hasAvailableOutputs() ? NSSTR("I/O")
                    : hasAvailableInputs()                        ? NSSTR("IN")
                                                                  : NSSTR("OUT");
  return NSString::stringWithFormat(NSSTR("%@ [%@:%02X]"), audioDeviceName(), label, unsigned(deviceID));
}

NSString* NQCoreAudioHALOutputDevice::description() const {
  return NSString::stringWithFormat(NSSTR("U%@-%@"), uniqueAudioDeviceName(),
                                    NSString::stringWithUTF8String(class_getName(classObject())));
}

const __CFString* NQCoreAudioHALOutputDevice::copyDescription() const {
  return CFStringCreateCopy(nullptr, bridge_cast<CFStringRef>(description()));
}
