#pragma once
// The audio server's picture of a device's clock, made from the zero time stamps the driver
// gives: where the device's sample time stands at a host time, and how fast it runs. The
// rate scalar is measured between consecutive time stamps of one time line (same seed).
#include "IOSession.h"

namespace AudioServer {

class DeviceClock {
 public:
  // Starts a new time line at the device's nominal rate.
  void reset(Float64 nominalSampleRate, Float64 hostTicksPerSecond);
  // Takes a zero time stamp; answers whether it began a new time line.
  bool update(Float64 sampleTime, UInt64 hostTime, UInt64 seed);

  Float64 sampleTimeAt(UInt64 hostTime) const;
  UInt64 hostTimeAt(Float64 sampleTime) const;
  Float64 rateScalar() const { return mState.rateScalar; }
  Float64 hostTicksPerFrame() const { return mState.hostTicksPerFrame; }
  bool valid() const { return mValid; }

  DeviceClockState state() const { return mState; }
  // A time stamp of the sample time with its host time and rate scalar.
  AudioTimeStamp timeStamp(Float64 sampleTime) const;

 private:
  Float64 mNominalTicksPerFrame = 0;
  DeviceClockState mState;
  bool mValid = false;
};

}  // namespace AudioServer
