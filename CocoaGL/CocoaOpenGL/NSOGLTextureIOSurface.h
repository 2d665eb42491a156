#pragma once
// A rectangle texture that shows a surface: the size is the surface's, and what GL draws into
// it and what others write into the surface are one picture (see OpenGL/CGLIOSurface.h). The
// texture may also raise the surface's use count while it holds it.
#include <CoreFoundation/CFDictionary.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGImage.h>
#include <IOSurface/IOSurface.h>

#include <mutex>

#include "NSOGLTextureBase.h"

class NSOGLTextureIOSurface : public NSOGLTextureBase {
  OBJC_CLASS_DECL(NSOGLTextureIOSurface, NSOGLTextureBase)

 public:
  // The surface format, asked of the receiving class so that a subclass may change it.
  struct Meta : NSOGLTextureBase::Meta {
    virtual uint32_t surfaceCVPixelBufferPixelFormatType(Class) const { return 0x42475241; }  // 'BGRA'
    virtual uint64_t surfaceCVPixelBufferPixelFormatTypeBytesPerElement(Class) const { return 4; }
    virtual uint32_t textureTexImageIOSurface2D_internal_format(Class) const { return GL_RGBA; }
    virtual uint32_t textureTexImageIOSurface2D_format(Class) const { return GL_BGRA; }
    virtual uint32_t textureTexImageIOSurface2D_type(Class) const { return GL_UNSIGNED_INT_8_8_8_8_REV; }
  };
  static const Meta& meta(Class cls);

  // A new (+1) dictionary with the pixel format and bytes per element of cls.
  static CFMutableDictionaryRef surfaceProperties(Class cls = class_());
  // A new (+1) surface of cls's format, global or not; null when it cannot be made.
  static IOSurfaceRef surfaceWithSurfaceWidth_surfaceHeight_globalShared(int width, int height,
                                                                         bool globalShared,
                                                                         Class cls = class_());
  static IOSurfaceRef surfaceWithSurfaceWidth_surfaceHeight(int width, int height, Class cls = class_());
  // An autoreleased texture over the surface, its use count left alone.
  static NSOGLTextureIOSurface* textureWithIOSurface(IOSurfaceRef surface);
  // A new (+1) texture over the surface that raises its use count.
  static NSOGLTextureIOSurface* copyTextureWithIOSurfaceWithManagedUseCount(IOSurfaceRef surface);

  NSOGLTextureIOSurface* initWithIOSurface(IOSurfaceRef surface);
  // Null surface: null (and the object is released).
  virtual NSOGLTextureIOSurface* initWithIOSurface_manageUseCount(IOSurfaceRef surface, bool manageUseCount);

  void initTextureProperties() override;
  // Binds the surface to the texture bound to the target now, on the current context.
  void textureUpdateWithSurface();
  // Nothing to upload: the texture shows the surface.
  bool textureUpdate() override;

  // The surface (borrowed), and a retained one for the caller.
  IOSurfaceRef surface() const;
  IOSurfaceRef surfaceCopy() const;
  // Takes the new surface (retained, its use count raised when managed), lets the old one go,
  // and binds the texture to the new one, so that what GL draws is what the surface holds.
  void setSurface(IOSurfaceRef surface);
  bool manageSurfaceUseCount() const { return mManageSurfaceUseCount; }

  // Fills every byte of the surface with the value's low byte; answers whether it could.
  bool setSurfacePixelsValue_withSyncLock(int64_t value, bool syncLock);
  bool setSurfacePixelsInitialValue(int64_t value) {
    return setSurfacePixelsValue_withSyncLock(value, false);
  }

  // Images of the surface (category CGContextTexture), owned by the caller; null on failure.
  CGImageRef createSurfaceImageByCopyingPixelsWithColorSpace(CGColorSpaceRef colorSpace);
  CGImageRef createSurfaceImageLockingSurfaceWithColorSpace(CGColorSpaceRef colorSpace);
  CGImageRef createSurfaceImageByCopyingPixelsWithColorSpaceName(CFStringRef name);
  CGImageRef createSurfaceImageLockingSurfaceWithColorSpaceName(CFStringRef name);

  const __CFString* copyDescription() const override;

 protected:
  NSOGLTextureIOSurface() = default;
  void dealloc() override;

 private:
  void bindSurface();

  mutable std::recursive_mutex mSurfaceGuard;
  IOSurfaceRef mSurface = nullptr;
  bool mManageSurfaceUseCount = false;
};
