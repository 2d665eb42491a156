#include "NSOGLTextureIOSurface.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <OpenGL/CGLIOSurface.h>
#include <objc/ClassMethods.h>

#include <cstring>

#include "OpenGLErrors.h"
#include "OpenGLSomeContext.h"
#include "UIOSurfaceAPI.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLTextureIOSurface)

namespace {

void setNumber(CFMutableDictionaryRef dictionary, CFStringRef key, long long value) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberLongLongType, &value);
  CFDictionarySetValue(dictionary, key, number);
  CFRelease(number);
}

}  // namespace

const NSOGLTextureIOSurface::Meta& NSOGLTextureIOSurface::meta(Class cls) {
  return objc::classMethods<NSOGLTextureIOSurface>(cls);
}

CFMutableDictionaryRef NSOGLTextureIOSurface::surfaceProperties(Class cls) {
  CFMutableDictionaryRef properties =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!properties) return nullptr;
  setNumber(properties, kIOSurfacePixelFormat, meta(cls).surfaceCVPixelBufferPixelFormatType(cls));
  setNumber(properties, kIOSurfaceBytesPerElement,
            static_cast<long long>(meta(cls).surfaceCVPixelBufferPixelFormatTypeBytesPerElement(cls)));
  return properties;
}

IOSurfaceRef NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(int width, int height,
                                                                                       bool globalShared,
                                                                                       Class cls) {
  CFMutableDictionaryRef properties = surfaceProperties(cls);
  if (!properties) return nullptr;
  setNumber(properties, kIOSurfaceWidth, width);
  setNumber(properties, kIOSurfaceHeight, height);
  CFDictionarySetValue(properties, kIOSurfaceIsGlobal, globalShared ? kCFBooleanTrue : kCFBooleanFalse);
  CFDictionaryRef frozen = CFDictionaryCreateCopy(nullptr, properties);
  CFRelease(properties);
  if (!frozen) return nullptr;
  IOSurfaceRef surface = IOSurfaceCreate(frozen);
  CFRelease(frozen);
  return surface;
}

IOSurfaceRef NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(int width, int height, Class cls) {
  return surfaceWithSurfaceWidth_surfaceHeight_globalShared(width, height, false, cls);
}

NSOGLTextureIOSurface* NSOGLTextureIOSurface::textureWithIOSurface(IOSurfaceRef surface) {
  NSOGLTextureIOSurface* texture = NSOGLTextureIOSurface::alloc()->initWithIOSurface(surface);
  return texture ? static_cast<NSOGLTextureIOSurface*>(texture->autorelease()) : nullptr;
}

NSOGLTextureIOSurface* NSOGLTextureIOSurface::copyTextureWithIOSurfaceWithManagedUseCount(
    IOSurfaceRef surface) {
  return NSOGLTextureIOSurface::alloc()->initWithIOSurface_manageUseCount(surface, true);
}

NSOGLTextureIOSurface* NSOGLTextureIOSurface::initWithIOSurface(IOSurfaceRef surface) {
  return initWithIOSurface_manageUseCount(surface, false);
}

NSOGLTextureIOSurface* NSOGLTextureIOSurface::initWithIOSurface_manageUseCount(IOSurfaceRef surface,
                                                                               bool manageUseCount) {
  if (!surface) {
    release();
    return nullptr;
  }
  mManageSurfaceUseCount = manageUseCount;
  const auto width = static_cast<uint32_t>(IOSurfaceGetWidth(surface));
  const auto height = static_cast<uint32_t>(IOSurfaceGetHeight(surface));
  setSurface(surface);
  initWithTextureTarget_textureWidth_textureHeight(GL_TEXTURE_RECTANGLE_ARB, width, height);
  return this;
}

void NSOGLTextureIOSurface::initTextureProperties() {
  NSOGLTextureBase::initTextureProperties();
  textureUpdateWithSurface();
}

