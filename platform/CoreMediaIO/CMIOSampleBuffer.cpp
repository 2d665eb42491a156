#include <CoreMediaIO/CMIOSampleBuffer.h>

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMAttachment.h>
#include <CoreMediaIO/CMIOHardwareObject.h>

// The sequence number and discontinuity flags travel as attachments of the sample buffer.
static CFStringRef sequenceNumberKey() { return CFSTR("CMIOSampleBufferSequenceNumber"); }
static CFStringRef discontinuityFlagsKey() { return CFSTR("CMIOSampleBufferDiscontinuityFlags"); }

OSStatus CMIOSampleBufferCreateForImageBuffer(CFAllocatorRef allocator, CVImageBufferRef imageBuffer,
                                              CMFormatDescriptionRef formatDescription,
                                              const CMSampleTimingInfo* sampleTiming, UInt64 sequenceNumber,
                                              UInt32 discontinuityFlags, CMSampleBufferRef* sBufOut) {
  if (!sBufOut) return kCMIOHardwareIllegalOperationError;
  *sBufOut = nullptr;
  CMSampleBufferRef buffer = nullptr;
  OSStatus status = CMSampleBufferCreateForImageBuffer(allocator, imageBuffer, true, nullptr, nullptr,
                                                       formatDescription, sampleTiming, &buffer);
  if (status != 0) return status;
  CFNumberRef sequence = CFNumberCreate(nullptr, kCFNumberSInt64Type, &sequenceNumber);
  const SInt64 flags = discontinuityFlags;
  CFNumberRef discontinuity = CFNumberCreate(nullptr, kCFNumberSInt64Type, &flags);
  CMSetAttachment(buffer, sequenceNumberKey(), sequence, kCMAttachmentMode_ShouldNotPropagate);
  CMSetAttachment(buffer, discontinuityFlagsKey(), discontinuity, kCMAttachmentMode_ShouldNotPropagate);
  CFRelease(sequence);
  CFRelease(discontinuity);
  *sBufOut = buffer;
  return kCMIOHardwareNoError;
}

static bool numberAttachment(CMSampleBufferRef sbuf, CFStringRef key, SInt64* value) {
  if (!sbuf) return false;
  CFTypeRef number = CMGetAttachment(sbuf, key, nullptr);
  if (!number || CFGetTypeID(number) != CFNumberGetTypeID()) return false;
  return CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt64Type, value);
}

UInt64 CMIOSampleBufferGetSequenceNumber(CMSampleBufferRef sbuf) {
  SInt64 value = 0;
  return numberAttachment(sbuf, sequenceNumberKey(), &value) ? UInt64(value) : kCMIOInvalidSequenceNumber;
}

UInt32 CMIOSampleBufferGetDiscontinuityFlags(CMSampleBufferRef sbuf) {
  SInt64 value = 0;
  return numberAttachment(sbuf, discontinuityFlagsKey(), &value) ? UInt32(value)
                                                                  : kCMIOSampleBufferDiscontinuityFlag_UnknownDiscontinuity;
}
