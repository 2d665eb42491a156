#include "CMIODALGrabberWindowStream.h"

#include <CoreGraphics/CGDisplayStream.h>
#include <WithRequirements.h>

#include "CoreGraphicsCGRectFittingInlines.h"
#include "GrabberDeviceNames.h"

namespace NQCMIO {

CGRect GrabberWindowStream::FittedImageRect(CGSize imageSize, CGSize frameSize) {
  const CGRect target = CGRectInset(CGRectMake(0, 0, frameSize.width, frameSize.height), kFrameInset, kFrameInset);
  return CGRectFitSizeInsideRect(imageSize, target);
}

void GrabberWindowStream::DrawFrameSelf(CGContextRef context, CGSize size, CMTime, UInt64) {
  CGContextSaveGState(context);
  ClearFrame(context, CGRectMake(0, 0, size.width, size.height));
  CGImageRef image = mWindowOwners.CopyWindowOwnerImage(mOwnerIndex);
  if (image) {
    const CGRect drawn = FittedImageRect(CGSizeMake(CGImageGetWidth(image), CGImageGetHeight(image)), size);
    CGContextSetBlendMode(context, kCGBlendModeNormal);
    CGContextDrawImage(context, drawn, image);
    CGImageRelease(image);
  }
  CGContextRestoreGState(context);
}

CFStringRef GrabberWindowStream::CopyDeviceName(const char* ownerName) {
  if (!ownerName) return nullptr;
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("GrabberApp: %s"), ownerName);
}

CFStringRef GrabberWindowStream::CopyDeviceUID(CFStringRef name) {
  return NQCMIOGrabber::CopyGrabberDeviceUID(name, CFSTR("grabberapp: "), CFSTR("com.quillfen.grabberwindow."));
}

bool GrabberWindowStream::ClassInitializeOnce(UGrabberAppWindow& windowOwners) {
  dispatch_queue_t queue = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0);
  const RefPtr<CGDisplayStream> displayStream = adopt(CGDisplayStreamCreateWithDispatchQueue(
      CGMainDisplayID(), 1, 1, 0x42475241 /* 'BGRA' */, nullptr, queue,
      [](CGDisplayStreamFrameStatus, uint64_t, IOSurfaceRef, CGDisplayStreamUpdateRef) {}));
  CGDisplayStreamRef newDisplayStream = displayStream.get();
  if (!REQUIRED_NOT_NULL(newDisplayStream)) return false;
  windowOwners.UpdateWindowOwnerList();
  return true;
}

void GrabberWindowStream::ClearFrameTransparent(CGContextRef context, const CGRect& rect) {
  CGContextClearRect(context, rect);
}

}  // namespace NQCMIO
