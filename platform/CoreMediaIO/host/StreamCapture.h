#pragma once
// Reading one stream as a client does: take its queue with a procedure that is told of every
// buffer, start it, take the buffers as they come and stop it.
#include <CoreMedia/CMSampleBuffer.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "LoadedPlugIn.h"

namespace CameraHost {

class StreamCapture {
 public:
  StreamCapture(const LoadedPlugIn& plugIn, CMIOObjectID deviceID, CMIOObjectID streamID);
  // Stops a stream that is still running and lets go of its queue.
  ~StreamCapture();
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

  OSStatus start();
  OSStatus stop();
  // The next buffer of the queue (+1, the caller releases it), or null at the deadline.
  CMSampleBufferRef next(std::chrono::milliseconds deadline);
  // How often the stream told of a new buffer.
  uint64_t notices() const;

 private:
  static void queueAltered(CMIOObjectID streamID, void* token, void* refCon);

  CMIOHardwarePlugInRef mPlugIn;
  CMIOObjectID mDeviceID;
  CMIOObjectID mStreamID;
  CMSimpleQueueRef mQueue = nullptr;
  bool mRunning = false;
  mutable std::mutex mLock;
  std::condition_variable mAltered;
  uint64_t mNotices = 0;
};

}  // namespace CameraHost
