#pragma once
// Checked property access on audio units and audio objects, the channel maps of hardware
// units and the system's default devices. Every failure is reported and handed back.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreAudio/AudioHardware.h>
#include <URequirements.h>

#include <string>
#include <vector>

namespace NQCoreAudio {

// The four-character text of a selector (hexadecimal when a byte is not printable).
std::string SelectorText(UInt32 selector);

// Sets a unit property after asking its size and writability: a property of another size or
// one that cannot be written is reported and refused with an error status.
OSStatus UnitSetPropertyChecked(AudioUnit unit, AudioUnitPropertyID property, AudioUnitScope scope,
                                AudioUnitElement element, const void* value, UInt32 size);
OSStatus UnitGetPropertyChecked(AudioUnit unit, AudioUnitPropertyID property, AudioUnitScope scope,
                                AudioUnitElement element, void* value, UInt32 size);

template <class T>
OSStatus UnitSetProperty(AudioUnit unit, AudioUnitPropertyID property, AudioUnitScope scope,
                         AudioUnitElement element, const T& value) {
  return UnitSetPropertyChecked(unit, property, scope, element, &value, sizeof value);
}
template <class T>
OSStatus UnitGetProperty(AudioUnit unit, AudioUnitPropertyID property, AudioUnitScope scope,
                         AudioUnitElement element, T& value) {
  return UnitGetPropertyChecked(unit, property, scope, element, &value, sizeof value);
}

// Reads an object property of exactly the value's size, element 0.
OSStatus ObjectGetPropertyChecked(AudioObjectID object, AudioObjectPropertySelector selector,
                                  AudioObjectPropertyScope scope, void* value, UInt32 size);
template <class T>
OSStatus ObjectGetScopedProperty(AudioObjectID object, AudioObjectPropertySelector selector,
                                 AudioObjectPropertyScope scope, T& value) {
  return ObjectGetPropertyChecked(object, selector, scope, &value, sizeof value);
}
template <class T>
OSStatus ObjectGetGlobalProperty(AudioObjectID object, AudioObjectPropertySelector selector, T& value) {
  return ObjectGetScopedProperty(object, selector, kAudioObjectPropertyScopeGlobal, value);
}

// Reads a property of any size into new storage (freed with ObjectDeletePropertyData).
OSStatus ObjectGetScopedPropertyDataOfType(AudioObjectID object, AudioObjectPropertySelector selector,
                                           AudioObjectPropertyScope scope, UInt32& outSize,
                                           void*& outStorage);
void ObjectDeletePropertyData(void*& storage);
// Reads a list of 32-bit ids.
OSStatus ObjectGetScopedPropertyVector(AudioObjectID object, AudioObjectPropertySelector selector,
                                       AudioObjectPropertyScope scope, std::vector<UInt32>& outVector);

OSStatus UnitGetPropertyVector(AudioUnit unit, AudioUnitPropertyID property, std::vector<SInt32>& outVector,
                               AudioUnitScope scope, AudioUnitElement element);
OSStatus UnitGetChannelCountFromStreamFormat(AudioUnit unit, AudioUnitScope scope, UInt32& outCount,
                                             AudioUnitElement element);
OSStatus UnitGetDefaultChannelMapping(AudioUnit unit, AudioUnitScope scope, std::vector<SInt32>& outMap,
                                      AudioUnitElement element);
OSStatus UnitGetChannelMapping(AudioUnit unit, AudioUnitScope scope, std::vector<SInt32>& outMap,
                               AudioUnitElement element);

// Whether a hardware unit's device side still has its device's rate and channel count: one
// format change is told several times (the device's and each stream's), and only the first
// must cost a rebuild, a gap in the sound.
bool UnitFollowsDevice(AudioUnit unit, bool input);

AudioDeviceID GetDefaultOutputDevice();
AudioDeviceID GetDefaultInputDevice();
// The device, or the default output device for 0.
AudioDeviceID GetValidOutputDeviceFromDeviceID(AudioDeviceID deviceID);

}  // namespace NQCoreAudio
