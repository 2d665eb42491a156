#pragma once
// Sample buffers as camera streams deliver them: a CoreMedia sample buffer that also carries
// the stream's sequence number and discontinuity flags.
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreVideo/CVImageBuffer.h>

enum : UInt32 {
  kCMIOSampleBufferNoDiscontinuities = 0,
  kCMIOSampleBufferDiscontinuityFlag_UnknownDiscontinuity = 1,
};
enum : UInt64 {
  kCMIOInvalidSequenceNumber = ~0ULL,
};

CF_EXPORT OSStatus CMIOSampleBufferCreateForImageBuffer(CFAllocatorRef allocator, CVImageBufferRef imageBuffer,
                                                        CMFormatDescriptionRef formatDescription,
                                                        const CMSampleTimingInfo* sampleTiming,
                                                        UInt64 sequenceNumber, UInt32 discontinuityFlags,
                                                        CMSampleBufferRef* sBufOut);
// kCMIOInvalidSequenceNumber for a buffer that carries none.
CF_EXPORT UInt64 CMIOSampleBufferGetSequenceNumber(CMSampleBufferRef sbuf);
CF_EXPORT UInt32 CMIOSampleBufferGetDiscontinuityFlags(CMSampleBufferRef sbuf);
