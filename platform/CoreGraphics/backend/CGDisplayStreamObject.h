#pragma once
// The object behind a CGDisplayStreamRef (inner workings): what the stream was asked for and
// the thread that reads the display while it runs.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <CoreGraphics/CGDisplayStream.h>
#include "backend/CGObjects.h"

struct CGDisplayStream : NSObject {
  CG_TYPE_ID(CGDisplayStream)
  ~CGDisplayStream() override;

  CGDirectDisplayID display = kCGNullDirectDisplay;
  size_t outputWidth = 0;
  size_t outputHeight = 0;
  bool preserveAspectRatio = true;
  double minimumFrameTime = 1.0 / 30;
  dispatch_queue_t queue = nullptr;  // retained
  CGDisplayStreamFrameAvailableHandler handler;

  CGError start();
  CGError stop();

 private:
  void readFrames();
  // Runs the handler on the queue; the block keeps the stream and the surface alive.
  void deliver(CGDisplayStreamFrameStatus status, uint64_t displayTime, RefPtr<__IOSurface> surface);
  // Waits until the next frame's time on a fixed schedule of one frame per minimum frame
  // time from `next`, which it moves on (past the times the reads overran); false once the
  // stream is asked to stop.
  bool waitForNextFrame(std::chrono::steady_clock::time_point& next);

  std::mutex mLock;
  std::condition_variable mWake;
  bool mRunning = false;
  bool mStopRequested = false;
  std::thread mReader;
  // Deliveries queued but not yet handled: frames are skipped rather than piled up behind a
  // slow handler.
  std::atomic<int> mPendingDeliveries{0};
};
