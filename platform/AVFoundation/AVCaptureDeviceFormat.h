#pragma once
// One format a capture device can deliver: its media type and a description of its
// pictures (pixel format and size).
#include <CoreMedia/CMFormatDescription.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/RefPtr.h>

#include <AVFoundation/AVFoundationDefines.h>

class AVF_CLASS AVCaptureDeviceFormat : public NSObject {
  OBJC_CLASS_DECL(AVCaptureDeviceFormat, NSObject)

 public:
  NSString* mediaType() const;
  CMFormatDescriptionRef formatDescription() const { return mFormatDescription.get(); }
  // The fastest rate the format delivers, in frames per second.
  double maxFrameRate() const { return mMaxFrameRate; }

  // Autoreleased.
  static AVCaptureDeviceFormat* formatWithDescription(CMFormatDescriptionRef description,
                                                      double maxFrameRate);

 protected:
  AVCaptureDeviceFormat() = default;

 private:
  RefPtr<const opaqueCMFormatDescription> mFormatDescription;
  double mMaxFrameRate = 0;
};
