#pragma once
// The root of the video buffers: reference counting and attachments (values hung on a buffer
// by key, some of which travel on to the buffers made from it).
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreVideo/CVBase.h>
#include <CoreVideo/CVReturn.h>

typedef struct __CVBuffer* CVBufferRef;

typedef uint32_t CVAttachmentMode;
enum : CVAttachmentMode {
  kCVAttachmentMode_ShouldNotPropagate = 0,
  kCVAttachmentMode_ShouldPropagate = 1,
};

CF_EXPORT CVBufferRef CVBufferRetain(CVBufferRef buffer);
CF_EXPORT void CVBufferRelease(CVBufferRef buffer);

CF_EXPORT void CVBufferSetAttachment(CVBufferRef buffer, CFStringRef key, CFTypeRef value,
                                     CVAttachmentMode attachmentMode);
// The value (not retained) and, when attachmentMode is given, the mode it was set with.
CF_EXPORT CFTypeRef CVBufferGetAttachment(CVBufferRef buffer, CFStringRef key,
                                          CVAttachmentMode* attachmentMode);
CF_EXPORT void CVBufferRemoveAttachment(CVBufferRef buffer, CFStringRef key);
CF_EXPORT void CVBufferRemoveAllAttachments(CVBufferRef buffer);
// The attachments of one mode (not retained; valid while the buffer lives), null when none.
CF_EXPORT CFDictionaryRef CVBufferGetAttachments(CVBufferRef buffer, CVAttachmentMode attachmentMode);
CF_EXPORT CFDictionaryRef CVBufferCopyAttachments(CVBufferRef buffer, CVAttachmentMode attachmentMode);
CF_EXPORT void CVBufferSetAttachments(CVBufferRef buffer, CFDictionaryRef theAttachments,
                                      CVAttachmentMode attachmentMode);
// Copies the propagating attachments of one buffer onto another.
CF_EXPORT void CVBufferPropagateAttachments(CVBufferRef sourceBuffer, CVBufferRef destinationBuffer);
