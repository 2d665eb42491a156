#include "NQCoreAudioHALOutputDeviceList.h"

#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>
#include <URequirements.h>
#include <dispatch/dispatch.h>
#include <objc/ClassLock.h>
#include <objc/MethodTable.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include "NQCoreAudioProperties.h"

NSString* const NQCoreAudioHALOutputDeviceList_ChangeNotification =
    NSSTR("NQCoreAudioHALOutputDeviceList_ChangeNotification");

OBJC_CLASS_DEFINE(NQCoreAudioHALOutputDeviceList)
OBJC_METHODS(NQCoreAudioHALOutputDeviceList,
             OBJC_METHOD("_availableDevicesChangedNotification:",
                         &NQCoreAudioHALOutputDeviceList::_availableDevicesChangedNotification))

namespace {

// The cache, read and replaced inside the class's monitor.
NSArray* sCachedDevices = nullptr;

NSString* const kListKeys[] = {NSSTR("HALOutputDeviceProperties"), NSSTR("HALOutputDeviceUUIDS"),
                               NSSTR("HALOutputDeviceNames"),      NSSTR("availableInputDevices"),
                               NSSTR("availableOutputDevices"),    NSSTR("availableInputDeviceNames"),
                               NSSTR("availableOutputDeviceNames")};

OSStatus sAudioHardwarePropertyListener(AudioHardwarePropertyID inPropertyID, void*) {
  NSLog(NSSTR("sAudioHardwarePropertyListener inPropertyID=%08lx\n"), (unsigned long)inPropertyID);
  if (inPropertyID != kAudioHardwarePropertyDevices) return noErr;
  NQCoreAudioHALOutputDeviceList::updateCachedHALOutputDevicePropertiesDictionary();
  dispatch_async(dispatch_get_main_queue(), [] {
    NSNotificationCenter::defaultCenter()->postNotificationName_object_userInfo(
        NQCoreAudioHALOutputDeviceList_ChangeNotification, nullptr, NSDictionary::dictionary());
  });
  return noErr;
}

void RemoveHardwareListener() {
  AudioHardwareRemovePropertyListener(kAudioObjectPropertySelectorWildcard, sAudioHardwarePropertyListener);
}

}  // namespace

void NQCoreAudioHALOutputDeviceList::initializeClassOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    const OSStatus addPropertyListenerStatus = AudioHardwareAddPropertyListener(
        kAudioObjectPropertySelectorWildcard, sAudioHardwarePropertyListener, nullptr);
    REQUIRED_COREAUDIO(addPropertyListenerStatus);
    atexit(RemoveHardwareListener);
  });
}

NSArray* NQCoreAudioHALOutputDeviceList::globalHardwarePropertyDeviceIDs() {
  std::vector<UInt32> ids;
  const OSStatus status = NQCoreAudio::ObjectGetScopedPropertyVector(
      kAudioObjectSystemObject, kAudioHardwarePropertyDevices, kAudioObjectPropertyScopeGlobal, ids);
  NSMutableArray* numbers = NSMutableArray::array();
  if (status != noErr || !REQUIREMENT(ids.size() > 0)) return numbers;
  for (UInt32 id : ids) numbers->addObject(NSNumber::numberWithUnsignedInt(id));
  return numbers;
}

NSArray* NQCoreAudioHALOutputDeviceList::newHALOutputDevices() {
  NSMutableArray* devices = NSMutableArray::array();
  NSMutableArray* uids = NSMutableArray::array();
  NSArray* ids = globalHardwarePropertyDeviceIDs();
  REQUIREMENT(ids->count() > 0);
  for (NSObject* number : *ids) {
    auto* device = NQCoreAudioHALOutputDevice::outputDeviceWithAudioDeviceID(
        static_cast<NSNumber*>(number)->unsignedIntValue());
    NSString* uid = device->audioDeviceUUID();
    if (!uid || uid->length() == 0 || uids->containsObject(uid)) continue;
    uids->addObject(uid);
    devices->addObject(device);
  }
  return devices->copy();
}

