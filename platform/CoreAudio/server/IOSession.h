#pragma once
// One client's I/O on one device, as the device's I/O thread sees it: buffers for every
// stream of the device and a way to hand the client a cycle and take its output back.
#include <CoreAudio/CoreAudioTypes.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace AudioServer {

// The channel count of each stream of a device, on each side.
struct DeviceLayout {
  std::vector<UInt32> inputChannels;
  std::vector<UInt32> outputChannels;
};

// The most frames a cycle may have; every session's buffers hold this many.
constexpr UInt32 kMaxIOBufferFrames = 4096;
constexpr UInt32 kMinIOBufferFrames = 16;

struct IOCycle {
  UInt64 counter;
  UInt32 frames;
  AudioTimeStamp now;
  AudioTimeStamp inputTime;
  AudioTimeStamp outputTime;
};

// The device's clock as a client needs it to tell the current time: the latest zero time
// stamp and the host ticks per frame measured between the last two.
struct DeviceClockState {
  bool running = false;
  UInt64 seed = 0;
  Float64 zeroSampleTime = 0;
  UInt64 zeroHostTime = 0;
  Float64 hostTicksPerFrame = 0;
  Float64 rateScalar = 1.0;
};

class IOSessionEndpoint {
 public:
  virtual ~IOSessionEndpoint() = default;
  // Interleaved samples of one stream, room for kMaxIOBufferFrames frames.
  virtual Float32* inputBuffer(UInt32 stream) = 0;
  virtual Float32* outputBuffer(UInt32 stream) = 0;
  // Hands the client the cycle; its input buffers are filled and its output buffers zeroed.
  virtual void beginCycle(const IOCycle& cycle) = 0;
  // Waits until the client's output is there or the host time has passed; false when the
  // client missed the cycle (its output counts as silence).
  virtual bool finishCycle(uint64_t deadlineHostTime) = 0;
  // The device's clock changed (a new zero time stamp or a stop).
  virtual void publishClock(const DeviceClockState& clock) = 0;
};

// Buffers on the heap for endpoints that run their client in the server's own process.
class IOSessionBuffers {
 public:
  explicit IOSessionBuffers(const DeviceLayout& layout);
  Float32* input(UInt32 stream) { return stream < mInputs.size() ? mInputs[stream].data() : nullptr; }
  Float32* output(UInt32 stream) { return stream < mOutputs.size() ? mOutputs[stream].data() : nullptr; }

 private:
  std::vector<std::vector<Float32>> mInputs;
  std::vector<std::vector<Float32>> mOutputs;
};

}  // namespace AudioServer
