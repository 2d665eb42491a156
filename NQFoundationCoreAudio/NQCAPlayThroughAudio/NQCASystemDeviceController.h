#pragma once
// A device selection whose side the nib gives (through "showInputDevices").
#include "NQCASystemDeviceControllerBase.h"

class NQCASystemDeviceController : public NQCASystemDeviceControllerBase {
  OBJC_CLASS_DECL(NQCASystemDeviceController, NQCASystemDeviceControllerBase)
};
