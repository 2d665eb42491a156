#include <CoreVideo/CVOpenGLTextureCache.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <OpenGL/gl.h>

#include <cstdio>
#include <vector>

#include "backend/CVOpenGLTextureObjects.h"
#include "backend/CVPixelBufferObject.h"
#include "backend/CVYCbCr.h"

namespace {

constexpr uint32_t kBGRA = 0x42475241;
// Names kept for later textures across a flush; more are deleted.
constexpr size_t kNamesKeptByFlush = 4;

__CVOpenGLTextureCache* cacheOf(CVOpenGLTextureCacheRef cache, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(cache);
  if (!object || object->cfTypeID() != __CVOpenGLTextureCache::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CVOpenGLTextureCache\n", function, static_cast<void*>(cache));
    return nullptr;
  }
  return static_cast<__CVOpenGLTextureCache*>(object);
}

// The context current on this thread and locked for the scope; the one current before comes
// back after.
class ContextScope {
 public:
  explicit ContextScope(CGLContextObj context) : mContext(context), mPrevious(CGLGetCurrentContext()) {
    CGLSetCurrentContext(context);
    CGLLockContext(context);
  }
  ~ContextScope() {
    CGLUnlockContext(mContext);
    CGLSetCurrentContext(mPrevious);
  }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  CGLContextObj mContext;
  CGLContextObj mPrevious;
};

// Uploads rows of BGRA pixels, rowPixels apart, into the rectangle texture; the binding and
// the unpack state come back as they were.
void upload(GLuint name, size_t width, size_t height, size_t rowPixels, const void* pixels) {
  GLint bound = 0, rowLength = 0, alignment = 4, skipRows = 0, skipPixels = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_RECTANGLE_ARB, &bound);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_UNPACK_SKIP_ROWS, &skipRows);
  glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skipPixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(rowPixels));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, name);
  glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_RECTANGLE_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_RECTANGLE_ARB, 0, GL_RGBA, static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  glBindTexture(GL_TEXTURE_RECTANGLE_ARB, static_cast<GLuint>(bound));
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, skipRows);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, skipPixels);
  // Other contexts of the share group sample it next: the upload must have reached the texture.
  glFlush();
}

}  // namespace

namespace CoreVideo {

TextureNamePool::~TextureNamePool() {
  deleteFree();
  CGLReleaseContext(mContext);
}

GLuint TextureNamePool::take() {
  std::lock_guard<std::mutex> lock(mMutex);
  if (mFree.empty()) return 0;
  const GLuint name = mFree.back();
  mFree.pop_back();
  return name;
}

void TextureNamePool::giveBack(GLuint name) {
  std::lock_guard<std::mutex> lock(mMutex);
  mFree.push_back(name);
}

void TextureNamePool::deleteFree() {
  std::vector<GLuint> names;
  {
    std::lock_guard<std::mutex> lock(mMutex);
    names.swap(mFree);
  }
  if (names.empty()) return;
  ContextScope scope(mContext);
  glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
  while (glGetError() != GL_NO_ERROR) {
  }
}

}  // namespace CoreVideo

CFTypeID __CVOpenGLTextureCache::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CVOpenGLTextureCache");
  return id;
}

__CVOpenGLTextureCache::__CVOpenGLTextureCache(CGLContextObj context, CGLPixelFormatObj format)
    : pool(std::make_shared<CoreVideo::TextureNamePool>(context)),
      pixelFormat(CGLRetainPixelFormat(format)) {}

__CVOpenGLTextureCache::~__CVOpenGLTextureCache() { CGLReleasePixelFormat(pixelFormat); }

CFTypeID CVOpenGLTextureCacheGetTypeID(void) { return __CVOpenGLTextureCache::typeID(); }