NSArray* NQCoreAudioHALOutputDeviceList::cachedHALOutputDevices() {
  OBJC_SYNCHRONIZED(class_()) {
    if (!sCachedDevices) sCachedDevices = newHALOutputDevices();
    return NSArray::arrayWithArray(sCachedDevices);
  }
  return nullptr;
}

NSDictionary* NQCoreAudioHALOutputDeviceList::cachedHALOutputDevicePropertiesDictionary() {
  NSMutableDictionary* dictionary = NSMutableDictionary::dictionary();
  for (NSObject* object : *cachedHALOutputDevices()) {
    auto* device = static_cast<NQCoreAudioHALOutputDevice*>(object);
    dictionary->setObject_forKey(device, device->audioDeviceUUID());
  }
  return dictionary;
}

void NQCoreAudioHALOutputDeviceList::updateCachedHALOutputDevicePropertiesDictionary() {
  objc::AutoreleasePool pool;
  NSArray* devices = newHALOutputDevices();
  OBJC_SYNCHRONIZED(class_()) {
    if (sCachedDevices) objc_release(sCachedDevices);
    sCachedDevices = devices;
  }
}

AudioObjectID NQCoreAudioHALOutputDeviceList::defaultAudioDeviceID() {
  AudioObjectID theDefaultOutputDeviceID = kAudioObjectUnknown;
  NQCoreAudio::ObjectGetGlobalProperty(kAudioObjectSystemObject, kAudioHardwarePropertyDefaultOutputDevice,
                                       theDefaultOutputDeviceID);
  REQUIREMENT(theDefaultOutputDeviceID != kAudioObjectUnknown);
  return theDefaultOutputDeviceID;
}

NSString* NQCoreAudioHALOutputDeviceList::defaultAudioDeviceName() {
  return NQCoreAudioHALOutputDevice::audioDeviceNameFromAudioDeviceID(defaultAudioDeviceID());
}

NSString* NQCoreAudioHALOutputDeviceList::defaultAudioDeviceUUID() {
  return NQCoreAudioHALOutputDevice::audioDeviceUUIDFromAudioDeviceID(defaultAudioDeviceID());
}

bool NQCoreAudioHALOutputDeviceList::isValidInputDeviceID(AudioObjectID deviceID) {
  return NQCoreAudioHALOutputDevice::isValidInputDeviceID(deviceID);
}

bool NQCoreAudioHALOutputDeviceList::isValidOutputDeviceID(AudioObjectID deviceID) {
  return NQCoreAudioHALOutputDevice::isValidOutputDeviceID(deviceID);
}

NSObject* NQCoreAudioHALOutputDeviceList::init() {
  initializeClassOnce();
  mCachedHALOutputs = RefPtr<NSArray>(cachedHALOutputDevices());
  updateHALOutputDeviceNamesAndUUIDS();
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("_availableDevicesChangedNotification:"),
      NQCoreAudioHALOutputDeviceList_ChangeNotification, nullptr);
  return this;
}

NQCoreAudioHALOutputDeviceList::~NQCoreAudioHALOutputDeviceList() {
  NSNotificationCenter::defaultCenter()->removeObserver(this);
}

void NQCoreAudioHALOutputDeviceList::awakeFromNib() { availableDevicesChangedSelf(); }

void NQCoreAudioHALOutputDeviceList::_availableDevicesChangedNotification(NSNotification*) {
  availableDevicesChangedSelf();
}

void NQCoreAudioHALOutputDeviceList::availableDevicesChangedSelf() {
  for (NSString* key : kListKeys) willChangeValueForKey(key);
  mCachedHALOutputs = RefPtr<NSArray>(cachedHALOutputDevices());
  updateHALOutputDeviceNamesAndUUIDS();
  for (auto key = std::rbegin(kListKeys); key != std::rend(kListKeys); ++key) didChangeValueForKey(*key);
}

NSArray* NQCoreAudioHALOutputDeviceList::HALOutputDeviceProperties() const {
  return mCachedHALOutputs ? mCachedHALOutputs.get() : cachedHALOutputDevices();
}

