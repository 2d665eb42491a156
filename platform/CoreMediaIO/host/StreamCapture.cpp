#include "StreamCapture.h"

#include <CoreMedia/CMSimpleQueue.h>

namespace CameraHost {

StreamCapture::StreamCapture(const LoadedPlugIn& plugIn, CMIOObjectID deviceID, CMIOObjectID streamID)
    : mPlugIn(plugIn.interface()), mDeviceID(deviceID), mStreamID(streamID) {}

StreamCapture::~StreamCapture() {
  if (mRunning) stop();
  if (mQueue) {
    // No notices may arrive for a capture that is gone.
    CMSimpleQueueRef ignored = nullptr;
    (*mPlugIn)->StreamCopyBufferQueue(mPlugIn, mStreamID, nullptr, nullptr, &ignored);
    if (ignored) CFRelease(ignored);
    while (const void* buffer = CMSimpleQueueDequeue(mQueue)) CFRelease(buffer);
    CFRelease(mQueue);
  }
}

void StreamCapture::queueAltered(CMIOObjectID, void*, void* refCon) {
  auto* capture = static_cast<StreamCapture*>(refCon);
  std::lock_guard<std::mutex> guard(capture->mLock);
  ++capture->mNotices;
  capture->mAltered.notify_all();
}

OSStatus StreamCapture::start() {
  if (!mQueue) {
    OSStatus status = (*mPlugIn)->StreamCopyBufferQueue(mPlugIn, mStreamID, queueAltered, this, &mQueue);
    if (status != kCMIOHardwareNoError) return status;
  }
  OSStatus status = (*mPlugIn)->DeviceStartStream(mPlugIn, mDeviceID, mStreamID);
  mRunning = status == kCMIOHardwareNoError;
  return status;
}

OSStatus StreamCapture::stop() {
  mRunning = false;
  return (*mPlugIn)->DeviceStopStream(mPlugIn, mDeviceID, mStreamID);
}

CMSampleBufferRef StreamCapture::next(std::chrono::milliseconds deadline) {
  if (!mQueue) return nullptr;
  const auto end = std::chrono::steady_clock::now() + deadline;
  std::unique_lock<std::mutex> lock(mLock);
  while (true) {
    if (const void* buffer = CMSimpleQueueDequeue(mQueue)) {
      return static_cast<CMSampleBufferRef>(const_cast<void*>(buffer));
    }
    // The notice may come before the buffer is visible, so wake now and then to look again.
    if (std::chrono::steady_clock::now() >= end) return nullptr;
    mAltered.wait_until(lock, std::min(end, std::chrono::steady_clock::now() + std::chrono::milliseconds(50)));
  }
}

uint64_t StreamCapture::notices() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mNotices;
}

}  // namespace CameraHost
