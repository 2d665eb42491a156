#pragma once
// One video sample: an image buffer with its format description and timing.
#include <CoreFoundation/CFArray.h>
#include <CoreMedia/CMAttachment.h>
#include <CoreMedia/CMFormatDescription.h>
#include <CoreMedia/CMTime.h>
#include <CoreVideo/CVImageBuffer.h>

typedef struct opaqueCMSampleBuffer* CMSampleBufferRef;

struct CMSampleTimingInfo {
  CMTime duration;
  CMTime presentationTimeStamp;
  CMTime decodeTimeStamp;
};

CF_EXPORT const CMSampleTimingInfo kCMTimingInfoInvalid;

enum : OSStatus {
  kCMSampleBufferError_AllocationFailed = -12730,
  kCMSampleBufferError_RequiredParameterMissing = -12731,
  kCMSampleBufferError_AlreadyHasDataBuffer = -12732,
  kCMSampleBufferError_BufferNotReady = -12733,
  kCMSampleBufferError_SampleIndexOutOfRange = -12734,
  kCMSampleBufferError_BufferHasNoSampleSizes = -12735,
  kCMSampleBufferError_BufferHasNoSampleTimingInfo = -12736,
  kCMSampleBufferError_ArrayTooSmall = -12737,
  kCMSampleBufferError_InvalidEntryCount = -12738,
  kCMSampleBufferError_CannotSubdivide = -12739,
  kCMSampleBufferError_SampleTimingInfoInvalid = -12740,
  kCMSampleBufferError_InvalidMediaTypeForOperation = -12741,
  kCMSampleBufferError_InvalidSampleData = -12742,
  kCMSampleBufferError_InvalidMediaFormat = -12743,
  kCMSampleBufferError_Invalidated = -12744,
};

// Keys of the per-sample attachment dictionaries.
CF_EXPORT const CFStringRef kCMSampleAttachmentKey_NotSync;
CF_EXPORT const CFStringRef kCMSampleAttachmentKey_PartialSync;
CF_EXPORT const CFStringRef kCMSampleAttachmentKey_DependsOnOthers;
CF_EXPORT const CFStringRef kCMSampleAttachmentKey_DisplayImmediately;
CF_EXPORT const CFStringRef kCMSampleAttachmentKey_DoNotDisplay;

typedef OSStatus (*CMSampleBufferMakeDataReadyCallback)(CMSampleBufferRef sbuf, void* makeDataReadyRefcon);

CF_EXPORT CFTypeID CMSampleBufferGetTypeID(void);

// The sample retains the image buffer and the description, which must describe the buffer.
CF_EXPORT OSStatus CMSampleBufferCreateForImageBuffer(
    CFAllocatorRef allocator, CVImageBufferRef imageBuffer, Boolean dataReady,
    CMSampleBufferMakeDataReadyCallback makeDataReadyCallback, void* makeDataReadyRefcon,
    CMVideoFormatDescriptionRef formatDescription, const CMSampleTimingInfo* sampleTiming,
    CMSampleBufferRef* sampleBufferOut);
CF_EXPORT OSStatus CMSampleBufferCreateReadyWithImageBuffer(CFAllocatorRef allocator,
                                                            CVImageBufferRef imageBuffer,
                                                            CMVideoFormatDescriptionRef formatDescription,
                                                            const CMSampleTimingInfo* sampleTiming,
                                                            CMSampleBufferRef* sampleBufferOut);

CF_EXPORT Boolean CMSampleBufferIsValid(CMSampleBufferRef sbuf);
CF_EXPORT Boolean CMSampleBufferDataIsReady(CMSampleBufferRef sbuf);
CF_EXPORT CVImageBufferRef CMSampleBufferGetImageBuffer(CMSampleBufferRef sbuf);
CF_EXPORT CMFormatDescriptionRef CMSampleBufferGetFormatDescription(CMSampleBufferRef sbuf);
CF_EXPORT CMItemCount CMSampleBufferGetNumSamples(CMSampleBufferRef sbuf);
CF_EXPORT CMTime CMSampleBufferGetPresentationTimeStamp(CMSampleBufferRef sbuf);
CF_EXPORT CMTime CMSampleBufferGetDecodeTimeStamp(CMSampleBufferRef sbuf);
CF_EXPORT CMTime CMSampleBufferGetDuration(CMSampleBufferRef sbuf);
CF_EXPORT CMTime CMSampleBufferGetOutputPresentationTimeStamp(CMSampleBufferRef sbuf);
CF_EXPORT CMTime CMSampleBufferGetOutputDuration(CMSampleBufferRef sbuf);
CF_EXPORT OSStatus CMSampleBufferGetSampleTimingInfo(CMSampleBufferRef sbuf, CMItemIndex sampleIndex,
                                                     CMSampleTimingInfo* timingInfoOut);
// An array of one mutable dictionary per sample (not retained); null when none was made and
// createIfNecessary is false.
CF_EXPORT CFArrayRef CMSampleBufferGetSampleAttachmentsArray(CMSampleBufferRef sbuf,
                                                             Boolean createIfNecessary);
