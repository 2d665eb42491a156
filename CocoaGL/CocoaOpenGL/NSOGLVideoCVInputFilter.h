#pragma once
// The first stage of a filter chain on the texture-cache path: every frame the grabber takes
// is uploaded at once, on the capture thread, into a Core Video texture of the shared GL
// context, the stage's output image. Frames are 1280 x 720 'BGRA' over IOSurfaces.
#include <QVTRControllerCVGrabber.h>

#include <atomic>

#include "NSOGLCVTextureCacheTexture.h"
#include "NSOGLImageFilterProtocol.h"

class NSOGLVideoCVInputFilter : public QVTRControllerCVGrabber,
                                public NSOGLImageFilterProtocol,
                                public NSOGLImageFilterProtocol_drawableInitialize {
  OBJC_CLASS_DECL(NSOGLVideoCVInputFilter, QVTRControllerCVGrabber)

 public:
  struct Meta : QVTRControllerCVGrabber::Meta {
    // 'BGRA', OpenGL-compatible, over IOSurfaces.
    NSDictionary* defaultPixelBufferFormat(Class cls) const override;
  };

  RefPtr<protocol_NSOGLDynamicTexture> inputImage() override { return nullptr; }
  RefPtr<protocol_NSOGLDynamicTexture> outputImage() override { return texture(); }
  bool outputImageUpdated() const override { return __outputImageUpdated; }
  void setOutputImageUpdated(bool updated) override { __outputImageUpdated = updated; }

  RefPtr<NSOGLCVTextureCacheTexture> texture() const { return locked(__texture); }
  void setTexture(NSOGLCVTextureCacheTexture* texture) { setLocked(__texture, texture); }

  bool drawableInitialize(NSObject* sender) override;
  void captureSessionBegin(NSObject* sender) override;
  void videoFrameChanged() override;
  // Uploads the frame (+1, released here in every case) into the texture.
  void renderOutputImageAndReleaseImageBuffer(CVImageBufferRef frame);

 protected:
  NSOGLVideoCVInputFilter() = default;
  void dealloc() override;

 private:
  std::atomic<bool> __outputImageUpdated{false};
  RefPtr<NSOGLCVTextureCacheTexture> __texture;
};
