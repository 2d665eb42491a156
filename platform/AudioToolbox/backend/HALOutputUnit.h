#pragma once
// The hardware unit: bound to one audio device, it captures the device's input (element 1)
// and plays into the device's output (element 0) on the device's I/O thread. The client side
// of each element is 32-bit float, one buffer per channel, at the device's nominal rate;
// channel maps route between the device's channels and the client's, and fewer client
// channels than the device has are fine.
#include <CoreAudio/AudioHardware.h>

#include "AudioUnitInstance.h"

namespace AudioToolboxBackend {

class HALOutputUnit final : public OpaqueAudioComponentInstance {
 public:
  explicit HALOutputUnit(const AudioComponentDescription& description);
  ~HALOutputUnit() override;

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
  OSStatus start() override;
  OSStatus stop() override;

 private:
  // What the unit knows of its device's side.
  struct DeviceSide {
    std::vector<UInt32> streamChannels;
    UInt32 channels = 0;
  };

  OSStatus doInitialize() override;
  void doUninitialize() override;
  OSStatus bindDevice(AudioDeviceID device);
  UInt32 maximumFrames() const;
  // The map of a side: the stored one, or the identity over the client's channels.
  std::vector<SInt32> channelMap(AudioUnitScope scope) const;
  bool isRunning() const { return mRunning.load(); }

  static OSStatus IOProc(AudioObjectID device, const AudioTimeStamp* now, const AudioBufferList* input,
                         const AudioTimeStamp* inputTime, AudioBufferList* output,
                         const AudioTimeStamp* outputTime, void* context);
  void ioCycle(const AudioBufferList* input, const AudioTimeStamp& inputTime, AudioBufferList* output,
               const AudioTimeStamp& outputTime);
  void capture(const AudioBufferList& input, UInt32 frames);
  void play(AudioBufferList& output, const AudioTimeStamp& outputTime, UInt32 frames);
  AudioTimeStamp unitTime(const AudioTimeStamp& deviceTime);

  AudioDeviceID mDevice = kAudioObjectUnknown;
  Float64 mDeviceRate = 0;
  DeviceSide mDeviceInput;
  DeviceSide mDeviceOutput;
  UInt32 mDeviceBufferFrames = 0;
  UInt32 mDeviceMaximumFrames = 0;
  bool mEnableInput = false;
  bool mEnableOutput = true;
  AudioStreamBasicDescription mInputClientFormat{};   // output scope, element 1
  AudioStreamBasicDescription mOutputClientFormat{};  // input scope, element 0
  std::vector<SInt32> mInputMap;
  std::vector<SInt32> mOutputMap;
  AURenderCallbackStruct mInputCallback{};
  InputSource mOutputSource;
  UInt32 mStartTimestampsAtZero = 1;
  std::atomic<Float32> mVolume{1.0f};
  std::atomic<bool> mRunning{false};
  AudioDeviceIOProcID mIOProcID = nullptr;

  // Touched on the I/O thread only while running.
  ChannelBuffers mCaptured;
  ChannelBuffers mRendered;
  std::vector<SInt32> mCaptureMap;
  std::vector<SInt32> mPlayMap;
  UInt32 mCapturedFrames = 0;
  bool mHasZeroTime = false;
  Float64 mZeroSampleTime = 0;
};

}  // namespace AudioToolboxBackend
