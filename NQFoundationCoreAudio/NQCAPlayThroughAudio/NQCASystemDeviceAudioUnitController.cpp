#include "NQCASystemDeviceAudioUnitController.h"

#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>
#include <URequirements.h>

#include <vector>

#include "NQCoreAudioDevice.h"
#include "NQCoreAudioProperties.h"

NSString* const NQCASystemDeviceAudioUnit_ChannelNumber = NSSTR("NQCASystemDeviceAudioUnit_ChannelNumber");
NSString* const NQCASystemDeviceAudioUnit_ChannelMapping = NSSTR("NQCASystemDeviceAudioUnit_ChannelMapping");

OBJC_CLASS_DEFINE(NQCASystemDeviceAudioUnitController)
NS_PROPERTIES(NQCASystemDeviceAudioUnitController,
              NS_READONLY_PROPERTY("currentDeviceID", &NQCASystemDeviceAudioUnitController::currentDeviceID),
              NS_READONLY_PROPERTY("currentDeviceIDForInputScope",
                                   &NQCASystemDeviceAudioUnitController::currentDeviceIDForInputScope),
              NS_READONLY_PROPERTY("currentDeviceIDForOutputScope",
                                   &NQCASystemDeviceAudioUnitController::currentDeviceIDForOutputScope),
              NS_READONLY_PROPERTY("currentDeviceInputChannelMappings",
                                   &NQCASystemDeviceAudioUnitController::currentDeviceInputChannelMappings),
              NS_READONLY_PROPERTY("currentDeviceOutputChannelMappings",
                                   &NQCASystemDeviceAudioUnitController::currentDeviceOutputChannelMappings))
NS_DEPENDENT_KEYS(NQCASystemDeviceAudioUnitController, "currentDeviceID", {"deviceAudioUnit"})

namespace {

NSString* const kUnitKeys[] = {
    NSSTR("currentDeviceID"), NSSTR("currentDeviceIDForInputScope"), NSSTR("currentDeviceIDForOutputScope"),
    NSSTR("currentDeviceInputChannelMappings"), NSSTR("currentDeviceOutputChannelMappings")};

}  // namespace

void NQCASystemDeviceAudioUnitController::setDeviceAudioUnit(AudioUnit unit) {
  for (NSString* key : kUnitKeys) willChangeValueForKey(key);
  mAudioUnit = unit;
  for (auto key = std::rbegin(kUnitKeys); key != std::rend(kUnitKeys); ++key) didChangeValueForKey(*key);
}

AudioDeviceID NQCASystemDeviceAudioUnitController::currentDeviceID() const {
  return _currentDeviceIDForScope(kAudioUnitScope_Global);
}

AudioDeviceID NQCASystemDeviceAudioUnitController::currentDeviceIDForInputScope() const {
  return _currentDeviceIDForScope(kAudioUnitScope_Input);
}

AudioDeviceID NQCASystemDeviceAudioUnitController::currentDeviceIDForOutputScope() const {
  return _currentDeviceIDForScope(kAudioUnitScope_Output);
}

AudioDeviceID NQCASystemDeviceAudioUnitController::_currentDeviceIDForScope(AudioUnitScope scope) const {
  if (!mAudioUnit) return kAudioObjectUnknown;
  AudioDeviceID currentDeviceID = kAudioObjectUnknown;
  const OSStatus status = NQCoreAudio::UnitGetProperty(mAudioUnit, kAudioOutputUnitProperty_CurrentDevice,
                                                       scope, 0, currentDeviceID);
  if (!REQUIRED_COREAUDIO(status)) return kAudioObjectUnknown;
  return currentDeviceID;
}

NSArray* NQCASystemDeviceAudioUnitController::currentDeviceInputChannelMappings() const {
  return currentDeviceChannelMappingsWithScope(kAudioUnitScope_Input);
}

NSArray* NQCASystemDeviceAudioUnitController::currentDeviceOutputChannelMappings() const {
  return currentDeviceChannelMappingsWithScope(kAudioUnitScope_Output);
}

NSArray* NQCASystemDeviceAudioUnitController::currentDeviceChannelMappingsWithScope(
    AudioUnitScope scope) const {
  NSMutableArray* rows = NSMutableArray::array();
  if (!mAudioUnit) return NSArray::arrayWithArray(rows);
  const AudioDeviceID currentDeviceID = _currentDeviceIDForScope(scope);
  if (!REQUIREMENT(NQCoreAudio::Device::IsValidDeviceID(currentDeviceID)))
    return NSArray::arrayWithArray(rows);
  std::vector<SInt32> map;
  const OSStatus err = NQCoreAudio::UnitGetChannelMapping(mAudioUnit, scope, map, 0);
  const size_t channelMappingCount = map.size();
  if (!REQUIREMENT(err == noErr) || !REQUIREMENT(channelMappingCount > 0))
    return NSArray::arrayWithArray(rows);
  for (size_t i = 0; i < channelMappingCount; ++i) {
    rows->addObject(NSDictionary::dictionaryWithObjects_forKeys(
        {NSNumber::numberWithUnsignedLongLong(i), NSNumber::numberWithInt(map[i])},
        {NQCASystemDeviceAudioUnit_ChannelNumber, NQCASystemDeviceAudioUnit_ChannelMapping}));
  }
  return NSArray::arrayWithArray(rows);
}
