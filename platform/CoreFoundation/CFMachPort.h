#pragma once
// CFMachPort: a Mach port name as a CF object. A port with a receive right gives a run loop
// source that calls the callout with each message that arrives, on the loop's thread; the
// message buffer is the port's, the rights in it the callout's. A port of a send right is
// invalidated when the port it leads to dies. One object stands for one name at a time:
// creating one for a name that has a valid object answers that object.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFRunLoop.h>
#include <mach/port.h>

typedef struct __CFMachPort* CFMachPortRef;

struct CFMachPortContext {
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
};

typedef void (*CFMachPortCallBack)(CFMachPortRef port, void* msg, CFIndex size, void* info);
typedef void (*CFMachPortInvalidationCallBack)(CFMachPortRef port, void* info);

CF_EXPORT CFTypeID CFMachPortGetTypeID(void);
// A new port with its receive right and one send right, both destroyed when it is invalidated.
CF_EXPORT CFMachPortRef CFMachPortCreate(CFAllocatorRef allocator, CFMachPortCallBack callout,
                                         CFMachPortContext* context, Boolean* shouldFreeInfo);
// An object for a name this process holds rights under (they stay the caller's). When the name
// has a valid object already, that one is answered (+1) and *shouldFreeInfo set: the context
// given was not taken. Null for a name that holds no right.
CF_EXPORT CFMachPortRef CFMachPortCreateWithPort(CFAllocatorRef allocator, mach_port_t portNum,
                                                 CFMachPortCallBack callout, CFMachPortContext* context,
                                                 Boolean* shouldFreeInfo);
CF_EXPORT mach_port_t CFMachPortGetPort(CFMachPortRef port);
CF_EXPORT void CFMachPortGetContext(CFMachPortRef port, CFMachPortContext* context);
// Takes the port out of every run loop and calls its invalidation callback, once.
CF_EXPORT void CFMachPortInvalidate(CFMachPortRef port);
CF_EXPORT Boolean CFMachPortIsValid(CFMachPortRef port);
CF_EXPORT CFMachPortInvalidationCallBack CFMachPortGetInvalidationCallBack(CFMachPortRef port);
// Set on a port that is already invalid, the callback is called at once.
CF_EXPORT void CFMachPortSetInvalidationCallBack(CFMachPortRef port, CFMachPortInvalidationCallBack callout);
// The port's source (+1), one per port; null for a port without a receive right or invalid.
CF_EXPORT CFRunLoopSourceRef CFMachPortCreateRunLoopSource(CFAllocatorRef allocator, CFMachPortRef port,
                                                           CFIndex order);
