#pragma once
// The capture devices of QTKit: the same cameras AVFoundation lists, one object per camera.
// A device must be opened before a session reads it. Tape decks carry the transport-controls
// attribute (speed 10000 is normal play; the playback mode 1 plays, 0 stops), which observers
// hear change through the attribute notifications.
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSError.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/RefPtr.h>

#include <atomic>

#include <AVFoundation/AVCaptureDevice.h>
#include <QTKit/QTKitDefines.h>

QTKIT_EXPORT NSString* const QTCaptureDeviceWasConnectedNotification;
QTKIT_EXPORT NSString* const QTCaptureDeviceWasDisconnectedNotification;
QTKIT_EXPORT NSString* const QTCaptureDeviceAttributeWillChangeNotification;
QTKIT_EXPORT NSString* const QTCaptureDeviceAttributeDidChangeNotification;
// The user-info key of the attribute notifications: the attribute's key.
QTKIT_EXPORT NSString* const QTCaptureDeviceChangedAttributeKey;
QTKIT_EXPORT NSString* const QTCaptureDeviceAVCTransportControlsAttribute;
QTKIT_EXPORT NSString* const QTCaptureDeviceAVCTransportControlsSpeedKey;
QTKIT_EXPORT NSString* const QTCaptureDeviceAVCTransportControlsPlaybackModeKey;

class QTKIT_CLASS QTCaptureDevice : public NSObject {
  OBJC_CLASS_DECL(QTCaptureDevice, NSObject)

 public:
  // Autoreleased; reading them reads the cameras again (and posts what came and went).
  static NSArray* inputDevices();
  static NSArray* inputDevicesWithMediaType(NSString* mediaType);
  static QTCaptureDevice* defaultInputDeviceWithMediaType(NSString* mediaType);
  static QTCaptureDevice* deviceWithUniqueID(NSString* uniqueID);

  NSString* uniqueID() const;
  NSString* modelUniqueID() const;
  NSString* localizedDisplayName() const;
  bool hasMediaType(NSString* mediaType) const;
  // Autoreleased: the QTFormatDescription of each format.
  NSArray* formatDescriptions() const;
  bool isConnected() const;

  // Autoreleased: every attribute the device has, and one of them (null when it has not).
  NSDictionary* deviceAttributes() const;
  NSObject* attributeForKey(NSString* key) const;
  bool attributeIsReadOnly(NSString* key) const;
  void setAttribute_forKey(NSObject* value, NSString* key);

  // NO with an error when the camera is gone or cameras may not be used.
  bool open(NSError** error);
  void close();
  bool isOpen() const { return mOpenCount > 0; }

  // The device AVFoundation knows the camera by.
  AVCaptureDevice* captureDevice() const { return mDevice.get(); }
  // Autoreleased: the device of the camera, made on first use.
  static QTCaptureDevice* deviceForCaptureDevice(AVCaptureDevice* device);

 protected:
  QTCaptureDevice() = default;
  const __CFString* copyDescription() const override;

 private:
  RefPtr<AVCaptureDevice> mDevice;
  std::atomic<int> mOpenCount{0};
};
