#include "QVTRControllerVideo.h"

#include <CoreMachDebug.h>
#include <CoreNumberedFilename.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSValue.h>
#include <dispatch/queue.h>

#include <cerrno>

OBJC_CLASS_DEFINE(QVTRControllerVideo)

NS_DEPENDENT_KEYS(QVTRControllerVideo, "hasRecordingDevice", {"selectedVideoDevice", "selectedAudioDevice"})
NS_DEPENDENT_KEYS(QVTRControllerVideo, "controllableDevice", {"selectedVideoDevice"})
NS_DEPENDENT_KEYS(QVTRControllerVideo, "selectedVideoDeviceProvidesAudio", {"selectedVideoDevice"})
NS_DEPENDENT_KEYS(QVTRControllerVideo, "mediaFormatSummary", {"selectedVideoDevice", "selectedAudioDevice"})

NS_PROPERTIES(QVTRControllerVideo, NS_READONLY_PROPERTY("videoDevices", &QVTRControllerVideo::videoDevices),
              NS_READONLY_PROPERTY("videoDevicesLocalizedNames",
                                   &QVTRControllerVideo::videoDevicesLocalizedNames),
              NS_PROPERTY("selectedVideoDevice", &QVTRControllerVideo::selectedVideoDevice,
                          &QVTRControllerVideo::setSelectedVideoDevice),
              NS_PROPERTY("selectedVideoDeviceLocalizedName",
                          &QVTRControllerVideo::selectedVideoDeviceLocalizedName,
                          &QVTRControllerVideo::setSelectedVideoDeviceLocalizedName),
              NS_READONLY_PROPERTY("selectedVideoDeviceProvidesAudio",
                                   &QVTRControllerVideo::selectedVideoDeviceProvidesAudio),
              NS_READONLY_PROPERTY("hasRecordingDevice", &QVTRControllerVideo::hasRecordingDevice),
              NS_PROPERTY("recording", &QVTRControllerVideo::isRecording, &QVTRControllerVideo::setRecording),
              NS_READONLY_PROPERTY("mediaFormatSummary", &QVTRControllerVideo::mediaFormatSummary),
              NS_READONLY_PROPERTY("controllableDevice", &QVTRControllerVideo::controllableDevice),
              NS_PROPERTY("devicePlaying", &QVTRControllerVideo::isDevicePlaying,
                          &QVTRControllerVideo::setDevicePlaying),
              NS_PROPERTY("deviceRewinding", &QVTRControllerVideo::isDeviceRewinding,
                          &QVTRControllerVideo::setDeviceRewinding),
              NS_PROPERTY("deviceFastforwarding", &QVTRControllerVideo::isDeviceFastforwarding,
                          &QVTRControllerVideo::setDeviceFastforwarding))

namespace {

constexpr long kPlayingSpeed = 10000;
constexpr long kRewindSpeed = -13000;
constexpr long kFastforwardSpeed = 13000;
const long kRewindSpeeds[] = {-1000, -4000, -7000, -10000, -13000, -16000, -19000};
const long kFastforwardSpeeds[] = {1000, 4000, 7000, 13000, 16000, 19000};

NSString* kNone() { return NSSTR("None"); }

}  // namespace

void QVTRControllerVideo::dealloc() {
  stopObserving();
  if (RefPtr<QTCaptureMovieFileOutput> output = movieFileOutput()) output->setDelegate(nullptr);
  NSObject::dealloc();
}

void QVTRControllerVideo::stopObserving() {
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  for (const auto& observer : mObservers) center->removeObserver(observer.get());
  mObservers.clear();
}

