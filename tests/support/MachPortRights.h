#pragma once
// Small helpers for tests of Mach ports. Header-only: the test program links the Mach layer
// itself.
#include <mach/mach.h>

namespace moxicam::test {

// The rights a name stands for in this process; none for a name that stands for nothing.
inline mach_port_type_t portType(mach_port_t name) {
  mach_port_type_t type = 0;
  return mach_port_type(mach_task_self(), name, &type) == KERN_SUCCESS ? type : MACH_PORT_TYPE_NONE;
}

// A new port's receive right (MACH_PORT_NULL when none can be had).
inline mach_port_t newReceivePort() {
  mach_port_t port = MACH_PORT_NULL;
  if (mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &port) != KERN_SUCCESS)
    return MACH_PORT_NULL;
  return port;
}

}  // namespace moxicam::test
