#pragma once
// A sample-buffer delegate that keeps copies of the frames it is given (their format, size,
// the queue they came on and their pixels) for a test to wait for and read.
#include <AVFoundation/AVFoundation.h>
#include <CoreMedia/CMFormatDescription.h>
#include <CoreVideo/CVPixelBuffer.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

struct CollectedFrame {
  OSType pixelFormat = 0;
  OSType codec = 0;
  size_t width = 0, height = 0;
  std::string queueLabel;
  std::vector<uint8_t> pixels;  // rows packed, top row first
  size_t rowBytes = 0;
  const uint8_t* at(size_t x, size_t y) const { return pixels.data() + y * rowBytes + 4 * x; }
};

class FrameCollector : public NSObject, public AVCaptureVideoDataOutputSampleBufferDelegate {
  OBJC_CLASS_DECL(FrameCollector, NSObject)

 public:
  void captureOutput_didOutputSampleBuffer_fromConnection(AVCaptureOutput*, CMSampleBufferRef sample,
                                                          AVCaptureConnection*) override {
    CollectedFrame frame;
    CVImageBufferRef image = CMSampleBufferGetImageBuffer(sample);
    CMFormatDescriptionRef description = CMSampleBufferGetFormatDescription(sample);
    frame.codec = CMFormatDescriptionGetMediaSubType(description);
    frame.pixelFormat = CVPixelBufferGetPixelFormatType(image);
    frame.width = CVPixelBufferGetWidth(image);
    frame.height = CVPixelBufferGetHeight(image);
    frame.queueLabel = dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL);
    CVPixelBufferLockBaseAddress(image, kCVPixelBufferLock_ReadOnly);
    const size_t rowBytes =
        frame.pixelFormat == kCVPixelFormatType_32BGRA ? 4 * frame.width : 2 * frame.width;
    frame.rowBytes = rowBytes;
    frame.pixels.resize(rowBytes * frame.height);
    const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(image));
    for (size_t y = 0; y < frame.height; ++y)
      std::memcpy(frame.pixels.data() + y * rowBytes, base + y * CVPixelBufferGetBytesPerRow(image),
                  rowBytes);
    CVPixelBufferUnlockBaseAddress(image, kCVPixelBufferLock_ReadOnly);
    std::lock_guard lock(mLock);
    mFrames.push_back(std::move(frame));
    mArrived.notify_all();
  }

  // The first `count` frames, once they are there; fewer at the deadline.
  std::vector<CollectedFrame> waitFor(size_t count,
                                      std::chrono::seconds deadline = std::chrono::seconds(20)) {
    std::unique_lock lock(mLock);
    mArrived.wait_for(lock, deadline, [&] { return mFrames.size() >= count; });
    return {mFrames.begin(), mFrames.begin() + long(std::min(count, mFrames.size()))};
  }
  size_t count() {
    std::lock_guard lock(mLock);
    return mFrames.size();
  }

 protected:
  FrameCollector() = default;

 private:
  std::mutex mLock;
  std::condition_variable mArrived;
  std::vector<CollectedFrame> mFrames;
};
