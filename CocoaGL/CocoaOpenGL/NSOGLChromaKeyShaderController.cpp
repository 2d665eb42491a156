#include "NSOGLChromaKeyShaderController.h"

#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSOGLChromaKeyShaderController)

NS_PROPERTIES(NSOGLChromaKeyShaderController,
              NS_OUTLET("outletCameraInputFilterController",
                        &NSOGLChromaKeyShaderController::outletCameraInputFilterController),
              NS_OUTLET("outletPictureTextureController",
                        &NSOGLChromaKeyShaderController::outletPictureTextureController),
              NS_PROPERTY("keyChannelBypass", &NSOGLChromaKeyShaderController::keyChannelBypass,
                          &NSOGLChromaKeyShaderController::setKeyChannelBypass),
              NS_PROPERTY("keyChannel", &NSOGLChromaKeyShaderController::keyChannel,
                          &NSOGLChromaKeyShaderController::setKeyChannel),
              NS_PROPERTY("keyRemovalBypass", &NSOGLChromaKeyShaderController::keyRemovalBypass,
                          &NSOGLChromaKeyShaderController::setKeyRemovalBypass),
              NS_PROPERTY("keyThreshold", &NSOGLChromaKeyShaderController::keyThreshold,
                          &NSOGLChromaKeyShaderController::setKeyThreshold),
              NS_PROPERTY("keySensitivity", &NSOGLChromaKeyShaderController::keySensitivity,
                          &NSOGLChromaKeyShaderController::setKeySensitivity),
              NS_PROPERTY("keyAlphaFloor", &NSOGLChromaKeyShaderController::keyAlphaFloor,
                          &NSOGLChromaKeyShaderController::setKeyAlphaFloor),
              NS_PROPERTY("keyColor", &NSOGLChromaKeyShaderController::keyColor,
                          &NSOGLChromaKeyShaderController::setKeyColor),
              NS_PROPERTY("keyBackgroundColor", &NSOGLChromaKeyShaderController::keyBackgroundColor,
                          &NSOGLChromaKeyShaderController::setKeyBackgroundColor),
              NS_PROPERTY("keyBackgroundMode", &NSOGLChromaKeyShaderController::keyBackgroundMode,
                          &NSOGLChromaKeyShaderController::setKeyBackgroundMode),
              NS_PROPERTY("keyOutputMode", &NSOGLChromaKeyShaderController::keyOutputMode,
                          &NSOGLChromaKeyShaderController::setKeyOutputMode),
              NS_PROPERTY("keyWhiteBalanceOut", &NSOGLChromaKeyShaderController::keyWhiteBalanceOut,
                          &NSOGLChromaKeyShaderController::setKeyWhiteBalanceOut))

void NSOGLChromaKeyShaderController::resetKeyingControls(NSObject*) {
  setKeyColor(NSOGLFilterColorProperty::calibratedGreen());
  setKeyThreshold(0.5f);
  setKeySensitivity(0.5f);
  setKeyAlphaFloor(0.1f);
  setKeyBackgroundColor(NSOGLFilterColorProperty::calibratedWhite());
  setKeyBackgroundMode(kBackgroundPicture);
  setKeyOutputMode(0);
  setKeyWhiteBalanceOut(NSOGLFilterColorProperty::calibratedWhite());
}

void NSOGLChromaKeyShaderController::resetDefaults(NSObject* sender) {
  NSOGLImageFilterController::resetDefaults(sender);
  resetKeyingControls(sender);
}

bool NSOGLChromaKeyShaderController::textureUpdate() {
  if (RefPtr<NSOGLImageViewTextureController> picture = outletPictureTextureController.get())
    picture->updatePictureTextureIfNecessary();
  return NSOGLImageFilterController::textureUpdate();
}

