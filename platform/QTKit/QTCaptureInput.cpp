#include "QTCaptureInput.h"

#include "QTMedia.h"

OBJC_CLASS_DEFINE_NO_FACTORY(QTCaptureInput)
OBJC_CLASS_DEFINE(QTCaptureDeviceInput)

QTCaptureDeviceInput* QTCaptureDeviceInput::deviceInputWithDevice(QTCaptureDevice* device) {
  QTCaptureDeviceInput* input = alloc()->initWithDevice(device);
  return input ? static_cast<QTCaptureDeviceInput*>(input->autorelease()) : nullptr;
}

QTCaptureDeviceInput* QTCaptureDeviceInput::initWithDevice(QTCaptureDevice* device) {
  if (!device) {
    release();
    return nullptr;
  }
  init();
  mDevice = RefPtr<QTCaptureDevice>(device);
  mConnection = RefPtr<QTCaptureConnection>(QTCaptureConnection::connectionWithOwner_mediaType(
      this, device->hasMediaType(QTMediaTypeMuxed) ? QTMediaTypeMuxed : QTMediaTypeVideo));
  return this;
}

NSArray* QTCaptureDeviceInput::connections() const { return NSArray::arrayWithObject(mConnection.get()); }
