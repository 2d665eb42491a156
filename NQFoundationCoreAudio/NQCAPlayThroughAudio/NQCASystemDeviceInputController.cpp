#include "NQCASystemDeviceInputController.h"

OBJC_CLASS_DEFINE(NQCASystemDeviceInputController)

void NQCASystemDeviceInputController::awakeFromNib() {
  setShowInputDevices(NSNumber::numberWithBool(true));
  super::awakeFromNib();
}
