#include "AVCaptureDevice.h"

#include <CoreFoundation/CFString.h>
#include <Foundation/NSNotificationCenter.h>
#include <dispatch/queue.h>

#include <string>
#include <vector>

#include "AVMediaFormat.h"
#include "backend/CameraAccess.h"
#include "backend/CaptureSourceRegistry.h"
#include "backend/DeviceAccess.h"
#include "backend/SessionPresets.h"

OBJC_CLASS_DEFINE(AVCaptureDevice)

NSString* const AVCaptureDeviceWasConnectedNotification = NSSTR("AVCaptureDeviceWasConnectedNotification");
NSString* const AVCaptureDeviceWasDisconnectedNotification =
    NSSTR("AVCaptureDeviceWasDisconnectedNotification");

using AVFoundationBackend::CaptureSource;
using AVFoundationBackend::CaptureSourceRegistry;
using AVFoundationBackend::DeviceAccess;
using AVFoundationBackend::VideoFormat;

namespace {

NSString* text(const std::string& value) { return NSString::stringWithUTF8String(value.c_str()); }

// The device object of each camera standing, in the order the cameras are listed.
struct DeviceTable {
  std::mutex lock;
  std::vector<RefPtr<AVCaptureDevice>> devices;
  bool listed = false;
};

DeviceTable& table() {
  static DeviceTable* devices = new DeviceTable;
  return *devices;
}

AVCaptureDeviceFormat* formatObject(const VideoFormat& format) {
  CMVideoFormatDescriptionRef description = nullptr;
  CMVideoFormatDescriptionCreate(nullptr, format.pixelFormat, int32_t(format.width), int32_t(format.height),
                                 nullptr, &description);
  const RefPtr<const opaqueCMFormatDescription> held = adopt(description);
  return AVCaptureDeviceFormat::formatWithDescription(description, format.frameRate);
}

// Reads the cameras again; posts what came and went (not on the first reading, which finds the
// cameras that were there all along).
std::vector<RefPtr<AVCaptureDevice>> refreshedDevices() {
  DeviceTable& devices = table();
  std::vector<RefPtr<AVCaptureDevice>> connected, disconnected, current;
  {
    std::lock_guard lock(devices.lock);
    const AVFoundationBackend::CaptureSourceChange change = CaptureSourceRegistry::shared().refresh();
    std::vector<RefPtr<AVCaptureDevice>> kept;
    for (const auto& source : change.current) {
      RefPtr<AVCaptureDevice> device;
      for (const auto& known : devices.devices)
        if (DeviceAccess::source(known.get()) == source) device = known;
      if (!device) {
        device = adopt(DeviceAccess::create(source));
        if (devices.listed) connected.push_back(device);
      }
      kept.push_back(device);
    }
    for (const auto& known : devices.devices) {
      bool stays = false;
      for (const auto& device : kept) stays = stays || device == known;
      if (!stays) disconnected.push_back(known);
    }
    devices.devices = kept;
    devices.listed = true;
    current = kept;
  }
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  for (const auto& device : disconnected)
    center->postNotificationName_object(AVCaptureDeviceWasDisconnectedNotification, device.get());
  for (const auto& device : connected)
    center->postNotificationName_object(AVCaptureDeviceWasConnectedNotification, device.get());
  return current;
}

NSArray* arrayOf(const std::vector<RefPtr<AVCaptureDevice>>& devices, NSString* mediaType) {
  NSMutableArray* array = NSMutableArray::array();
  for (const auto& device : devices)
    if (!mediaType || device->hasMediaType(mediaType)) array->addObject(device.get());
  return array;
}

}  // namespace

AVCaptureDevice* DeviceAccess::create(std::shared_ptr<CaptureSource> source) {
  auto* device = static_cast<AVCaptureDevice*>(AVCaptureDevice::alloc()->init());
  NSMutableArray* formats = NSMutableArray::array();
  for (const VideoFormat& format : source->formats()) formats->addObject(formatObject(format));
  device->mFormats = RefPtr<NSArray>(formats);
  if (formats->count())
    device->mActiveFormat =
        RefPtr<AVCaptureDeviceFormat>(static_cast<AVCaptureDeviceFormat*>(formats->objectAtIndex(0)));
  device->mSource = std::move(source);
  return device;
}

