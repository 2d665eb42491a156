#pragma once
// The object behind CVDisplayLinkRef. What the ticking thread uses lives in a state of its own,
// shared with that thread, so that a thread still finishing its last tick never reaches a link
// that is gone.
#include <CoreVideo/CVDisplayLink.h>
#include <objc/NSObject.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace CoreVideo {

struct DisplayLinkState {
  std::mutex mutex;
  std::condition_variable changed;
  CVDisplayLinkOutputCallback callback = nullptr;
  void* userInfo = nullptr;
  CGDirectDisplayID display = 0;
  bool running = false;
  bool stopRequested = false;
  int callbacksInFlight = 0;
};

}  // namespace CoreVideo

struct __CVDisplayLink : NSObject {
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }

  explicit __CVDisplayLink(CGDirectDisplayID display);
  ~__CVDisplayLink() override;

  CVReturn start();
  CVReturn stop();
  // One callback for the refresh at hostTime, on this thread.
  CVReturn tick(uint64_t hostTime);

  const std::shared_ptr<CoreVideo::DisplayLinkState> state = std::make_shared<CoreVideo::DisplayLinkState>();

 private:
  std::thread mThread;
};
