#include "NQCASystemDeviceControllerBase.h"

#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>
#include <URequirements.h>
#include <dispatch/dispatch.h>
#include <objc/MethodTable.h>

#include "NQCASystemDeviceDescription.h"
#include "NQCoreAudioProperties.h"

using Self = NQCASystemDeviceControllerBase;

OBJC_CLASS_DEFINE(NQCASystemDeviceControllerBase)
OBJC_METHODS(NQCASystemDeviceControllerBase,
             OBJC_METHOD("availableDevicesChangedNotification:", &Self::availableDevicesChangedNotification))
NS_PROPERTIES(
    NQCASystemDeviceControllerBase,
    NS_PROPERTY("outletSystemDevicesAvailableController", &Self::systemDevicesAvailableController,
                &Self::setOutletSystemDevicesAvailableController),
    NS_PROPERTY("delegate", &Self::delegate, &Self::setDelegate),
    NS_PROPERTY("showInputDevices", &Self::showInputDevices, &Self::setShowInputDevices),
    NS_PROPERTY("selectedDeviceID", &Self::selectedDeviceID, &Self::setSelectedDeviceID),
    NS_READONLY_PROPERTY("availableDeviceObjects", &Self::availableDeviceObjects),
    NS_READONLY_PROPERTY("availableDeviceNames", &Self::availableDeviceNames),
    NS_PROPERTY("selectedDeviceObject", &Self::selectedDeviceObject, &Self::setSelectedDeviceObject),
    NS_PROPERTY("selectedDeviceIndex", &Self::selectedDeviceIndex, &Self::setSelectedDeviceIndex),
    NS_PROPERTY("selectionIndexes", &Self::selectionIndexes, &Self::setSelectionIndexes),
    NS_PROPERTY("selectedDeviceName", &Self::selectedDeviceName, &Self::setSelectedAudioDeviceName),
    NS_READONLY_PROPERTY("selectedDeviceOwnedObjects", &Self::selectedDeviceOwnedObjects),
    NS_READONLY_PROPERTY("selectedDeviceProperties", &Self::selectedDeviceProperties),
    NS_READONLY_PROPERTY("selectedObjectProperties", &Self::selectedObjectProperties),
    NS_PROPERTY("showPropertiesNotFound", &Self::showPropertiesNotFound, &Self::setShowPropertiesNotFound),
    NS_PROPERTY("selectedObjectIndexSet", &Self::selectedObjectIndex, &Self::setSelectedObjectIndex),
    NS_PROPERTY("selectedObjectIndex", &Self::selectedObjectIndex, &Self::setSelectedObjectIndex))
NS_DEPENDENT_KEYS(NQCASystemDeviceControllerBase, "selectedDeviceName",
                  {"selectedDeviceIndex", "availableDeviceObjects", "selectedDeviceObject",
                   "selectedDeviceID"})
NS_DEPENDENT_KEYS(NQCASystemDeviceControllerBase, "selectedDeviceOutputStreams",
                  {"selectedDeviceIndex", "availableDeviceObjects", "selectedDeviceObject",
                   "selectedDeviceID", "selectedDeviceName"})
NS_DEPENDENT_KEYS(NQCASystemDeviceControllerBase, "selectedDeviceProperties",
                  {"selectedDeviceIndex", "showPropertiesNotFound"})
NS_DEPENDENT_KEYS(NQCASystemDeviceControllerBase, "selectedObjectProperties",
                  {"selectedDeviceIndex", "showPropertiesNotFound", "selectedObjectIndexSet",
                   "selectedObjectIndex", "selectedObject"})

namespace {

NSString* const kDeviceListKeys[] = {NSSTR("availableDeviceObjects"),     NSSTR("availableDeviceNames"),
                                     NSSTR("selectedDeviceObject"),       NSSTR("selectedDeviceIndex"),
                                     NSSTR("selectedDeviceName"),         NSSTR("selectedDeviceOwnedObjects"),
                                     NSSTR("selectedDeviceAudioStreams"), NSSTR("selectedDeviceProperties"),
                                     NSSTR("selectedObjectProperties"),   NSSTR("showPropertiesNotFound"),
                                     NSSTR("selectedObjectIndexSet")};

NSString* const kSelectionKeys[] = {NSSTR("selectedDeviceObject"),       NSSTR("selectedDeviceName"),
                                    NSSTR("selectedDeviceOwnedObjects"), NSSTR("selectedDeviceAudioStreams"),
                                    NSSTR("selectedDeviceProperties"),   NSSTR("selectedObjectProperties"),
                                    NSSTR("selectedObjectIndexSet"),     NSSTR("showPropertiesNotFound")};

template <class Keys, class Change>
void Announce(NSObject* object, const Keys& keys, Change change) {
  for (NSString* key : keys) object->willChangeValueForKey(key);
  change();
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) object->didChangeValueForKey(*key);
}

}  // namespace