void NSOGLTextureIOSurface::textureUpdateWithSurface() {
  RefPtr<__IOSurface> surface = adopt(surfaceCopy());
  if (!surface) return;
  OpenGL::CGLContextState guard;
  if (!guard.contextObj()) return;
  const Meta& format = meta(classObject());
  const Class cls = classObject();
  CGLTexImageIOSurface2D(guard.contextObj(), textureTarget(),
                         format.textureTexImageIOSurface2D_internal_format(cls),
                         static_cast<GLsizei>(textureWidth()), static_cast<GLsizei>(textureHeight()),
                         format.textureTexImageIOSurface2D_format(cls),
                         format.textureTexImageIOSurface2D_type(cls), surface.get(), 0);
  OpenGL::drainErrors();
}

bool NSOGLTextureIOSurface::textureUpdate() {
  if (textureUpdateNeeded()) setTextureUpdateNeeded(false);
  return true;
}

IOSurfaceRef NSOGLTextureIOSurface::surface() const {
  std::lock_guard<std::recursive_mutex> guard(mSurfaceGuard);
  return mSurface;
}

IOSurfaceRef NSOGLTextureIOSurface::surfaceCopy() const {
  std::lock_guard<std::recursive_mutex> guard(mSurfaceGuard);
  if (mSurface) CFRetain(mSurface);
  return mSurface;
}

void NSOGLTextureIOSurface::setSurface(IOSurfaceRef surface) {
  bool changed = false;
  {
    std::lock_guard<std::recursive_mutex> guard(mSurfaceGuard);
    if (surface == mSurface) return;
    if (mSurface) {
      if (mManageSurfaceUseCount) UIOSurfaceAPI::surfaceDecrementUseCount(mSurface);
      CFRelease(mSurface);
    }
    mSurface = surface;
    if (surface) {
      CFRetain(surface);
      if (mManageSurfaceUseCount) UIOSurfaceAPI::surfaceIncrementUseCount(surface);
    }
    changed = true;
  }
  if (changed && surface) bindSurface();
}

void NSOGLTextureIOSurface::bindSurface() {
  // Before the texture has a name (during init) there is nothing to bind yet.
  if (textureName() == kNoTextureName || textureName() == 0) return;
  const uint32_t width = static_cast<uint32_t>(IOSurfaceGetWidth(surface()));
  const uint32_t height = static_cast<uint32_t>(IOSurfaceGetHeight(surface()));
  OpenGL::inSomeContext([&] {
    setTextureWidth(width);
    setTextureHeight(height);
    const GLint remembered = currentBinding();
    glBindTexture(textureTarget(), textureName());
    textureUpdateWithSurface();
    restoreBinding(remembered);
    OpenGL::drainErrors();
  });
}

bool NSOGLTextureIOSurface::setSurfacePixelsValue_withSyncLock(int64_t value, bool) {
  RefPtr<__IOSurface> surface = adopt(surfaceCopy());
  if (!surface) return false;
  if (IOSurfaceLock(surface.get(), 0, nullptr) != kIOReturnSuccess) return false;
  void* base = IOSurfaceGetBaseAddress(surface.get());
  if (base) std::memset(base, static_cast<int>(value & 0xFF), IOSurfaceGetAllocSize(surface.get()));
  IOSurfaceUnlock(surface.get(), 0, nullptr);
  return base != nullptr;
}

void NSOGLTextureIOSurface::dealloc() {
  setSurface(nullptr);
  NSOGLTextureBase::dealloc();
}

const __CFString* NSOGLTextureIOSurface::copyDescription() const {
  CFStringRef base = NSOGLTextureBase::copyDescription();
  CFStringRef description = CFStringCreateWithFormat(
      nullptr, nullptr, CFSTR("NSOGLTextureIOSurface{%lx,manageUseCount:%d {%@}}"),
      reinterpret_cast<unsigned long>(surface()), mManageSurfaceUseCount ? 1 : 0, base);
  CFRelease(base);
  return description;
}
