#pragma once
// Simulated devices: hardware of the server's own whose clock runs at a configurable error
// from the host clock, whose inputs give a sine tone and whose outputs keep what the clients
// played, by sample time, for a test to read.
#include <map>

#include "HardwareDriver.h"

namespace AudioServer {

struct SimulatedDeviceSpec {
  std::string name;
  std::string uid;
  UInt32 inputChannels = 2;
  UInt32 outputChannels = 2;
  Float64 sampleRate = 48000;
  // The device's actual host ticks per frame over the nominal ones: below 1 for a clock that
  // runs fast (1 - 200e-6 runs 200 ppm fast).
  Float64 rateScalar = 1.0;
  UInt32 safetyOffset = 0;
  Float64 toneFrequency = 0;  // 0: the inputs are silent
  Float32 toneAmplitude = 0.5f;
};

class SimulatedHardware final : public DeviceHardware {
 public:
  explicit SimulatedHardware(const SimulatedDeviceSpec& spec);

  bool start(Float64 sampleRate) override;
  void stop() override {}
  void zeroTimeStamp(Float64& sampleTime, UInt64& hostTime, UInt64& seed) override;
  void read(Float64 sampleTime, UInt32 frames, UInt32 channels, Float32* samples) override;
  void write(Float64 sampleTime, UInt32 frames, UInt32 channels, const Float32* samples) override;

  // What the clients played, channel 0, from a sample time on (0 where nothing was played).
  std::vector<Float32> played(Float64 fromSampleTime, UInt32 frames);
  // The sample that the input gives at a sample time.
  static Float32 inputSample(const SimulatedDeviceSpec& spec, Float64 sampleTime);

 private:
  std::mutex mLock;
  SimulatedDeviceSpec mSpec;
  UInt64 mAnchorHostTime = 0;
  UInt64 mSeed = 0;
  std::vector<Float32> mPlayed;
  std::vector<SInt64> mPlayedTimes;
};

class SimulatedDriver : public HardwareDriver {
 public:
  void addDevice(const SimulatedDeviceSpec& spec);
  std::vector<Float32> played(const std::string& uid, Float64 fromSampleTime, UInt32 frames);
  static Float32 inputSample(const SimulatedDeviceSpec& spec, Float64 sampleTime) {
    return SimulatedHardware::inputSample(spec, sampleTime);
  }
};

}  // namespace AudioServer
