#include "NSOGLCameraInputFilterController.h"

#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSOGLCameraInputFilterController)

NS_PROPERTIES(NSOGLCameraInputFilterController,
              NS_PROPERTY("cameraExposure", &NSOGLCameraInputFilterController::cameraExposure,
                          &NSOGLCameraInputFilterController::setCameraExposure),
              NS_PROPERTY("cameraBrightness", &NSOGLCameraInputFilterController::cameraBrightness,
                          &NSOGLCameraInputFilterController::setCameraBrightness),
              NS_PROPERTY("cameraContrast", &NSOGLCameraInputFilterController::cameraContrast,
                          &NSOGLCameraInputFilterController::setCameraContrast),
              NS_PROPERTY("cameraWhiteBalance", &NSOGLCameraInputFilterController::cameraWhiteBalance,
                          &NSOGLCameraInputFilterController::setCameraWhiteBalance),
              NS_PROPERTY("cameraSwapTexCoords", &NSOGLCameraInputFilterController::cameraSwapTexCoords,
                          &NSOGLCameraInputFilterController::setCameraSwapTexCoords),
              NS_PROPERTY("cameraFlipHorizontal", &NSOGLCameraInputFilterController::cameraFlipHorizontal,
                          &NSOGLCameraInputFilterController::setCameraFlipHorizontal),
              NS_PROPERTY("cameraFlipVertical", &NSOGLCameraInputFilterController::cameraFlipVertical,
                          &NSOGLCameraInputFilterController::setCameraFlipVertical))

void NSOGLCameraInputFilterController::resetCameraControls(NSObject*) {
  setCameraExposure(0.3f);
  setCameraBrightness(0.5f);
  setCameraContrast(0.5f);
  setCameraWhiteBalance(NSOGLFilterColorProperty::calibratedWhite());
  setCameraSwapTexCoords(false);
  setCameraFlipHorizontal(false);
  setCameraFlipVertical(false);
}

bool NSOGLCameraInputFilterController::renderBeginScene_drawableRect(protocol_NSOGLRenderScene* renderer,
                                                                     CGRect) {
  if (!isOwnRenderTarget(renderer)) return true;
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  target->setClearContextBeforeRendering(false);
  target->setEraseColor(nullptr);
  return true;
}

void NSOGLCameraInputFilterController::shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) {
  NSOGLImageFilterController::shaderProgram_enabled(program, enabled);
  if (!enabled) return;
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  RefPtr<protocol_NSOGLDynamicTexture> source = target ? target->sourceTexture() : nullptr;
  setCameraControlShaderUniforms_cameraTexture(program, source.get());
}

void NSOGLCameraInputFilterController::setCameraControlShaderUniforms_cameraTexture(
    NSOGLSLShaderProgram* program, protocol_NSOGLTexture* texture) {
  if (!program) return;
  program->setUniform_colorValueRGB(NSSTR("u_cameraWhiteBalance"), cameraWhiteBalance());
  const float controls[3] = {cameraExposure(), cameraBrightness(), cameraContrast()};
  program->setUniform_vec3Value(NSSTR("u_cameraControls"), controls);
  const float options[4] = {cameraSwapTexCoords() ? 1.0f : 0.0f, cameraFlipHorizontal() ? 1.0f : 0.0f,
                            cameraFlipVertical() ? 1.0f : 0.0f, 0.0f};
  program->setUniform_vec4Value(NSSTR("u_cameraOptions"), options);
  const float size[2] = {texture ? static_cast<float>(texture->textureWidth()) : 0.0f,
                         texture ? static_cast<float>(texture->textureHeight()) : 0.0f};
  program->setUniform_vec2Value(NSSTR("u_textureUnit0Size"), size);
}

CGSize NSOGLCameraInputFilterController::cameraTextureSize() const {
  std::lock_guard<std::recursive_mutex> lock(mMonitor);
  return __cameraTextureSize;
}

void NSOGLCameraInputFilterController::setCameraTextureSize(CGSize size) {
  std::lock_guard<std::recursive_mutex> lock(mMonitor);
  __cameraTextureSize = size;
}
