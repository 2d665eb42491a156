#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreVideo/CVPixelBuffer.h>

#include <cstdio>

#include "backend/CMSampleBufferObject.h"

const CMSampleTimingInfo kCMTimingInfoInvalid = {kCMTimeInvalid, kCMTimeInvalid, kCMTimeInvalid};

const CFStringRef kCMSampleAttachmentKey_NotSync = CFSTR("NotSync");
const CFStringRef kCMSampleAttachmentKey_PartialSync = CFSTR("PartialSync");
const CFStringRef kCMSampleAttachmentKey_DependsOnOthers = CFSTR("DependsOnOthers");
const CFStringRef kCMSampleAttachmentKey_DisplayImmediately = CFSTR("DisplayImmediately");
const CFStringRef kCMSampleAttachmentKey_DoNotDisplay = CFSTR("DoNotDisplay");

CFTypeID opaqueCMSampleBuffer::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CMSampleBuffer");
  return id;
}

opaqueCMSampleBuffer::opaqueCMSampleBuffer(CVImageBufferRef imageBuffer, CMFormatDescriptionRef format,
                                           const CMSampleTimingInfo& timing, bool dataReady)
    : mImageBuffer(static_cast<CVImageBufferRef>(const_cast<void*>(CFRetain(imageBuffer)))),
      mFormat(static_cast<CMFormatDescriptionRef>(CFRetain(format))),
      mTiming(timing),
      mDataReady(dataReady) {}

opaqueCMSampleBuffer::~opaqueCMSampleBuffer() {
  if (mSampleAttachments) CFRelease(mSampleAttachments);
  CFRelease(mFormat);
  CFRelease(mImageBuffer);
}

const __CFString* opaqueCMSampleBuffer::copyDescription() const {
  CFStringRef time = CMTimeCopyDescription(nullptr, mTiming.presentationTimeStamp);
  CFStringRef result =
      CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<CMSampleBuffer %p pts %@ image %@>"),
                               static_cast<const void*>(this), time, mImageBuffer);
  CFRelease(time);
  return result;
}

CFArrayRef opaqueCMSampleBuffer::sampleAttachments(bool create) {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mSampleAttachments && create) {
    mSampleAttachments = CFArrayCreateMutable(nullptr, 1, &kCFTypeArrayCallBacks);
    CFMutableDictionaryRef sample = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                              &kCFTypeDictionaryValueCallBacks);
    CFArrayAppendValue(mSampleAttachments, sample);
    CFRelease(sample);
  }
  return mSampleAttachments;
}

namespace {

opaqueCMSampleBuffer* sampleOf(CMSampleBufferRef sbuf, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(sbuf);
  if (!object || object->cfTypeID() != opaqueCMSampleBuffer::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CMSampleBuffer\n", function, static_cast<void*>(sbuf));
    return nullptr;
  }
  return static_cast<opaqueCMSampleBuffer*>(object);
}

}  // namespace

CFTypeID CMSampleBufferGetTypeID(void) { return opaqueCMSampleBuffer::typeID(); }

OSStatus CMSampleBufferCreateForImageBuffer(CFAllocatorRef, CVImageBufferRef imageBuffer, Boolean dataReady,
                                            CMSampleBufferMakeDataReadyCallback, void*,
                                            CMVideoFormatDescriptionRef formatDescription,
                                            const CMSampleTimingInfo* sampleTiming,
                                            CMSampleBufferRef* sampleBufferOut) {
  if (!sampleBufferOut) return kCMSampleBufferError_RequiredParameterMissing;
  *sampleBufferOut = nullptr;
  if (!imageBuffer || !formatDescription || !sampleTiming)
    return kCMSampleBufferError_RequiredParameterMissing;
  if (CFGetTypeID(formatDescription) != CMFormatDescriptionGetTypeID() ||
      !CMVideoFormatDescriptionMatchesImageBuffer(formatDescription, imageBuffer))
    return kCMSampleBufferError_InvalidMediaFormat;
  *sampleBufferOut = new opaqueCMSampleBuffer(imageBuffer, formatDescription, *sampleTiming, dataReady);
  return noErr;
}

OSStatus CMSampleBufferCreateReadyWithImageBuffer(CFAllocatorRef allocator, CVImageBufferRef imageBuffer,
                                                  CMVideoFormatDescriptionRef formatDescription,
                                                  const CMSampleTimingInfo* sampleTiming,
                                                  CMSampleBufferRef* sampleBufferOut) {
  return CMSampleBufferCreateForImageBuffer(allocator, imageBuffer, true, nullptr, nullptr, formatDescription,
                                            sampleTiming, sampleBufferOut);
}

Boolean CMSampleBufferIsValid(CMSampleBufferRef sbuf) { return sampleOf(sbuf, __func__) != nullptr; }

Boolean CMSampleBufferDataIsReady(CMSampleBufferRef sbuf) {
  opaqueCMSampleBuffer* sample = sampleOf(sbuf, __func__);
  return sample && sample->mDataReady;
}

CVImageBufferRef CMSampleBufferGetImageBuffer(CMSampleBufferRef sbuf) {
  opaqueCMSampleBuffer* sample = sampleOf(sbuf, __func__);
  return sample ? sample->mImageBuffer : nullptr;
}

CMFormatDescriptionRef CMSampleBufferGetFormatDescription(CMSampleBufferRef sbuf) {
  opaqueCMSampleBuffer* sample = sampleOf(sbuf, __func__);
  return sample ? sample->mFormat : nullptr;
}

CMItemCount CMSampleBufferGetNumSamples(CMSampleBufferRef sbuf) { return sampleOf(sbuf, __func__) ? 1 : 0; }

#define CMSAMPLEBUFFER_TIME(name, field)                     \
  CMTime name(CMSampleBufferRef sbuf) {                      \
    opaqueCMSampleBuffer* sample = sampleOf(sbuf, __func__); \
    return sample ? sample->mTiming.field : kCMTimeInvalid;  \
  }

CMSAMPLEBUFFER_TIME(CMSampleBufferGetPresentationTimeStamp, presentationTimeStamp)
CMSAMPLEBUFFER_TIME(CMSampleBufferGetDecodeTimeStamp, decodeTimeStamp)
CMSAMPLEBUFFER_TIME(CMSampleBufferGetDuration, duration)
// Without edits or trims the output times are the sample's own.
CMSAMPLEBUFFER_TIME(CMSampleBufferGetOutputPresentationTimeStamp, presentationTimeStamp)
CMSAMPLEBUFFER_TIME(CMSampleBufferGetOutputDuration, duration)

OSStatus CMSampleBufferGetSampleTimingInfo(CMSampleBufferRef sbuf, CMItemIndex sampleIndex,
                                           CMSampleTimingInfo* timingInfoOut) {
  opaqueCMSampleBuffer* sample = sampleOf(sbuf, __func__);
  if (!sample || !timingInfoOut) return kCMSampleBufferError_RequiredParameterMissing;
  if (sampleIndex != 0) return kCMSampleBufferError_SampleIndexOutOfRange;
  *timingInfoOut = sample->mTiming;
  return noErr;
}

CFArrayRef CMSampleBufferGetSampleAttachmentsArray(CMSampleBufferRef sbuf, Boolean createIfNecessary) {
  opaqueCMSampleBuffer* sample = sampleOf(sbuf, __func__);
  return sample ? sample->sampleAttachments(createIfNecessary) : nullptr;
}
