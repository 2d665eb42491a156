#pragma once
// Shared pixel memory that other processes can map: created with a property dictionary,
// found again by its id (global surfaces, from any process) or passed as a descriptor.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <IOSurface/IOSurfaceRef.h>

// Keys of the dictionary given to IOSurfaceCreate (all CFNumbers but kIOSurfaceIsGlobal,
// which may be a CFBoolean or a number).
CF_EXPORT const CFStringRef kIOSurfaceAllocSize;
CF_EXPORT const CFStringRef kIOSurfaceWidth;
CF_EXPORT const CFStringRef kIOSurfaceHeight;
CF_EXPORT const CFStringRef kIOSurfaceBytesPerRow;
CF_EXPORT const CFStringRef kIOSurfaceBytesPerElement;
CF_EXPORT const CFStringRef kIOSurfaceElementWidth;
CF_EXPORT const CFStringRef kIOSurfaceElementHeight;
CF_EXPORT const CFStringRef kIOSurfacePixelFormat;
CF_EXPORT const CFStringRef kIOSurfaceIsGlobal;

CF_EXPORT CFTypeID IOSurfaceGetTypeID(void);

// A new surface; null (with a report on stderr) when the properties are missing or absurd.
CF_EXPORT IOSurfaceRef IOSurfaceCreate(CFDictionaryRef properties);
// A new reference to the surface with this id: any surface of this process, or a global
// surface of another living process. Null when no such surface exists.
CF_EXPORT IOSurfaceRef IOSurfaceLookup(IOSurfaceID csid);
CF_EXPORT IOSurfaceID IOSurfaceGetID(IOSurfaceRef buffer);

CF_EXPORT IOReturn IOSurfaceLock(IOSurfaceRef buffer, IOSurfaceLockOptions options, uint32_t* seed);
CF_EXPORT IOReturn IOSurfaceUnlock(IOSurfaceRef buffer, IOSurfaceLockOptions options, uint32_t* seed);

CF_EXPORT size_t IOSurfaceGetAllocSize(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetWidth(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetHeight(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetBytesPerElement(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetBytesPerRow(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetElementWidth(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetElementHeight(IOSurfaceRef buffer);
CF_EXPORT OSType IOSurfaceGetPixelFormat(IOSurfaceRef buffer);
CF_EXPORT void* IOSurfaceGetBaseAddress(IOSurfaceRef buffer);
CF_EXPORT size_t IOSurfaceGetPlaneCount(IOSurfaceRef buffer);
// Changes each time the surface is unlocked after a lock for writing, in any process.
CF_EXPORT uint32_t IOSurfaceGetSeed(IOSurfaceRef buffer);

// The use count is shared by every process that maps the surface.
CF_EXPORT void IOSurfaceIncrementUseCount(IOSurfaceRef buffer);
CF_EXPORT void IOSurfaceDecrementUseCount(IOSurfaceRef buffer);
CF_EXPORT int32_t IOSurfaceGetUseCount(IOSurfaceRef buffer);
CF_EXPORT Boolean IOSurfaceIsInUse(IOSurfaceRef buffer);

// A new send right (the caller's to deallocate) that carries the surface in a Mach message
// to another process, global or not; MACH_PORT_NULL when there is no surface.
CF_EXPORT mach_port_t IOSurfaceCreateMachPort(IOSurfaceRef buffer);
// The surface a port carries; the port stays the caller's. Null when it carries no surface.
CF_EXPORT IOSurfaceRef IOSurfaceLookupFromMachPort(mach_port_t port);

// The descriptor form of the two calls above, for the layers that pass descriptors
// between processes: a new descriptor of the surface's memory (-1 on failure), and a
// surface over a descriptor that stays the caller's (null when it holds no surface).
CF_EXPORT int _IOSurfaceCopyFileDescriptor(IOSurfaceRef buffer);
CF_EXPORT IOSurfaceRef _IOSurfaceCreateFromFileDescriptor(int fd);
