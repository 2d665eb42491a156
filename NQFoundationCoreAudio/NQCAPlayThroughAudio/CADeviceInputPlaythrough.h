#pragma once
// The play-through of one input device into one output device: the input device's unit
// (outside any graph) hands captured frames to the varispeed node's ring; a graph holds the
// varispeed node and the output device's unit, varispeed output 0 to output unit input 0.
#include <atomic>
#include <memory>

#include "NQCoreAudioDevice.h"
#include "NQCoreAudioGraphNodeUnitSystemDeviceIO.h"
#include "NQCoreAudioGraphNodeUnitVarispeed.h"

using NQCoreAudio::GraphNodeUnitVarispeed;

class CADeviceInputWithVarispeedOutput : private GraphNodeUnitVarispeed::InputInterface {
 public:
  virtual ~CADeviceInputWithVarispeedOutput();

  bool IsRunning();
  OSStatus Start();
  OSStatus Stop();
  Float32 GetInputLevel() const { return mInputLevel.load(); }
  AudioDeviceID GetInputDevice() { return mInputUnit.GetActiveDeviceID(); }
  AudioUnit GetInputAudioUnit() const { return mInputUnit.GetAudioUnit(); }
  AudioUnit GetOutputAudioUnit() { return mVarispeedOutput.GetAudioUnit(); }
  Float64 GetVarispeedRate() const { return mVarispeedNodeUnit.GetVarispeedRate(); }
  SInt64 GetInToOutSampleOffset() const { return mVarispeedNodeUnit.GetInToOutSampleOffset(); }
  const AudioStreamBasicDescription& GetStreamFormat() const { return mStreamFormat; }

 protected:
  explicit CADeviceInputWithVarispeedOutput(GraphNodeUnitVarispeed::OutputInterface& output);

  NQCoreAudio::AudioDeviceClock& GetClockInterface() override { return mInputUnit.mClockInterface; }
  virtual OSStatus InitSetupGraphMakeAudioUnitNodes(AUGraph graph) = 0;
  virtual OSStatus InitSetupGraphEnd();
  virtual OSStatus Destruct();

  OSStatus InitConstructBegin(AudioDeviceID inputDeviceID);
  OSStatus InitSetupGraphBegin();
  OSStatus InitConstructEnd();
  OSStatus InitSetupGraphAudioFormatsAndAudioBuffers();
  OSStatus SetInputOutputUnitsAudioStreamFormat(const AudioStreamBasicDescription& format);

  AUGraph mGraph = nullptr;
  NQCoreAudio::GraphNodeUnitSystemDeviceInputWithRenderBlock mInputUnit;
  GraphNodeUnitVarispeed mVarispeedNodeUnit;
  GraphNodeUnitVarispeed::OutputInterface& mVarispeedOutput;
  AudioStreamBasicDescription mStreamFormat{};
  std::atomic<Float32> mInputLevel{0};
};

// The output side: the output device's unit in the graph.
class CAVarispeedOutputDelegate final : public GraphNodeUnitVarispeed::OutputInterface {
 public:
  NQCoreAudio::AudioDeviceClock& GetClockInterface() override { return mVarispeedOutput.mClockInterface; }
  OSStatus Destruct() override { return mVarispeedOutput.Destruct(); }
  AUNode GetAUNode() override { return mVarispeedOutput.GetAUNode(); }
  AudioUnit GetAudioUnit() override { return mVarispeedOutput.GetAudioUnit(); }
  OSStatus GetOutputDesiredSampleRate(Float64 inputNominalRate, Float64& outRate) override;

  OSStatus ConstructWithAUGraph(AUGraph graph) {
    return mVarispeedOutput.ConstructWithDescriptionInGraph(graph);
  }
  OSStatus InitWithDeviceID(AudioDeviceID deviceID);

  NQCoreAudio::GraphNodeUnitSystemDeviceOutput mVarispeedOutput;
};

class CADeviceInputPlaythrough final : public CADeviceInputWithVarispeedOutput {
 public:
  // A built play-through, or null with the failing status (the partial one is destroyed).
  static std::unique_ptr<CADeviceInputPlaythrough> CreateInstance(AudioDeviceID inputDeviceID,
                                                                  AudioDeviceID outputDeviceID,
                                                                  OSStatus* outStatus = nullptr);
  ~CADeviceInputPlaythrough() override;

  AudioDeviceID GetOutputDeviceID() const { return mOutputDevice.mDeviceID; }

 private:
  CADeviceInputPlaythrough();
  OSStatus InitConstructBegin(AudioDeviceID inputDeviceID, AudioDeviceID outputDeviceID);
  OSStatus InitSetupGraphMakeAudioUnitNodes(AUGraph graph) override;
  OSStatus InitSetupGraphVarispeedOutputUnitWithDeviceID(AudioDeviceID outputDeviceID);

  NQCoreAudio::Device mOutputDevice;
  CAVarispeedOutputDelegate mVarispeedOutputDelegate;
};
