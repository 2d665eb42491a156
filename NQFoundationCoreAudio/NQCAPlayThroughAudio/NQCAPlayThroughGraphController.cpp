#include "NQCAPlayThroughGraphController.h"

#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>
#include <URequirements.h>
#include <objc/MethodTable.h>

#include <algorithm>
#include <cmath>

using Self = NQCAPlayThroughGraphController;

OBJC_CLASS_DEFINE(NQCAPlayThroughGraphController)
OBJC_METHODS(NQCAPlayThroughGraphController,
             OBJC_METHOD("actionStartPlayThrough:", &Self::actionStartPlayThrough),
             OBJC_METHOD("actionStopPlayThrough:", &Self::actionStopPlayThrough),
             OBJC_METHOD("actionStartStop:", &Self::actionStartStop),
             OBJC_METHOD("actionResetPlayThrough:", &Self::actionResetPlayThrough))
NS_PROPERTIES(
    NQCAPlayThroughGraphController,
    NS_PROPERTY("outletSystemDevicesAvailableController", &Self::systemDevicesAvailableController,
                &Self::setOutletSystemDevicesAvailableController),
    NS_PROPERTY("outletInputDeviceController", &Self::inputDeviceController,
                &Self::setOutletInputDeviceController),
    NS_PROPERTY("outletInputUnitController", &Self::inputUnitController, &Self::setOutletInputUnitController),
    NS_PROPERTY("outletOutputDeviceController", &Self::outputDeviceController,
                &Self::setOutletOutputDeviceController),
    NS_PROPERTY("outletOutputUnitController", &Self::outputUnitController,
                &Self::setOutletOutputUnitController),
    NS_PROPERTY("selectedAudioOutputDeviceName", &Self::selectedAudioOutputDeviceName,
                &Self::setSelectedAudioOutputDeviceName),
    NS_PROPERTY("selectedAudioInputDeviceName", &Self::selectedAudioInputDeviceName,
                &Self::setSelectedAudioInputDeviceName),
    NS_PROPERTY("defaultAudioOutputDeviceName", &Self::defaultAudioOutputDeviceName,
                &Self::setDefaultAudioOutputDeviceName),
    NS_PROPERTY("selectedAudioOutputDeviceLocalizedName", &Self::selectedAudioOutputDeviceLocalizedName,
                &Self::setSelectedAudioOutputDeviceLocalizedName),
    NS_PROPERTY("selectedAudioInputDeviceLocalizedName", &Self::selectedAudioInputDeviceLocalizedName,
                &Self::setSelectedAudioInputDeviceLocalizedName),
    NS_READONLY_PROPERTY("selectedInputDeviceID", &Self::selectedInputDeviceID),
    NS_READONLY_PROPERTY("selectedOutputDeviceID", &Self::selectedOutputDeviceID),
    NS_PROPERTY("playthroughRunningState", &Self::playthroughRunningState, &Self::setPlaythroughRunningState),
    NS_READONLY_PROPERTY("isPlaythroughRunning", &Self::isPlaythroughRunning),
    NS_PROPERTY("volumeOutputUnit", &Self::volumeOutputUnit, &Self::setVolumeOutputUnit),
    NS_READONLY_PROPERTY("volumeInputUnit", &Self::volumeInputUnit),
    NS_READONLY_PROPERTY("atomicClockDriftAmount", &Self::atomicClockDriftAmount),
    NS_READONLY_PROPERTY("atomicVarispeedRateAmount", &Self::atomicVarispeedRateAmount))

