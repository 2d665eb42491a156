#pragma once
// What a session reads from: a device input is one capture device.
#include <Foundation/NSError.h>
#include <Foundation/NSObject.h>
#include <objc/RefPtr.h>

#include <AVFoundation/AVCaptureDevice.h>
#include <AVFoundation/AVFoundationDefines.h>

class AVF_CLASS AVCaptureInput : public NSObject {
  OBJC_CLASS_DECL(AVCaptureInput, NSObject)

 protected:
  AVCaptureInput() = default;
};

class AVF_CLASS AVCaptureDeviceInput : public AVCaptureInput {
  OBJC_CLASS_DECL(AVCaptureDeviceInput, AVCaptureInput)

 public:
  // Autoreleased; null with an error (autoreleased) when there is no device, the device is
  // gone (AVErrorDeviceNotConnected) or cameras may not be used
  // (AVErrorApplicationIsNotAuthorizedToUseDevice).
  static AVCaptureDeviceInput* deviceInputWithDevice_error(AVCaptureDevice* device, NSError** error);
  AVCaptureDeviceInput* initWithDevice_error(AVCaptureDevice* device, NSError** error);

  AVCaptureDevice* device() const { return mDevice.get(); }

 protected:
  AVCaptureDeviceInput() = default;

 private:
  RefPtr<AVCaptureDevice> mDevice;
};
