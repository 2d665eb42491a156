#include "AVCaptureSession.h"

#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNotificationCenter.h>

#include <vector>

#include "AVError.h"
#include "AVMediaFormat.h"
#include "backend/CameraAccess.h"
#include "backend/DeviceAccess.h"
#include "backend/OutputAccess.h"
#include "backend/SessionPresets.h"

OBJC_CLASS_DEFINE(AVCaptureSession)

NSString* const AVCaptureSessionRuntimeErrorNotification = NSSTR("AVCaptureSessionRuntimeErrorNotification");
NSString* const AVCaptureSessionErrorKey = NSSTR("AVCaptureSessionErrorKey");
NSString* const AVCaptureSessionDidStartRunningNotification =
    NSSTR("AVCaptureSessionDidStartRunningNotification");
NSString* const AVCaptureSessionDidStopRunningNotification =
    NSSTR("AVCaptureSessionDidStopRunningNotification");

using AVFoundationBackend::DeviceAccess;
using AVFoundationBackend::OutputAccess;

AVCaptureDevice* AVFoundationBackend::OutputAccess::videoDeviceOf(AVCaptureSession* session) {
  RefPtr<AVCaptureDevice> device = session->videoDevice();
  return device ? static_cast<AVCaptureDevice*>(device.leak()->autorelease()) : nullptr;
}

AVCaptureSession* AVCaptureSession::init() {
  NSObject::init();
  mPreset = RefPtr<NSString>(AVCaptureSessionPresetHigh);
  mInputs = RefPtr<NSMutableArray>(NSMutableArray::array());
  mOutputs = RefPtr<NSMutableArray>(NSMutableArray::array());
  WeakPtr<AVCaptureSession> weakSelf(this);
  mDisconnectObserver =
      RefPtr<NSObject>(NSNotificationCenter::defaultCenter()->addObserverForName_object_queue_usingBlock(
          AVCaptureDeviceWasDisconnectedNotification, nullptr, nullptr,
          [weakSelf](NSNotification* notification) {
            if (RefPtr<AVCaptureSession> session = weakSelf.get())
              session->deviceWasDisconnected(static_cast<AVCaptureDevice*>(notification->object()));
          }));
  return this;
}

void AVCaptureSession::dealloc() {
  NSNotificationCenter::defaultCenter()->removeObserver(mDisconnectObserver.get());
  stopFlows();
  for (NSObject* output : *mOutputs) OutputAccess::detach(static_cast<AVCaptureOutput*>(output));
  NSObject::dealloc();
}

NSString* AVCaptureSession::sessionPreset() const {
  RefPtr<NSString> preset;
  {
    std::lock_guard lock(mLock);
    preset = mPreset;
  }
  return static_cast<NSString*>(preset.leak()->autorelease());
}

bool AVCaptureSession::canSetSessionPreset(NSString* preset) const {
  if (!AVFoundationBackend::isKnownPreset(preset)) return false;
  RefPtr<AVCaptureDevice> device = videoDevice();
  return !device || device->supportsAVCaptureSessionPreset(preset);
}

void AVCaptureSession::setSessionPreset(NSString* preset) {
  if (!canSetSessionPreset(preset))
    NSException::raise_format(NSInvalidArgumentException, NSSTR("Unsupported session preset %@"), preset);
  std::lock_guard lock(mLock);
  mPreset = RefPtr<NSString>(preset);
  rewire();
}

NSArray* AVCaptureSession::inputs() const {
  std::lock_guard lock(mLock);
  return NSArray::arrayWithArray(mInputs.get());
}

NSArray* AVCaptureSession::outputs() const {
  std::lock_guard lock(mLock);
  return NSArray::arrayWithArray(mOutputs.get());
}

bool AVCaptureSession::canAddInput(AVCaptureInput* input) const {
  if (!input || !input->isKindOfClass(AVCaptureDeviceInput::class_())) return false;
  AVCaptureDevice* device = static_cast<AVCaptureDeviceInput*>(input)->device();
  if (!device || !device->isConnected()) return false;
  std::lock_guard lock(mLock);
  for (NSObject* object : *mInputs)
    if (object == input || static_cast<AVCaptureDeviceInput*>(object)->device() == device) return false;
  return true;
}

void AVCaptureSession::addInput(AVCaptureInput* input) {
  if (!canAddInput(input))
    NSException::raise_format(NSInvalidArgumentException, NSSTR("Cannot add the input %@ to the session"),
                              input);
  std::lock_guard lock(mLock);
  mInputs->addObject(input);
  rewire();
}

