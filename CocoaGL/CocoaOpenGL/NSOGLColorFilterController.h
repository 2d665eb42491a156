#pragma once
// The colour tint filter: the picture tinted by a colour, by an amount.
#include <atomic>
#include <mutex>

#include "NSOGLFilterColorProperty.h"
#include "NSOGLImageFilterController.h"

class NSOGLColorFilterController : public NSOGLImageFilterController {
  OBJC_CLASS_DECL(NSOGLColorFilterController, NSOGLImageFilterController)

 public:
  // White, 1.0.
  void resetDefaults(NSObject* sender) override;
  // "u_tintColor" (four components) and "u_tintAmount".
  void shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) override;

  NSColor* tintColor() const { return __tintColorGL.get(mMonitor); }
  void setTintColor(NSColor* color) { __tintColorGL.set(mMonitor, color); }
  RefPtr<NSColor> tintColorGL() const { return __tintColorGL.gl(); }
  float tintAmount() const { return __tintAmount; }
  void setTintAmount(float amount) { __tintAmount = amount; }

 protected:
  NSOGLColorFilterController() = default;

 private:
  mutable std::recursive_mutex mMonitor;
  NSOGLFilterColorProperty __tintColorGL;
  std::atomic<float> __tintAmount{1.0f};
};