CVReturn CVOpenGLTextureCacheCreate(CFAllocatorRef, CFDictionaryRef, CGLContextObj cglContext,
                                    CGLPixelFormatObj cglPixelFormat, CFDictionaryRef,
                                    CVOpenGLTextureCacheRef* cacheOut) {
  if (!cacheOut) return kCVReturnInvalidArgument;
  *cacheOut = nullptr;
  if (!cglContext || !cglPixelFormat) return kCVReturnInvalidArgument;
  *cacheOut =
      reinterpret_cast<CVOpenGLTextureCacheRef>(new __CVOpenGLTextureCache(cglContext, cglPixelFormat));
  return kCVReturnSuccess;
}

CVOpenGLTextureCacheRef CVOpenGLTextureCacheRetain(CVOpenGLTextureCacheRef textureCache) {
  if (textureCache) CFRetain(textureCache);
  return textureCache;
}

void CVOpenGLTextureCacheRelease(CVOpenGLTextureCacheRef textureCache) {
  if (textureCache) CFRelease(textureCache);
}

CVReturn CVOpenGLTextureCacheCreateTextureFromImage(CFAllocatorRef, CVOpenGLTextureCacheRef textureCache,
                                                    CVImageBufferRef sourceImage, CFDictionaryRef,
                                                    CVOpenGLTextureRef* textureOut) {
  if (!textureOut) return kCVReturnInvalidArgument;
  *textureOut = nullptr;
  __CVOpenGLTextureCache* cache = cacheOf(textureCache, __func__);
  auto* object = reinterpret_cast<NSObject*>(sourceImage);
  if (!cache || !object || object->cfTypeID() != CVPixelBufferGetTypeID()) return kCVReturnInvalidArgument;
  auto* buffer = static_cast<__CVPixelBuffer*>(object);
  const __CVPixelBuffer::Layout& layout = buffer->layout();
  const CoreVideo::YCbCrLayout* yCbCr = CoreVideo::yCbCrLayoutOf(layout.pixelFormat);
  if (layout.pixelFormat != kBGRA && !yCbCr) return kCVReturnPixelBufferNotOpenGLCompatible;
  if (layout.width == 0 || layout.height == 0) return kCVReturnInvalidSize;
  if (buffer->lock(kCVPixelBufferLock_ReadOnly) != kCVReturnSuccess) return kCVReturnError;
  const auto* pixels = static_cast<const uint8_t*>(buffer->baseAddress());
  std::vector<uint8_t> converted;
  size_t rowPixels = layout.bytesPerRow / 4;
  if (yCbCr) {
    converted.resize(layout.width * layout.height * 4);
    CoreVideo::convertYCbCrToBGRA(*yCbCr, pixels, layout.bytesPerRow, layout.width, layout.height,
                                  converted.data());
    pixels = converted.data();
    rowPixels = layout.width;
  }
  GLuint name = 0;
  {
    ContextScope scope(cache->pool->context());
    name = cache->pool->take();
    if (name == 0) glGenTextures(1, &name);
    upload(name, layout.width, layout.height, rowPixels, pixels);
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  buffer->unlock(kCVPixelBufferLock_ReadOnly);
  if (name == 0) return kCVReturnAllocationFailed;
  *textureOut = reinterpret_cast<CVOpenGLTextureRef>(new __CVOpenGLTexture(
      cache->pool, name, CGSize{double(layout.width), double(layout.height)}, sourceImage));
  return kCVReturnSuccess;
}

void CVOpenGLTextureCacheFlush(CVOpenGLTextureCacheRef textureCache, CVOptionFlags) {
  __CVOpenGLTextureCache* cache = cacheOf(textureCache, __func__);
  if (!cache) return;
  // Names beyond a few are let go; the rest wait for the next frames.
  std::vector<GLuint> kept;
  for (GLuint name; kept.size() < kNamesKeptByFlush && (name = cache->pool->take()) != 0;)
    kept.push_back(name);
  cache->pool->deleteFree();
  for (GLuint name : kept) cache->pool->giveBack(name);
}
