#pragma once
// What every frame sharing output answers: whether it can reach its readers, connecting and
// disconnecting, and announcing one frame's surface with its host time in nanoseconds.
//
// The optional members are found by selector, as callers test for them: an output that can
// change its port lists "setServerOutputPortNumber:" or "setServerOutputPortName:" in its
// method table (objc/MethodTable.h), and one that can tell its port "serverOutputPortNumber"
// and "serverOutputPortName".
#include <IOSurface/IOSurface.h>

#include <cstdint>

class IOSurfaceSharingServerOutputProtocol {
 public:
  virtual ~IOSurfaceSharingServerOutputProtocol() = default;

  virtual bool hasServerConnection() = 0;
  virtual bool outputConnect() = 0;
  virtual bool outputDisconnect() = 0;
  virtual bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) = 0;
};
