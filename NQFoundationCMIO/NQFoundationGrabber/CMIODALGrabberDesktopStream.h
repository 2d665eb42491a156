#pragma once
// The stream of a display camera: a display stream keeps the newest complete picture of the
// display, and each frame tick hands it out as a pixel buffer over the same memory.
#include <CoreGraphics/CGDisplayStream.h>
#include <IOSurface/IOSurfaceRef.h>

#include <mutex>

#include <CMIOStreamBase.h>
#include <RequiredCpp.h>

namespace NQCMIOGrabber {

class GrabberDesktopStream : public NQCMIO::CMIOStreamBase {
 public:
  static constexpr CGSize kFrameSize = {1280, 720};

  explicit GrabberDesktopStream(CGDirectDisplayID display);
  ~GrabberDesktopStream() override;

  const char* ClassName() const override { return "NQCMIOGrabber::GrabberDesktopStream"; }
  void StartStream() override;
  void StopStream() override;
  CVPixelBufferRef CopyPixelBufferForPresentationTime(CMTime presentationTime) override;

  // "Grabber Screen (%04x)" of the id's low 16 bits, or of the whole id ("%08x") when
  // another display shares those bits, so that no two cameras have one name.
  static CFStringRef CopyDeviceName(CGDirectDisplayID display, bool wholeID = false);
  static CFStringRef CopyDeviceUID(CFStringRef name);
  static CFDictionaryRef CopyDisplayStreamProperties();

  // Swaps in the newest frame (retained, its use count raised so that the display stream
  // leaves it alone), or takes it out retained.
  void SetDesktopFrameIOSurface(IOSurfaceRef surface);
  IOSurfaceRef CopyDesktopFrameIOSurface() const;

  // What the display stream's handler does with a delivery.
  void DisplayStreamDelivered(CGDisplayStreamFrameStatus status, IOSurfaceRef frameSurface);

 private:
  CGDirectDisplayID mDisplay;
  RefPtr<CGDisplayStream> mDisplayStream;
  requiredCpp::T_dispatch_obj<dispatch_queue_t> mQueue;
  mutable std::mutex mLock;
  RefPtr<__IOSurface> mDesktopFrameSurface;
};

}  // namespace NQCMIOGrabber
