#include "AVCaptureDeviceFormat.h"

#include "AVMediaFormat.h"

OBJC_CLASS_DEFINE(AVCaptureDeviceFormat)

NSString* AVCaptureDeviceFormat::mediaType() const { return AVMediaTypeVideo; }

AVCaptureDeviceFormat* AVCaptureDeviceFormat::formatWithDescription(CMFormatDescriptionRef description,
                                                                    double maxFrameRate) {
  auto* format = static_cast<AVCaptureDeviceFormat*>(alloc()->init());
  format->mFormatDescription = RefPtr<const opaqueCMFormatDescription>(description);
  format->mMaxFrameRate = maxFrameRate;
  return static_cast<AVCaptureDeviceFormat*>(format->autorelease());
}
