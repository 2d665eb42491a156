#include "NSOGLVideoCVInputFilter.h"

#include <Foundation/NSValue.h>

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLVideoCVInputFilter)

NSDictionary* NSOGLVideoCVInputFilter::Meta::defaultPixelBufferFormat(Class cls) const {
  return NSDictionary::dictionaryWithObjects_forKeys(
      {classMethods(cls).defaultIOSurfaceProperties(cls),
       NSNumber::numberWithUnsignedInt(kCVPixelFormatType_32BGRA), NSNumber::numberWithBool(true),
       NSNumber::numberWithBool(true)},
      {toNSString(kCVPixelBufferIOSurfacePropertiesKey), toNSString(kCVPixelBufferPixelFormatTypeKey),
       toNSString(kCVPixelBufferOpenGLCompatibilityKey),
       toNSString(kCVPixelBufferIOSurfaceOpenGLTextureCompatibilityKey)});
}

void NSOGLVideoCVInputFilter::dealloc() {
  setTexture(nullptr);
  QVTRControllerCVGrabber::dealloc();
}

bool NSOGLVideoCVInputFilter::drawableInitialize(NSObject*) {
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  if (!shared) return false;
  {
    OpenGL::CGLContextStateLock guard(shared->CGLContextObj());
    setTexture(NSOGLCVTextureCacheTexture::textureWithDefaultSharedContext());
  }
  const Class cls = classObject();
  setVideoFrameSize(classMethods(cls).defaultVideoFrameSize(cls));
  return texture() != nullptr;
}

void NSOGLVideoCVInputFilter::captureSessionBegin(NSObject* sender) {
  const Class cls = classObject();
  setVideoFrameSize(classMethods(cls).defaultVideoFrameSize(cls));
  QVTRControllerCVGrabber::captureSessionBegin(sender);
}

void NSOGLVideoCVInputFilter::videoFrameChanged() {
  CVBufferRef frame = videoFrameCopy();
  QVTRControllerCVGrabber::videoFrameChanged();
  renderOutputImageAndReleaseImageBuffer(frame);
}

void NSOGLVideoCVInputFilter::renderOutputImageAndReleaseImageBuffer(CVImageBufferRef frame) {
  setOutputImageUpdated(false);
  if (!frame) return;
  const RefPtr<__CVBuffer> held = adopt(frame);
  RefPtr<NSOGLCVTextureCacheTexture> texture = this->texture();
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  if (!texture || !shared) return;
  OpenGL::CGLContextStateLock guard(shared->CGLContextObj());
  texture->updateTextureWithPixelBuffer(held.get());
  setOutputImageUpdated(true);
}