void QVTRControllerVideo::captureSessionBegin(NSObject*) {
  RefPtr<QTCaptureSession> session = adopt(static_cast<QTCaptureSession*>(QTCaptureSession::alloc()->init()));
  setLocked(mSession, session.get());
  if (session) {
    captureSessionAttachPreviewConnections();
    captureSessionAttachOutputConnections();
    captureSessionSelectDefaultDevices();
    session->startRunning();
  }
  // A session begun again after its end keeps one set of observers, not two.
  stopObserving();
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  WeakPtr<QVTRControllerVideo> weakSelf(this);
  auto observe = [&](NSString* name, void (QVTRControllerVideo::*handler)(NSNotification*)) {
    mObservers.push_back(RefPtr<NSObject>(center->addObserverForName_object_queue_usingBlock(
        name, nullptr, nullptr, [weakSelf, handler](NSNotification* notification) {
          if (RefPtr<QVTRControllerVideo> self = weakSelf.get()) (self.get()->*handler)(notification);
        })));
  };
  observe(QTCaptureDeviceWasConnectedNotification, &QVTRControllerVideo::devicesDidChange);
  observe(QTCaptureDeviceWasDisconnectedNotification, &QVTRControllerVideo::devicesDidChange);
  observe(QTCaptureConnectionFormatDescriptionWillChangeNotification,
          &QVTRControllerVideo::connectionFormatWillChange);
  observe(QTCaptureConnectionFormatDescriptionDidChangeNotification,
          &QVTRControllerVideo::connectionFormatDidChange);
  observe(QTCaptureDeviceAttributeWillChangeNotification, &QVTRControllerVideo::deviceAttributeWillChange);
  observe(QTCaptureDeviceAttributeDidChangeNotification, &QVTRControllerVideo::deviceAttributeDidChange);
}

void QVTRControllerVideo::captureSessionAttachOutputConnections() {
  RefPtr<QTCaptureMovieFileOutput> output =
      adopt(static_cast<QTCaptureMovieFileOutput*>(QTCaptureMovieFileOutput::alloc()->init()));
  setLocked(mMovieFileOutput, output.get());
  output->setDelegate(this);
  if (RefPtr<QTCaptureSession> session = this->session()) session->addOutput_error(output.get(), nullptr);
}

void QVTRControllerVideo::captureSessionSelectDefaultDevices() {
  NSArray* devices = videoDevices();
  if (devices && devices->count())
    setSelectedVideoDevice(static_cast<QTCaptureDevice*>(devices->objectAtIndex(0)));
}

void QVTRControllerVideo::captureSessionEnd(NSObject*) {
  setSelectedVideoDevice(nullptr);
  if (RefPtr<QTCaptureSession> session = this->session()) session->stopRunning();
}

void QVTRControllerVideo::devicesDidChange(NSNotification*) { refreshAudioVideoInputDevices(); }

NSArray* QVTRControllerVideo::availableVideoInputDevicesNotIncludingNoCamera() {
  NSMutableArray* devices = NSMutableArray::array();
  devices->addObjectsFromArray(QTCaptureDevice::inputDevicesWithMediaType(QTMediaTypeVideo));
  devices->addObjectsFromArray(QTCaptureDevice::inputDevicesWithMediaType(QTMediaTypeMuxed));
  return devices->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
    return static_cast<QTCaptureDevice*>(a)->localizedDisplayName()->compare(
        static_cast<QTCaptureDevice*>(b)->localizedDisplayName());
  });
}

void QVTRControllerVideo::refreshAudioVideoInputDevices() {
  NSArray* devices = availableVideoInputDevicesNotIncludingNoCamera();
  if (RefPtr<NSArray> held = videoInputDevices(); held && held->isEqualToArray(devices)) return;
  willChangeValueForKey(NSSTR("videoDevicesLocalizedNames"));
  willChangeValueForKey(NSSTR("videoDevices"));
  setLocked<NSArray>(mVideoInputDevices, nullptr);
  setLocked(mVideoInputDevices, devices);
  didChangeValueForKey(NSSTR("videoDevicesLocalizedNames"));
  didChangeValueForKey(NSSTR("videoDevices"));
  QTCaptureDevice* selected = selectedVideoDevice();
  if (selected && !devices->containsObject(selected)) setSelectedVideoDevice(nullptr);
}

NSArray* QVTRControllerVideo::videoDevices() {
  if (!videoInputDevices()) refreshAudioVideoInputDevices();
  RefPtr<NSArray> devices = videoInputDevices();
  if (!devices) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : self.videoInputDevices");
    return nullptr;
  }
  return static_cast<NSArray*>(devices.leak()->autorelease());
}

NSArray* QVTRControllerVideo::videoDevicesLocalizedNames() {
  NSMutableArray* names = NSMutableArray::arrayWithObjects({kNone()});
  if (NSArray* devices = videoDevices())
    for (NSObject* device : *devices)
      names->addObject(static_cast<QTCaptureDevice*>(device)->localizedDisplayName());
  return names;
}

