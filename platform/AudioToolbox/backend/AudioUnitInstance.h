#pragma once
// What every audio unit of this framework is: an object behind the AudioUnit handle, with
// the component's description, properties by scope and element, parameters and a render
// entry. Units are used from one controlling thread plus the I/O thread that renders them;
// what the I/O thread reads is set while the unit is not rendering, or is atomic.
#include <AudioToolbox/AUComponent.h>
#include <AudioToolbox/AudioUnitProperties.h>

#include <atomic>
#include <cstring>
#include <vector>

struct OpaqueAudioComponentInstance {
 public:
  explicit OpaqueAudioComponentInstance(const AudioComponentDescription& description)
      : mDescription(description) {}
  virtual ~OpaqueAudioComponentInstance() = default;
  OpaqueAudioComponentInstance(const OpaqueAudioComponentInstance&) = delete;
  OpaqueAudioComponentInstance& operator=(const OpaqueAudioComponentInstance&) = delete;

  const AudioComponentDescription& description() const { return mDescription; }
  bool initialized() const { return mInitialized; }

  OSStatus initialize();
  OSStatus uninitialize();

  virtual OSStatus getPropertyInfo(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                                   UInt32& size, bool& writable) = 0;
  virtual OSStatus getProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                               void* data, UInt32& size) = 0;
  virtual OSStatus setProperty(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                               const void* data, UInt32 size) = 0;
  virtual OSStatus getParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                AudioUnitParameterValue& value) = 0;
  virtual OSStatus setParameter(AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement element,
                                AudioUnitParameterValue value) = 0;
  virtual OSStatus render(AudioUnitRenderActionFlags* flags, const AudioTimeStamp& timeStamp, UInt32 bus,
                          UInt32 frames, AudioBufferList& data) = 0;
  // Output units only.
  virtual OSStatus start() { return kAudioUnitErr_InvalidProperty; }
  virtual OSStatus stop() { return kAudioUnitErr_InvalidProperty; }

 protected:
  // Acquires what rendering needs (off the I/O thread); answers a status.
  virtual OSStatus doInitialize() { return noErr; }
  virtual void doUninitialize() {}

  // Copies a value out with the size checks every getter shares.
  template <class T>
  static OSStatus answer(const T& value, void* data, UInt32& size) {
    if (!data || size < sizeof(T)) return kAudio_ParamError;
    memcpy(data, &value, sizeof(T));
    size = sizeof(T);
    return noErr;
  }
  template <class T>
  static OSStatus take(T& value, const void* data, UInt32 size) {
    if (!data || size != sizeof(T)) return kAudio_ParamError;
    memcpy(&value, data, sizeof(T));
    return noErr;
  }

 private:
  AudioComponentDescription mDescription;
  bool mInitialized = false;
};

namespace AudioToolboxBackend {

// Where a unit's input element takes its audio from: a render callback or another unit.
class InputSource {
 public:
  bool connected() const { return mCallback.inputProc || mConnection.sourceAudioUnit; }
  void setCallback(const AURenderCallbackStruct& callback) {
    mCallback = callback;
    mConnection = {};
  }
  void setConnection(const AudioUnitConnection& connection) {
    mConnection = connection;
    mCallback = {};
  }
  OSStatus pull(AudioUnitRenderActionFlags* flags, const AudioTimeStamp& timeStamp, UInt32 element,
                UInt32 frames, AudioBufferList& data) const;

 private:
  AURenderCallbackStruct mCallback{};
  AudioUnitConnection mConnection{};
};

// The linear PCM formats the units exchange: 32-bit floats, one buffer per channel.
bool IsCanonicalFormat(const AudioStreamBasicDescription& format);
AudioStreamBasicDescription CanonicalFormat(Float64 sampleRate, UInt32 channels);

// Buffers of one channel each, allocated once and reused on the I/O thread.
class ChannelBuffers {
 public:
  void allocate(UInt32 channels, UInt32 frames);
  UInt32 channels() const { return UInt32(mSamples.size()); }
  UInt32 capacityFrames() const { return mFrames; }
  Float32* channel(UInt32 index) { return mSamples[index].data(); }
  // The list, each buffer pointed at its channel and sized for the frames.
  AudioBufferList& list(UInt32 frames);

 private:
  std::vector<std::vector<Float32>> mSamples;
  std::vector<UInt8> mListStorage;
  UInt32 mFrames = 0;
};

}  // namespace AudioToolboxBackend
