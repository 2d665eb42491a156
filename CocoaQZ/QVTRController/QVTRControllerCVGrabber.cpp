#include "QVTRControllerCVGrabber.h"

#include <Foundation/NSValue.h>

#include <cstring>

OBJC_CLASS_DEFINE(QVTRControllerCVGrabber)

namespace {

NSString* key(CFStringRef name) { return toNSString(name); }

uint32_t unsignedAttribute(NSDictionary* attributes, CFStringRef name) {
  NSObject* value = attributes ? attributes->objectForKey(key(name)) : nullptr;
  return value && value->isKindOfClass(NSNumber::class_()) ? static_cast<NSNumber*>(value)->unsignedIntValue()
                                                           : 0;
}

// Black in the buffer's own format: opaque black for BGRA, video-range black for 4:2:2.
void fillBlack(CVPixelBufferRef buffer) {
  auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
  const size_t rowBytes = CVPixelBufferGetBytesPerRow(buffer), height = CVPixelBufferGetHeight(buffer);
  const OSType format = CVPixelBufferGetPixelFormatType(buffer);
  uint8_t pattern[4] = {0, 0, 0, 0};
  if (format == kCVPixelFormatType_32BGRA) {
    pattern[3] = 0xFF;
  } else if (format == kCVPixelFormatType_422YpCbCr8) {
    pattern[0] = 0x80, pattern[1] = 0x10, pattern[2] = 0x80, pattern[3] = 0x10;
  }
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x + 4 <= rowBytes; x += 4) std::memcpy(base + y * rowBytes + x, pattern, 4);
}

}  // namespace

CGSize QVTRControllerCVGrabber::Meta::defaultVideoFrameSize(Class) const { return CGSizeMake(1280, 720); }

Class QVTRControllerCVGrabber::Meta::defaultVideoOutputClass(Class) const {
  return QTCaptureVideoPreviewOutput::class_();
}

NSDictionary* QVTRControllerCVGrabber::Meta::defaultIOSurfaceProperties(Class) const {
  return NSDictionary::dictionary();
}

NSDictionary* QVTRControllerCVGrabber::Meta::defaultPixelBufferFormat(Class cls) const {
  return NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithUnsignedInt(kCVPixelFormatType_422YpCbCr8),
       classMethods(cls).defaultIOSurfaceProperties(cls)},
      {key(kCVPixelBufferPixelFormatTypeKey), key(kCVPixelBufferIOSurfacePropertiesKey)});
}

NSDictionary* QVTRControllerCVGrabber::Meta::defaultVideoFrameFormat(Class cls) const {
  return classMethods(cls).defaultPixelBufferFormat(cls);
}

NSDictionary* QVTRControllerCVGrabber::Meta::defaultVideoFrameFormatWithFrameSize(Class cls,
                                                                                  CGSize size) const {
  NSMutableDictionary* format =
      NSMutableDictionary::dictionaryWithDictionary(classMethods(cls).defaultVideoFrameFormat(cls));
  format->setObject_forKey(NSNumber::numberWithDouble(size.width), key(kCVPixelBufferWidthKey));
  format->setObject_forKey(NSNumber::numberWithDouble(size.height), key(kCVPixelBufferHeightKey));
  return format;
}

QVTRControllerCVGrabber* QVTRControllerCVGrabber::init() {
  QVTRControllerVideo::init();
  const Class cls = classObject();
  const Meta& meta = classMethods(cls);
  {
    std::lock_guard lock(mSizeLock);
    mVideoFrameSize = meta.defaultVideoFrameSize(cls);
  }
  setPixelBufferAttributes(meta.defaultVideoFrameFormat(cls));
  mVideoOutputClass = meta.defaultVideoOutputClass(cls);
  return this;
}

void QVTRControllerCVGrabber::dealloc() {
  mVideoOutputClass = nullptr;
  setPixelBufferAttributes(nullptr);
  {
    std::lock_guard lock(mFrameMonitor);
    if (_videoFrame) CVBufferRelease(_videoFrame);
    _videoFrame = nullptr;
  }
  QVTRControllerVideo::dealloc();
}

CGSize QVTRControllerCVGrabber::videoFrameSize() const {
  std::lock_guard lock(mSizeLock);
  return mVideoFrameSize;
}

