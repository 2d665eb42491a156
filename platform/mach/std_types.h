#pragma once
// The basic Mach types, and the mark of the Mach calls this library exports.
#include <mach/kern_return.h>

#include <cstdint>

#define MACH_EXPORT extern "C" __attribute__((visibility("default")))

typedef int32_t integer_t;
typedef uint32_t natural_t;
typedef int boolean_t;
