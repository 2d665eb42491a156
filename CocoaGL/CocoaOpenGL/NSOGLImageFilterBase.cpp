#include "NSOGLImageFilterBase.h"

#include <objc/ClassMethods.h>

#include "NSOGLImageFilterShaderSourceCode.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLImageFilterBase)

namespace NSOGLImageFilterBlending {

void blendSourceOver() {
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

SavedBlendFactors::SavedBlendFactors() {
  glGetIntegerv(GL_BLEND_SRC_RGB, &mSourceRGB);
  glGetIntegerv(GL_BLEND_DST_RGB, &mDestinationRGB);
  glGetIntegerv(GL_BLEND_SRC_ALPHA, &mSourceAlpha);
  glGetIntegerv(GL_BLEND_DST_ALPHA, &mDestinationAlpha);
}

SavedBlendFactors::~SavedBlendFactors() {
  glBlendFuncSeparate(static_cast<GLenum>(mSourceRGB), static_cast<GLenum>(mDestinationRGB),
                      static_cast<GLenum>(mSourceAlpha), static_cast<GLenum>(mDestinationAlpha));
}

}  // namespace NSOGLImageFilterBlending

Class NSOGLImageFilterBase::Meta::shaderLoaderClass(Class) const {
  if (Class loader = objc_getClass("NSOGLImageFilterShaderSourceCode")) return loader;
  return NSOGLShaderSourceCode::class_();
}

Class NSOGLImageFilterBase::shaderLoaderClass(Class cls) {
  return objc::classMethods<NSOGLImageFilterBase>(cls).shaderLoaderClass(cls);
}

CGColorSpaceRef NSOGLImageFilterBase::textureColorSpace() {
  static CGColorSpaceRef const sSpace = CGColorSpaceCreateDeviceRGB();
  return sSpace;
}

RefPtr<protocol_NSOGLDynamicTexture> NSOGLImageFilterBase::outputImage() {
  return RefPtr<protocol_NSOGLDynamicTexture>(renderWithShader().get());
}

void NSOGLImageFilterBase::setRenderWithShader(NSOGLRenderTextureFBOWithShader* target) {
  mRenderWithShader.set(RefPtr<NSOGLRenderTextureFBOWithShader>(target));
}

NSOpenGLContext* NSOGLImageFilterBase::renderingContext() const {
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  return target ? target->openGLContextNilUseCurrentContext() : nullptr;
}

NSString* NSOGLImageFilterBase::shaderName() const {
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  RefPtr<NSOGLSLShaderProgram> program = target ? target->shaderProgram() : nullptr;
  return program ? program->shaderProgramName() : nullptr;
}

void NSOGLImageFilterBase::setShaderName(NSString* name) {
  NSString* current = shaderName();
  if (current == name || (current && name && current->isEqualToString(name))) return;
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  if (!target) return;
  NSOGLSLShaderProgram* program = NSOGLSLShaderProgram::shaderProgramWithResourceName(name);
  if (program) program->setDelegate(this);
  target->setShaderProgram(program);
}

bool NSOGLImageFilterBase::initializeOpenGLContext_shaderName(NSOpenGLContext* context, NSString* name) {
  if (!context || !name) return false;
  OpenGL::CGLContextState guard(context->CGLContextObj());
  const CGSize size = textureSize();
  NSOGLRenderTextureFBOWithShader* target =
      NSOGLRenderTextureFBOWithShader::textureWithShaderSourceClass_shaderName_textureWidth_textureHeight(
          shaderLoaderClass(classObject()), name, static_cast<uint64_t>(size.width),
          static_cast<uint64_t>(size.height));
  setRenderWithShader(target);
  if (target) {
    target->setOpenGLContextNilUseCurrentContext(context);
    target->setDelegate(this);
    if (RefPtr<NSOGLSLShaderProgram> program = target->shaderProgram()) program->setDelegate(this);
    RefPtr<protocol_NSOGLDynamicTexture> input = inputImage();
    target->setSourceTexture(input.get());
  }
  return target != nullptr;
}

bool NSOGLImageFilterBase::textureUpdate() {
  RefPtr<protocol_NSOGLDynamicTexture> input = inputImage();
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  if (!input || !target) return false;
  input->lock();
  try {
    target->renderScene(true);
  } catch (...) {
    input->unlock();
    throw;
  }
  input->unlock();
  setOutputImageUpdated(true);
  return true;
}

bool NSOGLImageFilterBase::isOwnRenderTarget(protocol_NSOGLRenderScene* renderer) const {
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  return target && renderer == static_cast<protocol_NSOGLRenderScene*>(target.get());
}

bool NSOGLImageFilterBase::renderBeginScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect) {
  if (!isOwnRenderTarget(renderer)) return true;
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  RefPtr<protocol_NSOGLDynamicTexture> input = inputImage();
  target->setSourceTexture(input.get());
  target->setClearContextBeforeRendering(true);
  target->setEraseColor(nullptr);
  return true;
}

bool NSOGLImageFilterBase::renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) {
  if (!isOwnRenderTarget(renderer) || !inputImage()) return true;
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  RefPtr<protocol_NSOGLDynamicTexture> source = target->sourceTexture();
  RefPtr<NSOGLSLShaderProgram> program = target->shaderProgram();
  NSOGLImageFilterBlending::SavedBlendFactors saved;
  NSOGLImageFilterBlending::blendSourceOver();
  glEnable(GL_BLEND);
  target->drawableDrawQuad_texture_textureMatrix_shaderProgram(rect, source.get(), target->textureMatrix(),
                                                               program.get());
  glDisable(GL_BLEND);
  return true;
}

void NSOGLImageFilterBase::dealloc() {
  setRenderWithShader(nullptr);
  NSObject::dealloc();
}
