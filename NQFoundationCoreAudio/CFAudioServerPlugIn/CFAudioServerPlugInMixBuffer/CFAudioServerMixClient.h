#pragma once
// The clock and I/O bookkeeping of a virtual device: how many clients run I/O, and the zero
// time stamps, one every kMixBufferSize frames from the host time at which the first client
// started. Every new anchor and every change of rate starts a new time line, which the seed
// of the time stamps tells the server.
#include <CoreFoundation/CFBase.h>

#include "NQCFPlugInRecursiveMutex.h"

class CFAudioServerMixClient {
 public:
  static constexpr UInt32 kZeroTimeStampPeriod = 16384;

  CFAudioServerMixClient() { Construct(); }
  OSStatus Construct();

  static Float64 GetHostClockFrequency();
  void SetDeviceSampleRateWithMutex(Float32 inSampleRate);

  UInt64 GetNumberOfActiveClientsWithMutex();
  bool GetDeviceIsIORunningWithMutex() { return GetNumberOfActiveClientsWithMutex() != 0; }

  OSStatus ClientStartMixingIO(UInt32 inClientID);
  OSStatus ClientStopMixingIO(UInt32 inClientID);
  // Advances at most one period per call, however late the call comes.
  OSStatus GetClientZeroTimeStamp(UInt32 inClientID, Float64* outSampleTime, UInt64* outHostTime,
                                  UInt64* outSeed = nullptr);

  bool IO_mutex_lock();
  bool IO_mutex_unlock();

 private:
  NQCFPlugIn::recursive_mutex mIOMutex;
  UInt64 mNumberOfActiveClients = 0;
  Float64 mHostTicksPerFrame = 0;
  UInt64 mPeriodCounter = 0;
  UInt64 mAnchorHostTime = 0;
  UInt64 mTimeLineSeed = 1;
};
