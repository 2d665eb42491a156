#pragma once
// The selection of one device of one side (input or output) for the play-through: the list
// of that side's devices, kept from the available-devices controller; the selected device,
// which falls back to the system's default device of the side when it leaves the list; a
// watch on the selected device's stream formats; and a delegate told of every change.
// Everything is bound to the device panels, so every change is announced for the keys that
// depend on it. Main thread only.
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSValue.h>
#include <objc/WeakPtr.h>

#include "NQCADeviceConfigurationListener.h"
#include "NQCASystemDeviceControllerDelegate.h"
#include "NQCASystemDevicesAvailableController.h"

class NQCASystemDeviceControllerBase : public NSObject,
                                       public NQCASystemDevicesAvailableControllerInputSubscriber,
                                       public NQCASystemDevicesAvailableControllerOutputSubscriber {
  OBJC_CLASS_DECL(NQCASystemDeviceControllerBase, NSObject)

 public:
  NSObject* init() override;
  void awakeFromNib() override;

  NQCASystemDevicesAvailableController* systemDevicesAvailableController() const;
  void setOutletSystemDevicesAvailableController(NQCASystemDevicesAvailableController* controller);
  NSObject* delegate() const;
  void setDelegate(NSObject* delegate);

  void setShowInputDevices(NSNumber* showInputDevices);
  NSNumber* showInputDevices() const;
  bool showsInputDevices() const { return mShowInputDevices; }

  AudioDeviceID selectedDeviceID() const { return mSystemDeviceSelected; }
  void setSelectedDeviceID(AudioDeviceID deviceID);
  void resetSelectedDeviceID(AudioDeviceID deviceID);
  void resetSelectedDeviceIDWithoutChangingSelection();

  void availableDevicesChangedNotification(NSObject* ignored);
  void systemDevicesAvailableController_changedInputDevices(NQCASystemDevicesAvailableController* controller,
                                                            NSArray* inputDevices) override;
  void systemDevicesAvailableController_changedOutputDevices(NQCASystemDevicesAvailableController* controller,
                                                             NSArray* outputDevices) override;
  NSArray* enumerateCurrentAvailableDeviceObjects() const;
  void reestablishSubscriptionToAvailableSystemDevicesControllerNow();
  void reestablishSubscriptionToAvailableSystemDevicesControllerAsync_resetSelectedDevice(
      bool async, bool resetSelectedDevice);
  void startListeningToConfigurationChangesForDeviceID(AudioDeviceID deviceID);
  void selectedDeviceConfigurationChanged(AudioDeviceID deviceID);

  NSArray* availableDeviceObjects() const { return mAvailableDeviceObjects.get(); }
  // The position of the device in the list; the number of devices when it is not listed.
  NSUInteger indexOfAudioDeviceID(AudioDeviceID deviceID) const;
  AudioDeviceID audioDeviceIDWithIndex(NSUInteger indexOfAudioDeviceID) const;
  // Nil without devices; the first device for one that is not listed.
  NQCoreAudioHALOutputDevice* deviceObjectWithAudioDeviceID(AudioDeviceID deviceID) const;
  NQCoreAudioHALOutputDevice* selectedDeviceObject() const;
  void setSelectedDeviceObject(NSObject* device);
  NSUInteger selectedDeviceIndex() const;
  void setSelectedDeviceIndex(NSUInteger index);
  NSIndexSet* selectionIndexes() const;
  void setSelectionIndexes(NSIndexSet* indexes);
  NSString* selectedDeviceName() const;
  // Always raises NSInvalidArgumentException: the name follows the selection.
  [[noreturn]] void setSelectedAudioDeviceName(NSString* name);
  NSArray* availableDeviceNames() const;

  bool showPropertiesNotFound() const { return mShowPropertiesNotFound; }
  void setShowPropertiesNotFound(bool show);
  NSArray* selectedDeviceProperties() const;
  NSArray* selectedDeviceOwnedObjects() const;
  NSArray* selectedObjectProperties() const;
  NSUInteger selectedObject() const { return mSelectedObject; }
  NSIndexSet* selectedObjectIndex() const { return mSelectedObjectIndexSet.get(); }
  void setSelectedObjectIndex(NSIndexSet* indexes);

  NSString* description() const;
  const __CFString* copyDescription() const override;
  void notificationOfDataSourceChanged_dataSourceID(NSObject* object, UInt32 dataSourceID);

 protected:
  ~NQCASystemDeviceControllerBase() override;

 private:
  NQCASystemDeviceControllerDelegate* delegateInterface(RefPtr<NSObject>& holder) const;

  WeakPtr<NQCASystemDevicesAvailableController> mOutletSystemDevicesAvailableController;
  bool mfObjectInitialized = false;
  AudioDeviceID mSystemDeviceSelected = kAudioObjectUnknown;
  bool mShowInputDevices = false;
  NQCADeviceConfigurationListener mSystemDeviceSelectedListener;
  WeakPtr<NSObject> mDelegate;
  RefPtr<NSArray> mAvailableDeviceObjects;
  bool mShowPropertiesNotFound = false;
  RefPtr<NSIndexSet> mSelectedObjectIndexSet;
  NSUInteger mSelectedObject = 0;
};
