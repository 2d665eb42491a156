#pragma once
// A selection of one device by its UID, for table bindings: the UID stays selected while the
// device comes and goes, and its id, name and properties follow the device list.
#include <Foundation/NSIndexSet.h>

#include "NQCoreAudioHALOutputDeviceList.h"

class NQCoreAudioHALOutputDeviceController : public NQCoreAudioHALOutputDeviceList {
  OBJC_CLASS_DECL(NQCoreAudioHALOutputDeviceController, NQCoreAudioHALOutputDeviceList)

 public:
  NSString* selectedAudioDeviceUUID();
  void setSelectedAudioDeviceUUID(NSString* uid);
  AudioObjectID selectedAudioDeviceID();
  void setSelectedAudioDeviceID(AudioObjectID deviceID);
  NSString* selectedAudioDeviceName();
  // Always raises NSInvalidArgumentException: the name follows the selection.
  [[noreturn]] void setSelectedAudioDeviceName(NSString* name);
  NSArray* selectedAudioDeviceProperties();
  NSIndexSet* selectionIndexes();
  void setSelectionIndexes(NSIndexSet* indexes);
  void availableDevicesChangedSelf() override;

 private:
  RefPtr<NSString> mSelectedDeviceUUID;
};
