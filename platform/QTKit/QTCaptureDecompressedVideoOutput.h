#pragma once
// Outputs that hand every frame, decompressed, to a delegate as an image buffer with its
// sample buffer, on the output's own queue. The pixel buffer attributes choose the format
// and size (kCVPixelBufferPixelFormatTypeKey 'BGRA' or '2vuy', kCVPixelBufferWidthKey and
// kCVPixelBufferHeightKey); without them frames come as the camera makes them. The preview
// output drops frames while its delegate is busy; the decompressed output queues them.
#include <CoreVideo/CVImageBuffer.h>
#include <Foundation/NSDictionary.h>

#include <QTKit/QTCaptureOutput.h>

class QTKIT_CLASS QTCaptureDecompressedVideoOutputDelegate {
 public:
  virtual void captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(QTCaptureOutput*,
                                                                                 CVImageBufferRef,
                                                                                 QTSampleBuffer*,
                                                                                 QTCaptureConnection*) {}

 protected:
  virtual ~QTCaptureDecompressedVideoOutputDelegate() = default;
};

class QTKIT_CLASS QTCaptureVideoPreviewOutputDelegate {
 public:
  virtual void captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(QTCaptureOutput*,
                                                                                 CVImageBufferRef,
                                                                                 QTSampleBuffer*,
                                                                                 QTCaptureConnection*) {}

 protected:
  virtual ~QTCaptureVideoPreviewOutputDelegate() = default;
};

class QTKIT_CLASS QTCaptureDecompressedVideoOutput : public QTCaptureOutput {
  OBJC_CLASS_DECL(QTCaptureDecompressedVideoOutput, QTCaptureOutput)

 public:
  QTCaptureDecompressedVideoOutput* init() override;
  // Autoreleased copy; null when none were set.
  NSDictionary* pixelBufferAttributes() const;
  void setPixelBufferAttributes(NSDictionary* attributes);
  // Not retained.
  NSObject* delegate() const;
  void setDelegate(NSObject* delegate);

 protected:
  QTCaptureDecompressedVideoOutput() = default;
  void frameArrived(CVImageBufferRef frame, QTSampleBuffer* sample, QTCaptureConnection* connection) override;
  RefPtr<NSObject> delegateReference() const { return mDelegate.get(); }

 private:
  mutable std::mutex mAttributesLock;
  RefPtr<NSDictionary> mAttributes;
  WeakPtr<NSObject> mDelegate;
};

class QTKIT_CLASS QTCaptureVideoPreviewOutput : public QTCaptureDecompressedVideoOutput {
  OBJC_CLASS_DECL(QTCaptureVideoPreviewOutput, QTCaptureDecompressedVideoOutput)

 public:
  QTCaptureVideoPreviewOutput* init() override;

 protected:
  QTCaptureVideoPreviewOutput() = default;
  void frameArrived(CVImageBufferRef frame, QTSampleBuffer* sample, QTCaptureConnection* connection) override;
};