void NSOGLChromaKeyShaderController::shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) {
  NSOGLImageFilterController::shaderProgram_enabled(program, enabled);
  if (!enabled) return;
  if (RefPtr<NSOGLCameraInputFilterController> camera = outletCameraInputFilterController.get()) {
    RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
    RefPtr<protocol_NSOGLDynamicTexture> source = target ? target->sourceTexture() : nullptr;
    camera->setCameraControlShaderUniforms_cameraTexture(program, source.get());
  }
  const float controls[4] = {keyThreshold(), keySensitivity(), keyAlphaFloor(),
                             keyRemovalBypass() ? 1.0f : 0.0f};
  program->setUniform_vec4Value(NSSTR("u_keyControls"), controls);
  program->setUniform_colorValueRGB(NSSTR("u_keyColor"), keyColor());
  program->setUniform_colorValueRGB(NSSTR("u_keyWhiteBalanceOut"), keyWhiteBalanceOut());
}

bool NSOGLChromaKeyShaderController::renderScene_drawableRect(protocol_NSOGLRenderScene* renderer,
                                                              CGRect rect) {
  renderSceneBackground_drawableRect(renderer, rect);
  if (keyChannelBypass())
    renderSceneKeyChannelBypass_drawableRect(renderer, rect);
  else
    renderSceneForeground_drawableRect(renderer, rect);
  renderSceneOverlay_drawableRect(renderer, rect);
  return true;
}

void NSOGLChromaKeyShaderController::renderSceneBackground_drawableRect(protocol_NSOGLRenderScene* renderer,
                                                                        CGRect rect) {
  if (!isOwnRenderTarget(renderer)) return;
  glDisable(GL_BLEND);
  switch (keyBackgroundMode()) {
    case kBackgroundColor: {
      NSOGLImageFilterBlending::SavedBlendFactors saved;
      glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      renderer->drawableDrawQuad_color(rect, keyBackgroundColor());
      break;
    }
    case kBackgroundTransparent:
      renderer->drawableEraseTransparent();
      break;
    default:
      break;
  }
}

void NSOGLChromaKeyShaderController::renderSceneKeyChannelBypass_drawableRect(
    protocol_NSOGLRenderScene* renderer, CGRect rect) {
  if (!isOwnRenderTarget(renderer)) return;
  glDisable(GL_BLEND);
  if (!renderSceneCanRenderForeground(renderer)) return;
  RefPtr<protocol_NSOGLDynamicTexture> source = renderWithShader()->sourceTexture();
  renderer->drawableDrawQuad_texture(rect, source.get());
}

void NSOGLChromaKeyShaderController::renderSceneForeground_drawableRect(protocol_NSOGLRenderScene* renderer,
                                                                        CGRect rect) {
  if (!isOwnRenderTarget(renderer)) return;
  RefPtr<NSOGLRenderTextureFBOWithShader> target = renderWithShader();
  glEnable(GL_BLEND);
  {
    NSOGLImageFilterBlending::SavedBlendFactors saved;
    NSOGLImageFilterBlending::blendSourceOver();
    RefPtr<NSOGLImageViewTextureController> picture = outletPictureTextureController.get();
    if (picture && keyBackgroundMode() == kBackgroundPicture) {
      picture->lock();
      if (RefPtr<NSOGLImageViewTexture> texture = picture->pictureTexture())
        renderer->drawableDrawQuad_texture(rect, texture.get());
      picture->unlock();
    }
    if (renderSceneCanRenderForeground(renderer)) {
      RefPtr<protocol_NSOGLDynamicTexture> source = target->sourceTexture();
      RefPtr<NSOGLSLShaderProgram> program = target->shaderProgram();
      renderer->drawableDrawQuad_texture_textureMatrix_shaderProgram(rect, source.get(),
                                                                     target->textureMatrix(), program.get());
    }
  }
  glDisable(GL_BLEND);
}

void NSOGLChromaKeyShaderController::dealloc() {
  outletCameraInputFilterController = nullptr;
  outletPictureTextureController = nullptr;
  NSOGLImageFilterController::dealloc();
}
