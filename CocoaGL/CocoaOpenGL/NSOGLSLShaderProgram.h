#pragma once
// A light handle over a shared program object: its own enabled state, its own lock (held from
// enable to disable, so two threads cannot use one handle at once), and a delegate that sets
// the uniforms while the program is in use.
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <OpenGL/gl.h>
#include <objc/WeakPtr.h>

#include "NSOGLSLShaderProgramObject.h"

class NSColor;
class NSLock;
class NSOGLSLShaderProgram;
class NSOGLSLShaderProgramCache;

// The delegate's optional method: sent with YES after a successful enable, and with NO during
// disable. A delegate that is not this interface is not sent it.
class NSOGLSLShaderProgramDelegate {
 public:
  virtual void shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) = 0;

 protected:
  ~NSOGLSLShaderProgramDelegate() = default;
};

class NSOGLSLShaderProgram : public NSObject {
  OBJC_CLASS_DECL(NSOGLSLShaderProgram, NSObject)

 public:
  // The process's cache, over the default source-code class; made once, never released.
  static NSOGLSLShaderProgramCache* sharedProgramCache();
  // All autoreleased. A handle over the shared cache's program object of the name (compiled
  // once per name), or null when the cache has none.
  static NSOGLSLShaderProgram* shaderProgramWithResourceName(NSString* name);
  // A handle with a program object of its own, built now in the context current here.
  static NSOGLSLShaderProgram* shaderProgramWithResourceName_shaderSourceClass(NSString* name,
                                                                               Class sourceClass);
  static NSOGLSLShaderProgram* shaderProgramWithResourceName_shaderProgramObject(
      NSString* name, NSOGLSLShaderProgramObject* object);

  NSOGLSLShaderProgram* initWithResourceName_shaderSourceClass(NSString* name, Class sourceClass);
  NSOGLSLShaderProgram* initWithResourceName(NSString* name);
  NSOGLSLShaderProgram* initWithResourceName_shaderProgramObject(NSString* name,
                                                                 NSOGLSLShaderProgramObject* object);

  // Takes the handle's lock (kept until disable, whatever the answer) and uses the program;
  // answers whether it is in use.
  bool enable();
  void disable();
  bool shaderCanBeEnabled();
  bool shaderEnabled() const { return mShaderEnabled; }

  // A delegate that is an NSOGLSLShaderProgramDelegate; not retained.
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }
  NSOGLSLShaderProgramObject* shaderProgramObject() const { return mShaderProgramObject.get(); }
  NSString* shaderProgramName() const { return mShaderProgramName.get(); }
  NSLock* shaderLock() const { return mShaderLock.get(); }

  GLint uniformLocation(NSString* name);

  // Uniform setters: each does nothing while the handle is not enabled, for a name the
  // program lacks, or for a null pointer.
  void setUniform_floatValue(NSString* name, float value);
  void setUniform_unsignedValue(NSString* name, uint32_t value);
  void setTextureSampler_unitNumber(NSString* name, GLint unit);
  void setUniform_vec2Value(NSString* name, const float* value);
  void setUniform_sizeValue(NSString* name, CGSize size);
  void setUniform_vec3Value(NSString* name, const float* value);
  void setUniform_rgbColorValue(NSString* name, const float* value);
  void setUniform_vec4Value(NSString* name, const float* value);
  void setUniform_rgbaColorValue(NSString* name, const float* value);
  void setUniform_matrix2Value(NSString* name, const float* value);
  void setUniform_matrix3Value(NSString* name, const float* value);
  void setUniform_matrix4Value(NSString* name, const float* value);
  // The colour in the calibrated RGB space (one that cannot be put there counts as opaque
  // white); with alpha a vec4, else a vec3. A null colour does nothing.
  void setUniform_colorValue_withAlpha(NSString* name, NSColor* color, bool withAlpha);
  void setUniform_colorValueRGB(NSString* name, NSColor* color);
  void setUniform_colorValueRGBA(NSString* name, NSColor* color);
  void setUniform_colorValue(NSString* name, NSColor* color);
  void setUniform_cgColorValue(NSString* name, CGColorRef color);

  // Enables the handle for a scope and always disables it at the end, also when an exception
  // passes, so that its lock is never left taken.
  class EnabledScope {
   public:
    explicit EnabledScope(NSOGLSLShaderProgram* program) : mProgram(program), mEnabled(program->enable()) {}
    ~EnabledScope() { mProgram->disable(); }
    EnabledScope(const EnabledScope&) = delete;
    EnabledScope& operator=(const EnabledScope&) = delete;
    bool enabled() const { return mEnabled; }

   private:
    NSOGLSLShaderProgram* mProgram;
    bool mEnabled;
  };

 protected:
  NSOGLSLShaderProgram() = default;
  void dealloc() override;

 private:
  // The location to set, or -1 when the setter must do nothing.
  GLint settableLocation(NSString* name);
  void tellDelegate(bool enabled);

  WeakPtr<NSObject> mDelegate;
  RefPtr<NSOGLSLShaderProgramObject> mShaderProgramObject;
  RefPtr<NSString> mShaderProgramName;
  bool mShaderEnabled = false;
  RefPtr<NSLock> mShaderLock;
};
