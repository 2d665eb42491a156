#include "NQCoreAudioGraphNodeUnit.h"

#include <URequirements.h>

#include "NQCoreAudioProperties.h"

namespace NQCoreAudio {

GraphNodeUnit::~GraphNodeUnit() { GraphNodeUnit::Destruct(); }

OSStatus GraphNodeUnit::ConstructWithDescriptionInGraph(AUGraph graph) {
  if (!REQUIREMENT(mAUNodeOrZeroIfNotInAGraph == 0) || !REQUIREMENT(mAudioUnit == nullptr))
    return kAudio_ParamError;
  OSStatus status = AUGraphAddNode(graph, &mDescription, &mAUNodeOrZeroIfNotInAGraph);
  if (!REQUIRED_COREAUDIO(status)) return status;
  status = AUGraphNodeInfo(graph, mAUNodeOrZeroIfNotInAGraph, nullptr, &mAudioUnit);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus GraphNodeUnit::ConstructWithDescription() {
  if (!REQUIREMENT(mAUNodeOrZeroIfNotInAGraph == 0) || !REQUIREMENT(mAudioUnit == nullptr) ||
      !REQUIREMENT(mDescription.componentType != 0) || !REQUIREMENT(mDescription.componentSubType != 0))
    return kAudio_ParamError;
  AudioComponent component = AudioComponentFindNext(nullptr, &mDescription);
  if (!REQUIRED_NOT_NULL(component)) return kAudio_ParamError;
  OSStatus status = AudioComponentInstanceNew(component, &mAudioUnit);
  if (!REQUIRED_COREAUDIO(status)) return status;
  status = AudioUnitInitialize(mAudioUnit);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus GraphNodeUnit::Destruct() {
  if (mAudioUnit && !IsPartOfGraph()) {
    AudioUnitUninitialize(mAudioUnit);
    AudioComponentInstanceDispose(mAudioUnit);
  }
  mAudioUnit = nullptr;
  mAUNodeOrZeroIfNotInAGraph = 0;
  return noErr;
}

OSStatus GraphNodeUnit::SetInputStreamFormatForElement(const AudioStreamBasicDescription& format,
                                                       AudioUnitElement element) {
  return UnitSetProperty(mAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, element, format);
}

OSStatus GraphNodeUnit::SetOutputStreamFormatForElement(const AudioStreamBasicDescription& format,
                                                        AudioUnitElement element) {
  return UnitSetProperty(mAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, element,
                         format);
}

}  // namespace NQCoreAudio
