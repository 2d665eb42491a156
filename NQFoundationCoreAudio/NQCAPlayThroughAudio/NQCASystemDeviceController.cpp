#include "NQCASystemDeviceController.h"

OBJC_CLASS_DEFINE(NQCASystemDeviceController)
