#include "AudioUnitInstance.h"

OSStatus OpaqueAudioComponentInstance::initialize() {
  if (mInitialized) return noErr;
  const OSStatus status = doInitialize();
  mInitialized = status == noErr;
  return status;
}

OSStatus OpaqueAudioComponentInstance::uninitialize() {
  if (mInitialized) doUninitialize();
  mInitialized = false;
  return noErr;
}

namespace AudioToolboxBackend {

OSStatus InputSource::pull(AudioUnitRenderActionFlags* flags, const AudioTimeStamp& timeStamp, UInt32 element,
                           UInt32 frames, AudioBufferList& data) const {
  if (mCallback.inputProc)
    return mCallback.inputProc(mCallback.inputProcRefCon, flags, &timeStamp, element, frames, &data);
  if (mConnection.sourceAudioUnit)
    return mConnection.sourceAudioUnit->render(flags, timeStamp, mConnection.sourceOutputNumber, frames,
                                               data);
  return kAudioUnitErr_NoConnection;
}

bool IsCanonicalFormat(const AudioStreamBasicDescription& format) {
  return format.mFormatID == kAudioFormatLinearPCM && (format.mFormatFlags & kAudioFormatFlagIsFloat) &&
         (format.mFormatFlags & kAudioFormatFlagIsNonInterleaved) &&
         !(format.mFormatFlags & kAudioFormatFlagIsBigEndian) && format.mBitsPerChannel == 32 &&
         format.mBytesPerFrame == sizeof(Float32) && format.mChannelsPerFrame > 0 && format.mSampleRate > 0;
}

AudioStreamBasicDescription CanonicalFormat(Float64 sampleRate, UInt32 channels) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = sizeof(Float32);
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = sizeof(Float32);
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 32;
  return format;
}

void ChannelBuffers::allocate(UInt32 channels, UInt32 frames) {
  mSamples.assign(channels, std::vector<Float32>(frames));
  mListStorage.assign(AudioBufferListSize(channels), 0);
  mFrames = frames;
}

AudioBufferList& ChannelBuffers::list(UInt32 frames) {
  auto* list = reinterpret_cast<AudioBufferList*>(mListStorage.data());
  list->mNumberBuffers = channels();
  for (UInt32 i = 0; i < channels(); ++i)
    list->mBuffers[i] = {1, UInt32(std::min(frames, mFrames) * sizeof(Float32)), mSamples[i].data()};
  return *list;
}

}  // namespace AudioToolboxBackend
