#include "QTCaptureDevice.h"

#include <AVFoundation/AVMediaFormat.h>
#include <CoreFoundation/CFString.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>

#include <cmath>
#include <mutex>
#include <vector>

#include "QTError.h"
#include "QTFormatDescription.h"
#include "QTMedia.h"

OBJC_CLASS_DEFINE(QTCaptureDevice)

NSString* const QTCaptureDeviceWasConnectedNotification = NSSTR("QTCaptureDeviceWasConnectedNotification");
NSString* const QTCaptureDeviceWasDisconnectedNotification =
    NSSTR("QTCaptureDeviceWasDisconnectedNotification");
NSString* const QTCaptureDeviceAttributeWillChangeNotification =
    NSSTR("QTCaptureDeviceAttributeWillChangeNotification");
NSString* const QTCaptureDeviceAttributeDidChangeNotification =
    NSSTR("QTCaptureDeviceAttributeDidChangeNotification");
NSString* const QTCaptureDeviceChangedAttributeKey = NSSTR("QTCaptureDeviceChangedAttributeKey");
NSString* const QTCaptureDeviceAVCTransportControlsAttribute =
    NSSTR("QTCaptureDeviceAVCTransportControlsAttribute");
NSString* const QTCaptureDeviceAVCTransportControlsSpeedKey =
    NSSTR("QTCaptureDeviceAVCTransportControlsSpeedKey");
NSString* const QTCaptureDeviceAVCTransportControlsPlaybackModeKey =
    NSSTR("QTCaptureDeviceAVCTransportControlsPlaybackModeKey");

namespace {

// The QTKit device of each AVFoundation device, kept while the process runs.
struct Devices {
  std::mutex lock;
  std::vector<RefPtr<QTCaptureDevice>> known;
};

Devices& devices() {
  static Devices* table = new Devices;
  return *table;
}

NSString* avMediaType(NSString* mediaType) {
  if (!mediaType) return nullptr;
  if (mediaType->isEqual(QTMediaTypeVideo)) return AVMediaTypeVideo;
  if (mediaType->isEqual(QTMediaTypeMuxed)) return AVMediaTypeMuxed;
  if (mediaType->isEqual(QTMediaTypeSound)) return AVMediaTypeAudio;
  return nullptr;
}

// QTKit posts its own connection notices with its own device objects.
void forwardConnectionNotices() {
  static const bool installed = [] {
    NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
    for (auto [from, to] :
         {std::pair{AVCaptureDeviceWasConnectedNotification, QTCaptureDeviceWasConnectedNotification},
          std::pair{AVCaptureDeviceWasDisconnectedNotification,
                    QTCaptureDeviceWasDisconnectedNotification}}) {
      NSString* name = to;
      center->addObserverForName_object_queue_usingBlock(
          from, nullptr, nullptr, [name](NSNotification* notice) {
            NSNotificationCenter::defaultCenter()->postNotificationName_object(
                name,
                QTCaptureDevice::deviceForCaptureDevice(static_cast<AVCaptureDevice*>(notice->object())));
          });
    }
    return true;
  }();
  (void)installed;
}

NSArray* wrap(NSArray* captureDevices) {
  NSMutableArray* array = NSMutableArray::array();
  for (NSObject* device : *captureDevices)
    array->addObject(QTCaptureDevice::deviceForCaptureDevice(static_cast<AVCaptureDevice*>(device)));
  return array;
}

}  // namespace

QTCaptureDevice* QTCaptureDevice::deviceForCaptureDevice(AVCaptureDevice* device) {
  if (!device) return nullptr;
  Devices& table = devices();
  std::lock_guard lock(table.lock);
  for (const auto& known : table.known)
    if (known->mDevice.get() == device) return known.get();
  RefPtr<QTCaptureDevice> made = adopt(static_cast<QTCaptureDevice*>(alloc()->init()));
  made->mDevice = RefPtr<AVCaptureDevice>(device);
  table.known.push_back(made);
  return made.get();
}

NSArray* QTCaptureDevice::inputDevices() {
  forwardConnectionNotices();
  return wrap(AVCaptureDevice::devices());
}

NSArray* QTCaptureDevice::inputDevicesWithMediaType(NSString* mediaType) {
  forwardConnectionNotices();
  NSString* type = avMediaType(mediaType);
  return type ? wrap(AVCaptureDevice::devicesWithMediaType(type)) : NSArray::array();
}

