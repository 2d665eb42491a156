#include "AVCaptureInput.h"

#include "AVError.h"
#include "backend/CameraAccess.h"

OBJC_CLASS_DEFINE_NO_FACTORY(AVCaptureInput)
OBJC_CLASS_DEFINE(AVCaptureDeviceInput)

AVCaptureDeviceInput* AVCaptureDeviceInput::deviceInputWithDevice_error(AVCaptureDevice* device,
                                                                        NSError** error) {
  AVCaptureDeviceInput* input = alloc()->initWithDevice_error(device, error);
  return input ? static_cast<AVCaptureDeviceInput*>(input->autorelease()) : nullptr;
}

AVCaptureDeviceInput* AVCaptureDeviceInput::initWithDevice_error(AVCaptureDevice* device, NSError** error) {
  NSInteger code = 0;
  if (!device)
    code = AVErrorUnknown;
  else if (AVFoundationBackend::cameraAccess() != AVAuthorizationStatusAuthorized)
    code = AVErrorApplicationIsNotAuthorizedToUseDevice;
  else if (!device->isConnected())
    code = AVErrorDeviceNotConnected;
  if (code) {
    if (error) *error = NSError::errorWithDomain_code_userInfo(AVFoundationErrorDomain, code, nullptr);
    release();
    return nullptr;
  }
  init();
  mDevice = RefPtr<AVCaptureDevice>(device);
  return this;
}
