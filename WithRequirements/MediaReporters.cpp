#include "MediaReporters.h"

#include <CoreFoundation/CFString.h>
#include <RequiredLog.h>

#include <iterator>

#include "MediaStatusNames.h"

static const char* orEmpty(const char* text) { return text ? text : ""; }

// The reporters of the status families: the family's line with the status text, then (for
// those that are OSStatus codes) the general status line.
static void postStatus(CFStringRef format, const char* statusText, const char* function, const char* file, int line,
                       const char* code) {
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, format, statusText);
}

void __CoreMediaIOStatusRequiredBody(OSStatus status, const char* function, const char* file, int line,
                                     const char* code) {
  char text[kRequiredStatusTextSize];
  kRequiredCoreMediaIOStatusNames.format(status, text, sizeof text);
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_CMIOSTATUS %d:%s"), int(status), text);
  __OSStatusRequiredBody(status, function, file, line, code);
}

void __CoreMediaOSStatusRequiredBody(OSStatus status, const char* function, const char* file, int line,
                                     const char* code) {
  char text[kRequiredStatusTextSize];
  kRequiredCoreMediaStatusNames.format(status, text, sizeof text);
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_CMSTATUS %d:%s"), int(status), text);
  __OSStatusRequiredBody(status, function, file, line, code);
}

void __SecurityStatusRequiredBody(OSStatus status, const char* function, const char* file, int line,
                                  const char* code) {
  char text[kRequiredStatusTextSize];
  kRequiredSecurityStatusNames.format(status, text, sizeof text);
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_SECSTATUS %d:%s"), int(status), text);
  __OSStatusRequiredBody(status, function, file, line, code);
}

void __KernelReturnRequiredBody(kern_return_t status, const char* function, const char* file, int line,
                                const char* code) {
  char text[kRequiredStatusTextSize];
  kRequiredKernelReturnNames.format(status, text, sizeof text);
  postStatus(CFSTR("REQUIRED_KERNRETURN FAILED: %s"), text, function, file, line, code);
}

void __IOKitRequiredBody(SInt32 status, const char* function, const char* file, int line, const char* code) {
  char text[kRequiredStatusTextSize];
  kRequiredIOKitReturnNames.format(status, text, sizeof text);
  postStatus(CFSTR("REQUIRED_KERNRETURN FAILED: %s"), text, function, file, line, code);
}

void __CFSocketRequiredBody(CFIndex error, const char* function, const char* file, int line, const char* code) {
  char text[kRequiredStatusTextSize];
  const SInt32 low = SInt32(error & 0xFFFFFFFF);
  kRequiredSocketErrorNames.format(low, text, sizeof text);
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("CFSocketError=%d:%s"), int(low), text);
}

void __BlockPtrRequiredBody(const char* label, const void* block, const char* file, const char* function, int line,
                            const char* code) {
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("REQUIRED_BLOCK_PTR %s 0x%08lx==NULL"), orEmpty(label),
               reinterpret_cast<unsigned long>(block));
}

static const char* classNameOf(const NSObject* object) {
  const char* name = object ? object->className() : nullptr;
  return name ? name : "(nil)";
}

void __NSRequiredKindOfClassBody(const char* label, const NSObject* object, Class cls, const char* file,
                                 const char* function, int line, const char* code) {
  const char* expected = cls ? class_getName(cls) : nullptr;
  CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("[%s isKindOfClass:%s] FAILED"),
                                              classNameOf(object), expected ? expected : "(nil)");
  if (!text) return;
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("%s %@"), orEmpty(label), text);
  CFRelease(text);
}

void __NSRequiredDelegateSelectorBody(const char* label, const NSObject* object, const char* selectorName,
                                      const char* file, const char* function, int line, const char* code) {
  const NSObject* delegate = nullptr;
  if (object && object != NSRequiredNotNSNullCachedValue) {
    if (auto* delegating = dynamic_cast<const NSRequiredDelegating*>(object)) delegate = delegating->delegate();
  }
  CFStringRef delegateText = delegate ? CFCopyDescription(delegate) : CFStringCreateCopy(nullptr, CFSTR("nil"));
  CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s.delegate=%@ has no @selector(%s)"),
                                              classNameOf(object), delegateText, orEmpty(selectorName));
  if (delegateText) CFRelease(delegateText);
  if (!text) return;
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("%s %@"), orEmpty(label), text);
  CFRelease(text);
}

void __NSRequiredValidIdBody(const NSObject* object, const char* file, const char* function, int line,
                             const char* code) {
  CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s==%s"), classNameOf(object),
                                              object && object == NSRequiredNotNSNullCachedValue ? "NSNull" : "nil");
  if (!text) return;
  const CFLogLocation location{file, function, line, code};
  __CFLogError(&location, CFSTR("VERIFY_ID %@"), text);
  CFRelease(text);
}

void __CoreMediaCMTimeLogMessage(const char* sourcePath, const char* function, int line, const char* label,
                                 CMTime time) {
  CFStringRef description = CMTimeCopyDescription(nullptr, time);
  if (!description) return;
  if (CFGetTypeID(description) == CFStringGetTypeID() && sourcePath) {
    char text[1024] = "";
    CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8);
    __CFLogPrintf(CFSTR("CMTime '%s' %s {%s:%d %s}\n"), text, orEmpty(label),
                  __CFConstStaticJustFileNameUTF8(sourcePath), line, orEmpty(function));
  }
  CFRelease(description);
}

void __CFLogShowTypeRef(CFTypeRef object) {
  if (!object || object == static_cast<CFTypeRef>(kCFNull) || CFGetRetainCount(object) <= 0) return;
  __CFLogPrintf(CFSTR("%@"), object);
}

const char* CopySecTrustResultTypeString(UInt32 result) {
  static const char* const names[] = {
      "kSecTrustResultInvalid",     "kSecTrustResultProceed",
      "kSecTrustResultConfirm",     "kSecTrustResultDeny",
      "kSecTrustResultUnspecified", "kSecTrustResultRecoverableTrustFailure",
      "kSecTrustResultFatalTrustFailure", "kSecTrustResultOtherError",
  };
  return result < std::size(names) ? names[result] : "(unknown)";
}