namespace {

NSString* const kRunningKeys[] = {NSSTR("isPlaythroughRunning"), NSSTR("playthroughRunningState"),
                                  NSSTR("volumeOutputUnit")};
constexpr uint64_t kWatchInterval = 100'000'000;
// The meter shows the input level from -20 dB (0) to 0 dB (20).
constexpr Float32 kMeterRange = 20;

template <class Change>
void AnnounceRunning(NSObject* object, Change change) {
  for (NSString* key : kRunningKeys) object->willChangeValueForKey(key);
  change();
  for (auto key = std::rbegin(kRunningKeys); key != std::rend(kRunningKeys); ++key)
    object->didChangeValueForKey(*key);
}

template <class T>
void SetAnnounced(NSObject* object, const char* key, T& field, T value) {
  NSString* name = NSString::stringWithUTF8String(key);
  object->willChangeValueForKey(name);
  field = value;
  object->didChangeValueForKey(name);
}

}  // namespace

NSObject* NQCAPlayThroughGraphController::init() {
  if (!super::init()) return nullptr;
  mSelectedAudioOutputDeviceName = RefPtr<NSString>(NSSTR("Moxicam"));
  WeakPtr<NQCAPlayThroughGraphController> weakSelf(this);
  dispatch_source_t timer =
      dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_main_queue());
  if (REQUIREMENT(timer)) {
    mDispatchSource = timer;
    dispatch_source_set_timer(timer, dispatch_time(DISPATCH_TIME_NOW, kWatchInterval), kWatchInterval,
                              kWatchInterval);
    // Weak, so that the timer does not keep the controller alive.
    dispatch_source_set_event_handler(timer, [weakSelf] {
      if (RefPtr<NQCAPlayThroughGraphController> self = weakSelf.get())
        self->_playthroughKVCWatchIntervalEvent();
    });
  }
  // A format change rebuilds here, on the main queue, where the units are handed out.
  mPlayThroughHost.SetFormatChangeHandler([weakSelf] {
    dispatch_async(dispatch_get_main_queue(), [weakSelf] {
      if (RefPtr<NQCAPlayThroughGraphController> self = weakSelf.get())
        self->rebuildPlayThroughIfFormatsChanged();
    });
  });
  return this;
}

NQCAPlayThroughGraphController::~NQCAPlayThroughGraphController() {
  // The units go with the host: nobody may keep them. A format change still under way finds
  // the controller gone and rebuilds nothing.
  handUnitsToUnitControllers(nullptr, nullptr);
  if (mDispatchSource) {
    dispatch_source_cancel(mDispatchSource);
    if (mDispatchSourceSuspended) dispatch_resume(mDispatchSource);
    dispatch_release(mDispatchSource);
  }
}

void NQCAPlayThroughGraphController::actionStartPlayThrough(NSObject*) {
  AnnounceRunning(this, [&] {
    playthroughConstructLazy();
    if (!mPlayThroughHost.IsRunning()) playthroughStartRunning();
  });
}

void NQCAPlayThroughGraphController::actionStopPlayThrough(NSObject*) {
  AnnounceRunning(this, [&] {
    playthroughConstructLazy();
    if (mPlayThroughHost.IsRunning()) playthroughStopRunning();
  });
}

void NQCAPlayThroughGraphController::actionStartStop(NSObject* sender) {
  playthroughConstructLazy();
  if (mPlayThroughHost.IsRunning())
    actionStopPlayThrough(sender);
  else
    actionStartPlayThrough(sender);
}

void NQCAPlayThroughGraphController::actionResetPlayThrough(NSObject*) { createPlayThroughHost(); }

bool NQCAPlayThroughGraphController::playthroughRunningState() { return mPlayThroughHost.IsRunning(); }

void NQCAPlayThroughGraphController::setPlaythroughRunningState(bool running) {
  if (running)
    actionStartPlayThrough(this);
  else
    actionStopPlayThrough(this);
}

bool NQCAPlayThroughGraphController::isPlaythroughRunning() { return mPlayThroughHost.IsRunning(); }

bool NQCAPlayThroughGraphController::playThroughExists() { return mPlayThroughHost.HasPlayThrough(); }

void NQCAPlayThroughGraphController::playthroughConstructLazy() {
  if (!mPlayThroughHost.HasPlayThrough()) createPlayThroughHost();
}

