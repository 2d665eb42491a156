#pragma once
// A texture cache turns pixel buffers into OpenGL textures of the share group of the context it
// was made with. Each texture holds its pixel buffer until it is released; the names of
// released textures are used again by later textures, and a flush lets go of those not taken
// again. Pixel formats: 'BGRA', and the 4:2:2 Y'CbCr formats '2vuy' (Cb Y0 Cr Y1), 'yuvs'
// (Y0 Cb Y1 Cr) and 'yuv2' (Y0 Cb Y1 Cr with signed chroma), video range, which become BGRA.
#include <CoreVideo/CVOpenGLTexture.h>
#include <CoreVideo/CVReturn.h>
#include <OpenGL/CGLTypes.h>

typedef struct __CVOpenGLTextureCache* CVOpenGLTextureCacheRef;

CF_EXPORT CFTypeID CVOpenGLTextureCacheGetTypeID(void);
// A new (+1) cache; kCVReturnInvalidArgument without a context or pixel format.
CF_EXPORT CVReturn CVOpenGLTextureCacheCreate(CFAllocatorRef allocator, CFDictionaryRef cacheAttributes,
                                              CGLContextObj cglContext, CGLPixelFormatObj cglPixelFormat,
                                              CFDictionaryRef textureAttributes,
                                              CVOpenGLTextureCacheRef* cacheOut);
CF_EXPORT CVOpenGLTextureCacheRef CVOpenGLTextureCacheRetain(CVOpenGLTextureCacheRef textureCache);
CF_EXPORT void CVOpenGLTextureCacheRelease(CVOpenGLTextureCacheRef textureCache);
// A new (+1) texture of the buffer's picture, made on the cache's context (current on this
// thread for the upload only). kCVReturnInvalidArgument for anything but a pixel buffer,
// kCVReturnPixelBufferNotOpenGLCompatible for a format it cannot show.
CF_EXPORT CVReturn CVOpenGLTextureCacheCreateTextureFromImage(CFAllocatorRef allocator,
                                                              CVOpenGLTextureCacheRef textureCache,
                                                              CVImageBufferRef sourceImage,
                                                              CFDictionaryRef attributes,
                                                              CVOpenGLTextureRef* textureOut);
CF_EXPORT void CVOpenGLTextureCacheFlush(CVOpenGLTextureCacheRef textureCache, CVOptionFlags options);
