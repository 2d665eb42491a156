#pragma once
// The bootstrap name service: a process checks a service in under a name and gets the
// receive right of the service's port; any process of the same system root looks the name up
// and gets a send right to it. A name is served while the process that checked it in lives
// and holds the receive right.
#include <mach/port.h>

typedef char name_t[128];

MACH_EXPORT mach_port_t bootstrap_port;

enum : kern_return_t {
  BOOTSTRAP_SUCCESS = 0,
  BOOTSTRAP_NOT_PRIVILEGED = 1100,
  BOOTSTRAP_NAME_IN_USE = 1101,
  BOOTSTRAP_UNKNOWN_SERVICE = 1102,
  BOOTSTRAP_SERVICE_ACTIVE = 1103,
  BOOTSTRAP_BAD_COUNT = 1104,
  BOOTSTRAP_NO_MEMORY = 1105,
};

// BOOTSTRAP_SERVICE_ACTIVE when a living process serves the name already.
MACH_EXPORT kern_return_t bootstrap_check_in(mach_port_t bp, const char* service_name, mach_port_t* sp);
// BOOTSTRAP_UNKNOWN_SERVICE when nobody serves the name.
MACH_EXPORT kern_return_t bootstrap_look_up(mach_port_t bp, const char* service_name, mach_port_t* sp);
