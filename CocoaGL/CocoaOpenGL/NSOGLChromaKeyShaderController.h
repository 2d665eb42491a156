#pragma once
// The chroma key filter: the key colour becomes transparent, with threshold, sensitivity and
// an alpha floor shaping the edge, over a background (the picture of the picture controller, a
// plain colour, or nothing), or bypassed altogether. Each frame: background, then the keyed
// foreground (or the camera picture unkeyed), then an overlay hook.
#include <atomic>
#include <mutex>

#include "NSOGLCameraInputFilterController.h"
#include "NSOGLFilterColorProperty.h"
#include "NSOGLImageFilterController.h"
#include "NSOGLImageViewTextureController.h"

class NSOGLChromaKeyShaderController : public NSOGLImageFilterController {
  OBJC_CLASS_DECL(NSOGLChromaKeyShaderController, NSOGLImageFilterController)

 public:
  enum : NSInteger { kBackgroundPicture = 0, kBackgroundColor = 1, kBackgroundTransparent = 2 };

  // Key colour green, threshold 0.5, sensitivity 0.5, alpha floor 0.1, background colour
  // white, background mode 0, output mode 0, output white balance white.
  void resetKeyingControls(NSObject* sender);
  void resetDefaults(NSObject* sender) override;
  // The picture brought up to date first.
  bool textureUpdate() override;
  void shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) override;
  bool renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override;
  void renderSceneBackground_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect);
  void renderSceneKeyChannelBypass_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect);
  void renderSceneForeground_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect);
  virtual bool renderSceneCanRenderForeground(protocol_NSOGLRenderScene*) { return true; }
  virtual void renderSceneOverlay_drawableRect(protocol_NSOGLRenderScene*, CGRect) {}

  bool keyChannelBypass() const { return __keyChannelBypass; }
  void setKeyChannelBypass(bool value) { __keyChannelBypass = value; }
  NSUInteger keyChannel() const { return __keyChannel; }
  void setKeyChannel(NSUInteger value) { __keyChannel = value; }
  bool keyRemovalBypass() const { return __keyRemovalBypass; }
  void setKeyRemovalBypass(bool value) { __keyRemovalBypass = value; }
  float keyThreshold() const { return __keyThreshold; }
  void setKeyThreshold(float value) { __keyThreshold = value; }
  float keySensitivity() const { return __keySensitivity; }
  void setKeySensitivity(float value) { __keySensitivity = value; }
  float keyAlphaFloor() const { return __keyAlphaFloor; }
  void setKeyAlphaFloor(float value) { __keyAlphaFloor = value; }
  NSColor* keyColor() const { return __keyColorGL.get(mMonitor); }
  void setKeyColor(NSColor* color) { __keyColorGL.set(mMonitor, color); }
  RefPtr<NSColor> keyColorGL() const { return __keyColorGL.gl(); }
  NSColor* keyBackgroundColor() const { return __keyBackgroundColorGL.get(mMonitor); }
  void setKeyBackgroundColor(NSColor* color) { __keyBackgroundColorGL.set(mMonitor, color); }
  RefPtr<NSColor> keyBackgroundColorGL() const { return __keyBackgroundColorGL.gl(); }
  NSInteger keyBackgroundMode() const { return __keyBackgroundMode; }
  void setKeyBackgroundMode(NSInteger mode) { __keyBackgroundMode = mode; }
  // Kept for the application; the filter does not read it.
  NSInteger keyOutputMode() const { return __keyOutputMode; }
  void setKeyOutputMode(NSInteger mode) { __keyOutputMode = mode; }
  NSColor* keyWhiteBalanceOut() const { return __keyWhiteBalanceOutGL.get(mMonitor); }
  void setKeyWhiteBalanceOut(NSColor* color) { __keyWhiteBalanceOutGL.set(mMonitor, color); }
  RefPtr<NSColor> keyWhiteBalanceOutGL() const { return __keyWhiteBalanceOutGL.gl(); }

  // Outlets of the interface file, not retained.
  WeakPtr<NSOGLCameraInputFilterController> outletCameraInputFilterController;
  WeakPtr<NSOGLImageViewTextureController> outletPictureTextureController;

 protected:
  NSOGLChromaKeyShaderController() = default;
  void dealloc() override;

 private:
  mutable std::recursive_mutex mMonitor;
  std::atomic<bool> __keyChannelBypass{false};
  std::atomic<NSUInteger> __keyChannel{0};
  std::atomic<bool> __keyRemovalBypass{false};
  std::atomic<float> __keyThreshold{0.5f};
  std::atomic<float> __keySensitivity{0.5f};
  std::atomic<float> __keyAlphaFloor{0.1f};
  NSOGLFilterColorProperty __keyColorGL;
  NSOGLFilterColorProperty __keyBackgroundColorGL;
  std::atomic<NSInteger> __keyBackgroundMode{0};
  std::atomic<NSInteger> __keyOutputMode{0};
  NSOGLFilterColorProperty __keyWhiteBalanceOutGL;
};
