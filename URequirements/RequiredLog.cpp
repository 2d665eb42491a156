#include "RequiredLog.h"

#include <Foundation/Foundation.h>
#include <dispatch/dispatch.h>

#include <atomic>
#include <cstring>
#include <string>

#include "RequiredDrops.h"

const char* const kRequiredOutputQueueLabel = "sCFTypeRefOutputQueue";

static std::atomic<dispatch_queue_t> sCFTypeRefOutputQueue{nullptr};
static std::atomic<CFLogStringFnPtr> sLogStringHook{nullptr};

static NSString* asNSString(CFStringRef string) { return bridge_cast<NSString*>(string); }

void RequiredTellDrop(const char* function, int line, const char* what) {
  NSLog(asNSString(CFSTR("LOGGING:REQUIRED[%s:%d] %s")), function, line, what);
}

static void createOutputQueue(void*) {
  sCFTypeRefOutputQueue = dispatch_queue_create(kRequiredOutputQueueLabel, DISPATCH_QUEUE_SERIAL);
  if (!sCFTypeRefOutputQueue.load()) {
    REQUIRED_TELL_DROP_IN("RequiredCoreLogTypeRefConstructor", "sCFTypeRefOutputQueue==NULL");
    return;
  }
  REQUIRED_TELL_DROP_IN("RequiredCoreLogTypeRefConstructor", "Startup");
}

__attribute__((constructor)) static void RequiredCoreLogTypeRefConstructor() {
  static dispatch_once_t once;
  dispatch_once_f(&once, nullptr, createOutputQueue);
}

static void nothing(void*) {}

// Messages posted before exit must still reach the console: wait until the queue has written
// everything in it before letting it go.
__attribute__((destructor)) static void RequiredCoreLogTypeRefDestructor() {
  dispatch_queue_t queue = sCFTypeRefOutputQueue.exchange(nullptr);
  if (!queue) {
    REQUIRED_TELL_DROP("sCFTypeRefOutputQueue==NULL");
    return;
  }
  dispatch_sync_f(queue, nullptr, nothing);
  dispatch_release(queue);
}

static void writeMessage(void* context) {
  CFStringRef message = static_cast<CFStringRef>(context);
  if (CFLogStringFnPtr hook = sLogStringHook.load()) hook(message);
  NSLog(asNSString(CFSTR("%@")), message);
  CFRelease(message);
}

static bool isString(CFTypeRef object) {
  return object && object != static_cast<CFTypeRef>(kCFNull) && CFGetTypeID(object) == CFStringGetTypeID();
}

void __CFLogStringRefOnQueue(CFStringRef message) {
  dispatch_queue_t queue = sCFTypeRefOutputQueue.load();
  if (!isString(message) || !queue) {
    REQUIRED_TELL_DROP("logStringRef==NULL || sCFTypeRefOutputQueue==NULL");
    return;
  }
  CFRetain(message);
  dispatch_async_f(queue, const_cast<void*>(static_cast<const void*>(message)), writeMessage);
}

void __CFLogSetLogStringFnPtr(CFLogStringFnPtr hook) { sLogStringHook = hook; }

CFLogStringFnPtr __CFLogGetLogStringFnPtr(void) { return sLogStringHook.load(); }

void __CFLogFlush(void) {
  if (dispatch_queue_t queue = sCFTypeRefOutputQueue.load()) dispatch_sync_f(queue, nullptr, nothing);
}

// A new string made of a format and its arguments, or null when either cannot make one.
static CFStringRef copyFormatted(const char* caller, CFStringRef format, va_list arguments) {
  if (!isString(format)) {
    REQUIRED_TELL_DROP_IN(caller, "format==NULL");
    return nullptr;
  }
  CFStringRef message = CFStringCreateWithFormatAndArguments(nullptr, nullptr, format, arguments);
  if (!isString(message)) {
    REQUIRED_TELL_DROP_IN(caller, "logStringRef==NULL");
    if (message) CFRelease(message);
    return nullptr;
  }
  return message;
}

static void postFormatted(const char* caller, CFStringRef format, va_list arguments) {
  CFStringRef message = copyFormatted(caller, format, arguments);
  if (!message) return;
  __CFLogStringRefOnQueue(message);
  CFRelease(message);
}

static const char* orEmpty(const char* text) { return text ? text : ""; }

void __CFLogError(const CFLogLocation* location, CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  CFStringRef message = copyFormatted(__FUNCTION__, format, arguments);
  va_end(arguments);
  if (!message) return;
  if (!location) {
    REQUIRED_TELL_DROP("location==NULL");
    __CFLogStringRefOnQueue(CFSTR(""));
    CFRelease(message);
    return;
  }
  CFStringRef line = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ - %s in %s:%d (%s)"), message,
                                              orEmpty(location->code), orEmpty(location->file),
                                              int(location->line), orEmpty(location->function));
  CFRelease(message);
  if (!isString(line)) {
    REQUIRED_TELL_DROP("errorStringRef==NULL");
    if (line) CFRelease(line);
    return;
  }
  __CFLogStringRefOnQueue(line);
  CFRelease(line);
}

void __CFLogPrintf(CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  postFormatted(__FUNCTION__, format, arguments);
  va_end(arguments);
}

void __CFNSLog(CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  postFormatted(__FUNCTION__, format, arguments);
  va_end(arguments);
}

// A C-string format as a CFString format, or null.
static CFStringRef copyFormatString(const char* caller, const char* format) {
  if (!format) {
    REQUIRED_TELL_DROP_IN(caller, "pszFormat==NULL");
    return nullptr;
  }
  CFStringRef formatString = CFStringCreateWithCString(nullptr, format, kCFStringEncodingUTF8);
  if (!isString(formatString)) {
    REQUIRED_TELL_DROP_IN(caller, "formatStringRef==NULL");
    if (formatString) CFRelease(formatString);
    return nullptr;
  }
  return formatString;
}

// Posts a message made from a C-string format; the caller owns `arguments`.
static void postFormattedCString(const char* caller, const char* format, va_list arguments) {
  CFStringRef formatString = copyFormatString(caller, format);
  if (!formatString) return;
  postFormatted(caller, formatString, arguments);
  CFRelease(formatString);
}

void __CFRequiredPrintf(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  postFormattedCString(__FUNCTION__, format, arguments);
  va_end(arguments);
}

void __CFRequiredLogString(const char* first, const char* second) {
  if (!first || !second) {
    REQUIRED_TELL_DROP("in_location==NULL || cstring==NULL");
    return;
  }
  __CFLogPrintf(CFSTR("%s:%s"), first, second);
}

void __CFRequiredLogPrintf(const char* prefix, const char* format, ...) {
  if (!prefix || !format) {
    REQUIRED_TELL_DROP("in_location==NULL || pszFormat==NULL");
    return;
  }
  // The prefix becomes part of the format; a '%' in it must stay text, not a conversion that
  // would read an argument that was never passed.
  std::string joined;
  for (const char* character = prefix; *character; ++character) {
    joined += *character;
    if (*character == '%') joined += '%';
  }
  joined += ' ';
  joined += format;
  va_list arguments;
  va_start(arguments, format);
  postFormattedCString(__FUNCTION__, joined.c_str(), arguments);
  va_end(arguments);
}
