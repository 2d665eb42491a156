#include "NSOGLCVTextureCacheTexture.h"

#include "NSOGLSharingContext.h"

OBJC_CLASS_DEFINE(NSOGLCVTextureCacheTexture)

CVOpenGLTextureCacheRef NSOGLCVTextureCacheTexture::createTextureCacheWithOpenGLContext_texturePixelFormat(
    NSOpenGLContext* context, NSOpenGLPixelFormat* format) {
  if (!context || !format) return nullptr;
  CVOpenGLTextureCacheRef cache = nullptr;
  if (CVOpenGLTextureCacheCreate(nullptr, nullptr, context->CGLContextObj(), format->CGLPixelFormatObj(),
                                 nullptr, &cache) != kCVReturnSuccess)
    return nullptr;
  return cache;
}

CVOpenGLTextureCacheRef NSOGLCVTextureCacheTexture::createTextureCacheWithDefaultSharedContext() {
  return createTextureCacheWithOpenGLContext_texturePixelFormat(
      NSOGLSharingContext::defaultSharedContext(), NSOGLSharingContext::defaultSharedPixelFormat(false));
}

NSOGLCVTextureCacheTexture* NSOGLCVTextureCacheTexture::textureWithTextureCache(
    CVOpenGLTextureCacheRef cache) {
  auto* texture = NSOGLCVTextureCacheTexture::alloc()->initWithTextureCache(cache);
  return static_cast<NSOGLCVTextureCacheTexture*>(texture->autorelease());
}

NSOGLCVTextureCacheTexture* NSOGLCVTextureCacheTexture::textureWithOpenGLContext_pixelFormat(
    NSOpenGLContext* context, NSOpenGLPixelFormat* format) {
  CVOpenGLTextureCacheRef cache = createTextureCacheWithOpenGLContext_texturePixelFormat(context, format);
  if (!cache) return nullptr;
  NSOGLCVTextureCacheTexture* texture = textureWithTextureCache(cache);
  CVOpenGLTextureCacheRelease(cache);
  return texture;
}

NSOGLCVTextureCacheTexture* NSOGLCVTextureCacheTexture::textureWithDefaultSharedContext() {
  return textureWithOpenGLContext_pixelFormat(NSOGLSharingContext::defaultSharedContext(),
                                              NSOGLSharingContext::defaultSharedPixelFormat(false));
}

NSOGLCVTextureCacheTexture* NSOGLCVTextureCacheTexture::initWithTextureCache(CVOpenGLTextureCacheRef cache) {
  init();
  setTextureCache(cache);
  return this;
}

NSOGLCVTextureCacheTexture* NSOGLCVTextureCacheTexture::initWithNewTextureCacheUsingDefaultSharedContext() {
  init();
  // The texture keeps its own reference; the creation reference goes, or every texture made
  // this way would keep its cache for good.
  CVOpenGLTextureCacheRef cache = createTextureCacheWithDefaultSharedContext();
  setTextureCache(cache);
  if (cache) CVOpenGLTextureCacheRelease(cache);
  return this;
}

CVOpenGLTextureCacheRef NSOGLCVTextureCacheTexture::textureCache() const {
  std::lock_guard<std::recursive_mutex> monitor(mCacheMonitor);
  return _textureCache;
}

CVOpenGLTextureCacheRef NSOGLCVTextureCacheTexture::textureCacheCopy() const {
  std::lock_guard<std::recursive_mutex> monitor(mCacheMonitor);
  return _textureCache ? CVOpenGLTextureCacheRetain(_textureCache) : nullptr;
}

void NSOGLCVTextureCacheTexture::setTextureCache(CVOpenGLTextureCacheRef cache) {
  CVOpenGLTextureCacheRef old = nullptr;
  {
    std::lock_guard<std::recursive_mutex> monitor(mCacheMonitor);
    if (cache == _textureCache) return;
    old = _textureCache;
    _textureCache = cache ? CVOpenGLTextureCacheRetain(cache) : nullptr;
  }
  if (old) CVOpenGLTextureCacheRelease(old);
}

bool NSOGLCVTextureCacheTexture::updateTextureWithPixelBuffer_flushCache(CVPixelBufferRef pixelBuffer,
                                                                         bool flush) {
  CVOpenGLTextureCacheRef cache = textureCacheCopy();
  bool updated = false;
  if (pixelBuffer) {
    lock();
    CVPixelBufferRetain(pixelBuffer);
    if (cache && CFGetTypeID(pixelBuffer) == CVPixelBufferGetTypeID()) {
      CVOpenGLTextureRef frame = nullptr;
      if (CVOpenGLTextureCacheCreateTextureFromImage(nullptr, cache, pixelBuffer, nullptr, &frame) ==
              kCVReturnSuccess &&
          frame) {
        setTexture(frame);
        CVOpenGLTextureRelease(frame);
        updated = true;
      }
    }
    CVPixelBufferRelease(pixelBuffer);
    unlock();
  }
  if (flush && cache) CVOpenGLTextureCacheFlush(cache, 0);
  if (cache) CVOpenGLTextureCacheRelease(cache);
  return updated;
}

bool NSOGLCVTextureCacheTexture::isTextureValid() const {
  return NSOGLCoreVideoTexture::isTextureValid() && textureCache() != nullptr;
}

void NSOGLCVTextureCacheTexture::dealloc() {
  setTextureCache(nullptr);
  NSOGLCoreVideoTexture::dealloc();
}
