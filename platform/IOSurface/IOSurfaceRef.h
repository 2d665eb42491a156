#pragma once
// The surface handle and the small types every surface call shares.
#include <CoreFoundation/CFBase.h>
#include <mach/kern_return.h>
#include <mach/port.h>

#include <cstdint>

typedef struct __IOSurface* IOSurfaceRef;
typedef uint32_t IOSurfaceID;

typedef kern_return_t IOReturn;
#ifndef kIOReturnSuccess
#define kIOReturnSuccess 0
#endif
#ifndef kIOReturnError
#define kIOReturnError ((IOReturn)0xe00002bc)
#endif
#ifndef kIOReturnBadArgument
#define kIOReturnBadArgument ((IOReturn)0xe00002c2)
#endif
#ifndef kIOReturnNotOpen
#define kIOReturnNotOpen ((IOReturn)0xe00002cd)
#endif
#ifndef kIOReturnBusy
#define kIOReturnBusy ((IOReturn)0xe00002d5)
#endif

typedef uint32_t IOSurfaceLockOptions;
enum : IOSurfaceLockOptions {
  kIOSurfaceLockReadOnly = 0x00000001,
  kIOSurfaceLockAvoidSync = 0x00000002,
};