void NQCoreAudioHALOutputDeviceList::updateHALOutputDeviceNamesAndUUIDS() {
  NSMutableArray* names = NSMutableArray::array();
  NSMutableArray* uids = NSMutableArray::array();
  NSMutableArray* inputIDs = NSMutableArray::array();
  NSMutableArray* inputNames = NSMutableArray::array();
  NSMutableArray* outputIDs = NSMutableArray::array();
  NSMutableArray* outputNames = NSMutableArray::array();
  for (NSObject* object : *HALOutputDeviceProperties()) {
    auto* device = static_cast<NQCoreAudioHALOutputDevice*>(object);
    const AudioObjectID deviceID = device->audioDeviceID();
    if (NSString* name = device->audioDeviceName()) names->addObject(name);
    if (NSString* uid = device->audioDeviceUUID()) uids->addObject(uid);
    if (device->hasAvailableInputs()) {
      inputIDs->addObject(NSNumber::numberWithUnsignedInt(deviceID));
      inputNames->addObject(_uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(deviceID, true));
    }
    if (device->hasAvailableOutputs()) {
      outputIDs->addObject(NSNumber::numberWithUnsignedInt(deviceID));
      outputNames->addObject(_uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(deviceID, false));
    }
  }
  mHALOutputDeviceNames = adopt(names->copy());
  mHALOutputDeviceUUIDS = adopt(uids->copy());
  mAvailableInputDevices = adopt(inputIDs->copy());
  mAvailableInputDeviceNames = adopt(inputNames->copy());
  mAvailableOutputDevices = adopt(outputIDs->copy());
  mAvailableOutputDeviceNames = adopt(outputNames->copy());
}

NSArray* NQCoreAudioHALOutputDeviceList::availableInputDeviceObjects() const {
  NSMutableArray* devices = NSMutableArray::array();
  for (NSObject* object : *HALOutputDeviceProperties())
    if (static_cast<NQCoreAudioHALOutputDevice*>(object)->hasAvailableInputs()) devices->addObject(object);
  return devices;
}

NSArray* NQCoreAudioHALOutputDeviceList::availableOutputDeviceObjects() const {
  NSMutableArray* devices = NSMutableArray::array();
  for (NSObject* object : *HALOutputDeviceProperties())
    if (static_cast<NQCoreAudioHALOutputDevice*>(object)->hasAvailableOutputs()) devices->addObject(object);
  return devices;
}

NSString* NQCoreAudioHALOutputDeviceList::audioDeviceNameFromAudioDeviceID_isInputDevice(
    AudioObjectID deviceID, bool) const {
  if (deviceID == kAudioObjectUnknown) return NSSTR("kAudioObjectUnknown");
  return NQCoreAudioHALOutputDevice::audioDeviceNameFromAudioDeviceID(deviceID);
}

NSString* NQCoreAudioHALOutputDeviceList::_uniqueAudioDeviceNameFromAudioDeviceID_isInputDevice(
    AudioObjectID deviceID, bool isInput) const {
  if (deviceID == kAudioObjectUnknown) return NSSTR("kAudioObjectUnknown");
  return NSString::stringWithFormat(NSSTR("%@ [%@:%02X]"),
                                    NQCoreAudioHALOutputDevice::audioDeviceNameFromAudioDeviceID(deviceID),
                                    isInput ? NSSTR("IN") : NSSTR("OUT"), unsigned(deviceID));
}

NSString* NQCoreAudioHALOutputDeviceList::nameOfDeviceWithUUID(NSString* uid) const {
  for (NSObject* object : *HALOutputDeviceProperties()) {
    auto* device = static_cast<NQCoreAudioHALOutputDevice*>(object);
    if (uid && device->audioDeviceUUID() && device->audioDeviceUUID()->isEqualToString(uid))
      return device->audioDeviceName();
  }
  return NSSTR("");
}

NQCoreAudioHALOutputDevice* NQCoreAudioHALOutputDeviceList::cachedDeviceWithID(AudioObjectID deviceID) const {
  for (NSObject* object : *HALOutputDeviceProperties()) {
    auto* device = static_cast<NQCoreAudioHALOutputDevice*>(object);
    if (device->audioDeviceID() == deviceID) return device;
  }
  return nullptr;
}