void NQCAPlayThroughGraphController::playthroughStartRunning() {
  mPlayThroughHost.Start();
  dispatch_source_t _dispatch_source = mDispatchSource;
  if (!REQUIRED_DISPATCH_QUEUE(_dispatch_source)) return;
  if (mDispatchSourceSuspended) {
    mDispatchSourceSuspended = false;
    dispatch_resume(_dispatch_source);
  }
}

void NQCAPlayThroughGraphController::playthroughStopRunning() {
  dispatch_source_t _dispatch_source = mDispatchSource;
  if (REQUIRED_DISPATCH_QUEUE(_dispatch_source) && !mDispatchSourceSuspended) {
    mDispatchSourceSuspended = true;
    dispatch_suspend(_dispatch_source);
  }
  mPlayThroughHost.Stop();
}

void NQCAPlayThroughGraphController::createPlayThroughHost() {
  const AudioDeviceID input = selectedInputDeviceID();
  AudioDeviceID output = selectedOutputDeviceID();
  bool outputFromPreset = false;
  if (mPlayThroughHost.HasPlayThrough()) {
    handUnitsToUnitControllers(nullptr, nullptr);
    mPlayThroughHost.DeletePlayThrough();
  } else if (mDefaultAudioOutputDeviceName) {
    NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
    const AudioDeviceID preset =
        available ? available->defaultOutputDeviceIDFromDevicePresetName(mDefaultAudioOutputDeviceName.get())
                  : kAudioObjectUnknown;
    if (preset != kAudioObjectUnknown) {
      output = preset;
      outputFromPreset = true;
    }
  }
  RefPtr<NSObject> outputUnitHolder = mOutletOutputUnitController.get();
  RefPtr<NSObject> inputUnitHolder = mOutletInputUnitController.get();
  auto* outputUnitController =
      dynamic_cast<NQCASystemDeviceAudioUnitOutputController*>(outputUnitHolder.get());
  auto* inputUnitController = dynamic_cast<NQCASystemDeviceAudioUnitInputController*>(inputUnitHolder.get());
  if (input == kAudioObjectUnknown || output == kAudioObjectUnknown || !outputUnitController ||
      !inputUnitController)
    return;
  // The preset device becomes the selection, so that what is shown is what plays and later
  // builds keep it; its selection change is this build.
  RefPtr<NQCASystemDeviceControllerBase> outputController = mOutletOutputDeviceController.get();
  if (outputFromPreset && outputController) {
    mCreatingPlayThroughHost = true;
    outputController->setSelectedDeviceID(output);
    mCreatingPlayThroughHost = false;
  }
  mPlayThroughHost.CreatePlayThrough(input, output);
  if (!mPlayThroughHost.HasPlayThrough()) return;
  outputUnitController->willChangeValueForKey(NSSTR("currentDeviceOutputChannelMappings"));
  inputUnitController->willChangeValueForKey(NSSTR("currentDeviceInputChannelMappings"));
  AudioUnit outputDeviceUnit = mPlayThroughHost.GetOutputAudioUnit();
  AudioUnit inputDeviceUnit = mPlayThroughHost.GetInputAudioUnit();
  if (REQUIRED_NOT_NULL(outputDeviceUnit)) outputUnitController->setDeviceAudioUnit(outputDeviceUnit);
  if (REQUIRED_NOT_NULL(inputDeviceUnit)) inputUnitController->setDeviceAudioUnit(inputDeviceUnit);
  outputUnitController->didChangeValueForKey(NSSTR("currentDeviceOutputChannelMappings"));
  inputUnitController->didChangeValueForKey(NSSTR("currentDeviceInputChannelMappings"));
}

void NQCAPlayThroughGraphController::handUnitsToUnitControllers(AudioUnit inputUnit, AudioUnit outputUnit) {
  RefPtr<NSObject> outputHolder = mOutletOutputUnitController.get();
  RefPtr<NSObject> inputHolder = mOutletInputUnitController.get();
  if (auto* controller = dynamic_cast<NQCASystemDeviceAudioUnitController*>(outputHolder.get()))
    controller->setDeviceAudioUnit(outputUnit);
  if (auto* controller = dynamic_cast<NQCASystemDeviceAudioUnitController*>(inputHolder.get()))
    controller->setDeviceAudioUnit(inputUnit);
}

