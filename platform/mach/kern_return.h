#pragma once
// Status codes of Mach calls.
typedef int kern_return_t;

enum : kern_return_t {
  KERN_SUCCESS = 0,
  KERN_INVALID_ARGUMENT = 4,
};
