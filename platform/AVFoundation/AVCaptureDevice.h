#pragma once
// The cameras of the machine: synthetic test-pattern cameras (MOXICAM_SYNTHETIC_CAMERAS), the
// kernel's capture devices and the cameras of the DAL plug-ins. A device stays the same object
// while its camera stands; asking for the devices reads the cameras again and posts
// AVCaptureDeviceWasConnectedNotification and AVCaptureDeviceWasDisconnectedNotification
// (object: the device) for those that came and went since the last time.
//
// Access to cameras follows MOXICAM_CAMERA_ACCESS: "authorized" (or unset), "denied",
// "restricted", or "notDetermined" (a request is granted).
#include <Foundation/NSArray.h>
#include <Foundation/NSError.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include <AVFoundation/AVCaptureDeviceFormat.h>
#include <AVFoundation/AVFoundationDefines.h>

AVF_EXPORT NSString* const AVCaptureDeviceWasConnectedNotification;
AVF_EXPORT NSString* const AVCaptureDeviceWasDisconnectedNotification;

typedef NSInteger AVAuthorizationStatus;
enum : NSInteger {
  AVAuthorizationStatusNotDetermined = 0,
  AVAuthorizationStatusRestricted = 1,
  AVAuthorizationStatusDenied = 2,
  AVAuthorizationStatusAuthorized = 3,
};

typedef NSInteger AVCaptureDeviceTransportControlsPlaybackMode;
enum : NSInteger {
  AVCaptureDeviceTransportControlsNotPlayingMode = 0,
  AVCaptureDeviceTransportControlsPlayingMode = 1,
};
typedef float AVCaptureDeviceTransportControlsSpeed;

class AVF_CLASS AVCaptureDevice : public NSObject {
  OBJC_CLASS_DECL(AVCaptureDevice, NSObject)

 public:
  // Autoreleased arrays of the devices standing now (of that media type).
  static NSArray* devices();
  static NSArray* devicesWithMediaType(NSString* mediaType);
  // The first device of the type; null when there is none.
  static AVCaptureDevice* defaultDeviceWithMediaType(NSString* mediaType);
  static AVCaptureDevice* deviceWithUniqueID(NSString* uniqueID);

  static AVAuthorizationStatus authorizationStatusForMediaType(NSString* mediaType);
  // The handler runs once, on a queue of the system, with the answer.
  static void requestAccessForMediaType_completionHandler(NSString* mediaType,
                                                          std::function<void(bool)> handler);

  NSString* uniqueID() const;
  NSString* modelID() const;
  NSString* localizedName() const;
  bool hasMediaType(NSString* mediaType) const;
  // Any video device supports the "High", "Medium" and "Low" presets; a preset of a size only
  // a device with a format of that size.
  bool supportsAVCaptureSessionPreset(NSString* preset) const;
  NSArray* formats() const;
  // The format of the last session that started the device (its first format before).
  AVCaptureDeviceFormat* activeFormat() const;
  bool isConnected() const;

  // Tape transport, for devices that have it (a rate of 1 is normal play).
  bool transportControlsSupported() const;
  AVCaptureDeviceTransportControlsPlaybackMode transportControlsPlaybackMode() const;
  AVCaptureDeviceTransportControlsSpeed transportControlsSpeed() const;
  void setTransportControlsPlaybackMode_speed(AVCaptureDeviceTransportControlsPlaybackMode mode,
                                              AVCaptureDeviceTransportControlsSpeed speed);

 protected:
  AVCaptureDevice() = default;
  ~AVCaptureDevice() override;
  const __CFString* copyDescription() const override;

 private:
  friend struct AVFoundationBackend::DeviceAccess;
  std::shared_ptr<AVFoundationBackend::CaptureSource> mSource;
  RefPtr<NSArray> mFormats;
  mutable std::mutex mLock;
  RefPtr<AVCaptureDeviceFormat> mActiveFormat;
  std::atomic<NSInteger> mPlaybackMode{AVCaptureDeviceTransportControlsNotPlayingMode};
  std::atomic<float> mSpeed{0.0f};
};
