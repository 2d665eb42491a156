#include "NSOGLRenderTextureFBOWithShader.h"

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLRenderTextureFBOWithShader)

IOSurfaceRef NSOGLRenderTextureFBOWithShader::surfaceWithWidth_height(uint64_t width, uint64_t height) {
  return NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(
      static_cast<int>(width), static_cast<int>(height), false, NSOGLRenderTextureFBOWithShader::class_());
}

NSOGLRenderTextureFBOWithShader*
NSOGLRenderTextureFBOWithShader::textureWithShaderName_textureWidth_textureHeight(NSString* shaderName,
                                                                                  uint64_t width,
                                                                                  uint64_t height) {
  return textureWithShaderSourceClass_shaderName_textureWidth_textureHeight(nullptr, shaderName, width,
                                                                            height);
}

NSOGLRenderTextureFBOWithShader*
NSOGLRenderTextureFBOWithShader::textureWithShaderSourceClass_shaderName_textureWidth_textureHeight(
    Class sourceClass, NSString* shaderName, uint64_t width, uint64_t height) {
  IOSurfaceRef surface = surfaceWithWidth_height(width, height);
  NSOGLRenderTextureFBOWithShader* texture =
      NSOGLRenderTextureFBOWithShader::alloc()->initWithIOSurface_shaderName_shaderSourceClass(
          surface, shaderName, sourceClass);
  if (surface) CFRelease(surface);
  return texture ? static_cast<NSOGLRenderTextureFBOWithShader*>(texture->autorelease()) : nullptr;
}

NSOGLRenderTextureFBOWithShader* NSOGLRenderTextureFBOWithShader::initWithIOSurface_shaderName(
    IOSurfaceRef surface, NSString* shaderName) {
  return initWithIOSurface_shaderName_shaderSourceClass(surface, shaderName, nullptr);
}

NSOGLRenderTextureFBOWithShader*
NSOGLRenderTextureFBOWithShader::initWithIOSurface_shaderName_shaderSourceClass(IOSurfaceRef surface,
                                                                                NSString* shaderName,
                                                                                Class sourceClass) {
  if (!initWithIOSurface(surface)) return nullptr;
  setShaderProgram(sourceClass ? NSOGLSLShaderProgram::shaderProgramWithResourceName_shaderSourceClass(
                                     shaderName, sourceClass)
                               : NSOGLSLShaderProgram::shaderProgramWithResourceName(shaderName));
  setSurfacePixelsInitialValue(0);
  return this;
}

CGLContextObj NSOGLRenderTextureFBOWithShader::renderContext() {
  NSOpenGLContext* context = glContext();
  return context ? context->CGLContextObj() : nullptr;
}

NSOpenGLContext* NSOGLRenderTextureFBOWithShader::glContext() {
  if (RefPtr<NSOpenGLContext> context = mOpenGLContext.get()) return context.get();
  if (NSOpenGLContext* current = NSOpenGLContext::currentContext()) return current;
  return NSOGLSharingContext::defaultSharedContext();
}

NSOpenGLContext* NSOGLRenderTextureFBOWithShader::glSharingContext() {
  return NSOGLSharingContext::defaultSharedContext();
}

RefPtr<NSOGLSLShaderProgram> NSOGLRenderTextureFBOWithShader::shaderProgram() const {
  return mShaderProgram.get();
}

void NSOGLRenderTextureFBOWithShader::setShaderProgram(NSOGLSLShaderProgram* program) {
  mShaderProgram.set(RefPtr<NSOGLSLShaderProgram>(program));
}

RefPtr<protocol_NSOGLDynamicTexture> NSOGLRenderTextureFBOWithShader::sourceTexture() const {
  return mSourceTexture.get();
}

void NSOGLRenderTextureFBOWithShader::setSourceTexture(protocol_NSOGLDynamicTexture* texture) {
  mSourceTexture.set(RefPtr<protocol_NSOGLDynamicTexture>(texture));
}

RefPtr<NSColor> NSOGLRenderTextureFBOWithShader::eraseColor() const { return mEraseColor.get(); }

void NSOGLRenderTextureFBOWithShader::setEraseColor(NSColor* color) {
  mEraseColor.set(RefPtr<NSColor>(color));
}

void NSOGLRenderTextureFBOWithShader::renderScene(bool flush) {
  lock();
  {
    OpenGL::CGLContextStateLock guard(renderContext());
    tagOpenGL_FBOState state;
    OpenGL_FBOStateSave(&state);
    renderSceneBegin();
    renderSceneSelf();
    renderSceneEnd(flush);
    OpenGL_FBOStateRestore(&state);
  }
  unlock();
}

void NSOGLRenderTextureFBOWithShader::renderSceneBegin() {
  OpenGL::CGLContextState guard(renderContext());
  glViewport(0, 0, static_cast<GLsizei>(textureWidth()), static_cast<GLsizei>(textureHeight()));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  beginRenderToFrameBuffer();
  const CGRect rect = drawableRectFromRenderBoundsRect(renderBounds());
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* begin = dynamic_cast<protocol_NSOGLRenderSceneTextureDelegate_renderBeginScene*>(delegate.get()))
    begin->renderBeginScene_drawableRect(this, rect);
  const bool clear = clearContextBeforeRendering();
  drawableOrthoCubeViewBegin(clear);
  if (!clear) {
    if (RefPtr<NSColor> color = eraseColor())
      drawableEraseColor(color.get());
    else
      drawableEraseTransparent();
  }
}

void NSOGLRenderTextureFBOWithShader::renderSceneSelf() {
  if (!sourceTexture()) return;
  const CGRect rect = drawableRectFromRenderBoundsRect(renderBounds());
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* drawing = dynamic_cast<protocol_NSOGLRenderSceneDelegate*>(delegate.get())) {
    drawing->renderScene_drawableRect(this, rect);
    return;
  }
  renderSceneNilDelegate(rect);
}

bool NSOGLRenderTextureFBOWithShader::renderSceneEnd(bool flush) {
  bool ended;
  {
    OpenGL::CGLContextState guard(renderContext());
    const CGRect rect = drawableRectFromRenderBoundsRect(renderBounds());
    RefPtr<NSObject> delegate = mDelegate.get();
    if (auto* end = dynamic_cast<protocol_NSOGLRenderSceneTextureDelegate_renderEndScene*>(delegate.get()))
      end->renderEndScene_drawableRect(this, rect);
    drawableOrthoCubeViewEnd();
    ended = endRenderToFrameBuffer(false);
  }
  if (flush) {
    OpenGL::CGLContextState guard(renderContext());
    glFinish();
  }
  return ended;
}

void NSOGLRenderTextureFBOWithShader::renderSceneNilDelegate(CGRect rect) {
  OpenGL::CGLContextState guard(renderContext());
  RefPtr<protocol_NSOGLDynamicTexture> source = sourceTexture();
  RefPtr<NSOGLSLShaderProgram> program = shaderProgram();
  if (!source || !program) return;
  glDisable(GL_BLEND);
  drawableDrawQuad_texture_textureMatrix_shaderProgram(rect, source.get(), &mTextureMatrix, program.get());
  glEnable(GL_BLEND);
}

void NSOGLRenderTextureFBOWithShader::dealloc() {
  mOpenGLContext = nullptr;
  mEraseColor.set(nullptr);
  mShaderProgram.set(nullptr);
  mSourceTexture.set(nullptr);
  mDelegate = nullptr;
  NSOGLTextureIOSurfaceFBO::dealloc();
}
