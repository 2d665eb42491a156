#pragma once
// The numbers a frame rate gives a stream: one second of frames in its queue, a timescale of
// a hundred units per whole frame, a frame duration in that timescale and the timer's interval.
// And when the ticks come once a source announces its frames: a frame is taken when it is
// announced, as far as the base rate allows, and the free-running ticks (which repeat the last
// frame while none comes) keep to the phase of the announcements.
#include <algorithm>
#include <cstdint>

namespace NQCMIO {

struct CMIOFramePacing {
  double framesPerSecond;
  int32_t queueCapacity;
  int32_t timescale;
  int64_t frameDurationValue;
  int64_t intervalNanoseconds;

  static CMIOFramePacing ForRate(double framesPerSecond) {
    const int32_t frames = static_cast<int32_t>(framesPerSecond);
    const int32_t timescale = frames * 100;
    return CMIOFramePacing{framesPerSecond, frames, timescale, static_cast<int64_t>(timescale / framesPerSecond),
                           static_cast<int64_t>(1000000000.0 / framesPerSecond)};
  }

  // The ticks are held to the base rate as a budget, not as a spacing: each tick makes the
  // next one due a little less than an interval later (so that ticks that came late, because
  // the machine was busy, are caught up), and an announced frame may be taken up to a whole
  // interval before the next tick is due (so that a frame is not held back for the lateness
  // of the one before). Over any length of time the ticks keep to the base rate within this
  // much, plus one.
  int64_t catchUpNanoseconds() const { return intervalNanoseconds / 8; }
  // How much later than a whole interval after an announced tick the next free-running tick
  // comes: a source's next frame that comes a little late is then still taken at once,
  // instead of after a tick that repeats the frame before.
  int64_t lateGraceNanoseconds() const { return intervalNanoseconds / 4; }

  // When the next tick is due after a tick at `tickTime`, given when that one was due (0 for
  // no tick yet).
  uint64_t NextTickDue(uint64_t due, uint64_t tickTime) const {
    return std::max(due, tickTime) + uint64_t(intervalNanoseconds - catchUpNanoseconds());
  }
  // When the tick for a frame announced at `now` comes, given when the next tick is due (0 for
  // no tick yet).
  uint64_t AnnouncedTickTime(uint64_t due, uint64_t now) const {
    const uint64_t earliest = due > uint64_t(intervalNanoseconds) ? due - uint64_t(intervalNanoseconds) : 0;
    return std::max(now, earliest);
  }
  // When the first free-running tick after a tick that took an announced frame comes.
  uint64_t FreeRunningTickTime(uint64_t announcedTickTime) const {
    return announcedTickTime + uint64_t(intervalNanoseconds + lateGraceNanoseconds());
  }
};

}  // namespace NQCMIO
