#pragma once
// A host clock other than CLOCK_MONOTONIC for a whole process: a test that drives audio and
// video clocks by hand installs its own source, so that every library and plug-in of the
// process (which all read mach_absolute_time here) follows the same manual time. Not part
// of the platform's interface; only test programs and the audio server's test host use it.
#include <cstdint>

typedef uint64_t (*mach_absolute_time_source_t)(void);

// Installs the source (null restores the monotonic clock); answers the one it replaces.
extern "C" __attribute__((visibility("default"))) mach_absolute_time_source_t _mach_absolute_time_set_source(
    mach_absolute_time_source_t source);
