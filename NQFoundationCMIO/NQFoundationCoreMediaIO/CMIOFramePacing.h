#pragma once
// The numbers a frame rate gives a stream: one second of frames in its queue, a timescale of
// a hundred units per whole frame, a frame duration in that timescale and the timer's interval.
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
};

}  // namespace NQCMIO
