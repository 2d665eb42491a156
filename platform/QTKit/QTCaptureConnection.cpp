#include "QTCaptureConnection.h"

#include "QTCaptureInput.h"

OBJC_CLASS_DEFINE(QTCaptureConnection)

NSString* const QTCaptureConnectionFormatDescriptionWillChangeNotification =
    NSSTR("QTCaptureConnectionFormatDescriptionWillChangeNotification");
NSString* const QTCaptureConnectionFormatDescriptionDidChangeNotification =
    NSSTR("QTCaptureConnectionFormatDescriptionDidChangeNotification");

QTCaptureConnection* QTCaptureConnection::connectionWithOwner_mediaType(NSObject* owner,
                                                                        NSString* mediaType) {
  auto* connection = static_cast<QTCaptureConnection*>(alloc()->init());
  connection->mOwner = owner;
  connection->mMediaType = RefPtr<NSString>(mediaType);
  return static_cast<QTCaptureConnection*>(connection->autorelease());
}

NSObject* QTCaptureConnection::owner() const {
  RefPtr<NSObject> owner = mOwner.get();
  return owner ? owner.leak()->autorelease() : nullptr;
}

QTFormatDescription* QTCaptureConnection::formatDescription() const {
  RefPtr<NSObject> owner = mOwner.get();
  auto* input = owner ? dynamic_cast<QTCaptureDeviceInput*>(owner.get()) : nullptr;
  if (!input) return nullptr;
  AVCaptureDeviceFormat* format = input->device()->captureDevice()->activeFormat();
  return format ? QTFormatDescription::formatDescriptionWithDescription(format->formatDescription())
                : nullptr;
}
