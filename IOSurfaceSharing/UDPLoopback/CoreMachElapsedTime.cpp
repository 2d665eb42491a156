#include "CoreMachElapsedTime.h"

#include <mach/mach_time.h>

namespace {

struct Timebase {
  Timebase() { valid = mach_timebase_info(&info) == KERN_SUCCESS && info.denom != 0; }
  mach_timebase_info_data_t info{};
  bool valid = false;
};

}  // namespace

uint64_t CoreMachElapsedTime::HostTime_nsec() {
  static const Timebase timebase;
  if (!timebase.valid) return 0;
  return uint64_t((unsigned __int128)mach_absolute_time() * timebase.info.numer / timebase.info.denom);
}

CoreMachElapsedTime::CoreMachElapsedTime(Clock clock) : mClock(clock) { Start(); }

uint64_t CoreMachElapsedTime::Start() { return mStart = mClock(); }

uint64_t CoreMachElapsedTime::Elapsed_nsec() const { return mClock() - mStart; }

double CoreMachElapsedTime::Elapsed_sec() const { return double(Elapsed_nsec()) / 1000.0 / 1000.0 / 1000.0; }
