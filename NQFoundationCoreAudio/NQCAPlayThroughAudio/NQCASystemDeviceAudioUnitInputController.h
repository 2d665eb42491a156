#pragma once
// The input unit of the play-through: its device and channel map are those of the input side.
#include "NQCASystemDeviceAudioUnitController.h"

class NQCASystemDeviceAudioUnitInputController : public NQCASystemDeviceAudioUnitController {
  OBJC_CLASS_DECL(NQCASystemDeviceAudioUnitInputController, NQCASystemDeviceAudioUnitController)

 public:
  AudioDeviceID currentDeviceID() const override;
  NSArray* currentDeviceChannelMappings() const;
};