void QVTRControllerCVGrabber::setVideoFrameSize(CGSize size) {
  {
    std::lock_guard lock(mSizeLock);
    mVideoFrameSize = size;
  }
  const Class cls = classObject();
  setPixelBufferAttributes(classMethods(cls).defaultVideoFrameFormatWithFrameSize(cls, size));
}

void QVTRControllerCVGrabber::setVideoOutputClassQTCaptureDecompressedVideoOutput() {
  mVideoOutputClass = QTCaptureDecompressedVideoOutput::class_();
}

void QVTRControllerCVGrabber::setVideoOutputClassQTCaptureVideoPreviewOutput() {
  mVideoOutputClass = QTCaptureVideoPreviewOutput::class_();
}

void QVTRControllerCVGrabber::captureSessionAttachOutputConnections() {
  RefPtr<QTCaptureSession> session = this->session();
  const Class cls = videoOutputClass();
  if (!session || !cls) return;
  NSObject* made = class_createInstance(cls);
  RefPtr<NSObject> output = made ? adopt(made->init()) : nullptr;
  auto* videoOutput = dynamic_cast<QTCaptureDecompressedVideoOutput*>(output.get());
  if (!videoOutput) return;
  if (RefPtr<NSDictionary> attributes = pixelBufferAttributes())
    videoOutput->setPixelBufferAttributes(attributes.get());
  videoOutput->setDelegate(this);
  if (session->addOutput_error(videoOutput, nullptr)) setVideoCaptureOutput(videoOutput);
}

void QVTRControllerCVGrabber::captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(
    QTCaptureOutput*, CVImageBufferRef frame, QTSampleBuffer*, QTCaptureConnection* connection) {
  {
    // A frame still on its way from a device that is no longer selected would cover the
    // filler (or the new device's frames): only the selected input's frames are kept. The
    // check and the swap are one step under the lock that the filler is set under too.
    std::lock_guard lock(mFrameMonitor);
    RefPtr<QTCaptureDeviceInput> input = videoDeviceInput();
    if (!connection || !input || connection->owner() != input.get()) return;
    if (frame) CVBufferRetain(frame);
    if (_videoFrame) CVBufferRelease(_videoFrame);
    _videoFrame = frame;
  }
  videoFrameChanged();
}

CVBufferRef QVTRControllerCVGrabber::videoFrame() const {
  std::lock_guard lock(mFrameMonitor);
  return _videoFrame;
}

CVBufferRef QVTRControllerCVGrabber::videoFrameCopy() const {
  std::lock_guard lock(mFrameMonitor);
  return _videoFrame ? CVBufferRetain(_videoFrame) : nullptr;
}

void QVTRControllerCVGrabber::setVideoFrame(CVBufferRef frame) {
  {
    std::lock_guard lock(mFrameMonitor);
    if (frame) CVBufferRetain(frame);
    if (_videoFrame) CVBufferRelease(_videoFrame);
    _videoFrame = frame;
  }
  videoFrameChanged();
}

void QVTRControllerCVGrabber::closeVideoDeviceInput() {
  QVTRControllerVideo::closeVideoDeviceInput();
  if (CVPixelBufferRef filler = createEmptyBlackVideoFramePixelBuffer()) {
    setVideoFrame(filler);
    CVPixelBufferRelease(filler);
  }
}

CVPixelBufferRef QVTRControllerCVGrabber::createEmptyBlackVideoFramePixelBuffer() const {
  RefPtr<NSDictionary> attributes = pixelBufferAttributes();
  if (!attributes) return nullptr;
  const uint32_t width = unsignedAttribute(attributes.get(), kCVPixelBufferWidthKey);
  const uint32_t height = unsignedAttribute(attributes.get(), kCVPixelBufferHeightKey);
  const OSType format = unsignedAttribute(attributes.get(), kCVPixelBufferPixelFormatTypeKey);
  if (!width || !height) return nullptr;
  CVPixelBufferRef buffer = nullptr;
  if (CVPixelBufferCreate(nullptr, width, height, format, reinterpret_cast<CFDictionaryRef>(attributes.get()),
                          &buffer) != kCVReturnSuccess)
    return nullptr;
  if (CVPixelBufferLockBaseAddress(buffer, 0) != kCVReturnSuccess) {
    CVPixelBufferRelease(buffer);
    return nullptr;
  }
  fillBlack(buffer);
  CVPixelBufferUnlockBaseAddress(buffer, 0);
  return buffer;
}
