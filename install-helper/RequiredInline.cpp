#include "RequiredInline.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <dlfcn.h>
#include <signal.h>
#include <syslog.h>

#include <cstdarg>
#include <mutex>
#include <string>

int __CFRequiredInlineVerbose(int condition, const char* function, const char* file, int line,
                              const char* text, int debuggerBreak) {
  if (condition) return condition;
  // The tool's reports name the function before the line and the file after it.
  __CFRequiredBody(function, file, line, text);
  if (debuggerBreak == 1) raise(SIGTRAP);
  return 0;
}

int __CFRequiredInline(int condition) { return condition ? 1 : 0; }

int __CFRequiredNotCFNullInline(CFTypeRef object) { return URequirements::isMissing(object) ? 0 : 1; }

int __CFRequiredNotCFNullInlineVerbose(CFTypeRef object, const char* function, const char* file, int line,
                                       const char* text) {
  if (__CFRequiredNotCFNullInline(object)) return 1;
  __CFRequiredNotCFNullBody(object, file, function, line, text);
  return 0;
}

int __CFRequiredTypeOfInline(CFTypeRef object, CFTypeID typeID) {
  return __CFRequiredNotCFNullInline(object) && CFGetTypeID(object) == typeID ? 1 : 0;
}

int __CFRequiredTypeHasRefCountInline(CFTypeRef object) {
  return __CFRequiredNotCFNullInline(object) && CFGetRetainCount(object) > 0 ? 1 : 0;
}

int __DispatchRequiredInline(dispatch_queue_t queue) { return queue ? 1 : 0; }

int __NSRequiredNotNilInline(const NSObject* object) {
  return object && object != NSRequiredNotNSNullCachedValue ? 1 : 0;
}

int __NSRequiredHasSelectorInline(const NSObject* object, SEL selector) {
  return object && object->respondsToSelector(selector) ? 1 : 0;
}

int __OSStatusRequiredInline(OSStatus status) { return status == noErr ? 1 : 0; }

static const char* orEmpty(const char* text) { return text ? text : ""; }

const char* CFLogLocationGetFileName(const CFLogLocation* location) {
  return orEmpty(location ? location->file : nullptr);
}

const char* CFLogLocationGetFunction(const CFLogLocation* location) {
  return orEmpty(location ? location->function : nullptr);
}

int CFLogLocationGetLineNumber(const CFLogLocation* location) { return location ? int(location->line) : 0; }

const char* CFLogLocationGetCode(const CFLogLocation* location) {
  return orEmpty(location ? location->code : nullptr);
}

CFStringRef CFLocationErrorCopyString(const CFLogLocation* location, CFStringRef message) {
  if (!location) return CFStringCreateCopy(nullptr, CFSTR(""));
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ - %s in %s:%d (%s)"), message,
                                  CFLogLocationGetCode(location), CFLogLocationGetFunction(location),
                                  CFLogLocationGetLineNumber(location), CFLogLocationGetFileName(location));
}

void __NSLogString(CFStringRef string) {
  if (!string) return;
  if (CFLogStringFnPtr hook = __CFLogGetLogStringFnPtr()) hook(string);
  NSLog(NSSTR("%@"), string);
}

void __posixNSLog(CFStringRef format, ...) {
  if (!format) return;
  va_list arguments;
  va_start(arguments, format);
  CFStringRef message = CFStringCreateWithFormatAndArguments(nullptr, nullptr, format, arguments);
  va_end(arguments);
  if (!message) return;
  syslog(LOG_WARNING, "%s", toNSString(message)->UTF8String());
  NSLog(NSSTR("%@"), message);
  CFRelease(message);
}

NSString* NSObjectConciseDesc(const NSObject* object) {
  return object ? NSString::stringWithUTF8String(object->className()) : NSSTR("(nil)");
}

NSObject* MRR_SafeAutorelease(NSObject* object) { return object ? object->autorelease() : nullptr; }

void* ___softlink_CFTypeRefFunctionPointer(const char* name) {
  static void* framework = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    std::string root = _CFPlatformRootPath();
    while (!root.empty() && root.back() == '/') root.pop_back();
    const std::string path =
        root + "/System/Library/Frameworks/CoreFoundation.framework/Versions/A/CoreFoundation";
    framework = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  });
  return framework && name ? dlsym(framework, name) : nullptr;
}
