#pragma once
// Network services (DNS service discovery): publishing a service, browsing for services of a
// type, resolving one, and converting TXT records to and from dictionaries. Operations run
// asynchronously on the run loops they are scheduled on when a client callback is set, and
// synchronously (blocking the caller) otherwise.
#include <CFNetwork/CFStreamError.h>
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFRunLoop.h>

typedef struct __CFNetService* CFNetServiceRef;
typedef struct __CFNetServiceBrowser* CFNetServiceBrowserRef;

enum : SInt32 {
  kCFNetServicesErrorUnknown = -72000,
  kCFNetServicesErrorCollision = -72001,
  kCFNetServicesErrorNotFound = -72002,
  kCFNetServicesErrorInProgress = -72003,
  kCFNetServicesErrorBadArgument = -72004,
  kCFNetServicesErrorCancel = -72005,
  kCFNetServicesErrorInvalid = -72006,
  kCFNetServicesErrorTimeout = -72007,
};

// Browser event flags.
enum : CFOptionFlags {
  kCFNetServiceFlagMoreComing = 1,
  kCFNetServiceFlagIsDomain = 2,
  kCFNetServiceFlagIsDefault = 4,
  kCFNetServiceFlagRemove = 8,
};

enum : CFOptionFlags { kCFNetServiceFlagNoAutoRename = 1 };

struct CFNetServiceClientContext {
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
};

typedef void (*CFNetServiceClientCallBack)(CFNetServiceRef theService, CFStreamError* error, void* info);
typedef void (*CFNetServiceBrowserClientCallBack)(CFNetServiceBrowserRef browser, CFOptionFlags flags,
                                                  CFTypeRef domainOrService, CFStreamError* error, void* info);

CF_EXPORT CFTypeID CFNetServiceGetTypeID(void);
CF_EXPORT CFTypeID CFNetServiceBrowserGetTypeID(void);

CF_EXPORT CFNetServiceRef CFNetServiceCreate(CFAllocatorRef alloc, CFStringRef domain, CFStringRef serviceType,
                                             CFStringRef name, SInt32 port);
// A new service with the same domain, type, name, port and TXT data, and no operation.
CF_EXPORT CFNetServiceRef CFNetServiceCreateCopy(CFAllocatorRef alloc, CFNetServiceRef service);
CF_EXPORT CFStringRef CFNetServiceGetDomain(CFNetServiceRef theService);
CF_EXPORT CFStringRef CFNetServiceGetType(CFNetServiceRef theService);
CF_EXPORT CFStringRef CFNetServiceGetName(CFNetServiceRef theService);
// The port registered or resolved; -1 while unknown.
CF_EXPORT SInt32 CFNetServiceGetPortNumber(CFNetServiceRef theService);
CF_EXPORT CFDataRef CFNetServiceGetTXTData(CFNetServiceRef theService);
// Also updates the record of a registered service.
CF_EXPORT Boolean CFNetServiceSetTXTData(CFNetServiceRef theService, CFDataRef txtRecord);

// A null callback clears the client (and cancels nothing).
CF_EXPORT Boolean CFNetServiceSetClient(CFNetServiceRef theService, CFNetServiceClientCallBack clientCB,
                                        CFNetServiceClientContext* clientContext);
CF_EXPORT void CFNetServiceScheduleWithRunLoop(CFNetServiceRef theService, CFRunLoopRef runLoop,
                                               CFStringRef runLoopMode);
CF_EXPORT void CFNetServiceUnscheduleFromRunLoop(CFNetServiceRef theService, CFRunLoopRef runLoop,
                                                 CFStringRef runLoopMode);

// Registers the service. With a client, failures reach the callback later; without one,
// the service is registered on return and stands until cancelled.
CF_EXPORT Boolean CFNetServiceRegisterWithOptions(CFNetServiceRef theService, CFOptionFlags options,
                                                  CFStreamError* error);
// Finds the service's port and TXT data, for at most `timeout` seconds (0 or less: no limit).
// Without a client the call blocks until then (or until CFNetServiceCancel from another
// thread) and answers whether it resolved.
CF_EXPORT Boolean CFNetServiceResolveWithTimeout(CFNetServiceRef theService, CFTimeInterval timeout,
                                                 CFStreamError* error);
// Ends registration or resolution; a blocked resolve returns with kCFNetServicesErrorCancel.
CF_EXPORT void CFNetServiceCancel(CFNetServiceRef theService);

CF_EXPORT CFNetServiceBrowserRef CFNetServiceBrowserCreate(CFAllocatorRef alloc,
                                                           CFNetServiceBrowserClientCallBack clientCB,
                                                           CFNetServiceClientContext* clientContext);
CF_EXPORT void CFNetServiceBrowserScheduleWithRunLoop(CFNetServiceBrowserRef browser, CFRunLoopRef runLoop,
                                                      CFStringRef runLoopMode);
CF_EXPORT void CFNetServiceBrowserUnscheduleFromRunLoop(CFNetServiceBrowserRef browser, CFRunLoopRef runLoop,
                                                        CFStringRef runLoopMode);
// Reports each service of the type found (and, with kCFNetServiceFlagRemove, each that went).
// Unscheduled, it blocks the caller until CFNetServiceBrowserStopSearch from another thread.
CF_EXPORT Boolean CFNetServiceBrowserSearchForServices(CFNetServiceBrowserRef browser, CFStringRef domain,
                                                       CFStringRef serviceType, CFStreamError* error);
CF_EXPORT void CFNetServiceBrowserStopSearch(CFNetServiceBrowserRef browser, CFStreamError* error);
// Stops the search, leaves every run loop and drops the client; once it returns, no callback
// of this browser runs (unless called from inside one, which is then the last).
CF_EXPORT void CFNetServiceBrowserInvalidate(CFNetServiceBrowserRef browser);

// The TXT record of a dictionary whose keys are strings and whose values are strings (as
// UTF-8), data, or null (a key alone); null when a key or an entry does not fit.
CF_EXPORT CFDataRef CFNetServiceCreateTXTDataWithDictionary(CFAllocatorRef alloc, CFDictionaryRef keyValuePairs);
// Keys to data values (kCFNull for a key alone), first occurrence of a key winning; null for
// bytes that are not a TXT record.
CF_EXPORT CFDictionaryRef CFNetServiceCreateDictionaryWithTXTData(CFAllocatorRef alloc, CFDataRef txtRecord);
