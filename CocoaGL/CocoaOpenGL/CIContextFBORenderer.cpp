#include "CIContextFBORenderer.h"

#include <CoreVideo/CVPixelBuffer.h>
#include <Foundation/NSValue.h>

#include "NSOGLImageFilterBase.h"
#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(CIContextFBORenderer)

namespace {

// Unlocks the renderer at the end of a pass, also when an exception passes.
class TextureLock {
 public:
  explicit TextureLock(NSOGLTextureBase* texture) : mTexture(texture) { mTexture->lock(); }
  ~TextureLock() { mTexture->unlock(); }
  TextureLock(const TextureLock&) = delete;
  TextureLock& operator=(const TextureLock&) = delete;

 private:
  NSOGLTextureBase* mTexture;
};

}  // namespace

CIContextFBORenderer* CIContextFBORenderer::rendererWithWidthPixels_heightPixels(unsigned width,
                                                                                 unsigned height) {
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  if (!shared) return nullptr;
  OpenGL::CGLContextStateLock guard(shared->CGLContextObj());
  const RefPtr<__IOSurface> surface =
      adopt(surfaceWithSurfaceWidth_surfaceHeight(int(width), int(height), class_()));
  if (!surface) return nullptr;
  auto* renderer = static_cast<CIContextFBORenderer*>(alloc()->initWithIOSurface(surface.get()));
  return renderer ? static_cast<CIContextFBORenderer*>(renderer->autorelease()) : nullptr;
}

NSDictionary* CIContextFBORenderer::rendererPreferredPixelBufferAttributes() {
  return NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithUnsignedInt(kCVPixelFormatType_32BGRA), NSNumber::numberWithBool(true),
       NSNumber::numberWithBool(true), NSNumber::numberWithBool(true), NSDictionary::dictionary()},
      {toNSString(kCVPixelBufferPixelFormatTypeKey), toNSString(kCVPixelBufferOpenGLCompatibilityKey),
       toNSString(kCVPixelBufferIOSurfaceOpenGLTextureCompatibilityKey),
       toNSString(kCVPixelBufferIOSurfaceOpenGLFBOCompatibilityKey),
       toNSString(kCVPixelBufferIOSurfacePropertiesKey)});
}

CGColorSpaceRef CIContextFBORenderer::rendererDefaultColorSpace() {
  static CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  return space;
}

CIImage* CIContextFBORenderer::imageFlippedUpsideDown(CIImage* image) {
  if (!image) return nullptr;
  return image->imageByApplyingTransform(CGAffineTransformMake(1, 0, 0, -1, 0, image->extent().size.height));
}

NSOGLTextureIOSurface* CIContextFBORenderer::initWithIOSurface_manageUseCount(IOSurfaceRef surface,
                                                                              bool manageUseCount) {
  if (!NSOGLTextureIOSurfaceFBO::initWithIOSurface_manageUseCount(surface, manageUseCount)) return nullptr;
  setContextColorSpace(rendererDefaultColorSpace());
  return this;
}

void CIContextFBORenderer::dealloc() {
  setContextColorSpace(nullptr);
  setCachedContext(nullptr);
  NSOGLTextureIOSurfaceFBO::dealloc();
}

::CGLContextObj CIContextFBORenderer::CGLContextObj() const {
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  return shared ? shared->CGLContextObj() : nullptr;
}

::CGLPixelFormatObj CIContextFBORenderer::CGLPixelFormatObj() const {
  NSOpenGLPixelFormat* format = NSOGLSharingContext::defaultSharedPixelFormat();
  return format ? format->CGLPixelFormatObj() : nullptr;
}

RefPtr<CIContext> CIContextFBORenderer::cachedContext() const {
  std::lock_guard lock(mCachedContextLock);
  return __cachedContext;
}

void CIContextFBORenderer::setCachedContext(CIContext* context) {
  RefPtr<CIContext> held(context);
  std::lock_guard lock(mCachedContextLock);
  __cachedContext = held;
}