bool DeviceAccess::formatForPreset(const AVCaptureDevice* device, NSString* preset, VideoFormat& format) {
  return device->hasMediaType(AVMediaTypeVideo) || device->hasMediaType(AVMediaTypeMuxed)
             ? AVFoundationBackend::formatForPreset(preset, device->mSource->formats(), format)
             : false;
}

void DeviceAccess::setActiveFormat(AVCaptureDevice* device, const VideoFormat& format) {
  RefPtr<AVCaptureDeviceFormat> active(formatObject(format));
  std::lock_guard lock(device->mLock);
  device->mActiveFormat = active;
}

AVCaptureDevice::~AVCaptureDevice() = default;

NSArray* AVCaptureDevice::devices() { return arrayOf(refreshedDevices(), nullptr); }

NSArray* AVCaptureDevice::devicesWithMediaType(NSString* mediaType) {
  return mediaType ? arrayOf(refreshedDevices(), mediaType) : NSArray::array();
}

AVCaptureDevice* AVCaptureDevice::defaultDeviceWithMediaType(NSString* mediaType) {
  NSArray* devices = devicesWithMediaType(mediaType);
  return devices->count() ? static_cast<AVCaptureDevice*>(devices->objectAtIndex(0)) : nullptr;
}

AVCaptureDevice* AVCaptureDevice::deviceWithUniqueID(NSString* uniqueID) {
  if (!uniqueID) return nullptr;
  for (NSObject* object : *devices()) {
    auto* device = static_cast<AVCaptureDevice*>(object);
    if (device->uniqueID()->isEqual(uniqueID)) return device;
  }
  return nullptr;
}

AVAuthorizationStatus AVCaptureDevice::authorizationStatusForMediaType(NSString*) {
  return AVFoundationBackend::cameraAccess();
}

void AVCaptureDevice::requestAccessForMediaType_completionHandler(NSString*,
                                                                  std::function<void(bool)> handler) {
  const bool granted = AVFoundationBackend::requestCameraAccess();
  if (handler)
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0),
                   [handler = std::move(handler), granted] { handler(granted); });
}

NSString* AVCaptureDevice::uniqueID() const { return text(mSource->uniqueID()); }
NSString* AVCaptureDevice::modelID() const { return text(mSource->modelID()); }
NSString* AVCaptureDevice::localizedName() const { return text(mSource->name()); }

bool AVCaptureDevice::hasMediaType(NSString* mediaType) const {
  if (!mediaType) return false;
  if (mSource->providesAudio()) return mediaType->isEqual(AVMediaTypeMuxed);
  return mediaType->isEqual(AVMediaTypeVideo);
}

bool AVCaptureDevice::supportsAVCaptureSessionPreset(NSString* preset) const {
  VideoFormat format;
  return DeviceAccess::formatForPreset(this, preset, format);
}

NSArray* AVCaptureDevice::formats() const { return mFormats.get(); }

AVCaptureDeviceFormat* AVCaptureDevice::activeFormat() const {
  RefPtr<AVCaptureDeviceFormat> active;
  {
    std::lock_guard lock(mLock);
    active = mActiveFormat;
  }
  return active ? static_cast<AVCaptureDeviceFormat*>(active.leak()->autorelease()) : nullptr;
}

bool AVCaptureDevice::isConnected() const { return mSource->connected(); }

bool AVCaptureDevice::transportControlsSupported() const { return mSource->transportControlsSupported(); }

AVCaptureDeviceTransportControlsPlaybackMode AVCaptureDevice::transportControlsPlaybackMode() const {
  return mPlaybackMode;
}

AVCaptureDeviceTransportControlsSpeed AVCaptureDevice::transportControlsSpeed() const { return mSpeed; }

void AVCaptureDevice::setTransportControlsPlaybackMode_speed(
    AVCaptureDeviceTransportControlsPlaybackMode mode, AVCaptureDeviceTransportControlsSpeed speed) {
  if (!transportControlsSupported()) return;
  mPlaybackMode = mode;
  mSpeed = speed;
}

const __CFString* AVCaptureDevice::copyDescription() const {
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<AVCaptureDevice %p [%@][%@]>"), this,
                                  localizedName(), uniqueID());
}
