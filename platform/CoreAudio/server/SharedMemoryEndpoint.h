#pragma once
// A session endpoint in another process: the session's samples in shared memory and two
// eventfds, one to hand the client its cycle and one on which it tells that it is done.
#include <memory>

#include "../backend/IOSharedMemory.h"
#include "IOSession.h"

namespace AudioServer {

class SharedMemoryEndpoint final : public IOSessionEndpoint {
 public:
  // Null when the layout has more streams than a session can carry or memory cannot be had.
  static std::unique_ptr<SharedMemoryEndpoint> create(const DeviceLayout& layout);
  ~SharedMemoryEndpoint() override;

  // The descriptors to pass to the client (the endpoint keeps its own).
  int memoryDescriptor() const { return mMemory; }
  int cycleDescriptor() const { return mCycleEvent; }
  int doneDescriptor() const { return mDoneEvent; }

  Float32* inputBuffer(UInt32 stream) override;
  Float32* outputBuffer(UInt32 stream) override;
  void beginCycle(const IOCycle& cycle) override;
  bool finishCycle(uint64_t deadlineHostTime) override;
  void publishClock(const DeviceClockState& clock) override;

 private:
  SharedMemoryEndpoint(int memory, void* mapped, size_t size, int cycleEvent, int doneEvent);
  Float32* stream(uint32_t index);

  int mMemory;
  void* mMapped;
  size_t mSize;
  AudioServerProtocol::SharedIOHeader* mHeader;
  int mCycleEvent;
  int mDoneEvent;
  uint64_t mCycle = 0;
};

}  // namespace AudioServer
