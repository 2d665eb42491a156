#pragma once
// The client's side of its I/O on one device: the shared memory of the session, a thread that
// waits for each cycle, runs the process's IOProcs on the session's buffers and tells the
// server it is done, and the device's clock for the current time.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "HALConnection.h"
#include "IOSharedMemory.h"

namespace HALClient {

class ClientIOSession {
 public:
  // Takes the three descriptors; null (descriptors closed) when the memory is not a session's.
  static std::unique_ptr<ClientIOSession> open(AudioObjectID deviceID, int memory, int cycleEvent,
                                               int doneEvent, IOCycleHandler* handler);
  ~ClientIOSession();
  ClientIOSession(const ClientIOSession&) = delete;
  ClientIOSession& operator=(const ClientIOSession&) = delete;

  // kAudioHardwareNotRunningError while the device does not run.
  OSStatus currentTime(AudioTimeStamp* outTime) const;

 private:
  ClientIOSession(AudioObjectID deviceID, void* memory, size_t size, int cycleEvent, int doneEvent,
                  IOCycleHandler* handler);
  void threadMain();
  AudioBufferList* bufferList(std::vector<UInt8>& storage, uint32_t first, uint32_t count, UInt32 frames);

  const AudioObjectID mDeviceID;
  void* mMemory;
  size_t mSize;
  AudioServerProtocol::SharedIOHeader* mHeader;
  const int mCycleEvent;
  const int mDoneEvent;
  const int mStopEvent;
  IOCycleHandler* mHandler;
  std::vector<UInt8> mInputList;
  std::vector<UInt8> mOutputList;
  std::thread mThread;
};

}  // namespace HALClient
