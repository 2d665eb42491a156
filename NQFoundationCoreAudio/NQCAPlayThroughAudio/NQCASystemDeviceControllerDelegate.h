#pragma once
// What a device selection controller tells its delegate (the play-through controller); every
// message is optional, so each does nothing unless the delegate overrides it.
#include <CoreAudio/AudioHardware.h>

class NQCASystemDeviceControllerBase;

class NQCASystemDeviceControllerDelegate {
 public:
  // The selection changed: what plays through it must be built anew.
  virtual void systemDeviceControllerSelectedDeviceChanged(NQCASystemDeviceControllerBase*) {}
  // The device list changed and the selection stayed.
  virtual void systemDeviceControllerAvailableDevicesChanged(NQCASystemDeviceControllerBase*) {}
  // The selected device's stream formats changed.
  virtual void systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(
      NQCASystemDeviceControllerBase*, AudioDeviceID) {}

 protected:
  ~NQCASystemDeviceControllerDelegate() = default;
};
