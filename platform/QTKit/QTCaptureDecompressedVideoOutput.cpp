#include "QTCaptureDecompressedVideoOutput.h"

OBJC_CLASS_DEFINE(QTCaptureDecompressedVideoOutput)
OBJC_CLASS_DEFINE(QTCaptureVideoPreviewOutput)

QTCaptureDecompressedVideoOutput* QTCaptureDecompressedVideoOutput::init() {
  QTCaptureOutput::init();
  captureOutput()->setAlwaysDiscardsLateVideoFrames(false);
  return this;
}

NSDictionary* QTCaptureDecompressedVideoOutput::pixelBufferAttributes() const {
  std::lock_guard lock(mAttributesLock);
  return mAttributes ? NSDictionary::dictionaryWithDictionary(mAttributes.get()) : nullptr;
}

void QTCaptureDecompressedVideoOutput::setPixelBufferAttributes(NSDictionary* attributes) {
  RefPtr<NSDictionary> copy(attributes ? NSDictionary::dictionaryWithDictionary(attributes) : nullptr);
  {
    std::lock_guard lock(mAttributesLock);
    mAttributes = copy;
  }
  setVideoSettings(copy.get());
}

NSObject* QTCaptureDecompressedVideoOutput::delegate() const {
  RefPtr<NSObject> delegate = mDelegate.get();
  return delegate ? delegate.leak()->autorelease() : nullptr;
}

void QTCaptureDecompressedVideoOutput::setDelegate(NSObject* delegate) { mDelegate = delegate; }

void QTCaptureDecompressedVideoOutput::frameArrived(CVImageBufferRef frame, QTSampleBuffer* sample,
                                                    QTCaptureConnection* connection) {
  RefPtr<NSObject> delegate = delegateReference();
  if (auto* receiver = dynamic_cast<QTCaptureDecompressedVideoOutputDelegate*>(delegate.get()))
    receiver->captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(this, frame, sample,
                                                                                connection);
}

QTCaptureVideoPreviewOutput* QTCaptureVideoPreviewOutput::init() {
  QTCaptureOutput::init();
  captureOutput()->setAlwaysDiscardsLateVideoFrames(true);
  return this;
}

void QTCaptureVideoPreviewOutput::frameArrived(CVImageBufferRef frame, QTSampleBuffer* sample,
                                               QTCaptureConnection* connection) {
  RefPtr<NSObject> delegate = delegateReference();
  if (auto* receiver = dynamic_cast<QTCaptureVideoPreviewOutputDelegate*>(delegate.get()))
    receiver->captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(this, frame, sample,
                                                                                connection);
}
