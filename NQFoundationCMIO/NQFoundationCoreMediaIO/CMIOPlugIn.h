#pragma once
// The plug-in object that every plug-in instance embeds.
#include "CMIOObject.h"

namespace NQCMIO {

class CMIOPlugIn : public CMIOObject {
 public:
  CMIOPlugIn();

  const char* ClassName() const override { return "NQCMIO::CMIOPlugIn"; }
  CFStringRef CopyObjectName() const override;
  virtual void Initialize() {}
  virtual void Teardown() {}
};

}  // namespace NQCMIO
