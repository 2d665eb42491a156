#include "NSOGLSLShaderProgram.h"

#include <AppKit/NSColor.h>
#include <CoreGraphics/CGColor.h>
#include <Foundation/NSLock.h>

#include "NSOGLSLShaderProgramCache.h"
#include "OpenGLErrors.h"

OBJC_CLASS_DEFINE(NSOGLSLShaderProgram)

NSOGLSLShaderProgramCache* NSOGLSLShaderProgram::sharedProgramCache() {
  static NSOGLSLShaderProgramCache* const sCache = [] {
    NSOGLSLShaderProgramCache* cache =
        NSOGLSLShaderProgramCache::alloc()->initWithSourceCodeClass(NSOGLShaderSourceCode::class_());
    cache->makeImmortal();
    return cache;
  }();
  return sCache;
}

NSOGLSLShaderProgram* NSOGLSLShaderProgram::shaderProgramWithResourceName(NSString* name) {
  return sharedProgramCache()->shaderProgramWithName(name);
}

NSOGLSLShaderProgram* NSOGLSLShaderProgram::shaderProgramWithResourceName_shaderSourceClass(
    NSString* name, Class sourceClass) {
  auto* program = NSOGLSLShaderProgram::alloc()->initWithResourceName_shaderSourceClass(name, sourceClass);
  return static_cast<NSOGLSLShaderProgram*>(program->autorelease());
}

NSOGLSLShaderProgram* NSOGLSLShaderProgram::shaderProgramWithResourceName_shaderProgramObject(
    NSString* name, NSOGLSLShaderProgramObject* object) {
  auto* program = NSOGLSLShaderProgram::alloc()->initWithResourceName_shaderProgramObject(name, object);
  return static_cast<NSOGLSLShaderProgram*>(program->autorelease());
}

NSOGLSLShaderProgram* NSOGLSLShaderProgram::initWithResourceName_shaderSourceClass(NSString* name,
                                                                                   Class sourceClass) {
  return initWithResourceName_shaderProgramObject(
      name,
      NSOGLSLShaderProgramObject::shaderProgramObjectWithResourceName_shaderSourceClass(name, sourceClass));
}

NSOGLSLShaderProgram* NSOGLSLShaderProgram::initWithResourceName(NSString* name) {
  return initWithResourceName_shaderSourceClass(name, sharedProgramCache()->sourceCodeClass());
}

NSOGLSLShaderProgram* NSOGLSLShaderProgram::initWithResourceName_shaderProgramObject(
    NSString* name, NSOGLSLShaderProgramObject* object) {
  mShaderLock = adopt(static_cast<NSLock*>(NSRecursiveLock::alloc()->init()));
  mShaderProgramName = RefPtr<NSString>(name);
  mShaderProgramObject = RefPtr<NSOGLSLShaderProgramObject>(object);
  mShaderEnabled = false;
  return this;
}

void NSOGLSLShaderProgram::dealloc() {
  mShaderEnabled = false;
  mDelegate = nullptr;
  mShaderProgramName = nullptr;
  mShaderProgramObject = nullptr;
  mShaderLock = nullptr;
  NSObject::dealloc();
}

bool NSOGLSLShaderProgram::shaderCanBeEnabled() {
  NSOGLSLShaderProgramObject* object = mShaderProgramObject.get();
  return object && object->programID() != 0 && object->validProgramObject();
}

void NSOGLSLShaderProgram::tellDelegate(bool enabled) {
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* listener = dynamic_cast<NSOGLSLShaderProgramDelegate*>(delegate.get()))
    listener->shaderProgram_enabled(this, enabled);
}

bool NSOGLSLShaderProgram::enable() {
  OpenGL::drainErrors();
  mShaderLock->lock();
  bool enabled = shaderCanBeEnabled();
  if (enabled) {
    glUseProgramObjectARB(mShaderProgramObject->programID());
    if (glGetError() != GL_NO_ERROR) {
      OpenGL::drainErrors();
      enabled = false;
    }
  }
  mShaderEnabled = enabled;
  if (enabled) {
    tellDelegate(true);
    OpenGL::drainErrors();
  }
  return enabled;
}

void NSOGLSLShaderProgram::disable() {
  glUseProgramObjectARB(0);
  OpenGL::drainErrors();
  mShaderEnabled = false;
  tellDelegate(false);
  OpenGL::drainErrors();
  mShaderLock->unlock();
}

GLint NSOGLSLShaderProgram::uniformLocation(NSString* name) {
  return mShaderProgramObject ? mShaderProgramObject->uniformLocation(name) : -1;
}

GLint NSOGLSLShaderProgram::settableLocation(NSString* name) {
  return mShaderEnabled ? uniformLocation(name) : -1;
}

