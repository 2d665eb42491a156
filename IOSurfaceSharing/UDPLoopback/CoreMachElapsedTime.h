#pragma once
// A stopwatch on the host clock, in nanoseconds. The clock is a plain function so that a
// test can drive the time by hand; every other user takes the host clock.
#include <cstdint>

class CoreMachElapsedTime {
 public:
  using Clock = uint64_t (*)();

  // Host time in nanoseconds (host ticks scaled by the timebase, read once per process);
  // 0 when the timebase could not be read.
  static uint64_t HostTime_nsec();

  // Started at construction.
  explicit CoreMachElapsedTime(Clock clock = HostTime_nsec);

  // Restarts the stopwatch; answers the start time.
  uint64_t Start();
  uint64_t Elapsed_nsec() const;
  double Elapsed_sec() const;

 private:
  Clock mClock;
  uint64_t mStart = 0;
};