QTCaptureDevice* QVTRControllerVideo::selectedVideoDevice() const {
  RefPtr<QTCaptureDeviceInput> input = videoDeviceInput();
  return input ? input->device() : nullptr;
}

void QVTRControllerVideo::setSelectedVideoDevice(QTCaptureDevice* device) {
  RefPtr<QTCaptureDevice> held(device);
  willChangeValueForKey(NSSTR("selectedVideoDevice"));
  closeVideoDeviceInput();
  NSError* error = nullptr;
  bool selected = false;
  if (device && device->open(&error)) {
    QTCaptureDeviceInput* input = QTCaptureDeviceInput::deviceInputWithDevice(device);
    setLocked(mVideoDeviceInput, input);
    RefPtr<QTCaptureSession> session = this->session();
    selected = input && session && session->addInput_error(input, &error);
    if (selected && device->hasMediaType(QTMediaTypeMuxed)) setSelectedAudioDevice(nullptr);
  }
  if (device && !selected) {
    closeVideoDeviceInput();
    device->close();
    sendCaptureSessionError(error);
  }
  didChangeValueForKey(NSSTR("selectedVideoDevice"));
  RefPtr<QVTRControllerVideo> self(this);
  dispatch_async(dispatch_get_main_queue(), [self] { self->refreshAudioVideoInputDevices(); });
}

NSString* QVTRControllerVideo::selectedVideoDeviceLocalizedName() const {
  QTCaptureDevice* device = selectedVideoDevice();
  return device ? device->localizedDisplayName() : kNone();
}

void QVTRControllerVideo::setSelectedVideoDeviceLocalizedName(NSString* name) {
  QTCaptureDevice* found = nullptr;
  if (NSArray* devices = availableVideoInputDevicesNotIncludingNoCamera(); devices && name)
    for (NSObject* object : *devices)
      if (!found && static_cast<QTCaptureDevice*>(object)->localizedDisplayName()->isEqual(name))
        found = static_cast<QTCaptureDevice*>(object);
  setSelectedVideoDevice(found);
}

bool QVTRControllerVideo::selectedVideoDeviceProvidesAudio() const {
  QTCaptureDevice* device = selectedVideoDevice();
  return device && (device->hasMediaType(QTMediaTypeMuxed) || device->hasMediaType(QTMediaTypeSound));
}

void QVTRControllerVideo::closeVideoDeviceInput() {
  RefPtr<QTCaptureDeviceInput> input = videoDeviceInput();
  if (!input) return;
  if (RefPtr<QTCaptureSession> session = this->session();
      session && session->inputs()->containsObject(input.get()))
    session->removeInput(input.get());
  // The device was opened for this input; nothing else reads it through this controller.
  input->device()->close();
  setLocked<QTCaptureDeviceInput>(mVideoDeviceInput, nullptr);
}

bool QVTRControllerVideo::isRecording() const {
  RefPtr<QTCaptureMovieFileOutput> output = movieFileOutput();
  return output && output->outputFileURL();
}

void QVTRControllerVideo::setRecording(bool recording) {
  if (recording == isRecording()) return;
  RefPtr<QTCaptureMovieFileOutput> output = movieFileOutput();
  if (!output) return;
  if (!recording) {
    output->recordToOutputFileURL(nullptr);
    return;
  }
  CoreNumberedFilename numberedFileName;
  if (!VERIFY(numberedFileName.Construct(NSTemporaryDirectory()->UTF8String()))) return;
  char path[CoreNumberedFilename::kPathSize];
  if (!numberedFileName.FindFirstAvailableNamedPath(path, "Moxicam_%03d", "mov")) {
    // Every name is taken: the user hears that the recording did not start.
    sendCaptureSessionError(NSError::errorWithDomain_code_userInfo(NSPOSIXErrorDomain, EEXIST, nullptr));
    return;
  }
  output->recordToOutputFileURL(NSURL::fileURLWithPath(NSString::stringWithUTF8String(path)));
}

