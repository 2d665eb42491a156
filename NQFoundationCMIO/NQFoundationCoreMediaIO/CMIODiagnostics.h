#pragma once
// Diagnostics for a host or a debugger: what factories of camera plug-ins the process knows
// and whether each gives a valid plug-in interface. Each answers true and logs what it finds.
#include <CoreFoundation/CFArray.h>

namespace NQCMIO {

bool DisplayExecutionEnvironment();
bool DisplayFactoryInterfaces();
bool DisplayAllFactoryInterfacesWithValidIUnknown();
bool DisplayFactoryInterfacesWithValidIUnknown(CFArrayRef factories);

}  // namespace NQCMIO
