#pragma once
// Contexts that draw into memory with 8 bits per component: gray (no alpha), alpha only,
// and 32-bit RGB with premultiplied alpha or a skipped byte, first or last, in either
// byte order (the default order keeps A,R,G,B / R,G,B,A in memory).
#include <CoreGraphics/CGContext.h>

typedef void (*CGBitmapContextReleaseDataCallback)(void* releaseInfo, void* data);

// `data` null: the context allocates (and owns) zeroed memory; `bytesPerRow` 0: the least
// that holds a row. Null for a layout this layer does not draw into.
CG_EXTERN CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height,
                                             size_t bitsPerComponent, size_t bytesPerRow,
                                             CGColorSpaceRef space, uint32_t bitmapInfo);
CG_EXTERN CGContextRef CGBitmapContextCreateWithData(void* data, size_t width, size_t height,
                                                     size_t bitsPerComponent, size_t bytesPerRow,
                                                     CGColorSpaceRef space, uint32_t bitmapInfo,
                                                     CGBitmapContextReleaseDataCallback releaseCallback,
                                                     void* releaseInfo);
CG_EXTERN void* CGBitmapContextGetData(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetWidth(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetHeight(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetBitsPerComponent(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetBitsPerPixel(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetBytesPerRow(CGContextRef context);
CG_EXTERN CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef context);
CG_EXTERN CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context);
CG_EXTERN CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context);
// An image of a copy of the context's pixels as they are now.
CG_EXTERN CGImageRef CGBitmapContextCreateImage(CGContextRef context);
