#include "NQCASystemDeviceAudioUnitInputController.h"

#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NQCASystemDeviceAudioUnitInputController)
NS_PROPERTIES(NQCASystemDeviceAudioUnitInputController,
              NS_READONLY_PROPERTY("currentDeviceChannelMappings",
                                   &NQCASystemDeviceAudioUnitInputController::currentDeviceChannelMappings))

AudioDeviceID NQCASystemDeviceAudioUnitInputController::currentDeviceID() const {
  return currentDeviceIDForInputScope();
}

NSArray* NQCASystemDeviceAudioUnitInputController::currentDeviceChannelMappings() const {
  return currentDeviceInputChannelMappings();
}
