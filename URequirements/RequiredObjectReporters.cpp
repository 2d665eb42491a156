#include <CoreFoundation/CFString.h>
#include <Foundation/Foundation.h>
#include <dispatch/dispatch.h>

#include <cstring>

#include "RequiredLog.h"
#include "RequiredReporters.h"

const NSObject* NSRequiredNotNSNullCachedValue = nullptr;

__attribute__((constructor)) static void NSRequiredNotNSNullCachedValueConstructor() {
  NSRequiredNotNSNullCachedValue = NSNull::null();
}

void __NSRequiredNSErrorNilBody(const NSError* error, const char* file, const char* function, int line,
                                const char* code) {
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_NSERROR_NIL %@"), error);
}

void __NSRequiredNotNilBody(const NSObject* object, const char* file, const char* function, int line,
                            const char* code) {
  const char* className = object ? object->className() : "(nil)";
  CFStringRef text =
      CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s==%s"), className ? className : "(nil)",
                               object && object == NSRequiredNotNSNullCachedValue ? "NSNull" : "nil");
  if (!text) return;
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_NOT_NIL %@"), text);
  CFRelease(text);
}

void __NSRequiredNoExceptionBody(const NSException* exception, const char* file, const char* function, int line,
                                 const char* code) {
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_NO_EXCEPTION NSException{ %@ }"), exception);
}

bool __NSIsRunningOnMainThread() {
  if (NSThread::isMainThread()) return true;
  if (NSOperationQueue::currentQueue() == NSOperationQueue::mainQueue()) return true;
  const char* current = dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL);
  const char* main = dispatch_queue_get_label(dispatch_get_main_queue());
  return current && main && strcmp(current, main) == 0;
}

bool __NSIsRunningOnMainQueue() {
  return dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL) == dispatch_queue_get_label(dispatch_get_main_queue());
}
