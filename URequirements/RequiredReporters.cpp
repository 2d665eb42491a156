#include "RequiredReporters.h"

#include <CoreFoundation/CFString.h>
#include <CoreServices/CoreServices.h>
#include <objc/runtime.h>

#include "RequiredLog.h"
#include "RequiredStatusText.h"

static const char* orEmpty(const char* text) { return text ? text : ""; }

void __CFRequiredBody(const char* file, const char* function, int line, const char* code) {
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("REQUIREMENT"));
}

void __OSStatusRequiredBody(OSStatus status, const char* function, const char* file, int line, const char* code) {
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_OSSTATUS(%ld) %s-'%s'"), long(status),
               orEmpty(GetMacOSStatusErrorString(status)), orEmpty(GetMacOSStatusCommentString(status)));
}

void __CFRequiredNotCFNullBody(const void* value, const char* file, const char* function, int line,
                               const char* code) {
  objc::AutoreleasePool pool;
  char valueText[64];
  snprintf(valueText, sizeof valueText, "0x%08lx==NULL", reinterpret_cast<unsigned long>(value));
  __CFLogPrintf(CFSTR("REQUIRED_NOT_NULL %s : %s in %s LINE# %d (%s)\n"), valueText, orEmpty(code),
                orEmpty(function), line, orEmpty(file));
}

// The description of a type id, or "?" for the id that no type has (+1).
static CFStringRef copyTypeDescription(CFTypeID typeID) {
  if (typeID == 0) return CFStringCreateCopy(nullptr, CFSTR("?"));
  return CFCopyTypeIDDescription(typeID);
}

void __CFRequiredTypeOfBody(const char* label, CFTypeRef value, CFTypeID expected, const char* file,
                            const char* function, int line, const char* code) {
  objc::AutoreleasePool pool;
  CFStringRef typeText;
  if (!value) {
    typeText = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s==NULL"), orEmpty(code));
  } else {
    const CFTypeID valueType = CFGetTypeID(value);
    CFStringRef valueDescription = copyTypeDescription(valueType);
    CFStringRef expectedDescription = copyTypeDescription(expected);
    typeText = CFStringCreateWithFormat(nullptr, nullptr,
                                        CFSTR("[%s ((%@)0x%08lx) != %@GetTypeID() (%08lx!=%08lx)] FAILED"),
                                        orEmpty(code), valueDescription, reinterpret_cast<unsigned long>(value),
                                        expectedDescription, static_cast<unsigned long>(valueType),
                                        static_cast<unsigned long>(expected));
    if (valueDescription) CFRelease(valueDescription);
    if (expectedDescription) CFRelease(expectedDescription);
  }
  if (!typeText) return;
  __CFLogPrintf(CFSTR("%s %@ : in %s LINE# %d (%s)\n"), orEmpty(label), typeText, orEmpty(function), line,
                orEmpty(file));
  CFRelease(typeText);
}

void __CoreAudioRequiredBody(OSStatus status, const char* function, const char* file, int line, const char* code) {
  char statusText[kRequiredStatusTextSize];
  kRequiredCoreAudioStatusNames.format(status, statusText, sizeof statusText);
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_COREAUDIO FAILED: %s"), statusText);
}

void __CoreVideoRequiredBody(SInt32 status, const char* function, const char* file, int line, const char* code) {
  char statusText[kRequiredStatusTextSize];
  kRequiredCVReturnStatusNames.format(status, statusText, sizeof statusText);
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_CVRETURN FAILED: %s"), statusText);
}

void __DispatchRequiredBody(const char*, const void* value, const char* file, const char* function, int line,
                            const char* code) {
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_DISPATCH_QUEUE 0x%08lx==NULL"), reinterpret_cast<unsigned long>(value));
}