NSString* QVTRControllerVideo::mediaFormatSummary() const {
  if (!videoDeviceInput()) return NSString::string();
  NSMutableString* summary = NSMutableString::string();
  getVideoMediaFormatSummary(summary);
  getAudioMediaFormatSummary(summary);
  return summary;
}

bool QVTRControllerVideo::getVideoMediaFormatSummary(NSMutableString* summary) const {
  RefPtr<QTCaptureDeviceInput> input = videoDeviceInput();
  if (!input) return true;
  for (NSObject* object : *input->connections()) {
    QTFormatDescription* format = static_cast<QTCaptureConnection*>(object)->formatDescription();
    if (format) summary->appendString(format->localizedFormatSummary());
    summary->appendString(NSSTR("\n"));
  }
  return true;
}

void QVTRControllerVideo::connectionFormatWillChange(NSNotification* notification) {
  auto* connection = dynamic_cast<QTCaptureConnection*>(notification->object());
  RefPtr<QTCaptureDeviceInput> input = videoDeviceInput();
  if (connection && input && connection->owner() == input.get())
    willChangeValueForKey(NSSTR("mediaFormatSummary"));
}

void QVTRControllerVideo::connectionFormatDidChange(NSNotification* notification) {
  auto* connection = dynamic_cast<QTCaptureConnection*>(notification->object());
  RefPtr<QTCaptureDeviceInput> input = videoDeviceInput();
  if (connection && input && connection->owner() == input.get())
    didChangeValueForKey(NSSTR("mediaFormatSummary"));
}

QTCaptureDevice* QVTRControllerVideo::controllableDevice() const {
  QTCaptureDevice* device = selectedVideoDevice();
  return device && device->attributeForKey(QTCaptureDeviceAVCTransportControlsAttribute) &&
                 !device->attributeIsReadOnly(QTCaptureDeviceAVCTransportControlsAttribute)
             ? device
             : nullptr;
}

long QVTRControllerVideo::transportSpeed() const {
  QTCaptureDevice* device = controllableDevice();
  auto* transport =
      device
          ? static_cast<NSDictionary*>(device->attributeForKey(QTCaptureDeviceAVCTransportControlsAttribute))
          : nullptr;
  auto* speed =
      transport ? static_cast<NSNumber*>(transport->objectForKey(QTCaptureDeviceAVCTransportControlsSpeedKey))
                : nullptr;
  return speed ? speed->longValue() : 0;
}

unsigned long QVTRControllerVideo::transportMode() const {
  QTCaptureDevice* device = controllableDevice();
  auto* transport =
      device
          ? static_cast<NSDictionary*>(device->attributeForKey(QTCaptureDeviceAVCTransportControlsAttribute))
          : nullptr;
  auto* mode = transport ? static_cast<NSNumber*>(
                               transport->objectForKey(QTCaptureDeviceAVCTransportControlsPlaybackModeKey))
                         : nullptr;
  return mode ? mode->unsignedLongValue() : 0;
}

void QVTRControllerVideo::setTransport(long speed, unsigned long mode) {
  if (QTCaptureDevice* device = controllableDevice())
    device->setAttribute_forKey(NSDictionary::dictionaryWithObjects_forKeys(
                                    {NSNumber::numberWithLong(speed), NSNumber::numberWithUnsignedLong(mode)},
                                    {QTCaptureDeviceAVCTransportControlsSpeedKey,
                                     QTCaptureDeviceAVCTransportControlsPlaybackModeKey}),
                                QTCaptureDeviceAVCTransportControlsAttribute);
}

bool QVTRControllerVideo::isDevicePlaying() const {
  return controllableDevice() && transportSpeed() == kPlayingSpeed && transportMode() == 1;
}

void QVTRControllerVideo::setDevicePlaying(bool playing) { setTransport(playing ? kPlayingSpeed : 0, 1); }

void QVTRControllerVideo::stopDevice(NSObject*) { setTransport(0, 0); }

bool QVTRControllerVideo::isDeviceRewinding() const {
  if (!controllableDevice()) return false;
  const long speed = transportSpeed();
  for (long rewind : kRewindSpeeds)
    if (speed == rewind) return true;
  return false;
}

void QVTRControllerVideo::setDeviceRewinding(bool rewinding) {
  if (controllableDevice()) setTransport(rewinding ? kRewindSpeed : 0, transportMode());
}