void AVCaptureSession::removeInput(AVCaptureInput* input) {
  std::lock_guard lock(mLock);
  if (!input || !mInputs->containsObject(input)) return;
  stopFlows();
  mInputs->removeObjectIdenticalTo(input);
  rewire();
}

bool AVCaptureSession::canAddOutput(AVCaptureOutput* output) const {
  if (!output) return false;
  std::lock_guard lock(mLock);
  return !mOutputs->containsObject(output) && !OutputAccess::isAttached(output);
}

void AVCaptureSession::addOutput(AVCaptureOutput* output) {
  if (!canAddOutput(output))
    NSException::raise_format(NSInvalidArgumentException, NSSTR("Cannot add the output %@ to the session"),
                              output);
  std::lock_guard lock(mLock);
  mOutputs->addObject(output);
  OutputAccess::attach(output, this);
  rewire();
}

void AVCaptureSession::removeOutput(AVCaptureOutput* output) {
  std::lock_guard lock(mLock);
  if (!output || !mOutputs->containsObject(output)) return;
  OutputAccess::stopFlow(output);
  OutputAccess::detach(output);
  mOutputs->removeObjectIdenticalTo(output);
}

void AVCaptureSession::beginConfiguration() {
  std::lock_guard lock(mLock);
  ++mConfigurationDepth;
}

void AVCaptureSession::commitConfiguration() {
  std::lock_guard lock(mLock);
  if (mConfigurationDepth == 0) return;
  if (--mConfigurationDepth == 0) rewire();
}

void AVCaptureSession::startRunning() {
  {
    std::lock_guard lock(mLock);
    if (mRunning) return;
    mRunning = true;
    rewire();
  }
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      AVCaptureSessionDidStartRunningNotification, this);
}

void AVCaptureSession::stopRunning() {
  {
    std::lock_guard lock(mLock);
    if (!mRunning) return;
    mRunning = false;
    stopFlows();
  }
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      AVCaptureSessionDidStopRunningNotification, this);
}

bool AVCaptureSession::isRunning() const {
  std::lock_guard lock(mLock);
  return mRunning;
}

RefPtr<AVCaptureDevice> AVCaptureSession::videoDevice() const {
  std::lock_guard lock(mLock);
  for (NSObject* object : *mInputs) {
    AVCaptureDevice* device = static_cast<AVCaptureDeviceInput*>(object)->device();
    if (device->hasMediaType(AVMediaTypeVideo) || device->hasMediaType(AVMediaTypeMuxed))
      return RefPtr<AVCaptureDevice>(device);
  }
  return nullptr;
}

void AVCaptureSession::stopFlows() {
  std::lock_guard lock(mLock);
  for (NSObject* output : *mOutputs) OutputAccess::stopFlow(static_cast<AVCaptureOutput*>(output));
}

void AVCaptureSession::rewire() {
  std::lock_guard lock(mLock);
  if (!mRunning || mConfigurationDepth > 0) return;
  stopFlows();
  RefPtr<AVCaptureDevice> device = videoDevice();
  if (!device || !device->isConnected() ||
      AVFoundationBackend::cameraAccess() != AVAuthorizationStatusAuthorized)
    return;
  AVFoundationBackend::VideoFormat format;
  if (!DeviceAccess::formatForPreset(device.get(), mPreset.get(), format) &&
      !DeviceAccess::formatForPreset(device.get(), AVCaptureSessionPresetHigh, format))
    return;
  DeviceAccess::setActiveFormat(device.get(), format);
  for (NSObject* output : *mOutputs)
    OutputAccess::startFlow(static_cast<AVCaptureOutput*>(output), device.get(), format.width, format.height);
}

void AVCaptureSession::deviceWasDisconnected(AVCaptureDevice* device) {
  bool used = false;
  {
    std::lock_guard lock(mLock);
    for (NSObject* object : *mInputs)
      used = used || static_cast<AVCaptureDeviceInput*>(object)->device() == device;
    if (!used || !mRunning) return;
  }
  NSError* error =
      NSError::errorWithDomain_code_userInfo(AVFoundationErrorDomain, AVErrorDeviceWasDisconnected, nullptr);
  NSNotificationCenter::defaultCenter()->postNotificationName_object_userInfo(
      AVCaptureSessionRuntimeErrorNotification, this,
      NSDictionary::dictionaryWithObject_forKey(error, AVCaptureSessionErrorKey));
  stopRunning();
}
