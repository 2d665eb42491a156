#pragma once
// A capture controller whose output is a frame output: it keeps the newest decompressed frame
// (retained, under its own lock) and announces each through videoFrameChanged. Without a
// device it shows a black filler frame. The class methods below choose the output's class and
// frame format; subclasses change them.
#include <CoreGraphics/CGGeometry.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <Foundation/NSDictionary.h>
#include <objc/ClassMethods.h>

#include "QVTRControllerVideo.h"

class QVTRControllerCVGrabber : public QVTRControllerVideo,
                                public QTCaptureDecompressedVideoOutputDelegate,
                                public QTCaptureVideoPreviewOutputDelegate {
  OBJC_CLASS_DECL(QVTRControllerCVGrabber, QVTRControllerVideo)

 public:
  struct Meta : QVTRControllerVideo::Meta {
    // 1280 x 720.
    virtual CGSize defaultVideoFrameSize(Class cls) const;
    // QTCaptureVideoPreviewOutput.
    virtual Class defaultVideoOutputClass(Class cls) const;
    // An empty dictionary.
    virtual NSDictionary* defaultIOSurfaceProperties(Class cls) const;
    // '2vuy' pixels over IOSurfaces.
    virtual NSDictionary* defaultPixelBufferFormat(Class cls) const;
    virtual NSDictionary* defaultVideoFrameFormat(Class cls) const;
    // The format with the size added (double-valued width and height).
    virtual NSDictionary* defaultVideoFrameFormatWithFrameSize(Class cls, CGSize size) const;
  };
  static const Meta& classMethods(Class cls) { return objc::classMethods<QVTRControllerCVGrabber>(cls); }

  QVTRControllerCVGrabber* init() override;

  CGSize videoFrameSize() const;
  void setVideoFrameSize(CGSize size);
  RefPtr<NSDictionary> pixelBufferAttributes() const { return locked(mPixelBufferAttributes); }
  void setPixelBufferAttributes(NSDictionary* attributes) { setLocked(mPixelBufferAttributes, attributes); }
  Class videoOutputClass() const { return mVideoOutputClass; }
  void setVideoOutputClassQTCaptureDecompressedVideoOutput();
  void setVideoOutputClassQTCaptureVideoPreviewOutput();

  // An output of the chosen class instead of the movie output.
  void captureSessionAttachOutputConnections() override;
  void captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(QTCaptureOutput*,
                                                                         CVImageBufferRef frame,
                                                                         QTSampleBuffer*,
                                                                         QTCaptureConnection*) override;

  // The frame, borrowed; a retained one for the caller; the setter (retains).
  CVBufferRef videoFrame() const;
  CVBufferRef videoFrameCopy() const;
  void setVideoFrame(CVBufferRef frame);
  // Called after each new frame, outside the lock, on the thread that set it.
  virtual void videoFrameChanged() {}

  // The input goes and the black filler frame takes its place.
  void closeVideoDeviceInput() override;
  // A new (+1) black frame in the format and size of the pixel buffer attributes; null
  // without a width and height there, or when none can be made.
  CVPixelBufferRef createEmptyBlackVideoFramePixelBuffer() const;

 protected:
  QVTRControllerCVGrabber() = default;
  void dealloc() override;

 private:
  mutable std::recursive_mutex mFrameMonitor;
  CVBufferRef _videoFrame = nullptr;
  RefPtr<NSDictionary> mPixelBufferAttributes;
  std::atomic<Class> mVideoOutputClass{nullptr};
  mutable std::mutex mSizeLock;
  CGSize mVideoFrameSize{};
};
