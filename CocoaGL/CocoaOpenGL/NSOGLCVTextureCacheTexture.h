#pragma once
// The texture of a camera input: each pixel buffer becomes the current frame through a Core
// Video texture cache made on the shared context, so every context of the share group draws it.
#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSOpenGLPixelFormat.h>
#include <CoreVideo/CVOpenGLTextureCache.h>
#include <CoreVideo/CVPixelBuffer.h>

#include "NSOGLCoreVideoTexture.h"

class NSOGLCVTextureCacheTexture : public NSOGLCoreVideoTexture {
  OBJC_CLASS_DECL(NSOGLCVTextureCacheTexture, NSOGLCoreVideoTexture)

 public:
  // New (+1) caches; null without a context or pixel format.
  static CVOpenGLTextureCacheRef createTextureCacheWithOpenGLContext_texturePixelFormat(
      NSOpenGLContext* context, NSOpenGLPixelFormat* format);
  static CVOpenGLTextureCacheRef createTextureCacheWithDefaultSharedContext();
  // Autoreleased textures; null when no cache can be had.
  static NSOGLCVTextureCacheTexture* textureWithTextureCache(CVOpenGLTextureCacheRef cache);
  static NSOGLCVTextureCacheTexture* textureWithOpenGLContext_pixelFormat(NSOpenGLContext* context,
                                                                          NSOpenGLPixelFormat* format);
  static NSOGLCVTextureCacheTexture* textureWithDefaultSharedContext();

  NSOGLCVTextureCacheTexture* initWithTextureCache(CVOpenGLTextureCacheRef cache);
  NSOGLCVTextureCacheTexture* initWithNewTextureCacheUsingDefaultSharedContext();

  // The cache (borrowed), a retained one for the caller, and the setter (retains).
  CVOpenGLTextureCacheRef textureCache() const;
  CVOpenGLTextureCacheRef textureCacheCopy() const;
  void setTextureCache(CVOpenGLTextureCacheRef cache);

  // Makes the buffer the current frame; NO, keeping the previous frame, for anything but a
  // pixel buffer, without a cache or when the cache cannot make a texture. The cache is
  // flushed after the update when asked (and by the one-argument form).
  bool updateTextureWithPixelBuffer(CVPixelBufferRef pixelBuffer) {
    return updateTextureWithPixelBuffer_flushCache(pixelBuffer, true);
  }
  bool updateTextureWithPixelBuffer_flushCache(CVPixelBufferRef pixelBuffer, bool flush);

  bool isTextureValid() const override;

 protected:
  NSOGLCVTextureCacheTexture() = default;
  void dealloc() override;

 private:
  mutable std::recursive_mutex mCacheMonitor;
  CVOpenGLTextureCacheRef _textureCache = nullptr;
};
