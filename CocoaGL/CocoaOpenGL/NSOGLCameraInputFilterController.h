#pragma once
// The camera adjustment filter: exposure, brightness, contrast and white balance of the camera
// frame, with the texture coordinates swapped and the picture mirrored as asked. Controls are
// changed on the main thread and read on the rendering thread while the program is enabled.
#include <atomic>
#include <mutex>

#include "NSOGLFilterColorProperty.h"
#include "NSOGLImageFilterController.h"

class NSOGLCameraInputFilterController : public NSOGLImageFilterController {
  OBJC_CLASS_DECL(NSOGLCameraInputFilterController, NSOGLImageFilterController)

 public:
  // Exposure 0.3, brightness 0.5, contrast 0.5, white balance white, no swap and no flips.
  void resetCameraControls(NSObject* sender);
  void resetDefaults(NSObject* sender) override { resetCameraControls(sender); }

  // The render target keeps the input it was made with, erased (not cleared) before each frame.
  bool renderBeginScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override;
  void shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) override;
  // "u_cameraWhiteBalance", "u_cameraControls", "u_cameraOptions" and "u_textureUnit0Size"
  // (the texture's pixel size; zero without one) on the program.
  void setCameraControlShaderUniforms_cameraTexture(NSOGLSLShaderProgram* program,
                                                    protocol_NSOGLTexture* texture);

  float cameraExposure() const { return __cameraExposure; }
  void setCameraExposure(float value) { __cameraExposure = value; }
  float cameraBrightness() const { return __cameraBrightness; }
  void setCameraBrightness(float value) { __cameraBrightness = value; }
  float cameraContrast() const { return __cameraContrast; }
  void setCameraContrast(float value) { __cameraContrast = value; }
  NSColor* cameraWhiteBalance() const { return __cameraWhiteBalanceGL.get(mMonitor); }
  void setCameraWhiteBalance(NSColor* color) { __cameraWhiteBalanceGL.set(mMonitor, color); }
  RefPtr<NSColor> cameraWhiteBalanceGL() const { return __cameraWhiteBalanceGL.gl(); }
  void setCameraWhiteBalanceGL(NSColor* color) { __cameraWhiteBalanceGL.setGL(color); }
  bool cameraSwapTexCoords() const { return __cameraSwapTexCoords; }
  void setCameraSwapTexCoords(bool value) { __cameraSwapTexCoords = value; }
  bool cameraFlipHorizontal() const { return __cameraFlipHorizontal; }
  void setCameraFlipHorizontal(bool value) { __cameraFlipHorizontal = value; }
  bool cameraFlipVertical() const { return __cameraFlipVertical; }
  void setCameraFlipVertical(bool value) { __cameraFlipVertical = value; }
  CGSize cameraTextureSize() const;
  void setCameraTextureSize(CGSize size);

 protected:
  NSOGLCameraInputFilterController() = default;

 private:
  // The filter's own lock, for the colour accessors.
  mutable std::recursive_mutex mMonitor;
  std::atomic<float> __cameraExposure{0.3f};
  std::atomic<float> __cameraBrightness{0.5f};
  std::atomic<float> __cameraContrast{0.5f};
  NSOGLFilterColorProperty __cameraWhiteBalanceGL;
  std::atomic<bool> __cameraSwapTexCoords{false};
  std::atomic<bool> __cameraFlipHorizontal{false};
  std::atomic<bool> __cameraFlipVertical{false};
  CGSize __cameraTextureSize{};
};
