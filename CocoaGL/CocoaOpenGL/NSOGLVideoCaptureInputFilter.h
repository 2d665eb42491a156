#pragma once
// The first stage of a filter chain on the Core Image path: the capture controller's preview
// output hands over at most 30 frames a second, and each is drawn by Core Image on the main
// thread into a 1280 x 720 surface framebuffer, the stage's output image.
#include <CoreServices/Timer.h>
#include <QVTRControllerVideo.h>
#include <objc/ClassMethods.h>

#include <atomic>

#include "CIContextFBORenderer.h"
#include "NSOGLImageFilterProtocol.h"

// A time in microseconds.
struct CoreElapsedTime {
  double mStartTime = 0;
};

class NSOGLVideoCaptureInputFilter : public QVTRControllerVideo,
                                     public NSOGLImageFilterProtocol,
                                     public NSOGLImageFilterProtocol_drawableInitialize,
                                     public QTCaptureVideoPreviewOutputDelegate {
  OBJC_CLASS_DECL(NSOGLVideoCaptureInputFilter, QVTRControllerVideo)

 public:
  struct Meta : QVTRControllerVideo::Meta {
    // 1280 x 720.
    virtual CGSize classFrameSizePixels(Class cls) const;
  };

  // The host clock in microseconds (Microseconds), as one number.
  static double microsecondsNow();

  NSOGLVideoCaptureInputFilter* init() override;

  RefPtr<protocol_NSOGLDynamicTexture> inputImage() override { return nullptr; }
  RefPtr<protocol_NSOGLDynamicTexture> outputImage() override { return frameRenderer(); }
  bool outputImageUpdated() const override { return __outputImageUpdated; }
  void setOutputImageUpdated(bool updated) override { __outputImageUpdated = updated; }

  RefPtr<CIContextFBORenderer> frameRenderer() const { return locked(__frameRenderer); }
  void setFrameRenderer(CIContextFBORenderer* renderer) { setLocked(__frameRenderer, renderer); }
  CGSize frameSizePixels() const;
  bool drawableInitialize(NSObject* sender) override;
  // The renderer's preferred attributes with the frame size.
  NSDictionary* pixelBufferAttributes() const;

  void captureSessionAttachPreviewConnections() override {}
  // A preview output with the pixel buffer attributes, this filter its delegate.
  void captureSessionAttachOutputConnections() override;
  // On the capture thread: frames closer than 1/30 s to the last one taken are dropped; the
  // others go to the main thread to be drawn.
  void captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(QTCaptureOutput*,
                                                                         CVImageBufferRef frame,
                                                                         QTSampleBuffer*,
                                                                         QTCaptureConnection*) override;
  void renderVideoFrame(CVImageBufferRef frame);
  // The option word changes nothing.
  bool renderVideoFrame_withOptions(CVImageBufferRef frame, long options);

 protected:
  NSOGLVideoCaptureInputFilter() = default;
  void dealloc() override;

 private:
  std::atomic<bool> __outputImageUpdated{false};
  RefPtr<CIContextFBORenderer> __frameRenderer;
  CoreElapsedTime __frameElapsed;
};