namespace {

template <class Set>
void setUniform(GLint location, Set set) {
  if (location == -1) return;
  set(location);
  OpenGL::drainErrors();
}

}  // namespace

void NSOGLSLShaderProgram::setUniform_floatValue(NSString* name, float value) {
  setUniform(settableLocation(name), [&](GLint at) { glUniform1f(at, value); });
}

void NSOGLSLShaderProgram::setUniform_unsignedValue(NSString* name, uint32_t value) {
  setUniform(settableLocation(name), [&](GLint at) { glUniform1i(at, static_cast<GLint>(value)); });
}

void NSOGLSLShaderProgram::setTextureSampler_unitNumber(NSString* name, GLint unit) {
  setUniform(settableLocation(name), [&](GLint at) { glUniform1i(at, unit); });
}

void NSOGLSLShaderProgram::setUniform_vec2Value(NSString* name, const float* value) {
  if (value) setUniform(settableLocation(name), [&](GLint at) { glUniform2f(at, value[0], value[1]); });
}

void NSOGLSLShaderProgram::setUniform_sizeValue(NSString* name, CGSize size) {
  setUniform(settableLocation(name), [&](GLint at) {
    glUniform2f(at, static_cast<float>(size.width), static_cast<float>(size.height));
  });
}

void NSOGLSLShaderProgram::setUniform_vec3Value(NSString* name, const float* value) {
  if (value)
    setUniform(settableLocation(name), [&](GLint at) { glUniform3f(at, value[0], value[1], value[2]); });
}

void NSOGLSLShaderProgram::setUniform_rgbColorValue(NSString* name, const float* value) {
  setUniform_vec3Value(name, value);
}

void NSOGLSLShaderProgram::setUniform_vec4Value(NSString* name, const float* value) {
  if (value)
    setUniform(settableLocation(name),
               [&](GLint at) { glUniform4f(at, value[0], value[1], value[2], value[3]); });
}

void NSOGLSLShaderProgram::setUniform_rgbaColorValue(NSString* name, const float* value) {
  setUniform_vec4Value(name, value);
}

void NSOGLSLShaderProgram::setUniform_matrix2Value(NSString* name, const float* value) {
  if (value)
    setUniform(settableLocation(name), [&](GLint at) { glUniformMatrix2fv(at, 1, GL_FALSE, value); });
}

void NSOGLSLShaderProgram::setUniform_matrix3Value(NSString* name, const float* value) {
  if (value)
    setUniform(settableLocation(name), [&](GLint at) { glUniformMatrix3fv(at, 1, GL_FALSE, value); });
}

void NSOGLSLShaderProgram::setUniform_matrix4Value(NSString* name, const float* value) {
  if (value)
    setUniform(settableLocation(name), [&](GLint at) { glUniformMatrix4fv(at, 1, GL_FALSE, value); });
}

void NSOGLSLShaderProgram::setUniform_colorValue_withAlpha(NSString* name, NSColor* color, bool withAlpha) {
  if (!color) return;
  float rgba[4] = {1, 1, 1, 1};
  if (NSColor* calibrated = color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace)) {
    rgba[0] = static_cast<float>(calibrated->redComponent());
    rgba[1] = static_cast<float>(calibrated->greenComponent());
    rgba[2] = static_cast<float>(calibrated->blueComponent());
    rgba[3] = static_cast<float>(calibrated->alphaComponent());
  }
  if (withAlpha)
    setUniform_vec4Value(name, rgba);
  else
    setUniform_vec3Value(name, rgba);
}

void NSOGLSLShaderProgram::setUniform_colorValueRGB(NSString* name, NSColor* color) {
  setUniform_colorValue_withAlpha(name, color, false);
}

void NSOGLSLShaderProgram::setUniform_colorValueRGBA(NSString* name, NSColor* color) {
  setUniform_colorValue_withAlpha(name, color, true);
}

void NSOGLSLShaderProgram::setUniform_colorValue(NSString* name, NSColor* color) {
  setUniform_colorValue_withAlpha(name, color, true);
}

void NSOGLSLShaderProgram::setUniform_cgColorValue(NSString* name, CGColorRef color) {
  if (!color) return;
  const size_t count = CGColorGetNumberOfComponents(color);
  const CGFloat* components = CGColorGetComponents(color);
  float rgba[4] = {0, 0, 0, 1};
  if (count >= 4) {
    for (int i = 0; i < 4; ++i) rgba[i] = static_cast<float>(components[i]);
  } else if (count == 2) {
    rgba[0] = rgba[1] = rgba[2] = static_cast<float>(components[0]);
    rgba[3] = static_cast<float>(components[1]);
  }
  setUniform_rgbaColorValue(name, rgba);
}
