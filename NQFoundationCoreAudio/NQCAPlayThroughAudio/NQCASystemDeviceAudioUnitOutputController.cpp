#include "NQCASystemDeviceAudioUnitOutputController.h"

#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NQCASystemDeviceAudioUnitOutputController)
NS_PROPERTIES(NQCASystemDeviceAudioUnitOutputController,
              NS_READONLY_PROPERTY("currentDeviceChannelMappings",
                                   &NQCASystemDeviceAudioUnitOutputController::currentDeviceChannelMappings))

AudioDeviceID NQCASystemDeviceAudioUnitOutputController::currentDeviceID() const {
  return currentDeviceIDForOutputScope();
}

NSArray* NQCASystemDeviceAudioUnitOutputController::currentDeviceChannelMappings() const {
  return currentDeviceOutputChannelMappings();
}
