#pragma once
// What the application drives audio play-through with: it builds the play-through for the
// selected input and output devices, starts and stops it, builds it anew when a selection or
// a device's format changes, exposes the output volume, and publishes the input level, the
// varispeed rate and the clock drift to key-value observers ten times a second while it runs.
// Main thread only; the units it hands to the unit controllers are only ever disposed of here.
#include <dispatch/dispatch.h>
#include <objc/WeakPtr.h>

#include "CAPlayThroughHost.h"
#include "NQCASystemDeviceAudioUnitInputController.h"
#include "NQCASystemDeviceAudioUnitOutputController.h"
#include "NQCASystemDeviceControllerBase.h"

class NQCAPlayThroughGraphController : public NSObject, public NQCASystemDeviceControllerDelegate {
  OBJC_CLASS_DECL(NQCAPlayThroughGraphController, NSObject)

 public:
  NSObject* init() override;

  void actionStartPlayThrough(NSObject* sender);
  void actionStopPlayThrough(NSObject* sender);
  void actionStartStop(NSObject* sender);
  void actionResetPlayThrough(NSObject* sender);
  bool playthroughRunningState();
  void setPlaythroughRunningState(bool running);
  bool isPlaythroughRunning();
  bool playThroughExists();
  void playthroughConstructLazy();
  void playthroughStartRunning();
  void playthroughStopRunning();
  void createPlayThroughHost();

  AudioDeviceID selectedInputDeviceID() const;
  AudioDeviceID selectedOutputDeviceID() const;
  NSString* selectedAudioOutputDeviceLocalizedName() const;
  NSString* selectedAudioInputDeviceLocalizedName() const;
  // Keeps the name and selects the device of that name when one is listed, so that a saved
  // name chooses its device again.
  void setSelectedAudioOutputDeviceLocalizedName(NSString* name);
  void setSelectedAudioInputDeviceLocalizedName(NSString* name);
  NSString* selectedAudioOutputDeviceName() const { return mSelectedAudioOutputDeviceName.get(); }
  void setSelectedAudioOutputDeviceName(NSString* name);
  NSString* selectedAudioInputDeviceName() const { return mSelectedAudioInputDeviceName.get(); }
  void setSelectedAudioInputDeviceName(NSString* name);
  NSString* defaultAudioOutputDeviceName() const { return mDefaultAudioOutputDeviceName.get(); }
  void setDefaultAudioOutputDeviceName(NSString* name);

  AudioUnit outputUnit();
  Float32 volumeOutputUnit();
  void setVolumeOutputUnit(Float32 volume);
  Float32 volumeInputUnit() const { return mVolumeInputUnit; }
  SInt64 atomicClockDriftAmount() const { return mAtomicClockDriftAmount; }
  Float64 atomicVarispeedRateAmount() const { return mAtomicVarispeedRateAmount; }
  void _playthroughKVCWatchIntervalEvent();

  void systemDeviceControllerSelectedDeviceChanged(NQCASystemDeviceControllerBase* controller) override;
  void systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(
      NQCASystemDeviceControllerBase* controller, AudioDeviceID deviceID) override;

  // The nib's outlets (not retained).
  NQCASystemDevicesAvailableController* systemDevicesAvailableController() const;
  void setOutletSystemDevicesAvailableController(NQCASystemDevicesAvailableController* controller);
  NQCASystemDeviceControllerBase* inputDeviceController() const;
  void setOutletInputDeviceController(NQCASystemDeviceControllerBase* controller);
  NQCASystemDeviceControllerBase* outputDeviceController() const;
  void setOutletOutputDeviceController(NQCASystemDeviceControllerBase* controller);
  NSObject* inputUnitController() const;
  void setOutletInputUnitController(NSObject* controller);
  NSObject* outputUnitController() const;
  void setOutletOutputUnitController(NSObject* controller);

 protected:
  ~NQCAPlayThroughGraphController() override;

 private:
  // Stops, builds anew on the current selection, and starts again when it ran.
  void rebuildPlayThrough();
  // The same, when a device no longer has the format that the graph was built for.
  void rebuildPlayThroughIfFormatsChanged();
  void handUnitsToUnitControllers(AudioUnit inputUnit, AudioUnit outputUnit);
  void setVolumeInputUnit(Float32 value);
  void setAtomicClockDriftAmount(SInt64 value);
  void setAtomicVarispeedRateAmount(Float64 value);

  WeakPtr<NQCASystemDevicesAvailableController> mOutletSystemDevicesAvailableController;
  WeakPtr<NQCASystemDeviceControllerBase> mOutletInputDeviceController;
  WeakPtr<NSObject> mOutletInputUnitController;
  WeakPtr<NQCASystemDeviceControllerBase> mOutletOutputDeviceController;
  WeakPtr<NSObject> mOutletOutputUnitController;
  CAPlayThroughHost mPlayThroughHost{kAudioObjectUnknown, kAudioObjectUnknown};
  RefPtr<NSString> mSelectedAudioOutputDeviceName;
  RefPtr<NSString> mSelectedAudioInputDeviceName;
  RefPtr<NSString> mDefaultAudioOutputDeviceName;
  SInt64 mAtomicClockDriftAmount = 0;
  Float64 mAtomicVarispeedRateAmount = 0;
  dispatch_source_t mDispatchSource = nullptr;
  bool mDispatchSourceSuspended = true;
  Float32 mVolumeInputUnit = 0;
  // Set while a build selects the preset output device, whose selection change is this build.
  bool mCreatingPlayThroughHost = false;
};
