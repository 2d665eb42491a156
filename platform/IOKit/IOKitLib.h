#pragma once
// The I/O registry, as far as the machine's identity goes: the platform expert device, root
// of the service plane, with the platform's UUID.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <IOKit/IOKitKeys.h>
#include <mach/kern_return.h>
#include <mach/port.h>

typedef mach_port_t io_object_t;
typedef io_object_t io_registry_entry_t;
typedef io_object_t io_service_t;
typedef UInt32 IOOptionBits;

CF_EXPORT const mach_port_t kIOMainPortDefault;
CF_EXPORT const mach_port_t kIOMasterPortDefault;

// "IOService:/" names the root of the service plane; any other path names nothing (0).
CF_EXPORT io_registry_entry_t IORegistryEntryFromPath(mach_port_t mainPort, const char* path);
// The matching dictionary of a class ("IOPlatformExpertDevice"), +1.
CF_EXPORT CFMutableDictionaryRef IOServiceMatching(const char* name);
// Consumes `matching`; the first service of the class, or 0.
CF_EXPORT io_service_t IOServiceGetMatchingService(mach_port_t mainPort, CFDictionaryRef matching);
// A new reference to the property's value, or null when the entry has no such property.
CF_EXPORT CFTypeRef IORegistryEntryCreateCFProperty(io_registry_entry_t entry, CFStringRef key,
                                                    CFAllocatorRef allocator, IOOptionBits options);
CF_EXPORT kern_return_t IOObjectRelease(io_object_t object);
