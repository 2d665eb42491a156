#pragma once
// The selection of the play-through's output device.
#include "NQCASystemDeviceControllerBase.h"

class NQCASystemDeviceOutputController : public NQCASystemDeviceControllerBase {
  OBJC_CLASS_DECL(NQCASystemDeviceOutputController, NQCASystemDeviceControllerBase)

 public:
  void awakeFromNib() override;
};
