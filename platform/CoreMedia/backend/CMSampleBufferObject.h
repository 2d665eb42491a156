#pragma once
#include <mutex>

#include <CoreMedia/CMSampleBuffer.h>
// CoreVideo's attachment table, which CoreMedia compiles in as its own.
#include "../../CoreVideo/backend/CVAttachmentTable.h"
#include <objc/NSObject.h>

struct opaqueCMSampleBuffer : NSObject {
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }
  const __CFString* copyDescription() const override;

  opaqueCMSampleBuffer(CVImageBufferRef imageBuffer, CMFormatDescriptionRef format,
                       const CMSampleTimingInfo& timing, bool dataReady);
  ~opaqueCMSampleBuffer() override;

  const CVImageBufferRef mImageBuffer;
  const CMFormatDescriptionRef mFormat;
  const CMSampleTimingInfo mTiming;
  const bool mDataReady;
  CoreVideo::AttachmentTable attachments;

  CFArrayRef sampleAttachments(bool create);

 private:
  std::mutex mLock;
  CFMutableArrayRef mSampleAttachments = nullptr;
};
