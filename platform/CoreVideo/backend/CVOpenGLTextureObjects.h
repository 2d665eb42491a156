#pragma once
// The objects behind CVOpenGLTextureRef and CVOpenGLTextureCacheRef. The texture names belong
// to a pool that a cache and its textures share: a texture gives its name back when it goes,
// and the pool deletes its names on the cache's context when the last of them goes.
#include <CoreVideo/CVOpenGLTextureCache.h>
#include <OpenGL/OpenGL.h>

#include <memory>
#include <mutex>
#include <vector>

#include "backend/CVBufferObject.h"

namespace CoreVideo {

class TextureNamePool {
 public:
  explicit TextureNamePool(CGLContextObj context) : mContext(CGLRetainContext(context)) {}
  ~TextureNamePool();
  TextureNamePool(const TextureNamePool&) = delete;
  TextureNamePool& operator=(const TextureNamePool&) = delete;

  CGLContextObj context() const { return mContext; }
  // A free name, or 0 when there is none to take again.
  GLuint take();
  void giveBack(GLuint name);
  // Deletes the free names, the context current here for the work.
  void deleteFree();

 private:
  CGLContextObj mContext;
  std::mutex mMutex;
  std::vector<GLuint> mFree;
};

}  // namespace CoreVideo

struct __CVOpenGLTexture : __CVImageBuffer {
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }
  CGSize encodedSize() const override { return size; }
  bool isFlipped() const override { return true; }

  __CVOpenGLTexture(std::shared_ptr<CoreVideo::TextureNamePool> pool, GLuint name, CGSize size,
                    CVImageBufferRef source);
  ~__CVOpenGLTexture() override;

  const std::shared_ptr<CoreVideo::TextureNamePool> pool;
  const GLuint name;
  const CGSize size;
  const CVImageBufferRef source;
};

struct __CVOpenGLTextureCache : NSObject {
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }

  __CVOpenGLTextureCache(CGLContextObj context, CGLPixelFormatObj format);
  ~__CVOpenGLTextureCache() override;

  const std::shared_ptr<CoreVideo::TextureNamePool> pool;
  const CGLPixelFormatObj pixelFormat;
};
