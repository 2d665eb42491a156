#pragma once
// The stream of a window camera: each frame is black with the owner's windows fitted inside
// a margin of 12 points.
#include <CMIOStreamDrawContext.h>

#include "UGrabberAppWindow.h"

namespace NQCMIO {

class GrabberWindowStream : public CMIOStreamDrawContext {
 public:
  static constexpr CGSize kFrameSize = {1280, 720};
  static constexpr CGFloat kFrameInset = 12;

  GrabberWindowStream(UGrabberAppWindow& windowOwners, size_t ownerIndex)
      : mWindowOwners(windowOwners), mOwnerIndex(ownerIndex) {}

  const char* ClassName() const override { return "NQCMIO::GrabberWindowStream"; }
  void DrawFrameSelf(CGContextRef context, CGSize size, CMTime presentationTime, UInt64 firstHostTime) override;

  // Where a picture of the size is drawn in a frame of the frame size.
  static CGRect FittedImageRect(CGSize imageSize, CGSize frameSize);

  static CFStringRef CopyDeviceName(const char* ownerName);
  static CFStringRef CopyDeviceUID(CFStringRef name);
  // Asks for a one-pixel picture of the main display, as screen capture needs permission
  // first; when granted, refreshes the owner list. Answers whether it was granted.
  static bool ClassInitializeOnce(UGrabberAppWindow& windowOwners);
  static void ClearFrameTransparent(CGContextRef context, const CGRect& rect);

 private:
  UGrabberAppWindow& mWindowOwners;
  size_t mOwnerIndex;
};

}  // namespace NQCMIO
