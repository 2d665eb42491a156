#pragma once
// One audio unit, either a node of an AUGraph (whose close and dispose release it) or a unit
// of its own, made and initialised here and disposed of by Destruct.
#include <AudioToolbox/AudioToolbox.h>

namespace NQCoreAudio {

class GraphNodeUnit {
 public:
  explicit GraphNodeUnit(const AudioComponentDescription& description) : mDescription(description) {}
  virtual ~GraphNodeUnit();
  GraphNodeUnit(const GraphNodeUnit&) = delete;
  GraphNodeUnit& operator=(const GraphNodeUnit&) = delete;

  virtual OSStatus ConstructWithDescriptionInGraph(AUGraph graph);
  virtual OSStatus Destruct();
  virtual bool IsValid() { return mAudioUnit != nullptr; }

  OSStatus ConstructWithDescription();
  bool IsPartOfGraph() const { return mAUNodeOrZeroIfNotInAGraph != 0; }
  AudioUnit GetAudioUnit() const { return mAudioUnit; }
  AUNode GetAUNode() const { return mAUNodeOrZeroIfNotInAGraph; }

  OSStatus SetInputStreamFormatForElement(const AudioStreamBasicDescription& format,
                                          AudioUnitElement element);
  OSStatus SetOutputStreamFormatForElement(const AudioStreamBasicDescription& format,
                                           AudioUnitElement element);

 protected:
  AUNode mAUNodeOrZeroIfNotInAGraph = 0;
  AudioUnit mAudioUnit = nullptr;
  AudioComponentDescription mDescription;
};

}  // namespace NQCoreAudio
