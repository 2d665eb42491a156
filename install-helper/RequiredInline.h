#pragma once
// The check and formatting functions that the install tool carries beside the requirement
// reporters, so that its failed checks are reported in the reporters' words. Each check
// answers 1 when its requirement holds and 0 when it does not.
#include <CoreFoundation/CFString.h>
#include <Foundation/Foundation.h>
#include <dispatch/dispatch.h>

#include "URequirements.h"

// A false condition is reported as "REQUIREMENT - <text> in <function>:<line> (<file>)"; with
// the debugger flag 1 the process then stops for a debugger (SIGTRAP).
int __CFRequiredInlineVerbose(int condition, const char* function, const char* file, int line,
                              const char* text, int debuggerBreak);
int __CFRequiredInline(int condition);
int __CFRequiredNotCFNullInline(CFTypeRef object);
// A failure is reported as REQUIRED_NOT_NULL.
int __CFRequiredNotCFNullInlineVerbose(CFTypeRef object, const char* function, const char* file, int line,
                                       const char* text);
int __CFRequiredTypeOfInline(CFTypeRef object, CFTypeID typeID);
int __CFRequiredTypeHasRefCountInline(CFTypeRef object);
int __DispatchRequiredInline(dispatch_queue_t queue);
// Not nil and not the shared NSNull.
int __NSRequiredNotNilInline(const NSObject* object);
int __NSRequiredHasSelectorInline(const NSObject* object, SEL selector);
int __OSStatusRequiredInline(OSStatus status);

// The location's fields; the empty string for a missing text.
const char* CFLogLocationGetFileName(const CFLogLocation* location);
const char* CFLogLocationGetFunction(const CFLogLocation* location);
int CFLogLocationGetLineNumber(const CFLogLocation* location);
const char* CFLogLocationGetCode(const CFLogLocation* location);
// "<message> - <code> in <function>:<line> (<file>)" (+1); the empty string without a location.
CFStringRef CFLocationErrorCopyString(const CFLogLocation* location, CFStringRef message);

// Hands the string to the installed log-string hook, if any, then to NSLog.
void __NSLogString(CFStringRef string);
// Formats the message, writes it to syslog at LOG_WARNING, then to NSLog.
void __posixNSLog(CFStringRef format, ...);
// The object's class name, or "(nil)".
NSString* NSObjectConciseDesc(const NSObject* object);
// Autoreleases a non-nil object; answers it.
NSObject* MRR_SafeAutorelease(NSObject* object);
// A function of the CoreFoundation framework by name, or null; the framework is opened once.
void* ___softlink_CFTypeRefFunctionPointer(const char* name);