bool QVTRControllerVideo::isDeviceFastforwarding() const {
  if (!controllableDevice()) return false;
  const long speed = transportSpeed();
  for (long forward : kFastforwardSpeeds)
    if (speed == forward) return true;
  return false;
}

void QVTRControllerVideo::setDeviceFastforwarding(bool fastforwarding) {
  if (controllableDevice()) setTransport(fastforwarding ? kFastforwardSpeed : 0, transportMode());
}

void QVTRControllerVideo::deviceAttributeWillChange(NSNotification* notification) {
  QTCaptureDevice* device = controllableDevice();
  NSDictionary* info = notification->userInfo();
  NSObject* key = info ? info->objectForKey(QTCaptureDeviceChangedAttributeKey) : nullptr;
  if (!device || notification->object() != device || !key ||
      !key->isEqual(QTCaptureDeviceAVCTransportControlsAttribute))
    return;
  willChangeValueForKey(NSSTR("devicePlaying"));
  willChangeValueForKey(NSSTR("deviceFastforwarding"));
  willChangeValueForKey(NSSTR("deviceRewinding"));
}

void QVTRControllerVideo::deviceAttributeDidChange(NSNotification* notification) {
  QTCaptureDevice* device = controllableDevice();
  NSDictionary* info = notification->userInfo();
  NSObject* key = info ? info->objectForKey(QTCaptureDeviceChangedAttributeKey) : nullptr;
  if (!device || notification->object() != device || !key ||
      !key->isEqual(QTCaptureDeviceAVCTransportControlsAttribute))
    return;
  didChangeValueForKey(NSSTR("devicePlaying"));
  didChangeValueForKey(NSSTR("deviceFastforwarding"));
  didChangeValueForKey(NSSTR("deviceRewinding"));
}

void QVTRControllerVideo::captureOutput_willStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*,
                                                                                           NSURL* url,
                                                                                           NSArray*) {
  NSLog(NSSTR("Will start recording to %@"), url);
}

void QVTRControllerVideo::captureOutput_didStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*,
                                                                                          NSURL* url,
                                                                                          NSArray*) {
  NSLog(NSSTR("Did start recording to %@"), url);
}

bool QVTRControllerVideo::captureOutput_shouldChangeOutputFileAtURL_forConnections_dueToError(
    QTCaptureOutput*, NSURL*, NSArray*, NSError* error) {
  NSLog(NSSTR("Should change file due to error %@"), error);
  return true;
}

void QVTRControllerVideo::captureOutput_mustChangeOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*,
                                                                                            NSURL*, NSArray*,
                                                                                            NSError* error) {
  NSLog(NSSTR("Must change file due to error %@"), error);
}

void QVTRControllerVideo::captureOutput_willFinishRecordingToOutputFileAtURL_forConnections_dueToError(
    QTCaptureOutput*, NSURL* url, NSArray*, NSError* error) {
  NSLog(NSSTR("Will finish recording to %@ due to error %@"), url, error);
  RefPtr<QVTRControllerVideo> self(this);
  dispatch_async(dispatch_get_main_queue(), [self] { self->willFinishRecording(); });
}

void QVTRControllerVideo::willFinishRecording() { willChangeValueForKey(NSSTR("recording")); }

void QVTRControllerVideo::captureOutput_didFinishRecordingToOutputFileAtURL_forConnections_dueToError(
    QTCaptureOutput*, NSURL* url, NSArray*, NSError* error) {
  didChangeValueForKey(NSSTR("recording"));
  RefPtr<NSObject> delegate = mDelegate.get();
  auto* session = dynamic_cast<QVTRControllerSession*>(delegate.get());
  if (!session) return;
  NSDictionary* info = error ? error->userInfo() : nullptr;
  auto* finished =
      info ? dynamic_cast<NSNumber*>(info->objectForKey(QTErrorRecordingSuccesfullyFinishedKey)) : nullptr;
  if (error && !(finished && finished->boolValue()))
    session->captureSessionError(error);
  else
    session->captureSessionEnded(url);
}

void QVTRControllerVideo::sendCaptureSessionError(NSError* error) {
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* session = dynamic_cast<QVTRControllerSession*>(delegate.get()))
    session->captureSessionError(error);
}
