#pragma once
// A surface framebuffer that Core Image draws into: each pass clears the surface, sets up
// pixel coordinates (origin bottom left) and premultiplied blending, and hands a Core Image
// context on the shared GL context to the drawing; the surface can be read back as a picture
// or as a Core Image image.
#include <CoreImage/CIContext.h>
#include <CoreImage/CIImage.h>
#include <Foundation/NSDictionary.h>
#include <OpenGL/OpenGL.h>

#include <functional>
#include <mutex>

#include "NSOGLTextureIOSurfaceFBO.h"

class CIContextFBORenderer : public NSOGLTextureIOSurfaceFBO {
  OBJC_CLASS_DECL(CIContextFBORenderer, NSOGLTextureIOSurfaceFBO)

 public:
  // Autoreleased; a new surface of that size; null when none can be made.
  static CIContextFBORenderer* rendererWithWidthPixels_heightPixels(unsigned width, unsigned height);
  // 'BGRA' buffers over surfaces that GL can texture from and draw into.
  static NSDictionary* rendererPreferredPixelBufferAttributes();
  // One device RGB space for the process.
  static CGColorSpaceRef rendererDefaultColorSpace();
  // The image mirrored about its own height.
  static CIImage* imageFlippedUpsideDown(CIImage* image);

  NSOGLTextureIOSurface* initWithIOSurface_manageUseCount(IOSurfaceRef surface, bool manageUseCount) override;

  // The shared context's CGL objects.
  ::CGLContextObj CGLContextObj() const;
  ::CGLPixelFormatObj CGLPixelFormatObj() const;

  RefPtr<CIContext> cachedContext() const;
  void setCachedContext(CIContext* context);
  // Borrowed, retained for the caller, and the setter (retains).
  CGColorSpaceRef contextColorSpace() const;
  CGColorSpaceRef contextColorSpaceCopy() const;
  void setContextColorSpace(CGColorSpaceRef colorSpace);

  // The cached context, made on first use.
  CIContext* coreImageContextWithGLContext();
  CGRect rendererBounds() const;
  CGSize rendererSizePixels() const;

  // One pass; the blend factors are as before afterwards, whatever the drawing did.
  bool renderToSurfaceWithBlock(const std::function<bool(CIContext*)>& block);
  bool renderToSurface();
  virtual bool renderToSurfaceCIContext(CIContext*) { return true; }
  CIContext* renderToSurfaceBegin();
  bool renderToSurfaceEnd(CIContext* context);
  void renderToSurfaceEndFlushGL() { glFlush(); }
  void renderToSurfaceEndFinishGL() { glFinish(); }

  // New (+1) pictures of the surface; null without a colour space.
  CGImageRef createSurfaceCGImageByLockingSurface();
  CGImageRef createSurfaceCGImageByCopyingPixels();
  // The surface as stored, or mirrored vertically; null without a colour space.
  CIImage* surfaceCIImageFlippedUpsideDown(bool flipped);
  CIImage* surfaceCIImage() { return surfaceCIImageFlippedUpsideDown(true); }

 protected:
  CIContextFBORenderer() = default;
  void dealloc() override;

 private:
  mutable std::mutex mCachedContextLock;
  RefPtr<CIContext> __cachedContext;
  mutable std::recursive_mutex mMonitor;
  CGColorSpaceRef _contextColorSpace = nullptr;
};
