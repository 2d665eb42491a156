#include "NSOGLVideoCaptureInputFilter.h"

#include <Foundation/NSValue.h>
#include <dispatch/queue.h>

OBJC_CLASS_DEFINE(NSOGLVideoCaptureInputFilter)

namespace {

// The most frames a second the Core Image path draws.
constexpr double kFrameRateLimit = 30.0;

}  // namespace

CGSize NSOGLVideoCaptureInputFilter::Meta::classFrameSizePixels(Class) const { return CGSizeMake(1280, 720); }

double NSOGLVideoCaptureInputFilter::microsecondsNow() {
  UnsignedWide now{};
  Microseconds(&now);
  return double(now.hi) * 4294967296.0 + double(now.lo);
}

NSOGLVideoCaptureInputFilter* NSOGLVideoCaptureInputFilter::init() {
  QVTRControllerVideo::init();
  __frameElapsed.mStartTime = microsecondsNow();
  return this;
}

void NSOGLVideoCaptureInputFilter::dealloc() {
  setFrameRenderer(nullptr);
  QVTRControllerVideo::dealloc();
}

CGSize NSOGLVideoCaptureInputFilter::frameSizePixels() const {
  const Class cls = classObject();
  return objc::classMethods<NSOGLVideoCaptureInputFilter>(cls).classFrameSizePixels(cls);
}

bool NSOGLVideoCaptureInputFilter::drawableInitialize(NSObject*) {
  const CGSize size = frameSizePixels();
  setFrameRenderer(CIContextFBORenderer::rendererWithWidthPixels_heightPixels(unsigned(size.width),
                                                                              unsigned(size.height)));
  return frameRenderer() != nullptr;
}

NSDictionary* NSOGLVideoCaptureInputFilter::pixelBufferAttributes() const {
  const CGSize size = frameSizePixels();
  NSMutableDictionary* attributes = NSMutableDictionary::dictionaryWithDictionary(
      CIContextFBORenderer::rendererPreferredPixelBufferAttributes());
  attributes->setObject_forKey(NSNumber::numberWithUnsignedInt(unsigned(size.width)),
                               toNSString(kCVPixelBufferWidthKey));
  attributes->setObject_forKey(NSNumber::numberWithUnsignedInt(unsigned(size.height)),
                               toNSString(kCVPixelBufferHeightKey));
  return attributes;
}

void NSOGLVideoCaptureInputFilter::captureSessionAttachOutputConnections() {
  RefPtr<QTCaptureVideoPreviewOutput> output =
      adopt(static_cast<QTCaptureVideoPreviewOutput*>(QTCaptureVideoPreviewOutput::alloc()->init()));
  output->setPixelBufferAttributes(pixelBufferAttributes());
  output->setDelegate(this);
  if (RefPtr<QTCaptureSession> session = this->session()) session->addOutput_error(output.get(), nullptr);
}

void NSOGLVideoCaptureInputFilter::captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(
    QTCaptureOutput*, CVImageBufferRef frame, QTSampleBuffer*, QTCaptureConnection*) {
  const double elapsed = (microsecondsNow() - __frameElapsed.mStartTime) / 1000 / 1000;
  if (elapsed < 1.0 / kFrameRateLimit) return;
  __frameElapsed.mStartTime = microsecondsNow();
  RefPtr<__CVBuffer> held(frame);
  RefPtr<NSOGLVideoCaptureInputFilter> self(this);
  dispatch_async(dispatch_get_main_queue(), [self, held] { self->renderVideoFrame(held.get()); });
}

void NSOGLVideoCaptureInputFilter::renderVideoFrame(CVImageBufferRef frame) {
  objc::AutoreleasePool pool;
  renderVideoFrame_withOptions(frame, 0);
}

bool NSOGLVideoCaptureInputFilter::renderVideoFrame_withOptions(CVImageBufferRef frame, long) {
  RefPtr<CIContextFBORenderer> renderer = frameRenderer();
  if (!frame || !renderer) return false;
  setOutputImageUpdated(false);
  const CGRect bounds = renderer->rendererBounds();
  return renderer->renderToSurfaceWithBlock([this, frame, bounds](CIContext* context) {
    CIImage* image = CIImage::imageWithCVImageBuffer(frame);
    if (!image) return false;
    context->drawImage_inRect_fromRect(image, bounds, image->extent());
    setOutputImageUpdated(true);
    return true;
  });
}
