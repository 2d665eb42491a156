#pragma once
// Port names and rights. A name is a number private to this process that stands for the
// rights it holds on one port: the receive right (messages for the port arrive here), send
// rights (counted in user references), a send-once right (one message, usually a reply), or
// a dead name, which is what a send right becomes once its port is gone.
#include <mach/std_types.h>

typedef natural_t mach_port_name_t;
typedef mach_port_name_t mach_port_t;
typedef natural_t mach_port_right_t;
typedef natural_t mach_port_type_t;
typedef natural_t mach_port_urefs_t;
typedef integer_t mach_port_delta_t;

enum : mach_port_t {
  MACH_PORT_NULL = 0,
  MACH_PORT_DEAD = ~0u,
};
#define MACH_PORT_VALID(name) ((name) != MACH_PORT_NULL && (name) != MACH_PORT_DEAD)

enum : mach_port_right_t {
  MACH_PORT_RIGHT_SEND = 0,
  MACH_PORT_RIGHT_RECEIVE = 1,
  MACH_PORT_RIGHT_SEND_ONCE = 2,
  MACH_PORT_RIGHT_PORT_SET = 3,
  MACH_PORT_RIGHT_DEAD_NAME = 4,
};

#define MACH_PORT_TYPE(right) ((mach_port_type_t)(1u << ((right) + 16)))
enum : mach_port_type_t {
  MACH_PORT_TYPE_NONE = 0,
  MACH_PORT_TYPE_SEND = MACH_PORT_TYPE(MACH_PORT_RIGHT_SEND),
  MACH_PORT_TYPE_RECEIVE = MACH_PORT_TYPE(MACH_PORT_RIGHT_RECEIVE),
  MACH_PORT_TYPE_SEND_ONCE = MACH_PORT_TYPE(MACH_PORT_RIGHT_SEND_ONCE),
  MACH_PORT_TYPE_PORT_SET = MACH_PORT_TYPE(MACH_PORT_RIGHT_PORT_SET),
  MACH_PORT_TYPE_DEAD_NAME = MACH_PORT_TYPE(MACH_PORT_RIGHT_DEAD_NAME),
  MACH_PORT_TYPE_SEND_RECEIVE = MACH_PORT_TYPE_SEND | MACH_PORT_TYPE_RECEIVE,
};

// A task names the port space its calls act on; this process has only its own.
typedef mach_port_t task_t;
typedef mach_port_t ipc_space_t;
