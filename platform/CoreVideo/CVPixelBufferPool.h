#pragma once
// A pool hands out pixel buffers of one kind, reusing those nobody else holds any more.
#include <CoreVideo/CVPixelBuffer.h>

typedef struct __CVPixelBufferPool* CVPixelBufferPoolRef;

CF_EXPORT const CFStringRef kCVPixelBufferPoolMinimumBufferCountKey;
CF_EXPORT const CFStringRef kCVPixelBufferPoolMaximumBufferAgeKey;

typedef CVOptionFlags CVPixelBufferPoolFlushFlags;
enum : CVPixelBufferPoolFlushFlags { kCVPixelBufferPoolFlushExcessBuffers = 1 };

CF_EXPORT CFTypeID CVPixelBufferPoolGetTypeID(void);
CF_EXPORT CVPixelBufferPoolRef CVPixelBufferPoolRetain(CVPixelBufferPoolRef pixelBufferPool);
CF_EXPORT void CVPixelBufferPoolRelease(CVPixelBufferPoolRef pixelBufferPool);

// The buffer attributes need kCVPixelBufferWidthKey, kCVPixelBufferHeightKey and
// kCVPixelBufferPixelFormatTypeKey.
CF_EXPORT CVReturn CVPixelBufferPoolCreate(CFAllocatorRef allocator, CFDictionaryRef poolAttributes,
                                           CFDictionaryRef pixelBufferAttributes,
                                           CVPixelBufferPoolRef* poolOut);
CF_EXPORT CFDictionaryRef CVPixelBufferPoolGetAttributes(CVPixelBufferPoolRef pool);
CF_EXPORT CFDictionaryRef CVPixelBufferPoolGetPixelBufferAttributes(CVPixelBufferPoolRef pool);
CF_EXPORT CVReturn CVPixelBufferPoolCreatePixelBuffer(CFAllocatorRef allocator,
                                                      CVPixelBufferPoolRef pixelBufferPool,
                                                      CVPixelBufferRef* pixelBufferOut);
// Lets go of the buffers that nobody holds.
CF_EXPORT void CVPixelBufferPoolFlush(CVPixelBufferPoolRef pool, CVPixelBufferPoolFlushFlags options);
