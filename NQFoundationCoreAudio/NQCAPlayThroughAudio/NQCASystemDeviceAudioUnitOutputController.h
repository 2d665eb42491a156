#pragma once
// The output unit of the play-through: its device and channel map are those of the output side.
#include "NQCASystemDeviceAudioUnitController.h"

class NQCASystemDeviceAudioUnitOutputController : public NQCASystemDeviceAudioUnitController {
  OBJC_CLASS_DECL(NQCASystemDeviceAudioUnitOutputController, NQCASystemDeviceAudioUnitController)

 public:
  AudioDeviceID currentDeviceID() const override;
  NSArray* currentDeviceChannelMappings() const;
};
