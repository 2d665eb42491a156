#include "NSOGLTextureIOSurfaceFBO.h"

OBJC_CLASS_DEFINE(NSOGLTextureIOSurfaceFBO)

void NSOGLTextureIOSurfaceFBO::initTextureProperties() {
  NSOGLTextureIOSurface::initTextureProperties();
  constructFrameBufferObject(&_fbo);
}

void NSOGLTextureIOSurfaceFBO::dealloc() {
  destructFrameBufferObject(&_fbo);
  NSOGLTextureIOSurface::dealloc();
}
