#include "VarispeedUnit.h"

#include <algorithm>
#include <cmath>

namespace AudioToolboxBackend {

namespace {

constexpr Float32 kMinimumRate = 0.25f;
constexpr Float32 kMaximumRate = 4.0f;

}  // namespace

VarispeedUnit::VarispeedUnit(const AudioComponentDescription& description)
    : OpaqueAudioComponentInstance(description),
      mInputFormat(CanonicalFormat(44100, 2)),
      mOutputFormat(CanonicalFormat(44100, 2)) {}

VarispeedUnit::~VarispeedUnit() { doUninitialize(); }

OSStatus VarispeedUnit::doInitialize() {
  if (mInputFormat.mChannelsPerFrame != mOutputFormat.mChannelsPerFrame)
    return kAudioUnitErr_FormatNotSupported;
  doUninitialize();
  const UInt32 channels = mInputFormat.mChannelsPerFrame;
  int error = 0;
  mResampler = src_callback_new(PullInput, SRC_SINC_FASTEST, int(channels), &error, this);
  if (!mResampler) return kAudioUnitErr_FailedInitialization;
  mInput.allocate(channels, kInputChunkFrames);
  mInterleavedInput.assign(size_t(kInputChunkFrames) * channels, 0.0f);
  mInterleavedOutput.assign(size_t(mMaximumFrames) * channels, 0.0f);
  mHasInputTime = false;
  return noErr;
}

void VarispeedUnit::doUninitialize() {
  if (mResampler) src_delete(mResampler);
  mResampler = nullptr;
}

OSStatus VarispeedUnit::getPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                        AudioUnitElement element, UInt32& size, bool& writable) {
  writable = true;
  switch (id) {
    case kAudioUnitProperty_StreamFormat:
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      if (element != 0) return kAudioUnitErr_InvalidElement;
      size = sizeof(AudioStreamBasicDescription);
      return noErr;
    case kAudioUnitProperty_MaximumFramesPerSlice:
      size = sizeof(UInt32);
      return noErr;
    case kAudioUnitProperty_SetRenderCallback:
      size = sizeof(AURenderCallbackStruct);
      return noErr;
    case kAudioUnitProperty_MakeConnection:
      size = sizeof(AudioUnitConnection);
      return noErr;
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus VarispeedUnit::getProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    void* data, UInt32& size) {
  switch (id) {
    case kAudioUnitProperty_StreamFormat:
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      if (element != 0) return kAudioUnitErr_InvalidElement;
      return answer(scope == kAudioUnitScope_Input ? mInputFormat : mOutputFormat, data, size);
    case kAudioUnitProperty_MaximumFramesPerSlice:
      return answer(mMaximumFrames, data, size);
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus VarispeedUnit::setProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    const void* data, UInt32 size) {
  UInt32 expected = 0;
  bool writable = false;
  OSStatus status = getPropertyInfo(id, scope, element, expected, writable);
  if (status != noErr) return status;
  switch (id) {
    case kAudioUnitProperty_StreamFormat: {
      AudioStreamBasicDescription format{};
      if ((status = take(format, data, size)) != noErr) return status;
      if (!IsCanonicalFormat(format)) return kAudioUnitErr_FormatNotSupported;
      (scope == kAudioUnitScope_Input ? mInputFormat : mOutputFormat) = format;
      if (!initialized() || mInputFormat.mChannelsPerFrame != mOutputFormat.mChannelsPerFrame) return noErr;
      return doInitialize();
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      UInt32 frames = 0;
      if ((status = take(frames, data, size)) != noErr) return status;
      if (frames == 0) return kAudioUnitErr_InvalidPropertyValue;
      mMaximumFrames = frames;
      return initialized() ? doInitialize() : noErr;
    }
    case kAudioUnitProperty_SetRenderCallback: {
      AURenderCallbackStruct callback{};
      if ((status = take(callback, data, size)) != noErr) return status;
      mSource.setCallback(callback);
      return noErr;
    }
    case kAudioUnitProperty_MakeConnection: {
      AudioUnitConnection connection{};
      if ((status = take(connection, data, size)) != noErr) return status;
      mSource.setConnection(connection);
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus VarispeedUnit::getParameter(AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                                     AudioUnitParameterValue& value) {
  if (id != kVarispeedParam_PlaybackRate) return kAudioUnitErr_InvalidParameter;
  value = mPlaybackRate.load();
  return noErr;
}

OSStatus VarispeedUnit::setParameter(AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                                     AudioUnitParameterValue value) {
  if (id != kVarispeedParam_PlaybackRate) return kAudioUnitErr_InvalidParameter;
  if (!(value >= kMinimumRate && value <= kMaximumRate)) return kAudioUnitErr_InvalidPropertyValue;
  mPlaybackRate.store(value);
  return noErr;
}

long VarispeedUnit::PullInput(void* context, float** data) {
  return static_cast<VarispeedUnit*>(context)->pullInput(data);
}

long VarispeedUnit::pullInput(float** data) {
  const UInt32 channels = mInput.channels();
  AudioBufferList& list = mInput.list(kInputChunkFrames);
  AudioUnitRenderActionFlags flags = 0;
  const OSStatus status = mSource.pull(&flags, mInputTime, 0, kInputChunkFrames, list);
  mInputTime.mSampleTime += kInputChunkFrames;
  for (UInt32 c = 0; c < channels; ++c) {
    const auto* from = static_cast<const Float32*>(list.mBuffers[c].mData);
    const bool whole =
        status == noErr && from && list.mBuffers[c].mDataByteSize >= kInputChunkFrames * sizeof(Float32);
    for (UInt32 i = 0; i < kInputChunkFrames; ++i)
      mInterleavedInput[i * channels + c] = whole ? from[i] : 0.0f;
  }
  if (status != noErr) mPullStatus = status;
  *data = mInterleavedInput.data();
  return kInputChunkFrames;
}

OSStatus VarispeedUnit::render(AudioUnitRenderActionFlags*, const AudioTimeStamp& timeStamp, UInt32 bus,
                               UInt32 frames, AudioBufferList& data) {
  if (bus != 0) return kAudioUnitErr_InvalidElement;
  if (!initialized() || !mResampler) return kAudioUnitErr_Uninitialized;
  if (frames > mMaximumFrames) return kAudioUnitErr_TooManyFramesToProcess;
  const UInt32 channels = mOutputFormat.mChannelsPerFrame;
  for (UInt32 c = 0; c < data.mNumberBuffers; ++c)
    if (!data.mBuffers[c].mData || data.mBuffers[c].mDataByteSize < frames * sizeof(Float32))
      return kAudioUnitErr_TooManyFramesToProcess;
  if (!mHasInputTime) {
    mInputTime = AudioTimeStamp{};
    mInputTime.mSampleTime = timeStamp.mSampleTime;
    mInputTime.mFlags = kAudioTimeStampSampleTimeValid;
    mHasInputTime = true;
  }
  mPullStatus = noErr;
  const double ratio = (mOutputFormat.mSampleRate / mInputFormat.mSampleRate) /
                       double(mPlaybackRate.load(std::memory_order_relaxed));
  long produced = 0;
  while (produced < long(frames)) {
    const long got = src_callback_read(mResampler, ratio, long(frames) - produced,
                                       mInterleavedOutput.data() + size_t(produced) * channels);
    if (got <= 0) break;
    produced += got;
  }
  for (UInt32 c = 0; c < data.mNumberBuffers; ++c) {
    auto* into = static_cast<Float32*>(data.mBuffers[c].mData);
    for (UInt32 i = 0; i < frames; ++i)
      into[i] = c < channels && long(i) < produced ? mInterleavedOutput[size_t(i) * channels + c] : 0.0f;
    data.mBuffers[c].mDataByteSize = frames * sizeof(Float32);
  }
  return mPullStatus;
}

}  // namespace AudioToolboxBackend