void NQCAPlayThroughGraphController::rebuildPlayThroughIfFormatsChanged() {
  if (!mPlayThroughHost.FollowsDeviceFormats()) rebuildPlayThrough();
}

void NQCAPlayThroughGraphController::rebuildPlayThrough() {
  const bool wasRunning = mPlayThroughHost.IsRunning();
  actionStopPlayThrough(this);
  actionResetPlayThrough(this);
  if (wasRunning) actionStartPlayThrough(this);
}

AudioDeviceID NQCAPlayThroughGraphController::selectedInputDeviceID() const {
  RefPtr<NQCASystemDeviceControllerBase> controller = mOutletInputDeviceController.get();
  return controller ? controller->selectedDeviceID() : kAudioObjectUnknown;
}

AudioDeviceID NQCAPlayThroughGraphController::selectedOutputDeviceID() const {
  RefPtr<NQCASystemDeviceControllerBase> controller = mOutletOutputDeviceController.get();
  return controller ? controller->selectedDeviceID() : kAudioObjectUnknown;
}

NSString* NQCAPlayThroughGraphController::selectedAudioOutputDeviceLocalizedName() const {
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  return available ? available->outputDeviceNameWithDeviceID(selectedOutputDeviceID()) : nullptr;
}

NSString* NQCAPlayThroughGraphController::selectedAudioInputDeviceLocalizedName() const {
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  return available ? available->inputDeviceNameWithDeviceID(selectedInputDeviceID()) : nullptr;
}

void NQCAPlayThroughGraphController::setSelectedAudioOutputDeviceLocalizedName(NSString* name) {
  setSelectedAudioOutputDeviceName(name);
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  RefPtr<NQCASystemDeviceControllerBase> controller = mOutletOutputDeviceController.get();
  const AudioDeviceID named =
      available ? available->defaultOutputDeviceIDFromDevicePresetName(name) : kAudioObjectUnknown;
  if (controller && named != kAudioObjectUnknown) controller->setSelectedDeviceID(named);
}

void NQCAPlayThroughGraphController::setSelectedAudioInputDeviceLocalizedName(NSString* name) {
  setSelectedAudioInputDeviceName(name);
  NQCASystemDevicesAvailableController* available = systemDevicesAvailableController();
  RefPtr<NQCASystemDeviceControllerBase> controller = mOutletInputDeviceController.get();
  const AudioDeviceID named =
      available ? available->inputDeviceIDFromDevicePresetName(name) : kAudioObjectUnknown;
  if (controller && named != kAudioObjectUnknown) controller->setSelectedDeviceID(named);
}

void NQCAPlayThroughGraphController::setSelectedAudioOutputDeviceName(NSString* name) {
  mSelectedAudioOutputDeviceName = RefPtr<NSString>(name ? NSString::stringWithString(name) : nullptr);
}

void NQCAPlayThroughGraphController::setSelectedAudioInputDeviceName(NSString* name) {
  mSelectedAudioInputDeviceName = RefPtr<NSString>(name ? NSString::stringWithString(name) : nullptr);
}

void NQCAPlayThroughGraphController::setDefaultAudioOutputDeviceName(NSString* name) {
  mDefaultAudioOutputDeviceName = RefPtr<NSString>(name);
}

AudioUnit NQCAPlayThroughGraphController::outputUnit() { return mPlayThroughHost.GetOutputAudioUnit(); }

Float32 NQCAPlayThroughGraphController::volumeOutputUnit() {
  AudioUnitParameterValue volume = 0;
  if (AudioUnitGetParameter(outputUnit(), kHALOutputParam_Volume, kAudioUnitScope_Output, 0, &volume) !=
      noErr)
    return 0;
  return volume;
}

