#include "NQCASystemDeviceOutputController.h"

OBJC_CLASS_DEFINE(NQCASystemDeviceOutputController)

void NQCASystemDeviceOutputController::awakeFromNib() {
  setShowInputDevices(NSNumber::numberWithBool(false));
  super::awakeFromNib();
}
