#include "NQCoreAudioProperties.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace NQCoreAudio {

std::string SelectorText(UInt32 selector) {
  const char characters[4] = {char(selector >> 24), char(selector >> 16), char(selector >> 8),
                              char(selector)};
  bool printable = true;
  for (char c : characters) printable = printable && isprint(static_cast<unsigned char>(c));
  char text[16];
  if (printable)
    snprintf(text, sizeof text, "%c%c%c%c", characters[0], characters[1], characters[2], characters[3]);
  else
    snprintf(text, sizeof text, "%04x", selector);
  return text;
}

OSStatus UnitSetPropertyChecked(AudioUnit unit, AudioUnitPropertyID property, AudioUnitScope scope,
                                AudioUnitElement element, const void* value, UInt32 size) {
  UInt32 expected = 0;
  Boolean writable = false;
  OSStatus status = AudioUnitGetPropertyInfo(unit, property, scope, element, &expected, &writable);
  if (!REQUIRED_COREAUDIO(status)) return status;
  if (!REQUIREMENT(expected == size)) return kAudio_ParamError;
  if (!REQUIREMENT(writable)) return kAudioUnitErr_PropertyNotWritable;
  status = AudioUnitSetProperty(unit, property, scope, element, value, size);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus UnitGetPropertyChecked(AudioUnit unit, AudioUnitPropertyID property, AudioUnitScope scope,
                                AudioUnitElement element, void* value, UInt32 size) {
  UInt32 read = size;
  const OSStatus status = AudioUnitGetProperty(unit, property, scope, element, value, &read);
  if (!REQUIRED_COREAUDIO(status)) return status;
  if (!REQUIREMENT(read == size)) return kAudio_ParamError;
  return noErr;
}

OSStatus ObjectGetPropertyChecked(AudioObjectID object, AudioObjectPropertySelector selector,
                                  AudioObjectPropertyScope scope, void* value, UInt32 size) {
  const AudioObjectPropertyAddress address{selector, scope, kAudioObjectPropertyElementMain};
  UInt32 read = size;
  const OSStatus status = AudioObjectGetPropertyData(object, &address, 0, nullptr, &read, value);
  if (!REQUIRED_COREAUDIO(status)) return status;
  if (read != size) {
    __CFRequiredPrintf("sizeofData_T(%u) != sizeof(T:%u) FOR SELECTOR %s", unsigned(read), unsigned(size),
                       SelectorText(selector).c_str());
    return kAudioHardwareBadPropertySizeError;
  }
  return noErr;
}

OSStatus ObjectGetScopedPropertyDataOfType(AudioObjectID object, AudioObjectPropertySelector selector,
                                           AudioObjectPropertyScope scope, UInt32& outSize,
                                           void*& outStorage) {
  outSize = 0;
  outStorage = nullptr;
  const AudioObjectPropertyAddress address{selector, scope, kAudioObjectPropertyElementMain};
  UInt32 size = 0;
  OSStatus status = AudioObjectGetPropertyDataSize(object, &address, 0, nullptr, &size);
  if (!REQUIRED_COREAUDIO(status)) return status;
  if (!REQUIREMENT(size > 0)) return kAudioHardwareBadPropertySizeError;
  void* storage = calloc(1, size);
  if (!REQUIRED_NOT_NULL(storage)) return kAudio_MemFullError;
  status = AudioObjectGetPropertyData(object, &address, 0, nullptr, &size, storage);
  if (!REQUIRED_COREAUDIO(status)) {
    free(storage);
    return status;
  }
  outSize = size;
  outStorage = storage;
  return noErr;
}

void ObjectDeletePropertyData(void*& storage) {
  free(storage);
  storage = nullptr;
}

OSStatus ObjectGetScopedPropertyVector(AudioObjectID object, AudioObjectPropertySelector selector,
                                       AudioObjectPropertyScope scope, std::vector<UInt32>& outVector) {
  UInt32 size = 0;
  void* storage = nullptr;
  const OSStatus status = ObjectGetScopedPropertyDataOfType(object, selector, scope, size, storage);
  if (status != noErr) return status;
  const auto* ids = static_cast<const UInt32*>(storage);
  outVector.assign(ids, ids + size / sizeof(UInt32));
  ObjectDeletePropertyData(storage);
  return noErr;
}

OSStatus UnitGetPropertyVector(AudioUnit unit, AudioUnitPropertyID property, std::vector<SInt32>& outVector,
                               AudioUnitScope scope, AudioUnitElement element) {
  UInt32 size = 0;
  OSStatus status = AudioUnitGetPropertyInfo(unit, property, scope, element, &size, nullptr);
  if (status != noErr) return status;
  if (size < sizeof(SInt32)) return noErr;
  outVector.assign(size / sizeof(SInt32), 0);
  status = AudioUnitGetProperty(unit, property, scope, element, outVector.data(), &size);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus UnitGetChannelCountFromStreamFormat(AudioUnit unit, AudioUnitScope scope, UInt32& outCount,
                                             AudioUnitElement element) {
  AudioStreamBasicDescription format{};
  const AudioUnitScope formatScope =
      scope == kAudioUnitScope_Input ? kAudioUnitScope_Input : kAudioUnitScope_Output;
  const OSStatus status =
      UnitGetProperty(unit, kAudioUnitProperty_StreamFormat, formatScope, element, format);
  outCount = status == noErr ? format.mChannelsPerFrame : 0;
  return status;
}

OSStatus UnitGetDefaultChannelMapping(AudioUnit unit, AudioUnitScope scope, std::vector<SInt32>& outMap,
                                      AudioUnitElement element) {
  UInt32 count = 0;
  const OSStatus status = UnitGetChannelCountFromStreamFormat(unit, scope, count, element);
  if (status != noErr) return status;
  outMap.resize(count);
  for (UInt32 i = 0; i < count; ++i) outMap[i] = SInt32(i);
  return noErr;
}

OSStatus UnitGetChannelMapping(AudioUnit unit, AudioUnitScope scope, std::vector<SInt32>& outMap,
                               AudioUnitElement element) {
  if (UnitGetPropertyVector(unit, kAudioOutputUnitProperty_ChannelMap, outMap, scope, 0) == noErr)
    return noErr;
  const OSStatus status = UnitGetDefaultChannelMapping(unit, scope, outMap, element);
  REQUIRED_COREAUDIO(status);
  return status;
}

bool UnitFollowsDevice(AudioUnit unit, bool input) {
  AudioDeviceID device = kAudioObjectUnknown;
  UInt32 size = sizeof device;
  if (!unit || AudioUnitGetProperty(unit, kAudioOutputUnitProperty_CurrentDevice, kAudioUnitScope_Global, 0,
                                    &device, &size) != noErr)
    return false;
  AudioStreamBasicDescription format{};
  size = sizeof format;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, input ? kAudioUnitScope_Input : kAudioUnitScope_Output,
                           input ? 1 : 0, &format, &size) != noErr)
    return false;
  Float64 rate = 0;
  size = sizeof rate;
  const AudioObjectPropertyAddress nominalRate{kAudioDevicePropertyNominalSampleRate, kAudioObjectPropertyScopeGlobal,
                                               kAudioObjectPropertyElementMain};
  if (AudioObjectGetPropertyData(device, &nominalRate, 0, nullptr, &size, &rate) != noErr) return false;
  const AudioObjectPropertyAddress layout{kAudioDevicePropertyStreamConfiguration,
                                          input ? kAudioObjectPropertyScopeInput : kAudioObjectPropertyScopeOutput,
                                          kAudioObjectPropertyElementMain};
  if (AudioObjectGetPropertyDataSize(device, &layout, 0, nullptr, &size) != noErr || size < sizeof(AudioBufferList))
    return false;
  std::vector<UInt8> storage(size);
  if (AudioObjectGetPropertyData(device, &layout, 0, nullptr, &size, storage.data()) != noErr) return false;
  const auto* list = reinterpret_cast<const AudioBufferList*>(storage.data());
  UInt32 channels = 0;
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i) channels += list->mBuffers[i].mNumberChannels;
  return format.mSampleRate == rate && format.mChannelsPerFrame == channels;
}

AudioDeviceID GetDefaultOutputDevice() {
  AudioDeviceID device = kAudioObjectUnknown;
  if (ObjectGetGlobalProperty(kAudioObjectSystemObject, kAudioHardwarePropertyDefaultOutputDevice, device) !=
      noErr)
    return kAudioObjectUnknown;
  return device;
}

AudioDeviceID GetDefaultInputDevice() {
  AudioDeviceID device = kAudioObjectUnknown;
  if (ObjectGetGlobalProperty(kAudioObjectSystemObject, kAudioHardwarePropertyDefaultInputDevice, device) !=
      noErr)
    return kAudioObjectUnknown;
  return device;
}

AudioDeviceID GetValidOutputDeviceFromDeviceID(AudioDeviceID deviceID) {
  const AudioDeviceID device = deviceID != kAudioObjectUnknown ? deviceID : GetDefaultOutputDevice();
  REQUIREMENT(device != kAudioObjectUnknown);
  return device;
}

}  // namespace NQCoreAudio