NSObject* NQCASystemDeviceControllerBase::init() {
  mAvailableDeviceObjects = RefPtr<NSArray>(NSArray::array());
  return super::init();
}

NQCASystemDeviceControllerBase::~NQCASystemDeviceControllerBase() = default;

void NQCASystemDeviceControllerBase::awakeFromNib() {
  reestablishSubscriptionToAvailableSystemDevicesControllerNow();
}

NQCASystemDevicesAvailableController* NQCASystemDeviceControllerBase::systemDevicesAvailableController()
    const {
  return mOutletSystemDevicesAvailableController.get().get();
}

void NQCASystemDeviceControllerBase::setOutletSystemDevicesAvailableController(
    NQCASystemDevicesAvailableController* controller) {
  mOutletSystemDevicesAvailableController = controller;
}

NSObject* NQCASystemDeviceControllerBase::delegate() const { return mDelegate.get().get(); }

void NQCASystemDeviceControllerBase::setDelegate(NSObject* delegate) { mDelegate = delegate; }

NQCASystemDeviceControllerDelegate* NQCASystemDeviceControllerBase::delegateInterface(
    RefPtr<NSObject>& holder) const {
  holder = mDelegate.get();
  return dynamic_cast<NQCASystemDeviceControllerDelegate*>(holder.get());
}

void NQCASystemDeviceControllerBase::setShowInputDevices(NSNumber* showInputDevices) {
  mShowInputDevices = showInputDevices && showInputDevices->boolValue();
  if (mfObjectInitialized) {
    mfObjectInitialized = false;
    reestablishSubscriptionToAvailableSystemDevicesControllerAsync_resetSelectedDevice(true, true);
  }
  availableDevicesChangedNotification(nullptr);
  setSelectedDeviceIndex(0);
}

NSNumber* NQCASystemDeviceControllerBase::showInputDevices() const {
  return NSNumber::numberWithBool(mShowInputDevices);
}

void NQCASystemDeviceControllerBase::setSelectedDeviceID(AudioDeviceID deviceID) {
  if (deviceID == mSystemDeviceSelected) return;
  resetSelectedDeviceID(deviceID);
}

void NQCASystemDeviceControllerBase::resetSelectedDeviceID(AudioDeviceID deviceID) {
  Announce(this, kSelectionKeys, [&] { mSystemDeviceSelected = deviceID; });
  startListeningToConfigurationChangesForDeviceID(deviceID);
  RefPtr<NSObject> holder;
  if (auto* told = delegateInterface(holder)) told->systemDeviceControllerSelectedDeviceChanged(this);
}

void NQCASystemDeviceControllerBase::resetSelectedDeviceIDWithoutChangingSelection() {
  resetSelectedDeviceID(mSystemDeviceSelected);
}

void NQCASystemDeviceControllerBase::availableDevicesChangedNotification(NSObject*) {
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  Announce(this, kDeviceListKeys, [&] {
    mfObjectInitialized = true;
    const bool listed =
        available && (mShowInputDevices ? available->isValidInputDeviceID(mSystemDeviceSelected)
                                        : available->isValidOutputDeviceID(mSystemDeviceSelected));
    if (!listed)
      setSelectedDeviceID(mShowInputDevices ? NQCoreAudio::GetDefaultInputDevice()
                                            : NQCoreAudio::GetDefaultOutputDevice());
    mAvailableDeviceObjects = RefPtr<NSArray>(enumerateCurrentAvailableDeviceObjects());
  });
  if (!selectedDeviceObject()) {
    if (mAvailableDeviceObjects->count() > 0)
      setSelectedDeviceObject(mAvailableDeviceObjects->objectAtIndex(0));
    mSelectedObject = 0;
  }
  // Only a change of the selection asks for a rebuild; the list alone is news.
  RefPtr<NSObject> holder;
  if (auto* told = delegateInterface(holder)) told->systemDeviceControllerAvailableDevicesChanged(this);
}

void NQCASystemDeviceControllerBase::systemDevicesAvailableController_changedInputDevices(
    NQCASystemDevicesAvailableController*, NSArray*) {
  availableDevicesChangedNotification(nullptr);
}

void NQCASystemDeviceControllerBase::systemDevicesAvailableController_changedOutputDevices(
    NQCASystemDevicesAvailableController*, NSArray*) {
  availableDevicesChangedNotification(nullptr);
}

