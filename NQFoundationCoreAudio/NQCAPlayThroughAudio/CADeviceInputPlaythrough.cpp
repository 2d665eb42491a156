#include "CADeviceInputPlaythrough.h"

#include <URequirements.h>

#include <algorithm>

#include "NQCoreAudioProperties.h"
#include "NQCoreAudioStatus.h"

using NQCoreAudio::UnitGetProperty;

namespace {

constexpr AudioUnitElement kElement0 = 0;
constexpr AudioUnitElement kElement1 = 1;

OSStatus UnitGetInputStreamFormatForElement(AudioUnit unit, AudioStreamBasicDescription& format,
                                            AudioUnitElement element) {
  return UnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, element, format);
}

OSStatus UnitGetOutputStreamFormatForElement(AudioUnit unit, AudioStreamBasicDescription& format,
                                             AudioUnitElement element) {
  return UnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, element, format);
}

}  // namespace

// ----- The input side and the graph -----

CADeviceInputWithVarispeedOutput::CADeviceInputWithVarispeedOutput(
    GraphNodeUnitVarispeed::OutputInterface& output)
    : mVarispeedNodeUnit(*this, output), mVarispeedOutput(output) {}

CADeviceInputWithVarispeedOutput::~CADeviceInputWithVarispeedOutput() = default;

