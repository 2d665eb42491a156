#pragma once
// Pixel buffers whose memory is an IOSurface, shared with whoever maps the surface.
#include <CoreVideo/CVPixelBuffer.h>
#include <IOSurface/IOSurfaceRef.h>

// The surface under the buffer (not retained), null for a buffer of plain memory.
CF_EXPORT IOSurfaceRef CVPixelBufferGetIOSurface(CVPixelBufferRef pixelBuffer);
// A buffer over the surface's memory, without a copy; the buffer retains the surface.
CF_EXPORT CVReturn CVPixelBufferCreateWithIOSurface(CFAllocatorRef allocator, IOSurfaceRef surface,
                                                    CFDictionaryRef pixelBufferAttributes,
                                                    CVPixelBufferRef* pixelBufferOut);
