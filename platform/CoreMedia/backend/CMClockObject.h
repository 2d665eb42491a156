#pragma once
// The object behind CMClockRef. Other clocks (stream clocks) derive from it and tell their
// own time.
#include <CoreMedia/CMSync.h>
#include <objc/NSObject.h>

struct OpaqueCMClock : NSObject {
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }
  virtual CMTime time() const;
};
