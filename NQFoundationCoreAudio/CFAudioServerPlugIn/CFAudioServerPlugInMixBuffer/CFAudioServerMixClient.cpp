#include "CFAudioServerMixClient.h"

#include <mach/mach_time.h>

#include "CFAudioServerRequired.h"

OSStatus CFAudioServerMixClient::Construct() {
  NQCFPlugIn::recursive_lock_guard guard(mIOMutex);
  mNumberOfActiveClients = 0;
  mHostTicksPerFrame = 0;
  mPeriodCounter = 0;
  mAnchorHostTime = 0;
  return 0;
}

bool CFAudioServerMixClient::IO_mutex_lock() { return REQUIRED_CODE(mIOMutex.lock(), "IO_mutex_lock()"); }

bool CFAudioServerMixClient::IO_mutex_unlock() {
  return REQUIRED_CODE(mIOMutex.unlock(), "IO_mutex_unlock()");
}

Float64 CFAudioServerMixClient::GetHostClockFrequency() {
  mach_timebase_info_data_t timebase{1, 1};
  mach_timebase_info(&timebase);
  return Float64(timebase.denom) / Float64(timebase.numer) * 1e9;
}

void CFAudioServerMixClient::SetDeviceSampleRateWithMutex(Float32 inSampleRate) {
  if (!REQUIRED_CODE(inSampleRate > 0, "inSampleRate>0")) return;
  const Float64 ticksPerFrame = GetHostClockFrequency() / Float64(inSampleRate);
  NQCFPlugIn::recursive_lock_guard guard(mIOMutex);
  if (ticksPerFrame != mHostTicksPerFrame && mHostTicksPerFrame != 0) ++mTimeLineSeed;
  mHostTicksPerFrame = ticksPerFrame;
}

UInt64 CFAudioServerMixClient::GetNumberOfActiveClientsWithMutex() {
  NQCFPlugIn::recursive_lock_guard guard(mIOMutex);
  return mNumberOfActiveClients;
}

OSStatus CFAudioServerMixClient::ClientStartMixingIO(UInt32) {
  const UInt64 now = mach_absolute_time();
  NQCFPlugIn::recursive_lock_guard guard(mIOMutex);
  if (mNumberOfActiveClients == 0) {
    mPeriodCounter = 0;
    mAnchorHostTime = now;
    ++mTimeLineSeed;
  }
  ++mNumberOfActiveClients;
  return 0;
}

OSStatus CFAudioServerMixClient::ClientStopMixingIO(UInt32) {
  NQCFPlugIn::recursive_lock_guard guard(mIOMutex);
  if (REQUIRED_CODE(mNumberOfActiveClients > 0, "mNumberOfActiveClients>0")) --mNumberOfActiveClients;
  return 0;
}

OSStatus CFAudioServerMixClient::GetClientZeroTimeStamp(UInt32, Float64* outSampleTime, UInt64* outHostTime,
                                                        UInt64* outSeed) {
  NQCFPlugIn::recursive_lock_guard guard(mIOMutex);
  const UInt64 now = mach_absolute_time();
  const Float64 period = mHostTicksPerFrame * Float64(kZeroTimeStampPeriod);
  if (mAnchorHostTime + UInt64(Float64(mPeriodCounter + 1) * period) <= now) ++mPeriodCounter;
  if (outSampleTime) *outSampleTime = Float64(mPeriodCounter * kZeroTimeStampPeriod);
  if (outHostTime) *outHostTime = UInt64(Float64(mAnchorHostTime) + Float64(mPeriodCounter) * period);
  if (outSeed) *outSeed = mTimeLineSeed;
  return 0;
}
