#pragma once
// The ring of shared surfaces: a fixed number of global surfaces, each under a texture of the
// texture class (a surface texture, NSOGLTextureIOSurface or a subclass), made once in the
// application-wide share group. Frame n uses the texture at n modulo the textures made, so a
// surface that could not be made shortens the ring instead of stopping it.
#include <AppKit/NSOpenGLContext.h>
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSObject.h>

#include <cstdint>
#include <mutex>

#include "NSOGLTextureIOSurface.h"

class IOSurfaceServerTextureQueue : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceServerTextureQueue, NSObject)

 public:
  // Autoreleased rings of two.
  static IOSurfaceServerTextureQueue* doubleBufferedQueueWithTextureClass_surfaceSize_surfacePixelFormat(
      Class textureClass, CGSize surfaceSize, uint32_t surfacePixelFormat);
  static IOSurfaceServerTextureQueue* bufferedOutputQueueWithTextureClass_surfaceSize_surfacePixelFormat(
      Class textureClass, CGSize surfaceSize, uint32_t surfacePixelFormat);

  // Makes the textures at once, with the shared context, unless the count is 0.
  IOSurfaceServerTextureQueue* initWithTextureClass_queueCount_surfaceSize_surfacePixelFormat(
      Class textureClass, uint64_t queueCount, CGSize surfaceSize, uint32_t surfacePixelFormat);
  // One global surface and one texture over it per position, with the context current; a
  // position whose surface or texture cannot be made is left out.
  void createQueueSurfacesWithSharedOpenGlContext(NSOpenGLContext* context);

  // Autoreleased; null for an empty ring.
  NSOGLTextureIOSurface* textureWithIndex(uint64_t index);
  // The same without the autorelease pool, for the frame thread, which never drains one.
  RefPtr<NSOGLTextureIOSurface> textureCopyWithIndex(uint64_t index);
  // Autoreleased: the textures made, in ring order.
  NSArray* surfaceTextures();

  uint64_t queueCount() const { return mQueueCount; }
  Class textureClass() const { return mTextureClass; }
  CGSize surfaceSize() const { return mSurfaceSize; }
  uint32_t surfacePixelFormat() const { return mSurfacePixelFormat; }

 protected:
  IOSurfaceServerTextureQueue() = default;
  void dealloc() override;

 private:
  std::recursive_mutex mQueueArrayLock;
  RefPtr<NSMutableArray> mQueueArray;
  uint64_t mQueueCount = 0;
  Class mTextureClass = nullptr;
  CGSize mSurfaceSize{0, 0};
  uint32_t mSurfacePixelFormat = 0;
};
