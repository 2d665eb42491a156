#include "NQCASystemDevicesAvailableController.h"

#include <Foundation/NSNotificationCenter.h>
#include <URequirements.h>
#include <dispatch/dispatch.h>
#include <objc/MethodTable.h>

#include <mutex>

NSString* const NQCASystemDevicesAvailableController_ChangeNotification =
    NSSTR("NQCASystemDevicesAvailableController_ChangeNotification");

OBJC_CLASS_DEFINE(NQCASystemDevicesAvailableController)
OBJC_METHODS(
    NQCASystemDevicesAvailableController,
    OBJC_METHOD("availableDevicesChangedNotification:",
                &NQCASystemDevicesAvailableController::availableDevicesChangedNotification),
    OBJC_METHOD("actionSubscribeToAvailableOutputDeviceChanges:",
                &NQCASystemDevicesAvailableController::actionSubscribeToAvailableOutputDeviceChanges),
    OBJC_METHOD("actionSubscribeToAvailableInputDeviceChanges:",
                &NQCASystemDevicesAvailableController::actionSubscribeToAvailableInputDeviceChanges),
    OBJC_METHOD("actionUnsubscribeToAvailableDeviceChanges:",
                &NQCASystemDevicesAvailableController::actionUnsubscribeToAvailableDeviceChanges))

namespace {

NSUInteger IndexOfDeviceID(NSArray* devices, AudioObjectID deviceID) {
  if (!devices) return NSNotFound;
  for (NSUInteger i = 0; i < devices->count(); ++i)
    if (static_cast<NSNumber*>(devices->objectAtIndex(i))->unsignedIntValue() == deviceID) return i;
  return NSNotFound;
}

// The first device whose name is exactly the name; 0 when none.
AudioObjectID DeviceIDWithName(NSArray* devices, NSString* name) {
  if (!name || !devices) return kAudioObjectUnknown;
  for (NSObject* number : *devices) {
    const AudioObjectID deviceID = static_cast<NSNumber*>(number)->unsignedIntValue();
    NSString* deviceName = NQCoreAudioHALOutputDevice::audioDeviceNameFromAudioDeviceID(deviceID);
    if (deviceName && deviceName->isEqualToString(name)) return deviceID;
  }
  return kAudioObjectUnknown;
}

}  // namespace

void NQCASystemDevicesAvailableController::_applicationDidFinishStartup(NSNotification*) {
  availableDevicesConstructClass();
}

void NQCASystemDevicesAvailableController::availableDevicesConstructClass() {
  static std::once_flag once;
  std::call_once(once, [] { initializeClassOnce(); });
}

void NQCASystemDevicesAvailableController::postAvailableDevicesChangedNotification() {
  NSNotificationCenter::defaultCenter()->postNotificationName_object_userInfo(
      NQCASystemDevicesAvailableController_ChangeNotification, nullptr, NSDictionary::dictionary());
}

NSObject* NQCASystemDevicesAvailableController::init() {
  mInputsSubscribers = RefPtr<NSMutableSet>(NSMutableSet::set());
  mOutputsSubscribers = RefPtr<NSMutableSet>(NSMutableSet::set());
  return super::init();
}

NQCASystemDevicesAvailableController::~NQCASystemDevicesAvailableController() = default;

void NQCASystemDevicesAvailableController::awakeFromNib() {
  super::awakeFromNib();
  if (mAwakeFromNibNotifyOnce) {
    mAwakeFromNibNotifyOnce = false;
    notifyAvailableDevicesChangedFromMainQueueOnly();
  }
}

void NQCASystemDevicesAvailableController::availableDevicesChangedSelf() {
  super::availableDevicesChangedSelf();
  notifyAvailableDevicesChangedFromMainQueueOnly();
}

void NQCASystemDevicesAvailableController::notifyAvailableDevicesChangedFromMainQueueOnly() {
  RefPtr<NQCASystemDevicesAvailableController> self(this);
  dispatch_async(dispatch_get_main_queue(), [self] { self->availableDevicesChangedNotification(nullptr); });
}