OSStatus CADeviceInputWithVarispeedOutput::InitConstructBegin(AudioDeviceID inputDeviceID) {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(mInputUnit.ConstructWithDeviceIDAndRenderSamplesBlock(
      inputDeviceID, [this](const AudioBufferList* list, UInt32 frames, const AudioTimeStamp* time) {
        return mVarispeedNodeUnit.RenderInputSamples(list, frames, *time, mInputLevel);
      }));
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::InitSetupGraphBegin() {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(NewAUGraph(&mGraph));
  CAPLAYTHROUGH_CHECK(AUGraphOpen(mGraph));
  CAPLAYTHROUGH_CHECK(InitSetupGraphMakeAudioUnitNodes(mGraph));
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::InitConstructEnd() {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(InitSetupGraphEnd());
  mVarispeedNodeUnit.ComputeInToOutSampleOffset(0);
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::InitSetupGraphEnd() {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(InitSetupGraphAudioFormatsAndAudioBuffers());
  CAPLAYTHROUGH_CHECK(
      AUGraphConnectNodeInput(mGraph, mVarispeedNodeUnit.GetAUNode(), 0, mVarispeedOutput.GetAUNode(), 0));
  CAPLAYTHROUGH_CHECK(AUGraphInitialize(mGraph));
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::InitSetupGraphAudioFormatsAndAudioBuffers() {
  OSStatus err = noErr;
  UInt32 bufferSizeFrames = 0;
  CAPLAYTHROUGH_CHECK(mInputUnit.GetAudioBufferListSizeInFramesForElement(bufferSizeFrames, kElement0));
  AudioStreamBasicDescription asbd_dev1_in{}, asbd{}, asbd_dev2_out{};
  const AudioUnit inputUnit = mInputUnit.GetAudioUnit();
  const AudioUnit outputUnit = mVarispeedOutput.GetAudioUnit();
  CAPLAYTHROUGH_CHECK(UnitGetInputStreamFormatForElement(inputUnit, asbd_dev1_in, kElement1));
  CAPLAYTHROUGH_CHECK(UnitGetOutputStreamFormatForElement(inputUnit, asbd, kElement1));
  CAPLAYTHROUGH_CHECK(UnitGetOutputStreamFormatForElement(outputUnit, asbd_dev2_out, kElement0));
  Float64 inputDeviceNominalSampleRate = 0;
  CAPLAYTHROUGH_CHECK(mInputUnit.AudioDeviceGetNominalSampleRate(inputDeviceNominalSampleRate));

  asbd.mSampleRate = inputDeviceNominalSampleRate;
  asbd.mChannelsPerFrame = std::min(asbd_dev1_in.mChannelsPerFrame, asbd_dev2_out.mChannelsPerFrame);
  CAPLAYTHROUGH_CHECK(mInputUnit.SetOutputStreamFormatForElement(asbd, kElement1));
  CAPLAYTHROUGH_CHECK(mVarispeedNodeUnit.SetInputStreamFormatForElement(asbd, kElement0));

  Float64 outputNominalSampleRate = 0;
  CAPLAYTHROUGH_CHECK(
      mVarispeedOutput.GetOutputDesiredSampleRate(inputDeviceNominalSampleRate, outputNominalSampleRate));
  asbd.mSampleRate = outputNominalSampleRate;
  CAPLAYTHROUGH_CHECK(SetInputOutputUnitsAudioStreamFormat(asbd));

  // The captured blocks are held for the largest cycle the device may run, not only its
  // present one.
  const UInt32 sampleBufferFrames = std::max(bufferSizeFrames, mInputUnit.GetMaximumBufferSizeInFrames());
  CAPLAYTHROUGH_CHECK(mInputUnit.ConstructSampleOutputBuffer(asbd.mChannelsPerFrame,
                                                             sampleBufferFrames * UInt32(sizeof(Float32))));
  CAPLAYTHROUGH_CHECK(
      mVarispeedNodeUnit.CreateInputBufferWithFormatAndBufferSizeInFrames(asbd, bufferSizeFrames));
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::SetInputOutputUnitsAudioStreamFormat(
    const AudioStreamBasicDescription& format) {
  OSStatus err = noErr;
  mStreamFormat = format;
  CAPLAYTHROUGH_CHECK(mVarispeedNodeUnit.SetOutputStreamFormatForElement(format, kElement0));
  CAPLAYTHROUGH_CHECK(NQCoreAudio::UnitSetProperty(mVarispeedOutput.GetAudioUnit(),
                                                   kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input,
                                                   kElement0, format));
  return noErr;
}

bool CADeviceInputWithVarispeedOutput::IsRunning() {
  if (mInputUnit.IsRunning()) return true;
  if (!mGraph) return false;
  Boolean running = false;
  if (!REQUIRED_COREAUDIO(AUGraphIsRunning(mGraph, &running))) return false;
  return running;
}

OSStatus CADeviceInputWithVarispeedOutput::Start() {
  if (IsRunning()) return noErr;
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(mInputUnit.StartRunning());
  CAPLAYTHROUGH_CHECK(AUGraphStart(mGraph));
  mVarispeedNodeUnit.ResetFirstSampleTimes();
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::Stop() {
  if (!IsRunning()) return noErr;
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(mInputUnit.StopRunning());
  CAPLAYTHROUGH_CHECK(AUGraphStop(mGraph));
  mVarispeedNodeUnit.ResetFirstSampleTimes();
  return noErr;
}

OSStatus CADeviceInputWithVarispeedOutput::Destruct() {
  Stop();
  mVarispeedOutput.Destruct();
  mVarispeedNodeUnit.Destruct();
  mInputUnit.Destruct();
  if (REQUIRED_NOT_NULL(mGraph)) {
    AUGraphClose(mGraph);
    DisposeAUGraph(mGraph);
  }
  mGraph = nullptr;
  return noErr;
}

// ----- The output side -----

OSStatus CAVarispeedOutputDelegate::GetOutputDesiredSampleRate(Float64 inputNominalRate, Float64& outRate) {
  if (mVarispeedOutput.AudioDeviceGetNominalSampleRate(outRate) != noErr || !(outRate > 0))
    outRate = inputNominalRate;
  return noErr;
}

OSStatus CAVarispeedOutputDelegate::InitWithDeviceID(AudioDeviceID deviceID) {
  OSStatus err = noErr;
  mVarispeedOutput.SetActiveDeviceID(deviceID);
  CAPLAYTHROUGH_CHECK(mVarispeedOutput.SetActiveDeviceToAudioUnitCurrentDevice());
  CAPLAYTHROUGH_CHECK(mVarispeedOutput.SetStartTimestampsToHALDeviceIfPossible());
  return noErr;
}

// ----- The play-through -----

CADeviceInputPlaythrough::CADeviceInputPlaythrough()
    : CADeviceInputWithVarispeedOutput(mVarispeedOutputDelegate) {}

CADeviceInputPlaythrough::~CADeviceInputPlaythrough() { Destruct(); }

std::unique_ptr<CADeviceInputPlaythrough> CADeviceInputPlaythrough::CreateInstance(
    AudioDeviceID inputDeviceID, AudioDeviceID outputDeviceID, OSStatus* outStatus) {
  std::unique_ptr<CADeviceInputPlaythrough> playThrough(new CADeviceInputPlaythrough);
  OSStatus status = playThrough->InitConstructBegin(inputDeviceID, outputDeviceID);
  if (status == noErr) status = playThrough->InitConstructEnd();
  if (outStatus) *outStatus = status;
  if (status != noErr) {
    CAPLAYTHROUGH_PRINT(status,
                        "err = CADeviceInputPlaythrough::CreateInstance(inInputDeviceID,inOutputDeviceID)");
    return nullptr;
  }
  return playThrough;
}

OSStatus CADeviceInputPlaythrough::InitConstructBegin(AudioDeviceID inputDeviceID,
                                                      AudioDeviceID outputDeviceID) {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(CADeviceInputWithVarispeedOutput::InitConstructBegin(inputDeviceID));
  CAPLAYTHROUGH_CHECK(InitSetupGraphBegin());
  CAPLAYTHROUGH_CHECK(InitSetupGraphVarispeedOutputUnitWithDeviceID(outputDeviceID));
  return noErr;
}

OSStatus CADeviceInputPlaythrough::InitSetupGraphMakeAudioUnitNodes(AUGraph graph) {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(mVarispeedNodeUnit.ConstructWithDescriptionInGraph(graph));
  CAPLAYTHROUGH_CHECK(mVarispeedOutputDelegate.ConstructWithAUGraph(graph));
  return noErr;
}

OSStatus CADeviceInputPlaythrough::InitSetupGraphVarispeedOutputUnitWithDeviceID(
    AudioDeviceID outputDeviceID) {
  const AudioDeviceID deviceID = NQCoreAudio::GetValidOutputDeviceFromDeviceID(outputDeviceID);
  if (deviceID == kAudioObjectUnknown) return kAudioHardwareBadDeviceError;
  mOutputDevice = NQCoreAudio::Device(deviceID, kAudioObjectPropertyScopeOutput);
  return mVarispeedOutputDelegate.InitWithDeviceID(deviceID);
}
