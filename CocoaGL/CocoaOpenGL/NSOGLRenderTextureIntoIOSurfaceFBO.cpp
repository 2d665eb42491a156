#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLRenderTextureIntoIOSurfaceFBO)

NSOGLRenderTextureIntoIOSurfaceFBO* NSOGLRenderTextureIntoIOSurfaceFBO::textureWithIOSurface(
    IOSurfaceRef surface) {
  auto* texture = static_cast<NSOGLRenderTextureIntoIOSurfaceFBO*>(
      NSOGLRenderTextureIntoIOSurfaceFBO::alloc()->initWithIOSurface(surface));
  return texture ? static_cast<NSOGLRenderTextureIntoIOSurfaceFBO*>(texture->autorelease()) : nullptr;
}

NSOGLTextureIOSurface* NSOGLRenderTextureIntoIOSurfaceFBO::initWithIOSurface_manageUseCount(
    IOSurfaceRef surface, bool manageUseCount) {
  if (!NSOGLTextureIOSurfaceFBO::initWithIOSurface_manageUseCount(surface, manageUseCount)) return nullptr;
  setSourceTexture(nullptr);
  setSurfacePixelsInitialValue(0);
  return this;
}

NSOpenGLContext* NSOGLRenderTextureIntoIOSurfaceFBO::glContext() {
  return NSOGLSharingContext::defaultSharedContext();
}

CGLContextObj NSOGLRenderTextureIntoIOSurfaceFBO::renderContext() {
  NSOpenGLContext* context = glContext();
  return context ? context->CGLContextObj() : nullptr;
}

RefPtr<protocol_NSOGLDynamicTexture> NSOGLRenderTextureIntoIOSurfaceFBO::sourceTexture() const {
  return mSourceTexture.get();
}

void NSOGLRenderTextureIntoIOSurfaceFBO::setSourceTexture(protocol_NSOGLDynamicTexture* texture) {
  mSourceTexture.set(RefPtr<protocol_NSOGLDynamicTexture>(texture));
}

void NSOGLRenderTextureIntoIOSurfaceFBO::renderScene(bool flush) {
  OpenGL::CGLContextState guard(renderContext());
  renderSceneBegin();
  renderSceneSelf();
  renderSceneEnd(flush);
}

void NSOGLRenderTextureIntoIOSurfaceFBO::renderSceneBegin() {
  glViewport(0, 0, static_cast<GLsizei>(textureWidth()), static_cast<GLsizei>(textureHeight()));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  beginRenderToFrameBuffer();
  drawableEraseTransparent();
  drawableOrthoCubeViewBegin(false);
}

void NSOGLRenderTextureIntoIOSurfaceFBO::renderSceneSelf() {
  const CGRect rect = drawableRectFromRenderBoundsRect(renderBounds());
  RefPtr<protocol_NSOGLDynamicTexture> source = sourceTexture();
  if (!source) return;
  source->lock();
  drawableDrawQuad_texture(rect, source.get());
  source->unlock();
}

bool NSOGLRenderTextureIntoIOSurfaceFBO::renderSceneEnd(bool flush) {
  drawableOrthoCubeViewEnd();
  const bool ended = endRenderToFrameBuffer(false);
  if (flush) glFlush();
  return ended;
}

void NSOGLRenderTextureIntoIOSurfaceFBO::dealloc() {
  setSourceTexture(nullptr);
  NSOGLTextureIOSurfaceFBO::dealloc();
}
