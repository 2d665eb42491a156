#pragma once
// The varispeed node that joins two device clocks: the input device's I/O thread stores
// captured frames into the ring at the input's sample times; the output device pulls them
// through the varispeed unit, whose playback rate follows the ratio of the two clocks, from
// the output sample time shifted by a measured input-to-output offset.
#include <atomic>

#include "CARingBuffer.h"
#include "NQCoreAudioDeviceClock.h"
#include "NQCoreAudioGraphNodeUnit.h"

namespace NQCoreAudio {

class GraphNodeUnitVarispeed : public GraphNodeUnit {
 public:
  class InputInterface {
   public:
    virtual AudioDeviceClock& GetClockInterface() = 0;

   protected:
    ~InputInterface() = default;
  };
  class OutputInterface {
   public:
    virtual AudioDeviceClock& GetClockInterface() = 0;
    virtual OSStatus Destruct() = 0;
    virtual AUNode GetAUNode() = 0;
    virtual AudioUnit GetAudioUnit() = 0;
    // The rate the output side runs at; the input's rate when the output's cannot be read.
    virtual OSStatus GetOutputDesiredSampleRate(Float64 inputNominalRate, Float64& outRate) = 0;

   protected:
    ~OutputInterface() = default;
  };

  // Fetches that miss the ring's valid range this many cycles in a row make the reader find
  // its place again.
  static constexpr int kLostWindowCycles = 8;
  // The level given to silence, in decibels.
  static constexpr Float32 kSilenceLevel = -120.0f;

  GraphNodeUnitVarispeed(InputInterface& input, OutputInterface& output);
  ~GraphNodeUnitVarispeed() override;

  OSStatus ConstructWithDescriptionInGraph(AUGraph graph) override;
  OSStatus Destruct() override;

  OSStatus CreateInputBufferWithFormatAndBufferSizeInFrames(const AudioStreamBasicDescription& format,
                                                            UInt32 bufferSizeInFrames);
  static bool IsFirstSampleTimeNotSet(Float64 time) { return time < 0.0; }
  void SetFirstInputSampleTime(Float64 time);
  void SetFirstOutputSampleTime(Float64 time);
  void ResetFirstSampleTimes();
  void ResetRenderState();
  CARingBufferError StoreInputSamples(const AudioBufferList* list, UInt32 frames, const AudioTimeStamp& time);
  void ComputeInToOutSampleOffset(Float64 difference);
  OSStatus SetNewVarispeedRateWithIOClocks(const AudioTimeStamp& inputTime, const AudioTimeStamp& outputTime);

  // The input side, once per input cycle: first time, level, store.
  OSStatus RenderInputSamples(const AudioBufferList* list, UInt32 frames, const AudioTimeStamp& time,
                              std::atomic<Float32>& level);
  // The level of a block in decibels: the mean square of every eighth sample of buffer 0.
  static bool MeasureLevel(const AudioBufferList* list, UInt32 frames, Float32& outLevel);

  Float64 GetVarispeedRate() const;
  SInt64 GetInToOutSampleOffset() const { return mInToOutSampleOffsetAtomic.load(); }

  static OSStatus sAURenderInput(void* context, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time,
                                 UInt32 bus, UInt32 frames, AudioBufferList* list);

 private:
  OSStatus RenderOutput(const AudioTimeStamp& time, UInt32 frames, AudioBufferList* list);
  UInt32 TotalLatency();
  void PublishOffset();
  // Whether a read at the time has lost the ring's window for long enough to find it again,
  // and where the window ends.
  bool ReadWindowLost(SampleTime readTime, UInt32 frames, SampleTime& outEnd);

  InputInterface* mInputInterface;
  OutputInterface* mOutputInterface;
  std::atomic<Float64> mFirstInputSampleTime{-1.0};
  std::atomic<Float64> mFirstOutputSampleTime{-1.0};
  Float64 mInToOutSampleOffset = 0;
  std::atomic<SInt64> mInToOutSampleOffsetAtomic{0};
  CARingBuffer mRingBuffer;
  std::atomic<Float64> mVarispeedRate{0};
  int mMissedCycles = 0;
  SampleTime mWindowEndAtLastFind = -1;
};

}  // namespace NQCoreAudio
