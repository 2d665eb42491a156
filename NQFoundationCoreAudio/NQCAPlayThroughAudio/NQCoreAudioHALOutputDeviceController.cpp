#include "NQCoreAudioHALOutputDeviceController.h"

#include <Foundation/NSException.h>
#include <URequirements.h>

#include "NQCoreAudioObjectProperties.h"

OBJC_CLASS_DEFINE(NQCoreAudioHALOutputDeviceController)

namespace {

NSString* const kSelectionKeys[] = {NSSTR("selectedAudioDeviceName"), NSSTR("selectedAudioDeviceID"),
                                    NSSTR("selectedAudioDeviceProperties")};

}  // namespace

NSString* NQCoreAudioHALOutputDeviceController::selectedAudioDeviceUUID() {
  if (!mSelectedDeviceUUID) mSelectedDeviceUUID = RefPtr<NSString>(defaultAudioDeviceUUID());
  return mSelectedDeviceUUID.get();
}

void NQCoreAudioHALOutputDeviceController::setSelectedAudioDeviceUUID(NSString* uid) {
  for (NSString* key : kSelectionKeys) willChangeValueForKey(key);
  mSelectedDeviceUUID = RefPtr<NSString>(uid);
  for (auto key = std::rbegin(kSelectionKeys); key != std::rend(kSelectionKeys); ++key)
    didChangeValueForKey(*key);
}

AudioObjectID NQCoreAudioHALOutputDeviceController::selectedAudioDeviceID() {
  if (mSelectedDeviceUUID) {
    for (NSObject* object : *HALOutputDeviceProperties()) {
      auto* device = static_cast<NQCoreAudioHALOutputDevice*>(object);
      if (!device->audioDeviceUUID() ||
          !device->audioDeviceUUID()->isEqualToString(mSelectedDeviceUUID.get()))
        continue;
      const AudioObjectID selectedAudioDeviceID = device->audioDeviceID();
      if (REQUIREMENT(selectedAudioDeviceID != kAudioObjectUnknown)) return selectedAudioDeviceID;
    }
  }
  return defaultAudioDeviceID();
}

void NQCoreAudioHALOutputDeviceController::setSelectedAudioDeviceID(AudioObjectID selectedAudioDeviceID) {
  if (!REQUIREMENT(selectedAudioDeviceID != kAudioObjectUnknown)) return;
  if (NQCoreAudioHALOutputDevice* device = cachedDeviceWithID(selectedAudioDeviceID))
    setSelectedAudioDeviceUUID(device->audioDeviceUUID());
}

NSString* NQCoreAudioHALOutputDeviceController::selectedAudioDeviceName() {
  return nameOfDeviceWithUUID(mSelectedDeviceUUID.get());
}

void NQCoreAudioHALOutputDeviceController::setSelectedAudioDeviceName(NSString*) {
  NSException::raise_format(NSInvalidArgumentException, NSSTR("setSelectedAudioDeviceName: not allowed"));
}

NSArray* NQCoreAudioHALOutputDeviceController::selectedAudioDeviceProperties() {
  return NQCoreAudio::sObjectAddProperties(
      selectedAudioDeviceID(),
      NQCoreAudio::kObjectPropertiesIncludeMissing | NQCoreAudio::kObjectPropertiesIncludeFailed);
}

NSIndexSet* NQCoreAudioHALOutputDeviceController::selectionIndexes() {
  NSArray* uids = HALOutputDeviceUUIDS();
  NSString* selected = selectedAudioDeviceUUID();
  for (NSUInteger i = 0; uids && selected && i < uids->count(); ++i)
    if (static_cast<NSString*>(uids->objectAtIndex(i))->isEqualToString(selected))
      return NSIndexSet::indexSetWithIndex(i);
  return NSIndexSet::indexSet();
}

void NQCoreAudioHALOutputDeviceController::setSelectionIndexes(NSIndexSet* indexes) {
  NSArray* devicesUUIDS = HALOutputDeviceUUIDS();
  const NSUInteger indexOfSelectedUUID =
      indexes && indexes->count() ? indexes->firstIndex() : NSUInteger(NSNotFound);
  if (!devicesUUIDS || !REQUIREMENT(indexOfSelectedUUID < devicesUUIDS->count())) return;
  setSelectedAudioDeviceUUID(static_cast<NSString*>(devicesUUIDS->objectAtIndex(indexOfSelectedUUID)));
}

void NQCoreAudioHALOutputDeviceController::availableDevicesChangedSelf() {
  for (NSString* key : kSelectionKeys) willChangeValueForKey(key);
  super::availableDevicesChangedSelf();
  for (auto key = std::rbegin(kSelectionKeys); key != std::rend(kSelectionKeys); ++key)
    didChangeValueForKey(*key);
}
