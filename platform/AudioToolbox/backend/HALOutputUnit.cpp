#include "HALOutputUnit.h"

#include <algorithm>

namespace AudioToolboxBackend {

namespace {

constexpr UInt32 kInputElement = 1;
constexpr UInt32 kOutputElement = 0;
constexpr UInt32 kFallbackMaximumFrames = 4096;

template <class T>
OSStatus ReadDeviceProperty(AudioObjectID object, AudioObjectPropertySelector selector,
                            AudioObjectPropertyScope scope, T& value) {
  const AudioObjectPropertyAddress address{selector, scope, kAudioObjectPropertyElementMain};
  UInt32 size = sizeof value;
  return AudioObjectGetPropertyData(object, &address, 0, nullptr, &size, &value);
}

// The channels of each stream of a device's side, from its stream configuration.
std::vector<UInt32> StreamChannels(AudioDeviceID device, AudioObjectPropertyScope scope) {
  const AudioObjectPropertyAddress address{kAudioDevicePropertyStreamConfiguration, scope,
                                           kAudioObjectPropertyElementMain};
  UInt32 size = 0;
  if (AudioObjectGetPropertyDataSize(device, &address, 0, nullptr, &size) != noErr || size < sizeof(UInt32))
    return {};
  std::vector<UInt8> storage(std::max<size_t>(size, AudioBufferListSize(1)));
  if (AudioObjectGetPropertyData(device, &address, 0, nullptr, &size, storage.data()) != noErr) return {};
  const auto* list = reinterpret_cast<const AudioBufferList*>(storage.data());
  if (AudioBufferListSize(list->mNumberBuffers) > storage.size()) return {};
  std::vector<UInt32> channels;
  for (UInt32 i = 0; i < list->mNumberBuffers; ++i) channels.push_back(list->mBuffers[i].mNumberChannels);
  return channels;
}

bool ValidElement(AudioUnitElement element) { return element == kInputElement || element == kOutputElement; }

}  // namespace

HALOutputUnit::HALOutputUnit(const AudioComponentDescription& description)
    : OpaqueAudioComponentInstance(description) {
  AudioDeviceID device = kAudioObjectUnknown;
  ReadDeviceProperty(kAudioObjectSystemObject, kAudioHardwarePropertyDefaultOutputDevice,
                     kAudioObjectPropertyScopeGlobal, device);
  if (device != kAudioObjectUnknown) bindDevice(device);
}

HALOutputUnit::~HALOutputUnit() { stop(); }

OSStatus HALOutputUnit::bindDevice(AudioDeviceID device) {
  Float64 rate = 0;
  const OSStatus status = ReadDeviceProperty(device, kAudioDevicePropertyNominalSampleRate,
                                             kAudioObjectPropertyScopeGlobal, rate);
  if (status != noErr) return status;
  mDevice = device;
  mDeviceRate = rate;
  mDeviceInput.streamChannels = StreamChannels(device, kAudioObjectPropertyScopeInput);
  mDeviceOutput.streamChannels = StreamChannels(device, kAudioObjectPropertyScopeOutput);
  for (DeviceSide* side : {&mDeviceInput, &mDeviceOutput}) {
    side->channels = 0;
    for (UInt32 channels : side->streamChannels) side->channels += channels;
  }
  mDeviceBufferFrames = 0;
  ReadDeviceProperty(device, kAudioDevicePropertyBufferFrameSize, kAudioObjectPropertyScopeGlobal,
                     mDeviceBufferFrames);
  AudioValueRange range{};
  ReadDeviceProperty(device, kAudioDevicePropertyBufferFrameSizeRange, kAudioObjectPropertyScopeGlobal,
                     range);
  mDeviceMaximumFrames = UInt32(std::max<Float64>(range.mMaximum, 0));
  mInputClientFormat = CanonicalFormat(rate, std::max<UInt32>(mDeviceInput.channels, 1));
  mOutputClientFormat = CanonicalFormat(rate, std::max<UInt32>(mDeviceOutput.channels, 1));
  return initialized() ? doInitialize() : noErr;
}

UInt32 HALOutputUnit::maximumFrames() const {
  return std::max({mDeviceBufferFrames, mDeviceMaximumFrames, kFallbackMaximumFrames});
}

OSStatus HALOutputUnit::doInitialize() {
  mCaptured.allocate(mDeviceInput.channels, maximumFrames());
  mRendered.allocate(mOutputClientFormat.mChannelsPerFrame, maximumFrames());
  return noErr;
}

void HALOutputUnit::doUninitialize() {
  stop();
  mCaptured.allocate(0, 0);
  mRendered.allocate(0, 0);
}

std::vector<SInt32> HALOutputUnit::channelMap(AudioUnitScope scope) const {
  std::vector<SInt32> map;
  if (scope == kAudioUnitScope_Input) {
    map.resize(mDeviceInput.channels ? mInputClientFormat.mChannelsPerFrame : 0);
    for (size_t i = 0; i < map.size(); ++i) map[i] = i < mInputMap.size() ? mInputMap[i] : SInt32(i);
  } else {
    map.resize(mDeviceOutput.channels);
    for (size_t i = 0; i < map.size(); ++i) {
      const SInt32 identity = i < mOutputClientFormat.mChannelsPerFrame ? SInt32(i) : -1;
      map[i] = i < mOutputMap.size() ? mOutputMap[i] : identity;
    }
  }
  return map;
}

OSStatus HALOutputUnit::getPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope,
                                        AudioUnitElement element, UInt32& size, bool& writable) {
  writable = true;
  switch (id) {
    case kAudioUnitProperty_StreamFormat:
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      if (!ValidElement(element)) return kAudioUnitErr_InvalidElement;
      size = sizeof(AudioStreamBasicDescription);
      writable = (scope == kAudioUnitScope_Input) == (element == kOutputElement);
      return noErr;
    case kAudioOutputUnitProperty_ChannelMap:
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      size = UInt32(channelMap(scope).size() * sizeof(SInt32));
      return noErr;
    case kAudioOutputUnitProperty_CurrentDevice:
    case kAudioOutputUnitProperty_EnableIO:
    case kAudioOutputUnitProperty_StartTimestampsAtZero:
      size = sizeof(UInt32);
      return noErr;
    case kAudioOutputUnitProperty_IsRunning:
    case kAudioUnitProperty_MaximumFramesPerSlice:
    case kAudioDevicePropertyBufferFrameSize:
      size = sizeof(UInt32);
      writable = false;
      return noErr;
    case kAudioOutputUnitProperty_SetInputCallback:
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

OSStatus HALOutputUnit::getProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    void* data, UInt32& size) {
  switch (id) {
    case kAudioUnitProperty_StreamFormat: {
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      if (!ValidElement(element)) return kAudioUnitErr_InvalidElement;
      const bool deviceSide = (scope == kAudioUnitScope_Input) == (element == kInputElement);
      if (!deviceSide)
        return answer(element == kInputElement ? mInputClientFormat : mOutputClientFormat, data, size);
      const UInt32 channels = element == kInputElement ? mDeviceInput.channels : mDeviceOutput.channels;
      return answer(CanonicalFormat(mDeviceRate, channels), data, size);
    }
    case kAudioOutputUnitProperty_ChannelMap: {
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      const std::vector<SInt32> map = channelMap(scope);
      const UInt32 bytes = UInt32(map.size() * sizeof(SInt32));
      if (!data || size < bytes) return kAudio_ParamError;
      if (bytes) memcpy(data, map.data(), bytes);
      size = bytes;
      return noErr;
    }
    case kAudioOutputUnitProperty_CurrentDevice:
      return answer(mDevice, data, size);
    case kAudioOutputUnitProperty_EnableIO:
      if (scope == kAudioUnitScope_Input && element == kInputElement)
        return answer(UInt32(mEnableInput), data, size);
      if (scope == kAudioUnitScope_Output && element == kOutputElement)
        return answer(UInt32(mEnableOutput), data, size);
      return kAudioUnitErr_InvalidElement;
    case kAudioOutputUnitProperty_StartTimestampsAtZero:
      return answer(mStartTimestampsAtZero, data, size);
    case kAudioOutputUnitProperty_IsRunning:
      return answer(UInt32(isRunning()), data, size);
    case kAudioUnitProperty_MaximumFramesPerSlice:
      return answer(maximumFrames(), data, size);
    case kAudioDevicePropertyBufferFrameSize: {
      UInt32 frames = 0;
      const OSStatus status = ReadDeviceProperty(mDevice, kAudioDevicePropertyBufferFrameSize,
                                                 kAudioObjectPropertyScopeGlobal, frames);
      return status != noErr ? status : answer(frames, data, size);
    }
    case kAudioOutputUnitProperty_SetInputCallback:
      return answer(mInputCallback, data, size);
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus HALOutputUnit::setProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                    const void* data, UInt32 size) {
  UInt32 size0 = 0;
  bool writable = false;
  OSStatus status = getPropertyInfo(id, scope, element, size0, writable);
  if (status != noErr) return status;
  if (!writable) return kAudioUnitErr_PropertyNotWritable;
  // What the I/O thread reads changes only while it does not run.
  if (isRunning() && id != kAudioOutputUnitProperty_StartTimestampsAtZero)
    return kAudioUnitErr_CannotDoInCurrentContext;
  switch (id) {
    case kAudioUnitProperty_StreamFormat: {
      AudioStreamBasicDescription format{};
      if ((status = take(format, data, size)) != noErr) return status;
      if (!IsCanonicalFormat(format) || format.mSampleRate != mDeviceRate)
        return kAudioUnitErr_FormatNotSupported;
      (element == kInputElement ? mInputClientFormat : mOutputClientFormat) = format;
      return initialized() ? doInitialize() : noErr;
    }
    case kAudioOutputUnitProperty_ChannelMap: {
      if (!data || size % sizeof(SInt32)) return kAudio_ParamError;
      std::vector<SInt32>& map = scope == kAudioUnitScope_Input ? mInputMap : mOutputMap;
      map.assign(static_cast<const SInt32*>(data), static_cast<const SInt32*>(data) + size / sizeof(SInt32));
      return noErr;
    }
    case kAudioOutputUnitProperty_CurrentDevice: {
      AudioDeviceID device = kAudioObjectUnknown;
      if ((status = take(device, data, size)) != noErr) return status;
      return device == kAudioObjectUnknown ? kAudioHardwareBadDeviceError : bindDevice(device);
    }
    case kAudioOutputUnitProperty_EnableIO: {
      UInt32 enable = 0;
      if ((status = take(enable, data, size)) != noErr) return status;
      if (scope == kAudioUnitScope_Input && element == kInputElement) {
        mEnableInput = enable != 0;
      } else if (scope == kAudioUnitScope_Output && element == kOutputElement) {
        mEnableOutput = enable != 0;
      } else {
        return kAudioUnitErr_InvalidElement;
      }
      return noErr;
    }
    case kAudioOutputUnitProperty_StartTimestampsAtZero:
      return take(mStartTimestampsAtZero, data, size);
    case kAudioOutputUnitProperty_SetInputCallback:
      return take(mInputCallback, data, size);
    case kAudioUnitProperty_SetRenderCallback: {
      AURenderCallbackStruct callback{};
      if ((status = take(callback, data, size)) != noErr) return status;
      mOutputSource.setCallback(callback);
      return noErr;
    }
    case kAudioUnitProperty_MakeConnection: {
      AudioUnitConnection connection{};
      if ((status = take(connection, data, size)) != noErr) return status;
      if (connection.destInputNumber != kOutputElement) return kAudioUnitErr_InvalidElement;
      mOutputSource.setConnection(connection);
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus HALOutputUnit::getParameter(AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                                     AudioUnitParameterValue& value) {
  if (id != kHALOutputParam_Volume) return kAudioUnitErr_InvalidParameter;
  value = mVolume.load();
  return noErr;
}

OSStatus HALOutputUnit::setParameter(AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                                     AudioUnitParameterValue value) {
  if (id != kHALOutputParam_Volume) return kAudioUnitErr_InvalidParameter;
  if (!(value >= 0.0f && value <= 1.0f)) return kAudioUnitErr_InvalidPropertyValue;
  mVolume.store(value);
  return noErr;
}

OSStatus HALOutputUnit::start() {
  if (!initialized()) return kAudioUnitErr_Uninitialized;
  if (isRunning()) return noErr;
  if (mDevice == kAudioObjectUnknown) return kAudioHardwareBadDeviceError;
  mHasZeroTime = false;
  mCapturedFrames = 0;
  mCaptureMap = channelMap(kAudioUnitScope_Input);
  mPlayMap = channelMap(kAudioUnitScope_Output);
  OSStatus status = AudioDeviceCreateIOProcID(mDevice, IOProc, this, &mIOProcID);
  if (status != noErr) return status;
  mRunning.store(true);
  status = AudioDeviceStart(mDevice, mIOProcID);
  if (status != noErr) {
    mRunning.store(false);
    AudioDeviceDestroyIOProcID(mDevice, mIOProcID);
    mIOProcID = nullptr;
  }
  return status;
}

OSStatus HALOutputUnit::stop() {
  if (!isRunning()) return noErr;
  AudioDeviceStop(mDevice, mIOProcID);
  AudioDeviceDestroyIOProcID(mDevice, mIOProcID);
  mIOProcID = nullptr;
  mRunning.store(false);
  return noErr;
}

OSStatus HALOutputUnit::IOProc(AudioObjectID, const AudioTimeStamp*, const AudioBufferList* input,
                               const AudioTimeStamp* inputTime, AudioBufferList* output,
                               const AudioTimeStamp* outputTime, void* context) {
  static_cast<HALOutputUnit*>(context)->ioCycle(input, *inputTime, output, *outputTime);
  return noErr;
}

AudioTimeStamp HALOutputUnit::unitTime(const AudioTimeStamp& deviceTime) {
  if (!mStartTimestampsAtZero) return deviceTime;
  if (!mHasZeroTime) {
    mZeroSampleTime = deviceTime.mSampleTime;
    mHasZeroTime = true;
  }
  AudioTimeStamp time = deviceTime;
  time.mSampleTime -= mZeroSampleTime;
  return time;
}

void HALOutputUnit::ioCycle(const AudioBufferList* input, const AudioTimeStamp& inputTime,
                            AudioBufferList* output, const AudioTimeStamp& outputTime) {
  UInt32 frames = 0;
  if (output && output->mNumberBuffers && mDeviceOutput.streamChannels.size())
    frames = output->mBuffers[0].mDataByteSize /
             UInt32(sizeof(Float32) * std::max<UInt32>(mDeviceOutput.streamChannels[0], 1));
  else if (input && input->mNumberBuffers && mDeviceInput.streamChannels.size())
    frames = input->mBuffers[0].mDataByteSize /
             UInt32(sizeof(Float32) * std::max<UInt32>(mDeviceInput.streamChannels[0], 1));
  // A cycle larger than the buffers made for the device is not rendered rather than overrun.
  if (frames == 0 || frames > mCaptured.capacityFrames() || frames > mRendered.capacityFrames()) return;
  if (mEnableInput && input && mInputCallback.inputProc) {
    capture(*input, frames);
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp time = unitTime(inputTime);
    mInputCallback.inputProc(mInputCallback.inputProcRefCon, &flags, &time, kInputElement, frames, nullptr);
  }
  if (mEnableOutput && output && mOutputSource.connected()) play(*output, outputTime, frames);
}

void HALOutputUnit::capture(const AudioBufferList& input, UInt32 frames) {
  UInt32 deviceChannel = 0;
  for (UInt32 s = 0; s < input.mNumberBuffers && s < mDeviceInput.streamChannels.size(); ++s) {
    const UInt32 stride = mDeviceInput.streamChannels[s];
    const auto* samples = static_cast<const Float32*>(input.mBuffers[s].mData);
    const bool whole = samples && input.mBuffers[s].mDataByteSize >= frames * stride * sizeof(Float32);
    for (UInt32 c = 0; c < stride && deviceChannel < mCaptured.channels(); ++c, ++deviceChannel) {
      Float32* into = mCaptured.channel(deviceChannel);
      for (UInt32 i = 0; i < frames; ++i) into[i] = whole ? samples[i * stride + c] : 0.0f;
    }
  }
  mCapturedFrames = frames;
}

void HALOutputUnit::play(AudioBufferList& output, const AudioTimeStamp& outputTime, UInt32 frames) {
  AudioBufferList& rendered = mRendered.list(frames);
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp time = unitTime(outputTime);
  const bool heard = mOutputSource.pull(&flags, time, kOutputElement, frames, rendered) == noErr;
  const std::vector<SInt32>& map = mPlayMap;
  const Float32 volume = mVolume.load(std::memory_order_relaxed);
  UInt32 deviceChannel = 0;
  for (UInt32 s = 0; s < output.mNumberBuffers && s < mDeviceOutput.streamChannels.size(); ++s) {
    const UInt32 stride = mDeviceOutput.streamChannels[s];
    auto* samples = static_cast<Float32*>(output.mBuffers[s].mData);
    if (!samples || output.mBuffers[s].mDataByteSize < frames * stride * sizeof(Float32)) {
      deviceChannel += stride;
      continue;
    }
    for (UInt32 c = 0; c < stride; ++c, ++deviceChannel) {
      const SInt32 source = deviceChannel < map.size() ? map[deviceChannel] : -1;
      const bool mapped = heard && source >= 0 && UInt32(source) < rendered.mNumberBuffers &&
                          rendered.mBuffers[source].mData &&
                          rendered.mBuffers[source].mDataByteSize >= frames * sizeof(Float32);
      const auto* from = mapped ? static_cast<const Float32*>(rendered.mBuffers[source].mData) : nullptr;
      for (UInt32 i = 0; i < frames; ++i) samples[i * stride + c] = from ? from[i] * volume : 0.0f;
    }
  }
}

OSStatus HALOutputUnit::render(AudioUnitRenderActionFlags*, const AudioTimeStamp&, UInt32 bus, UInt32 frames,
                               AudioBufferList& data) {
  if (bus != kInputElement) return kAudioUnitErr_InvalidElement;
  if (!mEnableInput) return kAudioUnitErr_NoConnection;
  if (frames > mCapturedFrames) return kAudioUnitErr_TooManyFramesToProcess;
  const std::vector<SInt32>& map = mCaptureMap;
  for (UInt32 i = 0; i < data.mNumberBuffers; ++i) {
    AudioBuffer& buffer = data.mBuffers[i];
    if (!buffer.mData) return kAudio_ParamError;
    if (buffer.mDataByteSize < frames * sizeof(Float32)) return kAudioUnitErr_TooManyFramesToProcess;
  }
  for (UInt32 i = 0; i < data.mNumberBuffers; ++i) {
    AudioBuffer& buffer = data.mBuffers[i];
    const SInt32 source = i < map.size() ? map[i] : -1;
    auto* into = static_cast<Float32*>(buffer.mData);
    if (source >= 0 && UInt32(source) < mCaptured.channels())
      memcpy(into, mCaptured.channel(UInt32(source)), frames * sizeof(Float32));
    else
      memset(into, 0, frames * sizeof(Float32));
    buffer.mDataByteSize = frames * sizeof(Float32);
  }
  return noErr;
}

}  // namespace AudioToolboxBackend
