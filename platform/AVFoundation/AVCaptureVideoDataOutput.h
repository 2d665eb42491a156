#pragma once
// An output that hands each video frame to a delegate as a sample buffer, on the delegate's
// serial queue. The video settings choose the pixel format (kCVPixelBufferPixelFormatTypeKey:
// 'BGRA' or '2vuy'; another or none keeps the camera's) and may set a size
// (kCVPixelBufferWidthKey and kCVPixelBufferHeightKey; else the session preset's). While the
// delegate is still busy with a frame, a new one is dropped when late frames are discarded
// (the default), else it waits its turn on the queue.
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <Foundation/NSDictionary.h>
#include <dispatch/queue.h>

#include <atomic>

#include <AVFoundation/AVCaptureOutput.h>

namespace AVFoundationBackend {
class FramePool;
}

class AVF_CLASS AVCaptureVideoDataOutputSampleBufferDelegate {
 public:
  virtual void captureOutput_didOutputSampleBuffer_fromConnection(AVCaptureOutput*, CMSampleBufferRef,
                                                                  AVCaptureConnection*) {}
  virtual void captureOutput_didDropSampleBuffer_fromConnection(AVCaptureOutput*, CMSampleBufferRef,
                                                                AVCaptureConnection*) {}

 protected:
  virtual ~AVCaptureVideoDataOutputSampleBufferDelegate() = default;
};

class AVF_CLASS AVCaptureVideoDataOutput : public AVCaptureOutput {
  OBJC_CLASS_DECL(AVCaptureVideoDataOutput, AVCaptureOutput)

 public:
  AVCaptureVideoDataOutput* init() override;

  // Autoreleased copies.
  NSDictionary* videoSettings() const;
  void setVideoSettings(NSDictionary* settings);
  bool alwaysDiscardsLateVideoFrames() const { return mDiscardsLateFrames; }
  void setAlwaysDiscardsLateVideoFrames(bool discards) { mDiscardsLateFrames = discards; }
  // The delegate (an object that also derives from the delegate interface) is not retained;
  // the queue is. A null queue with a delegate is refused.
  void setSampleBufferDelegate_queue(NSObject* delegate, dispatch_queue_t queue);
  NSObject* sampleBufferDelegate() const;
  dispatch_queue_t sampleBufferCallbackQueue() const;
  // Autoreleased NSNumbers of the pixel formats the output can deliver.
  NSArray* availableVideoCVPixelFormatTypes() const;

 protected:
  AVCaptureVideoDataOutput() = default;
  ~AVCaptureVideoDataOutput() override;
  void startFlow(AVCaptureDevice* device, uint32_t width, uint32_t height) override;
  void stopFlow() override;

 private:
  void frameArrived(CVPixelBufferRef frame, uint64_t hostTime);

  mutable std::mutex mLock;
  RefPtr<NSDictionary> mVideoSettings;
  std::atomic<bool> mDiscardsLateFrames{true};
  WeakPtr<NSObject> mDelegate;
  dispatch_queue_t mQueue = nullptr;
  // The camera feeding the output, and what the output makes of its frames.
  std::shared_ptr<AVFoundationBackend::CaptureSource> mFeed;
  uint64_t mConsumer = 0;
  OSType mPixelFormat = 0;
  uint32_t mWidth = 0, mHeight = 0;
  double mFrameRate = 30.0;
  std::unique_ptr<AVFoundationBackend::FramePool> mPool;
  std::atomic<int> mFramesOnQueue{0};
};
