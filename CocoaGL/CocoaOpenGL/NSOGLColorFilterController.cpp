#include "NSOGLColorFilterController.h"

#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSOGLColorFilterController)

NS_PROPERTIES(NSOGLColorFilterController,
              NS_PROPERTY("tintColor", &NSOGLColorFilterController::tintColor,
                          &NSOGLColorFilterController::setTintColor),
              NS_PROPERTY("tintAmount", &NSOGLColorFilterController::tintAmount,
                          &NSOGLColorFilterController::setTintAmount))

void NSOGLColorFilterController::resetDefaults(NSObject*) {
  setTintColor(NSColor::whiteColor());
  setTintAmount(1.0f);
}

void NSOGLColorFilterController::shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) {
  NSOGLImageFilterController::shaderProgram_enabled(program, enabled);
  if (!enabled) return;
  program->setUniform_colorValueRGBA(NSSTR("u_tintColor"), tintColor());
  program->setUniform_floatValue(NSSTR("u_tintAmount"), tintAmount());
}
