#pragma once
// The device lists that the device selection controllers subscribe to: every change of the
// device list is posted as "NQCASystemDevicesAvailableController_ChangeNotification" and
// told to the subscribers of each side, from the main queue.
#include <Foundation/NSSet.h>
#include <Foundation/NSValue.h>

#include "NQCoreAudioHALOutputDeviceList.h"

extern NSString* const NQCASystemDevicesAvailableController_ChangeNotification;

class NQCASystemDevicesAvailableController;

// What a subscriber answers (the optional messages of a subscriber, as an interface).
class NQCASystemDevicesAvailableControllerInputSubscriber {
 public:
  virtual void systemDevicesAvailableController_changedInputDevices(
      NQCASystemDevicesAvailableController* controller, NSArray* inputDevices) = 0;

 protected:
  ~NQCASystemDevicesAvailableControllerInputSubscriber() = default;
};
class NQCASystemDevicesAvailableControllerOutputSubscriber {
 public:
  virtual void systemDevicesAvailableController_changedOutputDevices(
      NQCASystemDevicesAvailableController* controller, NSArray* outputDevices) = 0;

 protected:
  ~NQCASystemDevicesAvailableControllerOutputSubscriber() = default;
};

class NQCASystemDevicesAvailableController : public NQCoreAudioHALOutputDeviceList {
  OBJC_CLASS_DECL(NQCASystemDevicesAvailableController, NQCoreAudioHALOutputDeviceList)

 public:
  static void _applicationDidFinishStartup(NSNotification* notification);
  static void availableDevicesConstructClass();
  static void postAvailableDevicesChangedNotification();

  NSObject* init() override;
  void awakeFromNib() override;
  void availableDevicesChangedSelf() override;
  void notifyAvailableDevicesChangedFromMainQueueOnly();
  void availableDevicesChangedNotification(NSObject* ignored);

  void actionSubscribeToAvailableOutputDeviceChanges(NSObject* sender);
  void actionSubscribeToAvailableInputDeviceChanges(NSObject* sender);
  void actionUnsubscribeToAvailableDeviceChanges(NSObject* sender);

  NSString* inputDeviceNameWithDeviceID(AudioObjectID deviceID) const;
  NSString* outputDeviceNameWithDeviceID(AudioObjectID deviceID) const;
  NSUInteger indexOfInputDeviceID(AudioObjectID deviceID) const;
  NSUInteger indexOfOutputDeviceID(AudioObjectID deviceID) const;
  bool isValidInputDeviceID(AudioObjectID deviceID) const;
  bool isValidOutputDeviceID(AudioObjectID deviceID) const;
  AudioObjectID inputDeviceIDWithIndex(NSUInteger index) const;
  AudioObjectID outputDeviceIDWithIndex(NSUInteger index) const;
  // The first output device whose name is exactly the name; 0 when none.
  AudioObjectID defaultOutputDeviceIDFromDevicePresetName(NSString* name) const;
  // The same among the input devices, for a saved input device name.
  AudioObjectID inputDeviceIDFromDevicePresetName(NSString* name) const;

  void setAwakeFromNibNotifyOnce(bool value) { mAwakeFromNibNotifyOnce = value; }
  void setInputsSubscriberNotifyOnce(bool value) { mInputsSubscriberNotifyOnce = value; }
  void setOutputsSubscriberNotifyOnce(bool value) { mOutputsSubscriberNotifyOnce = value; }

 protected:
  ~NQCASystemDevicesAvailableController() override;

 private:
  RefPtr<NSMutableSet> mInputsSubscribers;
  RefPtr<NSMutableSet> mOutputsSubscribers;
  bool mAwakeFromNibNotifyOnce = false;
  bool mInputsSubscriberNotifyOnce = false;
  bool mOutputsSubscriberNotifyOnce = false;
};
