#include "CMIODALGrabberDesktopStream.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreVideo/CVPixelBufferIOSurface.h>
#include <IOSurface/IOSurfaceAPI.h>
#include <WithRequirements.h>

#include "GrabberDeviceNames.h"

namespace NQCMIOGrabber {

namespace {

constexpr int32_t kPixelFormatBGRA = 0x42475241;  // 'BGRA'

}  // namespace

GrabberDesktopStream::GrabberDesktopStream(CGDirectDisplayID display) : mDisplay(display) {
  __CFRequiredPrintf("GrabberDesktopStream::GrabberStream(default) %08x\n", display);
  dispatch_queue_t queue = dispatch_queue_create("GrabberDesktopStream", DISPATCH_QUEUE_SERIAL);
  mQueue = queue;
  dispatch_release(queue);
  const RefPtr<const __CFDictionary> properties = adopt(CopyDisplayStreamProperties());
  CGDisplayStreamRef newDisplayStream = CGDisplayStreamCreateWithDispatchQueue(
      display, size_t(kFrameSize.width), size_t(kFrameSize.height), kPixelFormatBGRA, properties.get(), mQueue.Get(),
      [this](CGDisplayStreamFrameStatus status, uint64_t, IOSurfaceRef frameSurface, CGDisplayStreamUpdateRef) {
        DisplayStreamDelivered(status, frameSurface);
      });
  if (REQUIRED_NOT_NULL(newDisplayStream)) mDisplayStream = adopt(newDisplayStream);
}

GrabberDesktopStream::~GrabberDesktopStream() {
  // The display stream goes quiet before its handler's object goes: stopped, and its last
  // delivery (Stopped) handled on the queue.
  if (mDisplayStream) CGDisplayStreamStop(mDisplayStream.get());
  if (mQueue.IsValid()) dispatch_sync(mQueue.Get(), [] {});
  mDisplayStream = nullptr;
  SetDesktopFrameIOSurface(nullptr);
}

void GrabberDesktopStream::DisplayStreamDelivered(CGDisplayStreamFrameStatus status, IOSurfaceRef frameSurface) {
  // Idle deliveries carry no surface: the screen did not change, so the last picture stays.
  // A new picture is taken at once, not at the next tick of a timer of another phase.
  if (status == kCGDisplayStreamFrameStatusFrameComplete && frameSurface) {
    SetDesktopFrameIOSurface(frameSurface);
    FrameAnnounced();
  } else if (status == kCGDisplayStreamFrameStatusStopped) {
    SetDesktopFrameIOSurface(nullptr);
  }
}

void GrabberDesktopStream::StartStream() {
  CMIOStreamBase::StartStream();
  if (mDisplayStream)
    CGDisplayStreamStart(mDisplayStream.get());
  else  // reported as the display stream wrapper's check reads
    __CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>mDisplayStream.IsValid()");
}

void GrabberDesktopStream::StopStream() {
  CMIOStreamBase::StopStream();
  if (mDisplayStream) CGDisplayStreamStop(mDisplayStream.get());
}

CVPixelBufferRef GrabberDesktopStream::CopyPixelBufferForPresentationTime(CMTime) {
  const RefPtr<__IOSurface> surface = adopt(CopyDesktopFrameIOSurface());
  IOSurfaceRef desktopSurface = surface.get();
  if (!desktopSurface) return nullptr;
  CFDictionaryRef pixelBufferAttributes = nullptr;
  CVPixelBufferRef newPixelBufferForPresentationTime = nullptr;
  if (!REQUIRED_CVRETURN(CVPixelBufferCreateWithIOSurface(NULL, desktopSurface, pixelBufferAttributes,
                                                          &newPixelBufferForPresentationTime))) {
    newPixelBufferForPresentationTime = nullptr;
  }
  return newPixelBufferForPresentationTime;
}

CFStringRef GrabberDesktopStream::CopyDeviceName(CGDirectDisplayID display, bool wholeID) {
  return wholeID ? CFStringCreateWithFormat(nullptr, nullptr, CFSTR("Grabber Screen (%08x)"), display)
                 : CFStringCreateWithFormat(nullptr, nullptr, CFSTR("Grabber Screen (%04x)"), display & 0xFFFF);
}

CFStringRef GrabberDesktopStream::CopyDeviceUID(CFStringRef name) {
  return CopyGrabberDeviceUID(name, CFSTR("grabber screen "), CFSTR("com.quillfen.GrabberDesktop."));
}

CFDictionaryRef GrabberDesktopStream::CopyDisplayStreamProperties() {
  const void* keys[] = {kCGDisplayStreamPreserveAspectRatio};
  const void* values[] = {kCFBooleanTrue};
  return CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                            &kCFTypeDictionaryValueCallBacks);
}

void GrabberDesktopStream::SetDesktopFrameIOSurface(IOSurfaceRef surface) {
  RefPtr<__IOSurface> previous(surface);
  if (surface) IOSurfaceIncrementUseCount(surface);
  {
    std::lock_guard guard(mLock);
    mDesktopFrameSurface.swap(previous);
  }
  if (previous) IOSurfaceDecrementUseCount(previous.get());
}

IOSurfaceRef GrabberDesktopStream::CopyDesktopFrameIOSurface() const {
  std::lock_guard guard(mLock);
  return RefPtr(mDesktopFrameSurface).leak();
}

}  // namespace NQCMIOGrabber