CGColorSpaceRef CIContextFBORenderer::contextColorSpace() const {
  std::lock_guard lock(mMonitor);
  return _contextColorSpace;
}

CGColorSpaceRef CIContextFBORenderer::contextColorSpaceCopy() const {
  std::lock_guard lock(mMonitor);
  return _contextColorSpace ? CGColorSpaceRetain(_contextColorSpace) : nullptr;
}

void CIContextFBORenderer::setContextColorSpace(CGColorSpaceRef colorSpace) {
  std::lock_guard lock(mMonitor);
  if (colorSpace) CGColorSpaceRetain(colorSpace);
  if (_contextColorSpace) CGColorSpaceRelease(_contextColorSpace);
  _contextColorSpace = colorSpace;
}

CIContext* CIContextFBORenderer::coreImageContextWithGLContext() {
  std::lock_guard lock(mCachedContextLock);
  if (!__cachedContext)
    __cachedContext = RefPtr<CIContext>(
        CIContext::contextWithCGLContext_pixelFormat_options(CGLContextObj(), CGLPixelFormatObj(), nullptr));
  return __cachedContext.get();
}

CGRect CIContextFBORenderer::rendererBounds() const {
  return CGRectMake(0, 0, CGFloat(textureWidth()), CGFloat(textureHeight()));
}

CGSize CIContextFBORenderer::rendererSizePixels() const {
  return CGSizeMake(CGFloat(textureWidth()), CGFloat(textureHeight()));
}

bool CIContextFBORenderer::renderToSurfaceWithBlock(const std::function<bool(CIContext*)>& block) {
  TextureLock locked(this);
  OpenGL::CGLContextStateLock guard(CGLContextObj());
  NSOGLImageFilterBlending::SavedBlendFactors blend;
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  CIContext* context = renderToSurfaceBegin();
  if (!context) return false;
  const bool result = block(context);
  renderToSurfaceEnd(context);
  return result;
}

bool CIContextFBORenderer::renderToSurface() {
  return renderToSurfaceWithBlock([this](CIContext* context) { return renderToSurfaceCIContext(context); });
}

CIContext* CIContextFBORenderer::renderToSurfaceBegin() {
  beginRenderToFrameBuffer();
  const auto width = GLsizei(textureWidth()), height = GLsizei(textureHeight());
  glViewport(0, 0, width, height);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_BLEND);
  return coreImageContextWithGLContext();
}

bool CIContextFBORenderer::renderToSurfaceEnd(CIContext*) {
  glDisable(GL_BLEND);
  renderToSurfaceEndFlushGL();
  const bool ended = endRenderToFrameBuffer(false);
  renderToSurfaceEndFinishGL();
  return ended;
}

CGImageRef CIContextFBORenderer::createSurfaceCGImageByLockingSurface() {
  CGColorSpaceRef space = contextColorSpaceCopy();
  if (!space) return nullptr;
  CGImageRef image = createSurfaceImageLockingSurfaceWithColorSpace(space);
  CGColorSpaceRelease(space);
  return image;
}

CGImageRef CIContextFBORenderer::createSurfaceCGImageByCopyingPixels() {
  CGColorSpaceRef space = contextColorSpaceCopy();
  if (!space) return nullptr;
  CGImageRef image = createSurfaceImageByCopyingPixelsWithColorSpace(space);
  CGColorSpaceRelease(space);
  return image;
}

CIImage* CIContextFBORenderer::surfaceCIImageFlippedUpsideDown(bool flipped) {
  CGColorSpaceRef space = contextColorSpaceCopy();
  if (!space) return nullptr;
  IOSurfaceRef surface = this->surface();
  CIImage* image = nullptr;
  if (surface) {
    IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
    image = CIImage::imageWithIOSurface_options(
        surface,
        NSDictionary::dictionaryWithObject_forKey(reinterpret_cast<NSObject*>(space), kCIImageColorSpace));
    IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  }
  CGColorSpaceRelease(space);
  return flipped ? imageFlippedUpsideDown(image) : image;
}
