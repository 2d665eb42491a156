#include "IOSurfaceServerTextureQueue.h"

#include <CoreFoundation/CFArray.h>

#include "IOSurfaceIPC.h"
#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(IOSurfaceServerTextureQueue)

namespace {

// textureWithIOSurface: of the class: a new texture of the class over the surface; null when
// the class is no surface texture or the texture cannot be made.
RefPtr<NSOGLTextureIOSurface> textureOfClassWithIOSurface(Class textureClass, IOSurfaceRef surface) {
  if (!textureClass || !class_isSubclassOfClass(textureClass, NSOGLTextureIOSurface::class_()))
    return nullptr;
  RefPtr<NSObject> made = adopt(class_createInstance(textureClass));
  auto* texture = dynamic_cast<NSOGLTextureIOSurface*>(made.get());
  if (!texture) return nullptr;
  // init hands back the object to use, and the reference with it (none when it failed).
  (void)made.leak();
  return adopt(texture->initWithIOSurface(surface));
}

}  // namespace

IOSurfaceServerTextureQueue*
IOSurfaceServerTextureQueue::doubleBufferedQueueWithTextureClass_surfaceSize_surfacePixelFormat(
    Class textureClass, CGSize surfaceSize, uint32_t surfacePixelFormat) {
  return static_cast<IOSurfaceServerTextureQueue*>(
      alloc()
          ->initWithTextureClass_queueCount_surfaceSize_surfacePixelFormat(textureClass, 2, surfaceSize,
                                                                           surfacePixelFormat)
          ->autorelease());
}

IOSurfaceServerTextureQueue*
IOSurfaceServerTextureQueue::bufferedOutputQueueWithTextureClass_surfaceSize_surfacePixelFormat(
    Class textureClass, CGSize surfaceSize, uint32_t surfacePixelFormat) {
  return doubleBufferedQueueWithTextureClass_surfaceSize_surfacePixelFormat(textureClass, surfaceSize,
                                                                            surfacePixelFormat);
}

IOSurfaceServerTextureQueue*
IOSurfaceServerTextureQueue::initWithTextureClass_queueCount_surfaceSize_surfacePixelFormat(
    Class textureClass, uint64_t queueCount, CGSize surfaceSize, uint32_t surfacePixelFormat) {
  mTextureClass = textureClass;
  mQueueCount = queueCount;
  mSurfaceSize = surfaceSize;
  mSurfacePixelFormat = surfacePixelFormat;
  if (queueCount == 0) return this;
  {
    std::lock_guard<std::recursive_mutex> lock(mQueueArrayLock);
    mQueueArray = adopt(bridge_cast<NSMutableArray*>(
        CFArrayCreateMutable(nullptr, CFIndex(queueCount), &kCFTypeArrayCallBacks)));
  }
  if (mQueueArray) createQueueSurfacesWithSharedOpenGlContext(NSOGLSharingContext::defaultSharedContext());
  return this;
}

void IOSurfaceServerTextureQueue::createQueueSurfacesWithSharedOpenGlContext(NSOpenGLContext* context) {
  for (uint64_t index = 0; index < mQueueCount; ++index) {
    RefPtr<__IOSurface> surface = adopt(
        IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(mSurfaceSize, mSurfacePixelFormat));
    if (!surface) continue;
    OpenGL::CGLContextState guard(context);
    RefPtr<NSOGLTextureIOSurface> texture = textureOfClassWithIOSurface(mTextureClass, surface.get());
    if (!texture) continue;
    std::lock_guard<std::recursive_mutex> lock(mQueueArrayLock);
    mQueueArray->addObject(texture.get());
  }
}

RefPtr<NSOGLTextureIOSurface> IOSurfaceServerTextureQueue::textureCopyWithIndex(uint64_t index) {
  std::lock_guard<std::recursive_mutex> lock(mQueueArrayLock);
  // Modulo the textures there are, not the count asked for: with a position missing, a fixed
  // modulus would come back to the empty position and stop the ring for good.
  const uint64_t made = mQueueArray ? mQueueArray->count() : 0;
  if (mQueueCount == 0 || made == 0) return nullptr;
  return RefPtr<NSOGLTextureIOSurface>(
      static_cast<NSOGLTextureIOSurface*>(mQueueArray->objectAtIndex(index % made)));
}

NSOGLTextureIOSurface* IOSurfaceServerTextureQueue::textureWithIndex(uint64_t index) {
  RefPtr<NSOGLTextureIOSurface> texture = textureCopyWithIndex(index);
  return texture ? static_cast<NSOGLTextureIOSurface*>(texture.leak()->autorelease()) : nullptr;
}

NSArray* IOSurfaceServerTextureQueue::surfaceTextures() {
  std::lock_guard<std::recursive_mutex> lock(mQueueArrayLock);
  if (!mQueueArray) return NSArray::array();
  return static_cast<NSArray*>(mQueueArray->copy()->autorelease());
}

void IOSurfaceServerTextureQueue::dealloc() {
  {
    std::lock_guard<std::recursive_mutex> lock(mQueueArrayLock);
    mQueueArray = nullptr;
  }
  mTextureClass = nullptr;
  mQueueCount = 0;
  NSObject::dealloc();
}
