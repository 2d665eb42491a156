#pragma once
// The hardware unit bound to one device and one side: the output device's unit (in the
// play-through graph) and the input device's unit (on its own), which hands each captured
// block to a block on the device's I/O thread.
#include <functional>

#include "NQCoreAudioDeviceClock.h"
#include "NQCoreAudioGraphNodeUnit.h"
#include "NQCoreAudioSampleBufferList.h"

namespace NQCoreAudio {

class GraphNodeUnitSystemDeviceIO : public GraphNodeUnit {
 public:
  GraphNodeUnitSystemDeviceIO(OSType subtype, AudioObjectPropertySelector defaultDeviceSelector,
                              AudioObjectPropertyScope scope);

  bool IsValid() override;

  // The device, or the side's default device for 0.
  AudioDeviceID ValidDeviceWithDevice(AudioDeviceID deviceID);
  // A unit of its own bound to the device; kAudioHardwareBadDeviceError when there is none.
  virtual OSStatus ConstructWithDeviceID(AudioDeviceID deviceID);
  void SetActiveDeviceID(AudioDeviceID deviceID);
  OSStatus SetActiveDeviceToAudioUnitCurrentDevice();
  AudioDeviceID GetActiveDeviceID();
  OSStatus AudioDeviceGetNominalSampleRate(Float64& outRate);
  OSStatus GetAudioBufferListSizeInFramesForElement(UInt32& outFrames, AudioUnitElement element);
  // The largest I/O cycle the device may run, in frames.
  UInt32 GetMaximumBufferSizeInFrames();
  OSStatus SetStartTimestampsToHALDeviceIfPossible();
  bool IsRunning();
  OSStatus StartRunning();
  OSStatus StopRunning();

  AudioDeviceClock mClockInterface;
  AudioDeviceID mActiveDeviceID = kAudioObjectUnknown;
  const AudioObjectPropertyScope kInputOutputScope;
  const AudioObjectPropertySelector kDefaultDeviceSelector;
};

class GraphNodeUnitSystemDeviceOutput : public GraphNodeUnitSystemDeviceIO {
 public:
  GraphNodeUnitSystemDeviceOutput()
      : GraphNodeUnitSystemDeviceIO(kAudioUnitSubType_DefaultOutput,
                                    kAudioHardwarePropertyDefaultOutputDevice,
                                    kAudioObjectPropertyScopeOutput) {}
};

class GraphNodeUnitSystemDeviceInput : public GraphNodeUnitSystemDeviceIO {
 public:
  GraphNodeUnitSystemDeviceInput()
      : GraphNodeUnitSystemDeviceIO(kAudioUnitSubType_HALOutput, kAudioHardwarePropertyDefaultInputDevice,
                                    kAudioObjectPropertyScopeInput) {}
  OSStatus ConstructWithDeviceID(AudioDeviceID deviceID) override;

 private:
  OSStatus SetUnitPropertiesWithActiveDeviceID();
};

class GraphNodeUnitSystemDeviceInputWithRenderBlock : public GraphNodeUnitSystemDeviceInput {
 public:
  using RenderSamplesBlock =
      std::function<OSStatus(const AudioBufferList* list, UInt32 frames, const AudioTimeStamp* time)>;

  OSStatus Destruct() override;
  virtual OSStatus AudioUnitRenderDeviceInput(AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                                              UInt32 bus, UInt32 frames, AudioBufferList* list);

  OSStatus ConstructWithDeviceIDAndRenderSamplesBlock(AudioDeviceID deviceID, RenderSamplesBlock block);
  // Buffers for the largest cycle: a cycle of more frames is refused, never overrun.
  OSStatus ConstructSampleOutputBuffer(UInt32 bufferCount, UInt32 bytesPerBuffer);
  static OSStatus sAudioUnitRenderDeviceInput(void* context, AudioUnitRenderActionFlags* flags,
                                              const AudioTimeStamp* time, UInt32 bus, UInt32 frames,
                                              AudioBufferList* list);

  SampleBufferList mSampleOutputBuffer;
  RenderSamplesBlock mRenderSamplesBlock;
};

}  // namespace NQCoreAudio
