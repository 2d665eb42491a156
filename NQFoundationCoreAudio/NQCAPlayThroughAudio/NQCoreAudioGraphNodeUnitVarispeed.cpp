#include "NQCoreAudioGraphNodeUnitVarispeed.h"

#include <URequirements.h>

#include <cmath>
#include <cstring>

#include "NQCoreAudioProperties.h"
#include "NQCoreAudioStatus.h"

namespace NQCoreAudio {

namespace {

constexpr AudioComponentDescription kVarispeedDescription{
    kAudioUnitType_FormatConverter, kAudioUnitSubType_Varispeed, kAudioUnitManufacturer_Apple, 0, 0};
// Two clocks never differ by more than this; a ratio outside it is a bad reading.
constexpr Float64 kLowestRate = 0.5;
constexpr Float64 kHighestRate = 2.0;

void ZeroList(AudioBufferList* list) {
  if (!list) return;
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i)
    if (list->mBuffers[i].mData) memset(list->mBuffers[i].mData, 0, list->mBuffers[i].mDataByteSize);
}

}  // namespace

GraphNodeUnitVarispeed::GraphNodeUnitVarispeed(InputInterface& input, OutputInterface& output)
    : GraphNodeUnit(kVarispeedDescription), mInputInterface(&input), mOutputInterface(&output) {}

GraphNodeUnitVarispeed::~GraphNodeUnitVarispeed() { mRingBuffer.Deallocate(); }

OSStatus GraphNodeUnitVarispeed::ConstructWithDescriptionInGraph(AUGraph graph) {
  OSStatus err = noErr;
  CAPLAYTHROUGH_CHECK(GraphNodeUnit::ConstructWithDescriptionInGraph(graph));
  const AURenderCallbackStruct callback{sAURenderInput, this};
  CAPLAYTHROUGH_CHECK(
      UnitSetProperty(mAudioUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0, callback));
  return noErr;
}

OSStatus GraphNodeUnitVarispeed::Destruct() {
  mRingBuffer.Deallocate();
  return GraphNodeUnit::Destruct();
}

OSStatus GraphNodeUnitVarispeed::CreateInputBufferWithFormatAndBufferSizeInFrames(
    const AudioStreamBasicDescription& format, UInt32 bufferSizeInFrames) {
  if (!REQUIREMENT(format.mChannelsPerFrame > 0) || !REQUIREMENT(format.mBytesPerFrame > 0) ||
      !REQUIREMENT(bufferSizeInFrames > 0))
    return kAudio_ParamError;
  try {
    mRingBuffer.Allocate(SInt32(format.mChannelsPerFrame), format.mBytesPerFrame, bufferSizeInFrames * 20);
  } catch (const std::bad_alloc&) {
    return kAudio_MemFullError;
  }
  return noErr;
}

void GraphNodeUnitVarispeed::SetFirstInputSampleTime(Float64 time) {
  if (REQUIREMENT(IsFirstSampleTimeNotSet(mFirstInputSampleTime.load()))) mFirstInputSampleTime.store(time);
}

void GraphNodeUnitVarispeed::SetFirstOutputSampleTime(Float64 time) {
  if (REQUIREMENT(IsFirstSampleTimeNotSet(mFirstOutputSampleTime.load()))) mFirstOutputSampleTime.store(time);
}

void GraphNodeUnitVarispeed::ResetFirstSampleTimes() {
  mFirstInputSampleTime.store(-1.0);
  mFirstOutputSampleTime.store(-1.0);
}

void GraphNodeUnitVarispeed::ResetRenderState() {
  ResetFirstSampleTimes();
  mInToOutSampleOffset = 0;
  PublishOffset();
  mVarispeedRate.store(0);
}

CARingBufferError GraphNodeUnitVarispeed::StoreInputSamples(const AudioBufferList* list, UInt32 frames,
                                                            const AudioTimeStamp& time) {
  return mRingBuffer.Store(list, frames, SampleTime(time.mSampleTime));
}

UInt32 GraphNodeUnitVarispeed::TotalLatency() {
  const AudioDeviceClock& input = mInputInterface->GetClockInterface();
  const AudioDeviceClock& output = mOutputInterface->GetClockInterface();
  return input.mSafetyOffsetInFrames + input.mBufferSizeInFrames + output.mSafetyOffsetInFrames +
         output.mBufferSizeInFrames;
}

void GraphNodeUnitVarispeed::PublishOffset() {
  mInToOutSampleOffsetAtomic.store(SInt64(mInToOutSampleOffset));
}

void GraphNodeUnitVarispeed::ComputeInToOutSampleOffset(Float64 difference) {
  mInToOutSampleOffset = Float64(TotalLatency()) - difference;
  PublishOffset();
}

// The varispeed plays the input faster when the input's clock runs faster than the output's:
// a rate scalar counts host ticks per frame, so the rate is the output's scalar over the
// input's.
OSStatus GraphNodeUnitVarispeed::SetNewVarispeedRateWithIOClocks(const AudioTimeStamp& inputTime,
                                                                 const AudioTimeStamp& outputTime) {
  const Float64 rate = outputTime.mRateScalar / inputTime.mRateScalar;
  if (!(rate >= kLowestRate && rate <= kHighestRate)) {
    REQUIREMENT(!"newVarispeedRate in range");
    return noErr;
  }
  if (rate == mVarispeedRate.load()) return noErr;
  mVarispeedRate.store(rate);
  return AudioUnitSetParameter(mAudioUnit, kVarispeedParam_PlaybackRate, kAudioUnitScope_Global, 0,
                               Float32(rate), 0);
}

Float64 GraphNodeUnitVarispeed::GetVarispeedRate() const { return mVarispeedRate.load(); }

