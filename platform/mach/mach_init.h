#pragma once
// The name of this process's own task, given to every port call.
#include <mach/port.h>

MACH_EXPORT mach_port_t mach_task_self_;
#define mach_task_self() mach_task_self_
