#pragma once
// The kernel's system information by name or number, as far as the machine's model goes
// (hw.model, CTL_HW / HW_MODEL).
#include <cstddef>

#define CTL_HW 6
#define HW_MODEL 2

// Copies the value into `oldp` (at most *oldlenp bytes) and sets *oldlenp to its size; with a
// null `oldp`, only tells the size. -1 with errno: ENOENT for an unknown name, ENOMEM when the
// buffer is too small, EPERM for a write.
extern "C" __attribute__((visibility("default"))) int sysctl(const int* name, unsigned int namelen, void* oldp,
                                                              size_t* oldlenp, const void* newp, size_t newlen);
extern "C" __attribute__((visibility("default"))) int sysctlbyname(const char* name, void* oldp, size_t* oldlenp,
                                                                    const void* newp, size_t newlen);