bool GraphNodeUnitVarispeed::MeasureLevel(const AudioBufferList* list, UInt32 frames, Float32& outLevel) {
  if (!REQUIREMENT(frames > 0) || !list || list->mNumberBuffers == 0) return false;
  const AudioBuffer& buffer = list->mBuffers[0];
  if (!REQUIRED_NOT_NULL(buffer.mData)) return false;
  const auto* samples = static_cast<const Float32*>(buffer.mData);
  const UInt32 count = buffer.mDataByteSize / UInt32(sizeof(Float32));
  Float64 sum = 0;
  for (UInt32 i = 0; i < count; i += 8) sum += Float64(samples[i]) * samples[i];
  const UInt32 summed = buffer.mDataByteSize / 32;
  // A block too short to measure, or silence, shows as the floor rather than as a division
  // by zero.
  if (summed == 0 || !(sum > 0)) {
    outLevel = kSilenceLevel;
    return true;
  }
  outLevel = std::max(kSilenceLevel, Float32(10.0 * std::log10(sum / Float64(summed))));
  return true;
}

OSStatus GraphNodeUnitVarispeed::RenderInputSamples(const AudioBufferList* list, UInt32 frames,
                                                    const AudioTimeStamp& time, std::atomic<Float32>& level) {
  if (IsFirstSampleTimeNotSet(mFirstInputSampleTime.load())) SetFirstInputSampleTime(time.mSampleTime);
  Float32 measured = 0;
  if (MeasureLevel(list, frames, measured)) level.store(measured);
  return StoreInputSamples(list, frames, time);
}

OSStatus GraphNodeUnitVarispeed::sAURenderInput(void* context, AudioUnitRenderActionFlags*,
                                                const AudioTimeStamp* time, UInt32, UInt32 frames,
                                                AudioBufferList* list) {
  if (!REQUIRED_NOT_NULL(context) || !time) return noErr;
  return static_cast<GraphNodeUnitVarispeed*>(context)->RenderOutput(*time, frames, list);
}

bool GraphNodeUnitVarispeed::ReadWindowLost(SampleTime readTime, UInt32 frames, SampleTime& outEnd) {
  SampleTime start = 0, end = 0;
  if (mRingBuffer.ReadTimeBounds(start, end) != kCARingBufferError_OK) return false;
  const bool outside = readTime >= end || readTime + SampleTime(frames) <= start;
  mMissedCycles = outside ? mMissedCycles + 1 : 0;
  outEnd = end;
  // Once found again, the window is only looked for anew after the writer has moved on, so a
  // stopped input is not replayed over and over.
  return mMissedCycles >= kLostWindowCycles && end != mWindowEndAtLastFind &&
         end - start >= SampleTime(TotalLatency());
}

OSStatus GraphNodeUnitVarispeed::RenderOutput(const AudioTimeStamp& time, UInt32 frames,
                                              AudioBufferList* list) {
  if (IsFirstSampleTimeNotSet(mFirstInputSampleTime.load())) {
    ZeroList(list);
    return noErr;
  }
  AudioTimeStamp inputUnitTimeStamp{};
  OSStatus err = mInputInterface->GetClockInterface().GetCurrentTime(inputUnitTimeStamp);
  if (err == kAudioHardwareNotRunningError) {
    ZeroList(list);
    return noErr;
  }
  if (err != noErr) {
    CAPLAYTHROUGH_PRINT(err, "err");
    return err;
  }
  AudioTimeStamp varispeedUnitTimeStamp{};
  err = mOutputInterface->GetClockInterface().GetCurrentTime(varispeedUnitTimeStamp);
  if (err == kAudioHardwareNotRunningError) return err;
  if (err != noErr) {
    CAPLAYTHROUGH_PRINT(err, "err");
    return err;
  }
  err = SetNewVarispeedRateWithIOClocks(inputUnitTimeStamp, varispeedUnitTimeStamp);
  if (err != noErr) {
    CAPLAYTHROUGH_PRINT(err,
                        "err = SetNewVarispeedRateWithIOClocks(inputUnitTimeStamp,varispeedUnitTimeStamp)");
    return err;
  }
  if (IsFirstSampleTimeNotSet(mFirstOutputSampleTime.load())) {
    SetFirstOutputSampleTime(time.mSampleTime);
    ComputeInToOutSampleOffset(mFirstInputSampleTime.load() - mFirstOutputSampleTime.load());
    mMissedCycles = 0;
    mWindowEndAtLastFind = -1;
    ZeroList(list);
    return noErr;
  }

  SampleTime readTime = SampleTime(time.mSampleTime - mInToOutSampleOffset);
  SampleTime windowEnd = 0;
  if (ReadWindowLost(readTime, frames, windowEnd)) {
    // Read the latency's worth behind the newest frame again.
    mInToOutSampleOffset = time.mSampleTime - Float64(windowEnd - SampleTime(TotalLatency()));
    PublishOffset();
    mMissedCycles = 0;
    mWindowEndAtLastFind = windowEnd;
    readTime = SampleTime(time.mSampleTime - mInToOutSampleOffset);
  }
  if (mRingBuffer.Fetch(list, frames, readTime) == kCARingBufferError_OK) return noErr;

  // The range could not be read: silence now, and read from the oldest frame on. When even
  // that cannot be read the offset stays, rather than jumping to the start of time.
  ZeroList(list);
  SampleTime start = 0, end = 0;
  if (mRingBuffer.ReadTimeBounds(start, end) == kCARingBufferError_OK)
    mInToOutSampleOffset = time.mSampleTime - Float64(start);
  return noErr;
}

}  // namespace NQCoreAudio
