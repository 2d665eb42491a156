#pragma once
// Shows what one running hardware unit of the play-through uses: its current device and its
// channel map, for the device panels to bind to. The unit belongs to the play-through, which
// hands it over, and takes it back before it disposes of it.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreAudio/AudioHardware.h>
#include <Foundation/NSArray.h>
#include <objc/NSObject.h>

extern NSString* const NQCASystemDeviceAudioUnit_ChannelNumber;
extern NSString* const NQCASystemDeviceAudioUnit_ChannelMapping;

class NQCASystemDeviceAudioUnitController : public NSObject {
  OBJC_CLASS_DECL(NQCASystemDeviceAudioUnitController, NSObject)

 public:
  AudioUnit deviceAudioUnit() const { return mAudioUnit; }
  void setDeviceAudioUnit(AudioUnit unit);

  virtual AudioDeviceID currentDeviceID() const;
  AudioDeviceID currentDeviceIDForInputScope() const;
  AudioDeviceID currentDeviceIDForOutputScope() const;
  AudioDeviceID _currentDeviceIDForScope(AudioUnitScope scope) const;

  NSArray* currentDeviceInputChannelMappings() const;
  NSArray* currentDeviceOutputChannelMappings() const;
  // One row per entry of the scope's channel map: its position and its value.
  NSArray* currentDeviceChannelMappingsWithScope(AudioUnitScope scope) const;

 private:
  AudioUnit mAudioUnit = nullptr;
};