NSArray* NQCASystemDeviceControllerBase::enumerateCurrentAvailableDeviceObjects() const {
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  NSArray* devices = nullptr;
  if (available)
    devices = mShowInputDevices ? available->availableInputDeviceObjects()
                                : available->availableOutputDeviceObjects();
  return devices && devices->count() > 0 ? devices : NSArray::array();
}

void NQCASystemDeviceControllerBase::reestablishSubscriptionToAvailableSystemDevicesControllerNow() {
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  if (!available) return;
  available->actionUnsubscribeToAvailableDeviceChanges(this);
  if (mShowInputDevices)
    available->actionSubscribeToAvailableInputDeviceChanges(this);
  else
    available->actionSubscribeToAvailableOutputDeviceChanges(this);
}

void NQCASystemDeviceControllerBase::
    reestablishSubscriptionToAvailableSystemDevicesControllerAsync_resetSelectedDevice(
        bool async, bool resetSelectedDevice) {
  auto reestablish = [](NQCASystemDeviceControllerBase* self, bool reset) {
    self->reestablishSubscriptionToAvailableSystemDevicesControllerNow();
    if (reset) self->resetSelectedDeviceIDWithoutChangingSelection();
  };
  if (!async) {
    reestablish(this, resetSelectedDevice);
    return;
  }
  WeakPtr<NQCASystemDeviceControllerBase> weakSelf(this);
  dispatch_async(dispatch_get_main_queue(), [weakSelf, reestablish, resetSelectedDevice] {
    if (RefPtr<NQCASystemDeviceControllerBase> self = weakSelf.get())
      reestablish(self.get(), resetSelectedDevice);
  });
}

void NQCASystemDeviceControllerBase::startListeningToConfigurationChangesForDeviceID(AudioDeviceID deviceID) {
  // A selection of no device watches nothing, not the device selected before.
  mSystemDeviceSelectedListener.EndListeningIfListening();
  if (deviceID == kAudioObjectUnknown) return;
  WeakPtr<NQCASystemDeviceControllerBase> weakSelf(this);
  mSystemDeviceSelectedListener.BeginListening(
      deviceID, mShowInputDevices ? kAudioObjectPropertyScopeInput : kAudioObjectPropertyScopeOutput,
      [weakSelf](AudioDeviceID changedDeviceID) {
        dispatch_async(dispatch_get_main_queue(), [weakSelf, changedDeviceID] {
          if (RefPtr<NQCASystemDeviceControllerBase> self = weakSelf.get())
            self->selectedDeviceConfigurationChanged(changedDeviceID);
        });
      });
}

void NQCASystemDeviceControllerBase::selectedDeviceConfigurationChanged(AudioDeviceID deviceID) {
  RefPtr<NSObject> holder;
  if (auto* told = delegateInterface(holder))
    told->systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(this, deviceID);
}

NSUInteger NQCASystemDeviceControllerBase::indexOfAudioDeviceID(AudioDeviceID deviceID) const {
  const NSUInteger count = mAvailableDeviceObjects->count();
  for (NSUInteger i = 0; i < count; ++i) {
    auto* device = dynamic_cast<NQCoreAudioHALOutputDevice*>(mAvailableDeviceObjects->objectAtIndex(i));
    if (device && device->audioDeviceID() == deviceID) return i;
  }
  return count;
}

AudioDeviceID NQCASystemDeviceControllerBase::audioDeviceIDWithIndex(NSUInteger indexOfAudioDeviceID) const {
  if (!REQUIREMENT(mAvailableDeviceObjects->count() > indexOfAudioDeviceID)) return kAudioObjectUnknown;
  auto* device =
      dynamic_cast<NQCoreAudioHALOutputDevice*>(mAvailableDeviceObjects->objectAtIndex(indexOfAudioDeviceID));
  return device ? device->audioDeviceID() : kAudioObjectUnknown;
}

NQCoreAudioHALOutputDevice* NQCASystemDeviceControllerBase::deviceObjectWithAudioDeviceID(
    AudioDeviceID deviceID) const {
  const NSUInteger count = mAvailableDeviceObjects->count();
  if (count == 0) return nullptr;
  NSUInteger index = indexOfAudioDeviceID(deviceID);
  if (index >= count) index = 0;
  return dynamic_cast<NQCoreAudioHALOutputDevice*>(mAvailableDeviceObjects->objectAtIndex(index));
}

NQCoreAudioHALOutputDevice* NQCASystemDeviceControllerBase::selectedDeviceObject() const {
  return deviceObjectWithAudioDeviceID(mSystemDeviceSelected);
}

