#pragma once
// Points in time for deadlines and timers. A dispatch time is a host time in nanoseconds
// (the clock of mach_absolute_time), or a wall-clock time made by dispatch_walltime.
#include <dispatch/base.h>

#include <ctime>

typedef uint64_t dispatch_time_t;

#define DISPATCH_TIME_NOW (0ull)
#define DISPATCH_TIME_FOREVER (~0ull)

#ifndef NSEC_PER_SEC
#define NSEC_PER_SEC 1000000000ull
#endif
#ifndef NSEC_PER_MSEC
#define NSEC_PER_MSEC 1000000ull
#endif
#ifndef NSEC_PER_USEC
#define NSEC_PER_USEC 1000ull
#endif
#ifndef USEC_PER_SEC
#define USEC_PER_SEC 1000000ull
#endif

// `when` (DISPATCH_TIME_NOW for now) moved by `delta` nanoseconds; FOREVER stays FOREVER.
DISPATCH_EXPORT dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta);
// A wall-clock time: `when` (null for now) moved by `delta` nanoseconds.
DISPATCH_EXPORT dispatch_time_t dispatch_walltime(const struct timespec* when, int64_t delta);
