#pragma once
// Diagnostics for a host or a debugger: what factories of camera plug-ins the process knows
// and whether each gives a valid plug-in interface. Each answers true and logs what it finds.
#include <CoreFoundation/CFArray.h>

// The plug-in bundle exports these beside its factories, so they keep default visibility in
// a library that hides everything else.
#define NQCMIO_DIAGNOSTIC __attribute__((visibility("default")))

namespace NQCMIO {

NQCMIO_DIAGNOSTIC bool DisplayExecutionEnvironment();
NQCMIO_DIAGNOSTIC bool DisplayFactoryInterfaces();
NQCMIO_DIAGNOSTIC bool DisplayAllFactoryInterfacesWithValidIUnknown();
NQCMIO_DIAGNOSTIC bool DisplayFactoryInterfacesWithValidIUnknown(CFArrayRef factories);

}  // namespace NQCMIO
