#pragma once
// The selection of the play-through's input device.
#include "NQCASystemDeviceControllerBase.h"

class NQCASystemDeviceInputController : public NQCASystemDeviceControllerBase {
  OBJC_CLASS_DECL(NQCASystemDeviceInputController, NQCASystemDeviceControllerBase)

 public:
  void awakeFromNib() override;
};
