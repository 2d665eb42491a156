#include <CoreMedia/CMAttachment.h>
#include <CoreVideo/CVBuffer.h>

#include "backend/CMSampleBufferObject.h"

namespace {

// A sample buffer's own attachments, or null for any other bearer: a CoreVideo buffer keeps
// its own, reached through CoreVideo (which reports a bearer that is neither).
CoreVideo::AttachmentTable* sampleBufferAttachments(CMAttachmentBearerRef target) {
  if (!target || CFGetTypeID(target) != opaqueCMSampleBuffer::typeID()) return nullptr;
  return &static_cast<opaqueCMSampleBuffer*>(const_cast<NSObject*>(static_cast<const NSObject*>(target)))->attachments;
}

CVBufferRef coreVideoBuffer(CMAttachmentBearerRef target) {
  return static_cast<CVBufferRef>(const_cast<void*>(target));
}

}  // namespace

void CMSetAttachment(CMAttachmentBearerRef target, CFStringRef key, CFTypeRef value,
                     CMAttachmentMode attachmentMode) {
  if (auto* table = sampleBufferAttachments(target))
    table->set(key, value, attachmentMode);
  else
    CVBufferSetAttachment(coreVideoBuffer(target), key, value, attachmentMode);
}

CFTypeRef CMGetAttachment(CMAttachmentBearerRef target, CFStringRef key,
                          CMAttachmentMode* attachmentModeOut) {
  if (auto* table = sampleBufferAttachments(target)) return table->get(key, attachmentModeOut);
  return CVBufferGetAttachment(coreVideoBuffer(target), key, attachmentModeOut);
}

void CMRemoveAttachment(CMAttachmentBearerRef target, CFStringRef key) {
  if (auto* table = sampleBufferAttachments(target))
    table->remove(key);
  else
    CVBufferRemoveAttachment(coreVideoBuffer(target), key);
}

void CMRemoveAllAttachments(CMAttachmentBearerRef target) {
  if (auto* table = sampleBufferAttachments(target))
    table->removeAll();
  else
    CVBufferRemoveAllAttachments(coreVideoBuffer(target));
}

CFDictionaryRef CMCopyDictionaryOfAttachments(CFAllocatorRef, CMAttachmentBearerRef target,
                                              CMAttachmentMode attachmentMode) {
  if (auto* table = sampleBufferAttachments(target)) return table->copy(attachmentMode);
  return CVBufferCopyAttachments(coreVideoBuffer(target), attachmentMode);
}

void CMSetAttachments(CMAttachmentBearerRef target, CFDictionaryRef theAttachments,
                      CMAttachmentMode attachmentMode) {
  if (auto* table = sampleBufferAttachments(target))
    table->setAll(theAttachments, attachmentMode);
  else
    CVBufferSetAttachments(coreVideoBuffer(target), theAttachments, attachmentMode);
}

void CMPropagateAttachments(CMAttachmentBearerRef source, CMAttachmentBearerRef destination) {
  if (source == destination) return;
  CFDictionaryRef propagated = CMCopyDictionaryOfAttachments(nullptr, source, kCMAttachmentMode_ShouldPropagate);
  if (!propagated) return;
  CMSetAttachments(destination, propagated, kCMAttachmentMode_ShouldPropagate);
  CFRelease(propagated);
}