void NQCASystemDevicesAvailableController::availableDevicesChangedNotification(NSObject*) {
  postAvailableDevicesChangedNotification();
  // Copies, so that a subscriber may unsubscribe while it is told.
  RefPtr<NSSet> inputs = adopt(mInputsSubscribers->copy());
  RefPtr<NSSet> outputs = adopt(mOutputsSubscribers->copy());
  for (NSObject* subscriber : *inputs)
    if (auto* told = dynamic_cast<NQCASystemDevicesAvailableControllerInputSubscriber*>(subscriber))
      told->systemDevicesAvailableController_changedInputDevices(this, availableInputDevices());
  for (NSObject* subscriber : *outputs)
    if (auto* told = dynamic_cast<NQCASystemDevicesAvailableControllerOutputSubscriber*>(subscriber))
      told->systemDevicesAvailableController_changedOutputDevices(this, availableOutputDevices());
}

void NQCASystemDevicesAvailableController::actionSubscribeToAvailableOutputDeviceChanges(NSObject* sender) {
  if (!REQUIREMENT(dynamic_cast<NQCASystemDevicesAvailableControllerOutputSubscriber*>(sender) != nullptr))
    return;
  mOutputsSubscribers->addObject(sender);
  if (mOutputsSubscriberNotifyOnce) {
    mOutputsSubscriberNotifyOnce = false;
    notifyAvailableDevicesChangedFromMainQueueOnly();
  }
}

void NQCASystemDevicesAvailableController::actionSubscribeToAvailableInputDeviceChanges(NSObject* sender) {
  if (!REQUIREMENT(dynamic_cast<NQCASystemDevicesAvailableControllerInputSubscriber*>(sender) != nullptr))
    return;
  mInputsSubscribers->addObject(sender);
  if (mInputsSubscriberNotifyOnce) {
    mInputsSubscriberNotifyOnce = false;
    notifyAvailableDevicesChangedFromMainQueueOnly();
  }
}

void NQCASystemDevicesAvailableController::actionUnsubscribeToAvailableDeviceChanges(NSObject* sender) {
  mInputsSubscribers->removeObject(sender);
  mOutputsSubscribers->removeObject(sender);
}

NSString* NQCASystemDevicesAvailableController::inputDeviceNameWithDeviceID(AudioObjectID deviceID) const {
  return audioDeviceNameFromAudioDeviceID_isInputDevice(deviceID, true);
}

NSString* NQCASystemDevicesAvailableController::outputDeviceNameWithDeviceID(AudioObjectID deviceID) const {
  return audioDeviceNameFromAudioDeviceID_isInputDevice(deviceID, false);
}

NSUInteger NQCASystemDevicesAvailableController::indexOfInputDeviceID(AudioObjectID deviceID) const {
  return IndexOfDeviceID(availableInputDevices(), deviceID);
}

NSUInteger NQCASystemDevicesAvailableController::indexOfOutputDeviceID(AudioObjectID deviceID) const {
  return IndexOfDeviceID(availableOutputDevices(), deviceID);
}

bool NQCASystemDevicesAvailableController::isValidInputDeviceID(AudioObjectID deviceID) const {
  const NSUInteger index = indexOfInputDeviceID(deviceID);
  return index != NSUInteger(NSNotFound) && index < availableInputDevices()->count();
}

bool NQCASystemDevicesAvailableController::isValidOutputDeviceID(AudioObjectID deviceID) const {
  const NSUInteger index = indexOfOutputDeviceID(deviceID);
  return index != NSUInteger(NSNotFound) && index < availableOutputDevices()->count();
}

AudioObjectID NQCASystemDevicesAvailableController::inputDeviceIDWithIndex(NSUInteger index) const {
  NSArray* devices = availableInputDevices();
  if (!devices || index >= devices->count()) return kAudioObjectUnknown;
  return static_cast<NSNumber*>(devices->objectAtIndex(index))->unsignedIntValue();
}

AudioObjectID NQCASystemDevicesAvailableController::outputDeviceIDWithIndex(
    NSUInteger indexOfAudioDeviceID) const {
  NSArray* devices = availableOutputDevices();
  if (!devices || !REQUIREMENT(indexOfAudioDeviceID < devices->count())) return kAudioObjectUnknown;
  return static_cast<NSNumber*>(devices->objectAtIndex(indexOfAudioDeviceID))->unsignedIntValue();
}

AudioObjectID NQCASystemDevicesAvailableController::defaultOutputDeviceIDFromDevicePresetName(
    NSString* name) const {
  return DeviceIDWithName(availableOutputDevices(), name);
}

AudioObjectID NQCASystemDevicesAvailableController::inputDeviceIDFromDevicePresetName(NSString* name) const {
  return DeviceIDWithName(availableInputDevices(), name);
}
