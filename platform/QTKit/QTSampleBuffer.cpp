#include "QTSampleBuffer.h"

OBJC_CLASS_DEFINE(QTSampleBuffer)

QTSampleBuffer* QTSampleBuffer::sampleBufferWithSampleBuffer(CMSampleBufferRef sample) {
  auto* buffer = static_cast<QTSampleBuffer*>(alloc()->init());
  buffer->mSample = RefPtr<opaqueCMSampleBuffer>(sample);
  return static_cast<QTSampleBuffer*>(buffer->autorelease());
}

QTFormatDescription* QTSampleBuffer::formatDescription() const {
  return QTFormatDescription::formatDescriptionWithDescription(
      CMSampleBufferGetFormatDescription(mSample.get()));
}

CMTime QTSampleBuffer::presentationTime() const {
  return CMSampleBufferGetPresentationTimeStamp(mSample.get());
}
