#include <CoreMedia/CMSync.h>
#include <mach/mach_time.h>

#include <cstdio>

#include "backend/CMClockObject.h"

namespace {

constexpr int32_t kNanosecondsPerSecond = 1000000000;

}  // namespace

CFTypeID OpaqueCMClock::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CMClock");
  return id;
}

CMTime OpaqueCMClock::time() const { return CMClockMakeHostTimeFromSystemUnits(mach_absolute_time()); }

CFTypeID CMClockGetTypeID(void) { return OpaqueCMClock::typeID(); }

CMClockRef CMClockGetHostTimeClock(void) {
  static OpaqueCMClock* clock = [] {
    auto* made = new OpaqueCMClock();
    made->makeImmortal();
    return made;
  }();
  return clock;
}

CMTime CMClockGetTime(CMClockRef clock) {
  auto* object = dynamic_cast<OpaqueCMClock*>(reinterpret_cast<NSObject*>(clock));
  if (!object) {
    std::fprintf(stderr, "CMClockGetTime: %p is not a CMClock\n", static_cast<void*>(clock));
    return kCMTimeInvalid;
  }
  return object->time();
}

CMTime CMClockMakeHostTimeFromSystemUnits(uint64_t hostTime) {
  // Host times past 2^63 ns (292 years of uptime) do not occur.
  return CMTimeMake(static_cast<int64_t>(hostTime), kNanosecondsPerSecond);
}

uint64_t CMClockConvertHostTimeToSystemUnits(CMTime hostTime) {
  const CMTime inNanoseconds =
      CMTimeConvertScale(hostTime, kNanosecondsPerSecond, kCMTimeRoundingMethod_Default);
  return CMTIME_IS_NUMERIC(inNanoseconds) && inNanoseconds.value > 0
             ? static_cast<uint64_t>(inNanoseconds.value)
             : 0;
}
