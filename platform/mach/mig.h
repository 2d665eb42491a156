#pragma once
// The reply port of generated request code: one receive right per thread, made on first use.
// A call whose reply did not come (a timeout) deallocates it, so that a late reply cannot be
// taken for the answer to the next call; the next call then gets a fresh one.
#include <mach/mig_errors.h>

MACH_EXPORT mach_port_t mig_get_reply_port(void);
MACH_EXPORT void mig_dealloc_reply_port(mach_port_t reply_port);
MACH_EXPORT void mig_put_reply_port(mach_port_t reply_port);