QTCaptureDevice* QTCaptureDevice::defaultInputDeviceWithMediaType(NSString* mediaType) {
  NSArray* found = inputDevicesWithMediaType(mediaType);
  return found->count() ? static_cast<QTCaptureDevice*>(found->objectAtIndex(0)) : nullptr;
}

QTCaptureDevice* QTCaptureDevice::deviceWithUniqueID(NSString* uniqueID) {
  forwardConnectionNotices();
  return deviceForCaptureDevice(AVCaptureDevice::deviceWithUniqueID(uniqueID));
}

NSString* QTCaptureDevice::uniqueID() const { return mDevice->uniqueID(); }
NSString* QTCaptureDevice::modelUniqueID() const { return mDevice->modelID(); }
NSString* QTCaptureDevice::localizedDisplayName() const { return mDevice->localizedName(); }
bool QTCaptureDevice::hasMediaType(NSString* mediaType) const {
  NSString* type = avMediaType(mediaType);
  return type && mDevice->hasMediaType(type);
}
bool QTCaptureDevice::isConnected() const { return mDevice->isConnected(); }

NSArray* QTCaptureDevice::formatDescriptions() const {
  NSMutableArray* formats = NSMutableArray::array();
  for (NSObject* format : *mDevice->formats())
    formats->addObject(QTFormatDescription::formatDescriptionWithDescription(
        static_cast<AVCaptureDeviceFormat*>(format)->formatDescription()));
  return formats;
}

NSDictionary* QTCaptureDevice::deviceAttributes() const {
  NSObject* transport = attributeForKey(QTCaptureDeviceAVCTransportControlsAttribute);
  return transport ? NSDictionary::dictionaryWithObject_forKey(transport,
                                                               QTCaptureDeviceAVCTransportControlsAttribute)
                   : NSDictionary::dictionary();
}

NSObject* QTCaptureDevice::attributeForKey(NSString* key) const {
  if (!key || !key->isEqual(QTCaptureDeviceAVCTransportControlsAttribute) ||
      !mDevice->transportControlsSupported())
    return nullptr;
  const long speed = std::lround(double(mDevice->transportControlsSpeed()) * 10000.0);
  return NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithLong(speed),
       NSNumber::numberWithUnsignedLong(mDevice->transportControlsPlaybackMode())},
      {QTCaptureDeviceAVCTransportControlsSpeedKey, QTCaptureDeviceAVCTransportControlsPlaybackModeKey});
}

bool QTCaptureDevice::attributeIsReadOnly(NSString* key) const { return !attributeForKey(key); }

void QTCaptureDevice::setAttribute_forKey(NSObject* value, NSString* key) {
  if (attributeIsReadOnly(key) || !value || !value->isKindOfClass(NSDictionary::class_())) return;
  auto* transport = static_cast<NSDictionary*>(value);
  auto* speed = static_cast<NSNumber*>(transport->objectForKey(QTCaptureDeviceAVCTransportControlsSpeedKey));
  auto* mode =
      static_cast<NSNumber*>(transport->objectForKey(QTCaptureDeviceAVCTransportControlsPlaybackModeKey));
  NSDictionary* notice = NSDictionary::dictionaryWithObject_forKey(key, QTCaptureDeviceChangedAttributeKey);
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->postNotificationName_object_userInfo(QTCaptureDeviceAttributeWillChangeNotification, this, notice);
  mDevice->setTransportControlsPlaybackMode_speed(
      mode ? mode->integerValue() : mDevice->transportControlsPlaybackMode(),
      speed ? float(speed->doubleValue() / 10000.0) : mDevice->transportControlsSpeed());
  center->postNotificationName_object_userInfo(QTCaptureDeviceAttributeDidChangeNotification, this, notice);
}

bool QTCaptureDevice::open(NSError** error) {
  NSInteger code = 0;
  if (!mDevice->isConnected())
    code = QTErrorDeviceNotConnected;
  else if (AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo) !=
           AVAuthorizationStatusAuthorized)
    code = QTErrorDeviceNotAuthorized;
  if (code) {
    if (error) *error = NSError::errorWithDomain_code_userInfo(QTKitErrorDomain, code, nullptr);
    return false;
  }
  ++mOpenCount;
  return true;
}

void QTCaptureDevice::close() {
  int count = mOpenCount;
  while (count > 0 && !mOpenCount.compare_exchange_weak(count, count - 1)) {
  }
}

const __CFString* QTCaptureDevice::copyDescription() const {
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<QTCaptureDevice %p [%@][%@]>"), this,
                                  localizedDisplayName(), uniqueID());
}