void NQCAPlayThroughGraphController::setVolumeOutputUnit(Float32 volume) {
  AudioUnitSetParameter(outputUnit(), kHALOutputParam_Volume, kAudioUnitScope_Output, 0, volume, 0);
}

void NQCAPlayThroughGraphController::_playthroughKVCWatchIntervalEvent() {
  if (!mPlayThroughHost.IsRunning()) return;
  const SInt64 drift = mPlayThroughHost.GetInToOutSampleOffset();
  if (drift != mAtomicClockDriftAmount) setAtomicClockDriftAmount(drift);
  // Louder than 0 dB is full scale, not quieter.
  const Float32 level = mPlayThroughHost.GetInputLevel();
  const Float32 meter = std::isnan(level) ? 0 : kMeterRange - std::min(std::max(-level, 0.0f), kMeterRange);
  if (meter != mVolumeInputUnit) setVolumeInputUnit(meter);
  const Float64 rate = mPlayThroughHost.GetVarispeedRate();
  if (rate != mAtomicVarispeedRateAmount) setAtomicVarispeedRateAmount(rate);
}

void NQCAPlayThroughGraphController::setVolumeInputUnit(Float32 value) {
  SetAnnounced(this, "volumeInputUnit", mVolumeInputUnit, value);
}

void NQCAPlayThroughGraphController::setAtomicClockDriftAmount(SInt64 value) {
  SetAnnounced(this, "atomicClockDriftAmount", mAtomicClockDriftAmount, value);
}

void NQCAPlayThroughGraphController::setAtomicVarispeedRateAmount(Float64 value) {
  SetAnnounced(this, "atomicVarispeedRateAmount", mAtomicVarispeedRateAmount, value);
}

void NQCAPlayThroughGraphController::systemDeviceControllerSelectedDeviceChanged(
    NQCASystemDeviceControllerBase*) {
  if (mCreatingPlayThroughHost) return;
  rebuildPlayThrough();
}

void NQCAPlayThroughGraphController::systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(
    NQCASystemDeviceControllerBase*, AudioDeviceID deviceID) {
  if (deviceID == mPlayThroughHost.GetOutputDeviceID() || deviceID == mPlayThroughHost.GetInputDeviceID())
    rebuildPlayThroughIfFormatsChanged();
}

NQCASystemDevicesAvailableController* NQCAPlayThroughGraphController::systemDevicesAvailableController()
    const {
  return mOutletSystemDevicesAvailableController.get().get();
}

void NQCAPlayThroughGraphController::setOutletSystemDevicesAvailableController(
    NQCASystemDevicesAvailableController* controller) {
  mOutletSystemDevicesAvailableController = controller;
}

NQCASystemDeviceControllerBase* NQCAPlayThroughGraphController::inputDeviceController() const {
  return mOutletInputDeviceController.get().get();
}

void NQCAPlayThroughGraphController::setOutletInputDeviceController(
    NQCASystemDeviceControllerBase* controller) {
  mOutletInputDeviceController = controller;
}

NQCASystemDeviceControllerBase* NQCAPlayThroughGraphController::outputDeviceController() const {
  return mOutletOutputDeviceController.get().get();
}

void NQCAPlayThroughGraphController::setOutletOutputDeviceController(
    NQCASystemDeviceControllerBase* controller) {
  mOutletOutputDeviceController = controller;
}

NSObject* NQCAPlayThroughGraphController::inputUnitController() const {
  return mOutletInputUnitController.get().get();
}

void NQCAPlayThroughGraphController::setOutletInputUnitController(NSObject* controller) {
  mOutletInputUnitController = controller;
}

NSObject* NQCAPlayThroughGraphController::outputUnitController() const {
  return mOutletOutputUnitController.get().get();
}

void NQCAPlayThroughGraphController::setOutletOutputUnitController(NSObject* controller) {
  mOutletOutputUnitController = controller;
}
