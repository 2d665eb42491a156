#pragma once
// Everything of the Mach layer: host time, ports, messages, notifications, reply ports.
#include <mach/mach_init.h>
#include <mach/mach_port.h>
#include <mach/mach_time.h>
#include <mach/message.h>
#include <mach/mig.h>
#include <mach/ndr.h>
#include <mach/notify.h>
#include <mach/port.h>
