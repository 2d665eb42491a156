#pragma once
// The varispeed unit: it pulls audio at its input format's rate and renders it at its output
// format's rate, played back faster or slower by its playback rate, which may change on every
// render. The resampler (libsamplerate) is made when the unit is initialised, never on the
// I/O thread that renders it.
//
// The time stamps it gives its input begin at the sample time of the first render after the
// unit was initialised and advance by the input frames it has taken: they count frames of the
// input's time line, whatever the rates.
#include <samplerate.h>

#include "AudioUnitInstance.h"

namespace AudioToolboxBackend {

class VarispeedUnit final : public OpaqueAudioComponentInstance {
 public:
  explicit VarispeedUnit(const AudioComponentDescription& description);
  ~VarispeedUnit() override;

  OSStatus getPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                           UInt32& size, bool& writable) override;
  OSStatus getProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* data,
                       UInt32& size) override;
  OSStatus setProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                       const void* data, UInt32 size) override;
  OSStatus getParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue& value) override;
  OSStatus setParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                        AudioUnitParameterValue value) override;
  OSStatus render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp& timeStamp, UInt32 bus,
                  UInt32 frames, AudioBufferList& data) override;

 private:
  static constexpr UInt32 kInputChunkFrames = 128;

  OSStatus doInitialize() override;
  void doUninitialize() override;
  static long PullInput(void* context, float** data);
  long pullInput(float** data);

  AudioStreamBasicDescription mInputFormat;
  AudioStreamBasicDescription mOutputFormat;
  UInt32 mMaximumFrames = 4096;
  InputSource mSource;
  std::atomic<Float32> mPlaybackRate{1.0f};

  // Made at initialisation; used on the rendering thread.
  SRC_STATE* mResampler = nullptr;
  ChannelBuffers mInput;
  std::vector<Float32> mInterleavedInput;
  std::vector<Float32> mInterleavedOutput;
  bool mHasInputTime = false;
  AudioTimeStamp mInputTime{};
  OSStatus mPullStatus = noErr;
};

}  // namespace AudioToolboxBackend
