#include "DeviceClock.h"

#include <cmath>

namespace AudioServer {

IOSessionBuffers::IOSessionBuffers(const DeviceLayout& layout) {
  for (UInt32 channels : layout.inputChannels) mInputs.emplace_back(size_t(kMaxIOBufferFrames) * channels);
  for (UInt32 channels : layout.outputChannels) mOutputs.emplace_back(size_t(kMaxIOBufferFrames) * channels);
}

void DeviceClock::reset(Float64 nominalSampleRate, Float64 hostTicksPerSecond) {
  mNominalTicksPerFrame = nominalSampleRate > 0 ? hostTicksPerSecond / nominalSampleRate : 0;
  mState = DeviceClockState{};
  mState.hostTicksPerFrame = mNominalTicksPerFrame;
  mValid = false;
}

bool DeviceClock::update(Float64 sampleTime, UInt64 hostTime, UInt64 seed) {
  if (!mValid || seed != mState.seed || sampleTime < mState.zeroSampleTime) {
    mState.running = true;
    mState.seed = seed;
    mState.zeroSampleTime = sampleTime;
    mState.zeroHostTime = hostTime;
    mState.hostTicksPerFrame = mNominalTicksPerFrame;
    mState.rateScalar = 1.0;
    mValid = mNominalTicksPerFrame > 0;
    return true;
  }
  if (sampleTime > mState.zeroSampleTime && hostTime > mState.zeroHostTime) {
    const Float64 measured = Float64(hostTime - mState.zeroHostTime) / (sampleTime - mState.zeroSampleTime);
    mState.hostTicksPerFrame = measured;
    mState.rateScalar = measured / mNominalTicksPerFrame;
    mState.zeroSampleTime = sampleTime;
    mState.zeroHostTime = hostTime;
  }
  return false;
}

Float64 DeviceClock::sampleTimeAt(UInt64 hostTime) const {
  const Float64 elapsed = hostTime >= mState.zeroHostTime ? Float64(hostTime - mState.zeroHostTime)
                                                          : -Float64(mState.zeroHostTime - hostTime);
  return mState.zeroSampleTime + elapsed / mState.hostTicksPerFrame;
}

UInt64 DeviceClock::hostTimeAt(Float64 sampleTime) const {
  const Float64 offset = (sampleTime - mState.zeroSampleTime) * mState.hostTicksPerFrame;
  const Float64 host = Float64(mState.zeroHostTime) + offset;
  return host <= 0 ? 0 : UInt64(std::llround(host));
}

AudioTimeStamp DeviceClock::timeStamp(Float64 sampleTime) const {
  AudioTimeStamp stamp{};
  stamp.mSampleTime = sampleTime;
  stamp.mHostTime = hostTimeAt(sampleTime);
  stamp.mRateScalar = mState.rateScalar;
  stamp.mFlags = kAudioTimeStampSampleHostTimeValid | kAudioTimeStampRateScalarValid;
  return stamp;
}

}  // namespace AudioServer
