#include "NQCoreAudioGraphNodeUnitSystemDeviceIO.h"

#include <URequirements.h>

#include <algorithm>

#include "NQCoreAudioProperties.h"

namespace NQCoreAudio {

namespace {

constexpr AudioUnitElement kOutputElement = 0;
constexpr AudioUnitElement kInputElement = 1;

}  // namespace

GraphNodeUnitSystemDeviceIO::GraphNodeUnitSystemDeviceIO(OSType subtype,
                                                         AudioObjectPropertySelector defaultDeviceSelector,
                                                         AudioObjectPropertyScope scope)
    : GraphNodeUnit({kAudioUnitType_Output, subtype, kAudioUnitManufacturer_Apple, 2, 0}),
      kInputOutputScope(scope),
      kDefaultDeviceSelector(defaultDeviceSelector) {
  REQUIREMENT(kDefaultDeviceSelector == kAudioHardwarePropertyDefaultInputDevice ||
              kDefaultDeviceSelector == kAudioHardwarePropertyDefaultOutputDevice);
  REQUIREMENT(kInputOutputScope == kAudioObjectPropertyScopeInput ||
              kInputOutputScope == kAudioObjectPropertyScopeOutput);
}

bool GraphNodeUnitSystemDeviceIO::IsValid() {
  if (!mAudioUnit) return false;
  REQUIREMENT(kInputOutputScope == kAudioObjectPropertyScopeInput ||
              kInputOutputScope == kAudioObjectPropertyScopeOutput);
  return REQUIREMENT(mActiveDeviceID != kAudioObjectUnknown);
}

AudioDeviceID GraphNodeUnitSystemDeviceIO::ValidDeviceWithDevice(AudioDeviceID deviceID) {
  if (deviceID == kAudioObjectUnknown)
    ObjectGetGlobalProperty(kAudioObjectSystemObject, kDefaultDeviceSelector, deviceID);
  REQUIREMENT(deviceID != kAudioObjectUnknown);
  return deviceID;
}

OSStatus GraphNodeUnitSystemDeviceIO::ConstructWithDeviceID(AudioDeviceID deviceID) {
  deviceID = ValidDeviceWithDevice(deviceID);
  if (deviceID == kAudioObjectUnknown) return kAudioHardwareBadDeviceError;
  const OSStatus status = ConstructWithDescription();
  if (status != noErr) return status;
  SetActiveDeviceID(deviceID);
  return noErr;
}

void GraphNodeUnitSystemDeviceIO::SetActiveDeviceID(AudioDeviceID deviceID) {
  mActiveDeviceID = deviceID;
  mClockInterface.SetDeviceID(deviceID, kInputOutputScope);
}

OSStatus GraphNodeUnitSystemDeviceIO::SetActiveDeviceToAudioUnitCurrentDevice() {
  if (!REQUIREMENT(mActiveDeviceID != kAudioObjectUnknown)) return kAudio_ParamError;
  return UnitSetProperty(mAudioUnit, kAudioOutputUnitProperty_CurrentDevice, kAudioUnitScope_Global, 0,
                         mActiveDeviceID);
}

AudioDeviceID GraphNodeUnitSystemDeviceIO::GetActiveDeviceID() {
  REQUIREMENT(mActiveDeviceID != kAudioObjectUnknown);
  return mActiveDeviceID;
}

OSStatus GraphNodeUnitSystemDeviceIO::AudioDeviceGetNominalSampleRate(Float64& outRate) {
  return ObjectGetGlobalProperty(mActiveDeviceID, kAudioDevicePropertyNominalSampleRate, outRate);
}

OSStatus GraphNodeUnitSystemDeviceIO::GetAudioBufferListSizeInFramesForElement(UInt32& outFrames,
                                                                               AudioUnitElement element) {
  const OSStatus status = UnitGetProperty(mAudioUnit, kAudioDevicePropertyBufferFrameSize,
                                          kAudioUnitScope_Global, element, outFrames);
  if (status == noErr) REQUIREMENT(outFrames == mClockInterface.mBufferSizeInFrames);
  return status;
}

UInt32 GraphNodeUnitSystemDeviceIO::GetMaximumBufferSizeInFrames() {
  const AudioObjectPropertyAddress address{kAudioDevicePropertyBufferFrameSizeRange,
                                           kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
  AudioValueRange range{};
  UInt32 size = sizeof range;
  if (AudioObjectGetPropertyData(mActiveDeviceID, &address, 0, nullptr, &size, &range) != noErr) range = {};
  return std::max(mClockInterface.mBufferSizeInFrames, UInt32(std::max<Float64>(range.mMaximum, 0)));
}

OSStatus GraphNodeUnitSystemDeviceIO::SetStartTimestampsToHALDeviceIfPossible() {
  return UnitSetProperty(mAudioUnit, kAudioOutputUnitProperty_StartTimestampsAtZero, kAudioUnitScope_Global,
                         0, UInt32(0));
}

bool GraphNodeUnitSystemDeviceIO::IsRunning() {
  if (!IsValid()) return false;
  UInt32 running = 0;
  UnitGetProperty(mAudioUnit, kAudioOutputUnitProperty_IsRunning, kAudioUnitScope_Global, 0, running);
  return running != 0;
}

OSStatus GraphNodeUnitSystemDeviceIO::StartRunning() {
  if (IsRunning()) return noErr;
  const OSStatus status = AudioOutputUnitStart(mAudioUnit);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus GraphNodeUnitSystemDeviceIO::StopRunning() {
  if (!IsRunning()) return noErr;
  const OSStatus status = AudioOutputUnitStop(mAudioUnit);
  REQUIRED_COREAUDIO(status);
  return status;
}

// ----- Input -----

OSStatus GraphNodeUnitSystemDeviceInput::ConstructWithDeviceID(AudioDeviceID deviceID) {
  OSStatus status = GraphNodeUnitSystemDeviceIO::ConstructWithDeviceID(deviceID);
  if (status != noErr) return status;
  if ((status = SetUnitPropertiesWithActiveDeviceID()) != noErr) return status;
  if (deviceID != kAudioObjectUnknown) REQUIREMENT(mActiveDeviceID == deviceID);
  status = AudioUnitInitialize(mAudioUnit);
  REQUIRED_COREAUDIO(status);
  return status;
}

// Capture on, playing off, the device bound, and the device's own sample times given to the
// block (a failure of the switches is only reported).
OSStatus GraphNodeUnitSystemDeviceInput::SetUnitPropertiesWithActiveDeviceID() {
  UnitSetProperty(mAudioUnit, kAudioOutputUnitProperty_EnableIO, kAudioUnitScope_Input, kInputElement,
                  UInt32(1));
  UnitSetProperty(mAudioUnit, kAudioOutputUnitProperty_EnableIO, kAudioUnitScope_Output, kOutputElement,
                  UInt32(0));
  const OSStatus status = SetActiveDeviceToAudioUnitCurrentDevice();
  if (status != noErr) return status;
  SetStartTimestampsToHALDeviceIfPossible();
  return noErr;
}

// ----- Input with a render block -----

OSStatus GraphNodeUnitSystemDeviceInputWithRenderBlock::ConstructWithDeviceIDAndRenderSamplesBlock(
    AudioDeviceID deviceID, RenderSamplesBlock block) {
  OSStatus status = ConstructWithDeviceID(deviceID);
  if (status != noErr) {
    REQUIRED_COREAUDIO(status);
    if (!mAudioUnit) return status;
  }
  const AURenderCallbackStruct callback{sAudioUnitRenderDeviceInput, this};
  status = UnitSetProperty(mAudioUnit, kAudioOutputUnitProperty_SetInputCallback, kAudioUnitScope_Global, 0,
                           callback);
  if (status != noErr) return status;
  mRenderSamplesBlock = std::move(block);
  status = AudioUnitInitialize(mAudioUnit);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus GraphNodeUnitSystemDeviceInputWithRenderBlock::ConstructSampleOutputBuffer(UInt32 bufferCount,
                                                                                    UInt32 bytesPerBuffer) {
  return mSampleOutputBuffer.Construct(bufferCount, bytesPerBuffer) ? OSStatus(noErr)
                                                                    : OSStatus(kAudio_MemFullError);
}

OSStatus GraphNodeUnitSystemDeviceInputWithRenderBlock::sAudioUnitRenderDeviceInput(
    void* context, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus, UInt32 frames,
    AudioBufferList* list) {
  if (!REQUIRED_NOT_NULL(context)) return noErr;
  return static_cast<GraphNodeUnitSystemDeviceInputWithRenderBlock*>(context)->AudioUnitRenderDeviceInput(
      flags, time, bus, frames, list);
}

OSStatus GraphNodeUnitSystemDeviceInputWithRenderBlock::AudioUnitRenderDeviceInput(
    AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus, UInt32 frames,
    AudioBufferList*) {
  const UInt32 bytes = frames * UInt32(sizeof(Float32));
  if (!mSampleOutputBuffer.IsValid()) return kAudioUnitErr_Uninitialized;
  // A cycle larger than the buffers is refused rather than rendered past their end.
  if (bytes > mSampleOutputBuffer.GetCapacityBytes()) return kAudioUnitErr_TooManyFramesToProcess;
  AudioBufferList* samples = mSampleOutputBuffer.GetListWithByteSize(bytes);
  OSStatus status = AudioUnitRender(mAudioUnit, flags, time, bus, frames, samples);
  if (!REQUIRED_COREAUDIO(status)) return status;
  if (!mRenderSamplesBlock) return noErr;
  status = mRenderSamplesBlock(samples, frames, time);
  REQUIRED_COREAUDIO(status);
  return status;
}

OSStatus GraphNodeUnitSystemDeviceInputWithRenderBlock::Destruct() {
  GraphNodeUnitSystemDeviceIO::Destruct();
  mSampleOutputBuffer.Destruct();
  mRenderSamplesBlock = nullptr;
  return noErr;
}

}  // namespace NQCoreAudio
