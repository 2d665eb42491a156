#include "SimulatedDriver.h"

#include <mach/mach_time.h>

#include <cmath>

namespace AudioServer {

namespace {
constexpr UInt32 kZeroTimeStampPeriod = 16384;
constexpr size_t kPlayedFrames = size_t(1) << 20;
constexpr double kPi = 3.14159265358979323846;
}  // namespace

SimulatedHardware::SimulatedHardware(const SimulatedDeviceSpec& spec)
    : mSpec(spec), mPlayed(kPlayedFrames), mPlayedTimes(kPlayedFrames, -1) {}

bool SimulatedHardware::start(Float64 sampleRate) {
  std::lock_guard<std::mutex> guard(mLock);
  mSpec.sampleRate = sampleRate;
  mAnchorHostTime = mach_absolute_time();
  ++mSeed;
  return true;
}

void SimulatedHardware::zeroTimeStamp(Float64& sampleTime, UInt64& hostTime, UInt64& seed) {
  std::lock_guard<std::mutex> guard(mLock);
  const Float64 period = kZeroTimeStampPeriod * 1e9 / mSpec.sampleRate * mSpec.rateScalar;
  const UInt64 now = mach_absolute_time();
  const UInt64 periods = now > mAnchorHostTime ? UInt64(Float64(now - mAnchorHostTime) / period) : 0;
  sampleTime = Float64(periods * kZeroTimeStampPeriod);
  hostTime = mAnchorHostTime + UInt64(Float64(periods) * period);
  seed = mSeed;
}

void SimulatedHardware::read(Float64 sampleTime, UInt32 frames, UInt32 channels, Float32* samples) {
  SimulatedDeviceSpec spec;
  {
    std::lock_guard<std::mutex> guard(mLock);
    spec = mSpec;
  }
  for (UInt32 i = 0; i < frames; ++i) {
    const Float32 value = inputSample(spec, sampleTime + i);
    for (UInt32 c = 0; c < channels; ++c) samples[i * channels + c] = value;
  }
}

void SimulatedHardware::write(Float64 sampleTime, UInt32 frames, UInt32 channels, const Float32* samples) {
  std::lock_guard<std::mutex> guard(mLock);
  for (UInt32 i = 0; i < frames; ++i) {
    const SInt64 time = SInt64(sampleTime) + i;
    const size_t slot = size_t(time) % kPlayedFrames;
    if (mPlayedTimes[slot] != time) {
      mPlayedTimes[slot] = time;
      mPlayed[slot] = 0;
    }
    mPlayed[slot] += samples[i * channels];
  }
}

std::vector<Float32> SimulatedHardware::played(Float64 fromSampleTime, UInt32 frames) {
  std::vector<Float32> samples(frames, 0);
  std::lock_guard<std::mutex> guard(mLock);
  for (UInt32 i = 0; i < frames; ++i) {
    const SInt64 time = SInt64(fromSampleTime) + i;
    if (time < 0) continue;
    const size_t slot = size_t(time) % kPlayedFrames;
    if (mPlayedTimes[slot] == time) samples[i] = mPlayed[slot];
  }
  return samples;
}

Float32 SimulatedHardware::inputSample(const SimulatedDeviceSpec& spec, Float64 sampleTime) {
  if (spec.toneFrequency <= 0) return 0;
  return Float32(spec.toneAmplitude * std::sin(2 * kPi * spec.toneFrequency * sampleTime / spec.sampleRate));
}

void SimulatedDriver::addDevice(const SimulatedDeviceSpec& spec) {
  HardwareDeviceDescription description;
  description.name = spec.name;
  description.uid = spec.uid;
  description.inputChannels = spec.inputChannels;
  description.outputChannels = spec.outputChannels;
  description.sampleRate = spec.sampleRate;
  description.safetyOffset = spec.safetyOffset;
  HardwareDriver::addDevice(description, std::make_unique<SimulatedHardware>(spec));
}

std::vector<Float32> SimulatedDriver::played(const std::string& uid, Float64 fromSampleTime, UInt32 frames) {
  auto* simulated = static_cast<SimulatedHardware*>(hardware(uid));
  return simulated ? simulated->played(fromSampleTime, frames) : std::vector<Float32>(frames, 0.0f);
}

}  // namespace AudioServer
