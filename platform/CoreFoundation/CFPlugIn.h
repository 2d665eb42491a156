#pragma once
// CFPlugIn: bundles that offer factories. A bundle's Info.plist names its factories under
// CFPlugInFactories (factory UUID string -> function name) and the types each serves under
// CFPlugInTypes (type UUID string -> array of factory UUID strings). Every bundle that has
// such keys registers its factories when it is made, and then lives for the process.
// A factory is `void* factory(CFAllocatorRef allocator, CFUUIDRef typeUUID)`.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFUUID.h>

typedef struct __CFBundle* CFPlugInRef;
typedef void* (*CFPlugInFactoryFunction)(CFAllocatorRef allocator, CFUUIDRef typeUUID);

CF_EXPORT const CFStringRef kCFPlugInDynamicRegistrationKey;
CF_EXPORT const CFStringRef kCFPlugInFactoriesKey;
CF_EXPORT const CFStringRef kCFPlugInTypesKey;

CF_EXPORT CFTypeID CFPlugInGetTypeID(void);
// The plug-in (+1) of the bundle at the URL: the bundle itself, its factories registered.
CF_EXPORT CFPlugInRef CFPlugInCreate(CFAllocatorRef allocator, CFURLRef plugInURL);
CF_EXPORT CFBundleRef CFPlugInGetBundle(CFPlugInRef plugIn);

// The UUIDs (+1 array) of the registered factories that serve the type; empty when none.
CF_EXPORT CFArrayRef CFPlugInFindFactoriesForPlugInType(CFUUIDRef typeUUID);
// Loads the factory's plug-in, calls the factory with the type and answers what it made
// (null when the factory is unknown, its function cannot be found, or it made nothing).
CF_EXPORT void* CFPlugInInstanceCreate(CFAllocatorRef allocator, CFUUIDRef factoryUUID, CFUUIDRef typeUUID);

// Code that lives in the process (not in a bundle) may offer factories too.
CF_EXPORT Boolean CFPlugInRegisterFactoryFunction(CFUUIDRef factoryUUID, CFPlugInFactoryFunction func);
CF_EXPORT Boolean CFPlugInRegisterPlugInType(CFUUIDRef factoryUUID, CFUUIDRef typeUUID);

// Instances count themselves in and out of their factory; a plug-in whose factories still
// have instances keeps its executable loaded (CFBundleUnloadExecutable leaves it).
CF_EXPORT void CFPlugInAddInstanceForFactory(CFUUIDRef factoryID);
CF_EXPORT void CFPlugInRemoveInstanceForFactory(CFUUIDRef factoryID);
