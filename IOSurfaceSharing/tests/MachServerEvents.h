#pragma once
// A delegate of the Mach frame server for tests: it records what the server tells it. Included
// by one source of a test program (it defines its class).
#include <IOSurface/IOSurface.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "IOSurfaceMachServer.h"

class MachServerEvents : public NSObject, public IOSurfaceMachServerDelegate {
  OBJC_CLASS_DECL(MachServerEvents, NSObject)

 public:
  struct FrameIn {
    uint64_t clientID;
    uint32_t surfaceID;
    uint64_t time;
  };

  void surfaceServer_connectedClientWithID(IOSurfaceMachServer*, uint64_t clientID) override {
    std::lock_guard<std::mutex> guard(mLock);
    mConnected.push_back(clientID);
  }
  void surfaceServer_clientID_surfaceRef_surfaceTime(IOSurfaceMachServer*, uint64_t clientID,
                                                     IOSurfaceRef surface, uint64_t time) override {
    std::lock_guard<std::mutex> guard(mLock);
    mFramesIn.push_back({clientID, surface ? IOSurfaceGetID(surface) : 0, time});
  }
  void surfaceServer_disconnectedClientWithPort(IOSurfaceMachServer*, NSMachPort*) override {
    ++disconnected;
  }

  std::vector<uint64_t> connected() {
    std::lock_guard<std::mutex> guard(mLock);
    return mConnected;
  }
  std::vector<FrameIn> framesIn() {
    std::lock_guard<std::mutex> guard(mLock);
    return mFramesIn;
  }

  std::atomic<int> disconnected{0};

 private:
  std::mutex mLock;
  std::vector<uint64_t> mConnected;
  std::vector<FrameIn> mFramesIn;
};
OBJC_CLASS_DEFINE(MachServerEvents)
