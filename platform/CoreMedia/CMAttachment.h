#pragma once
// Attachments on any object that carries them: CoreVideo buffers and sample buffers.
#include <CoreFoundation/CFDictionary.h>
#include <CoreMedia/CMBase.h>

typedef CFTypeRef CMAttachmentBearerRef;

typedef uint32_t CMAttachmentMode;
enum : CMAttachmentMode {
  kCMAttachmentMode_ShouldNotPropagate = 0,
  kCMAttachmentMode_ShouldPropagate = 1,
};

CF_EXPORT void CMSetAttachment(CMAttachmentBearerRef target, CFStringRef key, CFTypeRef value,
                               CMAttachmentMode attachmentMode);
CF_EXPORT CFTypeRef CMGetAttachment(CMAttachmentBearerRef target, CFStringRef key,
                                    CMAttachmentMode* attachmentModeOut);
CF_EXPORT void CMRemoveAttachment(CMAttachmentBearerRef target, CFStringRef key);
CF_EXPORT void CMRemoveAllAttachments(CMAttachmentBearerRef target);
CF_EXPORT CFDictionaryRef CMCopyDictionaryOfAttachments(CFAllocatorRef allocator,
                                                        CMAttachmentBearerRef target,
                                                        CMAttachmentMode attachmentMode);
CF_EXPORT void CMSetAttachments(CMAttachmentBearerRef target, CFDictionaryRef theAttachments,
                                CMAttachmentMode attachmentMode);
CF_EXPORT void CMPropagateAttachments(CMAttachmentBearerRef source, CMAttachmentBearerRef destination);
