#include <CoreMedia/CMAttachment.h>
#include <CoreVideo/CVBufferObject.h>

#include <cstdio>

#include "CMSampleBufferObject.h"

namespace {

// The attachment table of a bearer: a CoreVideo buffer of any kind or a sample buffer.
CoreVideo::AttachmentTable* attachmentsOf(CMAttachmentBearerRef target, const char* function) {
  auto* object = const_cast<NSObject*>(reinterpret_cast<const NSObject*>(target));
  if (object) {
    if (object->cfTypeID() == opaqueCMSampleBuffer::typeID())
      return &static_cast<opaqueCMSampleBuffer*>(object)->attachments;
    if (auto* buffer = dynamic_cast<__CVBuffer*>(object)) return &buffer->attachments;
  }
  std::fprintf(stderr, "%s: %p bears no attachments\n", function, target);
  return nullptr;
}

}  // namespace

void CMSetAttachment(CMAttachmentBearerRef target, CFStringRef key, CFTypeRef value,
                     CMAttachmentMode attachmentMode) {
  if (auto* table = attachmentsOf(target, __func__)) table->set(key, value, attachmentMode);
}

CFTypeRef CMGetAttachment(CMAttachmentBearerRef target, CFStringRef key,
                          CMAttachmentMode* attachmentModeOut) {
  auto* table = attachmentsOf(target, __func__);
  return table ? table->get(key, attachmentModeOut) : nullptr;
}

void CMRemoveAttachment(CMAttachmentBearerRef target, CFStringRef key) {
  if (auto* table = attachmentsOf(target, __func__)) table->remove(key);
}

void CMRemoveAllAttachments(CMAttachmentBearerRef target) {
  if (auto* table = attachmentsOf(target, __func__)) table->removeAll();
}

CFDictionaryRef CMCopyDictionaryOfAttachments(CFAllocatorRef, CMAttachmentBearerRef target,
                                              CMAttachmentMode attachmentMode) {
  auto* table = attachmentsOf(target, __func__);
  return table ? table->copy(attachmentMode) : nullptr;
}

void CMSetAttachments(CMAttachmentBearerRef target, CFDictionaryRef theAttachments,
                      CMAttachmentMode attachmentMode) {
  if (auto* table = attachmentsOf(target, __func__)) table->setAll(theAttachments, attachmentMode);
}

void CMPropagateAttachments(CMAttachmentBearerRef source, CMAttachmentBearerRef destination) {
  auto* from = attachmentsOf(source, __func__);
  auto* to = attachmentsOf(destination, __func__);
  if (from && to) from->propagateTo(*to);
}
