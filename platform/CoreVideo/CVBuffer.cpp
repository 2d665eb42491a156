#include <CoreVideo/CVBuffer.h>
#include <CoreVideo/CVImageBuffer.h>

#include <cstdio>

#include "backend/CVBufferObject.h"

namespace {

__CVBuffer* bufferOf(CVBufferRef buffer, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(buffer);
  auto* found = dynamic_cast<__CVBuffer*>(object);
  if (!found) std::fprintf(stderr, "%s: %p is not a CVBuffer\n", function, static_cast<void*>(buffer));
  return found;
}

}  // namespace

CVBufferRef CVBufferRetain(CVBufferRef buffer) {
  if (buffer) CFRetain(buffer);
  return buffer;
}

void CVBufferRelease(CVBufferRef buffer) {
  if (buffer) CFRelease(buffer);
}

void CVBufferSetAttachment(CVBufferRef buffer, CFStringRef key, CFTypeRef value,
                           CVAttachmentMode attachmentMode) {
  if (__CVBuffer* object = bufferOf(buffer, __func__)) object->attachments.set(key, value, attachmentMode);
}

CFTypeRef CVBufferGetAttachment(CVBufferRef buffer, CFStringRef key, CVAttachmentMode* attachmentMode) {
  __CVBuffer* object = bufferOf(buffer, __func__);
  return object ? object->attachments.get(key, attachmentMode) : nullptr;
}

void CVBufferRemoveAttachment(CVBufferRef buffer, CFStringRef key) {
  if (__CVBuffer* object = bufferOf(buffer, __func__)) object->attachments.remove(key);
}

void CVBufferRemoveAllAttachments(CVBufferRef buffer) {
  if (__CVBuffer* object = bufferOf(buffer, __func__)) object->attachments.removeAll();
}

CFDictionaryRef CVBufferGetAttachments(CVBufferRef buffer, CVAttachmentMode attachmentMode) {
  __CVBuffer* object = bufferOf(buffer, __func__);
  return object ? object->attachments.get(attachmentMode) : nullptr;
}

CFDictionaryRef CVBufferCopyAttachments(CVBufferRef buffer, CVAttachmentMode attachmentMode) {
  __CVBuffer* object = bufferOf(buffer, __func__);
  return object ? object->attachments.copy(attachmentMode) : nullptr;
}

void CVBufferSetAttachments(CVBufferRef buffer, CFDictionaryRef theAttachments,
                            CVAttachmentMode attachmentMode) {
  if (__CVBuffer* object = bufferOf(buffer, __func__))
    object->attachments.setAll(theAttachments, attachmentMode);
}

void CVBufferPropagateAttachments(CVBufferRef sourceBuffer, CVBufferRef destinationBuffer) {
  __CVBuffer* source = bufferOf(sourceBuffer, __func__);
  __CVBuffer* destination = bufferOf(destinationBuffer, __func__);
  if (source && destination) source->attachments.propagateTo(destination->attachments);
}

namespace {

__CVImageBuffer* imageBufferOf(CVImageBufferRef buffer, const char* function) {
  auto* found = dynamic_cast<__CVImageBuffer*>(reinterpret_cast<NSObject*>(buffer));
  if (!found) std::fprintf(stderr, "%s: %p is not a CVImageBuffer\n", function, static_cast<void*>(buffer));
  return found;
}

}  // namespace

CGSize CVImageBufferGetEncodedSize(CVImageBufferRef imageBuffer) {
  __CVImageBuffer* object = imageBufferOf(imageBuffer, __func__);
  return object ? object->encodedSize() : CGSize{0, 0};
}

CGSize CVImageBufferGetDisplaySize(CVImageBufferRef imageBuffer) {
  __CVImageBuffer* object = imageBufferOf(imageBuffer, __func__);
  return object ? object->encodedSize() : CGSize{0, 0};
}

CGRect CVImageBufferGetCleanRect(CVImageBufferRef imageBuffer) {
  __CVImageBuffer* object = imageBufferOf(imageBuffer, __func__);
  return object ? CGRect{{0, 0}, object->encodedSize()} : CGRect{{0, 0}, {0, 0}};
}

Boolean CVImageBufferIsFlipped(CVImageBufferRef imageBuffer) {
  __CVImageBuffer* object = imageBufferOf(imageBuffer, __func__);
  return object && object->isFlipped();
}
