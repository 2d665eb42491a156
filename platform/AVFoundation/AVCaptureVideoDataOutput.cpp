#include "AVCaptureVideoDataOutput.h"

#include <CoreMedia/CMFormatDescription.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <Foundation/NSValue.h>

#include <cmath>

#include "backend/CaptureSource.h"
#include "backend/DeviceAccess.h"
#include "backend/FrameConversion.h"

OBJC_CLASS_DEFINE(AVCaptureVideoDataOutput)

using AVFoundationBackend::CaptureSource;

namespace {

uint32_t unsignedSetting(NSDictionary* settings, CFStringRef key) {
  NSObject* value = settings ? settings->objectForKey(reinterpret_cast<const NSObject*>(key)) : nullptr;
  return value && value->isKindOfClass(NSNumber::class_()) ? static_cast<NSNumber*>(value)->unsignedIntValue()
                                                           : 0;
}

}  // namespace

AVCaptureVideoDataOutput* AVCaptureVideoDataOutput::init() {
  AVCaptureOutput::init();
  mPool = std::make_unique<AVFoundationBackend::FramePool>();
  return this;
}

AVCaptureVideoDataOutput::~AVCaptureVideoDataOutput() {
  stopFlow();
  if (mQueue) dispatch_release(mQueue);
}

NSDictionary* AVCaptureVideoDataOutput::videoSettings() const {
  std::lock_guard lock(mLock);
  return mVideoSettings ? NSDictionary::dictionaryWithDictionary(mVideoSettings.get()) : nullptr;
}

void AVCaptureVideoDataOutput::setVideoSettings(NSDictionary* settings) {
  RefPtr<NSDictionary> copy(settings ? NSDictionary::dictionaryWithDictionary(settings) : nullptr);
  std::lock_guard lock(mLock);
  mVideoSettings = copy;
}

void AVCaptureVideoDataOutput::setSampleBufferDelegate_queue(NSObject* delegate, dispatch_queue_t queue) {
  if (delegate && !queue) return;
  if (queue) dispatch_retain(queue);
  std::lock_guard lock(mLock);
  mDelegate = delegate;
  if (mQueue) dispatch_release(mQueue);
  mQueue = queue;
}

NSObject* AVCaptureVideoDataOutput::sampleBufferDelegate() const {
  RefPtr<NSObject> delegate = mDelegate.get();
  return delegate ? delegate.leak()->autorelease() : nullptr;
}

dispatch_queue_t AVCaptureVideoDataOutput::sampleBufferCallbackQueue() const {
  std::lock_guard lock(mLock);
  return mQueue;
}

NSArray* AVCaptureVideoDataOutput::availableVideoCVPixelFormatTypes() const {
  return NSArray::arrayWithObjects({NSNumber::numberWithUnsignedInt(kCVPixelFormatType_32BGRA),
                                    NSNumber::numberWithUnsignedInt(kCVPixelFormatType_422YpCbCr8)});
}

void AVCaptureVideoDataOutput::startFlow(AVCaptureDevice* device, uint32_t width, uint32_t height) {
  stopFlow();
  std::shared_ptr<CaptureSource> source = AVFoundationBackend::DeviceAccess::source(device);
  AVFoundationBackend::VideoFormat format;
  {
    std::lock_guard lock(mLock);
    const OSType asked = unsignedSetting(mVideoSettings.get(), kCVPixelBufferPixelFormatTypeKey);
    mPixelFormat = AVFoundationBackend::isConvertiblePixelFormat(asked) ? asked : 0;
    mWidth = unsignedSetting(mVideoSettings.get(), kCVPixelBufferWidthKey);
    mHeight = unsignedSetting(mVideoSettings.get(), kCVPixelBufferHeightKey);
    if (!mWidth || !mHeight) {
      mWidth = width;
      mHeight = height;
    }
    format = AVFoundationBackend::nearestFormat(source->formats(), width, height);
    mFrameRate = format.frameRate > 0 ? format.frameRate : 30.0;
  }
  const uint64_t consumer = CaptureSource::newConsumerID();
  if (!source->addConsumer(consumer, format, [this](CVPixelBufferRef frame, uint64_t hostTime) {
        frameArrived(frame, hostTime);
      }))
    return;
  std::lock_guard lock(mLock);
  mFeed = std::move(source);
  mConsumer = consumer;
}

void AVCaptureVideoDataOutput::stopFlow() {
  std::shared_ptr<CaptureSource> feed;
  uint64_t consumer = 0;
  {
    std::lock_guard lock(mLock);
    feed = std::move(mFeed);
    consumer = mConsumer;
    mFeed = nullptr;
  }
  if (feed) feed->removeConsumer(consumer);
}

// On the camera's reader thread: the frame in the output's format, queued for the delegate.
void AVCaptureVideoDataOutput::frameArrived(CVPixelBufferRef frame, uint64_t hostTime) {
  RefPtr<AVCaptureConnection> connection = this->connection();
  if (!connection || !connection->isEnabled()) return;
  RefPtr<NSObject> delegate = mDelegate.get();
  dispatch_queue_t queue;
  OSType pixelFormat;
  uint32_t width, height;
  double rate;
  {
    std::lock_guard lock(mLock);
    queue = mQueue;
    pixelFormat = mPixelFormat;
    width = mWidth;
    height = mHeight;
    rate = mFrameRate;
    if (queue) dispatch_retain(queue);
  }
  if (!delegate || !queue) {
    if (queue) dispatch_release(queue);
    return;
  }
  if (mDiscardsLateFrames && mFramesOnQueue > 0) {
    dispatch_release(queue);
    return;
  }
  const RefPtr<__CVBuffer> converted =
      AVFoundationBackend::convertFrame(frame, pixelFormat, width, height, *mPool);
  CMVideoFormatDescriptionRef description = nullptr;
  if (converted) CMVideoFormatDescriptionCreateForImageBuffer(nullptr, converted.get(), &description);
  const RefPtr<const opaqueCMFormatDescription> heldDescription = adopt(description);
  CMSampleTimingInfo timing{CMTimeMake(int64_t(std::llround(1e9 / rate)), 1000000000),
                            CMTimeMake(int64_t(hostTime), 1000000000), kCMTimeInvalid};
  CMSampleBufferRef sample = nullptr;
  if (description)
    CMSampleBufferCreateReadyWithImageBuffer(nullptr, converted.get(), description, &timing, &sample);
  RefPtr<opaqueCMSampleBuffer> heldSample = adopt(sample);
  if (!heldSample) {
    dispatch_release(queue);
    return;
  }
  ++mFramesOnQueue;
  RefPtr<AVCaptureVideoDataOutput> self(this);
  dispatch_async(queue, [self, delegate, heldSample, connection] {
    if (auto* receiver = dynamic_cast<AVCaptureVideoDataOutputSampleBufferDelegate*>(delegate.get()))
      receiver->captureOutput_didOutputSampleBuffer_fromConnection(self.get(), heldSample.get(),
                                                                   connection.get());
    --self->mFramesOnQueue;
  });
  dispatch_release(queue);
}
