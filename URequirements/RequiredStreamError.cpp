#include <CFNetwork/CFNetwork.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFError.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>

#include "RequiredLog.h"
#include "RequiredReporters.h"
#include "URequirements.h"

// The CFNetwork code of an HTTP stream error, or 0 when the error has none.
static CFIndex httpErrorCode(SInt32 error) {
  switch (error) {
    case -1: return kCFErrorHTTPParseFailure;
    case -2: return kCFErrorHTTPRedirectionLoopDetected;
    case -3: return kCFErrorHTTPBadURL;
    case -1000: return kCFErrorHTTPAuthenticationTypeUnsupported;
    case -1001:
    case -1002: return kCFErrorHTTPBadCredentials;
    default: return 0;
  }
}

CFErrorRef __CFStreamErrorCopyCFErrorRef(const CFStreamError* in_error) {
  if (!REQUIRED_NOT_NULL(in_error)) return nullptr;
  if (in_error->domain == 0 && in_error->error == 0) return nullptr;

  CFMutableDictionaryRef userInfo =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFIndex code = in_error->error;
  CFStringRef domain = CFSTR("CFStreamErrorDomain");
  switch (in_error->domain) {
    case kCFStreamErrorDomainMacOSStatus: domain = kCFErrorDomainOSStatus; break;
    case kCFStreamErrorDomainPOSIX: domain = kCFErrorDomainPOSIX; break;
    case kCFStreamErrorDomainMach: domain = kCFErrorDomainMach; break;
    case kCFStreamErrorDomainNetDB: {
      domain = kCFErrorDomainCFNetwork;
      SInt32 failure = in_error->error;
      CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &failure);
      if (userInfo && number) CFDictionarySetValue(userInfo, kCFGetAddrInfoFailureKey, number);
      if (number) CFRelease(number);
      break;
    }
    case kCFStreamErrorDomainNetServices: domain = CFSTR("kCFStreamErrorDomainNetServices"); break;
    case kCFStreamErrorDomainSOCKS: domain = CFSTR("kCFStreamErrorDomainSOCKS"); break;
    case kCFStreamErrorDomainSSL: domain = CFSTR("kCFStreamErrorDomainSSL"); break;
    case kCFStreamErrorDomainHTTP:
      if (CFIndex mapped = httpErrorCode(in_error->error)) {
        domain = kCFErrorDomainCFNetwork;
        code = mapped;
      }
      break;
    default: break;
  }
  CFErrorRef error = CFErrorCreate(nullptr, domain, code, userInfo);
  if (userInfo) CFRelease(userInfo);
  REQUIRED_CFTYPEOF(error, CFErrorGetTypeID());
  return error;
}

void __CFStreamErrorRequiredBody(const CFStreamError* in_error, const char* function, const char* file, int line,
                                 const char* code) {
  if (!REQUIRED_NOT_NULL(in_error)) return;
  CFErrorRef errorRef = __CFStreamErrorCopyCFErrorRef(in_error);
  if (!REQUIRED_CFTYPEOF(errorRef, CFErrorGetTypeID())) {
    if (errorRef) CFRelease(errorRef);
    return;
  }
  const CFLogLocation location{function, file, line, code};
  __CFLogError(&location, CFSTR("%@ CFStreamError{ .domain=%d .error=%d }"), errorRef, int(in_error->domain),
               int(in_error->error));
  CFRelease(errorRef);
}