void NQCASystemDeviceControllerBase::setSelectedDeviceObject(NSObject* object) {
  if (auto* device = dynamic_cast<NQCoreAudioHALOutputDevice*>(object))
    setSelectedDeviceID(device->audioDeviceID());
}

NSUInteger NQCASystemDeviceControllerBase::selectedDeviceIndex() const {
  return indexOfAudioDeviceID(mSystemDeviceSelected);
}

void NQCASystemDeviceControllerBase::setSelectedDeviceIndex(NSUInteger index) {
  setSelectedDeviceID(audioDeviceIDWithIndex(index));
}

NSIndexSet* NQCASystemDeviceControllerBase::selectionIndexes() const {
  return NSIndexSet::indexSetWithIndex(selectedDeviceIndex());
}

void NQCASystemDeviceControllerBase::setSelectionIndexes(NSIndexSet* indexes) {
  const NSUInteger indexOfSelectedDeviceID = indexes ? indexes->firstIndex() : NSUInteger(NSNotFound);
  if (!REQUIREMENT(indexOfSelectedDeviceID != NSUInteger(NSNotFound))) {
    setSelectedDeviceID(kAudioObjectUnknown);
    return;
  }
  setSelectedDeviceID(audioDeviceIDWithIndex(indexOfSelectedDeviceID));
}

NSString* NQCASystemDeviceControllerBase::selectedDeviceName() const {
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  return available ? available->audioDeviceNameFromAudioDeviceID_isInputDevice(mSystemDeviceSelected,
                                                                               mShowInputDevices)
                   : nullptr;
}

void NQCASystemDeviceControllerBase::setSelectedAudioDeviceName(NSString*) {
  NSException::raise_format(NSInvalidArgumentException, NSSTR("setSelectedAudioDeviceName: not allowed"));
}

NSArray* NQCASystemDeviceControllerBase::availableDeviceNames() const {
  NSMutableArray* names = NSMutableArray::array();
  for (NSObject* object : *mAvailableDeviceObjects)
    if (auto* device = dynamic_cast<NQCoreAudioHALOutputDevice*>(object))
      names->addObject(device->uniqueAudioDeviceName());
  return names;
}

void NQCASystemDeviceControllerBase::setShowPropertiesNotFound(bool show) { mShowPropertiesNotFound = show; }

NSArray* NQCASystemDeviceControllerBase::selectedDeviceProperties() const {
  return NQCASystemDeviceDescription::devicePropertiesForDeviceID_includeAll(mSystemDeviceSelected,
                                                                             mShowPropertiesNotFound);
}

NSArray* NQCASystemDeviceControllerBase::selectedDeviceOwnedObjects() const {
  return NQCASystemDeviceDescription::deviceOwnedObjectsForDeviceID(mSystemDeviceSelected);
}

NSArray* NQCASystemDeviceControllerBase::selectedObjectProperties() const {
  return NQCASystemDeviceDescription::propertiesForAudioObjectID_includeAll(
      NQCASystemDeviceDescription::device_ownedObjectAtIndex(mSystemDeviceSelected, mSelectedObject),
      mShowPropertiesNotFound);
}

void NQCASystemDeviceControllerBase::setSelectedObjectIndex(NSIndexSet* indexes) {
  willChangeValueForKey(NSSTR("selectedObjectProperties"));
  mSelectedObject = indexes && indexes->count() ? indexes->firstIndex() : 0;
  mSelectedObjectIndexSet = RefPtr<NSIndexSet>(indexes);
  didChangeValueForKey(NSSTR("selectedObjectProperties"));
}

NSString* NQCASystemDeviceControllerBase::description() const {
  return NSString::stringWithFormat(NSSTR("%@ selectedDeviceName:%@"),
                                    NSString::stringWithUTF8String(class_getName(classObject())),
                                    selectedDeviceName());
}

const __CFString* NQCASystemDeviceControllerBase::copyDescription() const {
  return CFStringCreateCopy(nullptr, bridge_cast<CFStringRef>(description()));
}

void NQCASystemDeviceControllerBase::notificationOfDataSourceChanged_dataSourceID(NSObject*,
                                                                                  UInt32 dataSourceID) {
  if (dataSourceID == FOUR_CHAR_CODE("hdpn"))
    NSLog(NSSTR("Headphones"));
  else if (dataSourceID == FOUR_CHAR_CODE("ispk"))
    NSLog(NSSTR("Internal Speaker"));
  else
    NSLog(NSSTR("data source: %04x"), unsigned(dataSourceID));
}
