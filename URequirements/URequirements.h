#pragma once
// Requirement checks. Each macro evaluates its expression once, in place, reports through its
// reporter when the requirement fails and yields whether it held, so that the caller can take
// its own failure path:
//   if (!REQUIRED_OSSTATUS(status = AudioObjectGetPropertyData(...))) return status;
#include "CFLogLocation.h"
#include "RequiredLog.h"
#include "RequiredReporters.h"
#include "RequiredStatusText.h"

#define REQUIRED_FILE_NAME __CFConstStaticJustFileNameASCII(__FILE__, sizeof(__FILE__) - 1)

namespace URequirements {

inline bool statusHolds(OSStatus status, void (*reporter)(OSStatus, const char*, const char*, int, const char*),
                        const char* function, const char* file, int line, const char* code) {
  if (status == 0) return true;
  reporter(status, function, file, line, code);
  return false;
}

inline bool isMissing(const void* value) { return value == nullptr || value == static_cast<const void*>(kCFNull); }

inline bool notNull(const void* value, const char* file, const char* function, int line, const char* code) {
  if (!isMissing(value)) return true;
  __CFRequiredNotCFNullBody(value, file, function, line, code);
  return false;
}

inline bool typeOf(CFTypeRef value, CFTypeID expected, const char* file, const char* function, int line,
                   const char* code) {
  if (!isMissing(value) && CFGetTypeID(value) == expected) return true;
  __CFRequiredTypeOfBody("REQUIRED_CFTYPEOF", value, expected, file, function, line, code);
  return false;
}

inline bool notNil(const NSObject* object, const char* file, const char* function, int line, const char* code) {
  if (object && object != NSRequiredNotNSNullCachedValue) return true;
  __NSRequiredNotNilBody(object, file, function, line, code);
  return false;
}

inline bool noError(const NSError* error, const char* file, const char* function, int line, const char* code) {
  if (!error) return true;
  __NSRequiredNSErrorNilBody(error, file, function, line, code);
  return false;
}

inline bool dispatchObject(const void* value, const char* file, const char* function, int line, const char* code) {
  if (value) return true;
  __DispatchRequiredBody("REQUIRED_DISPATCH", value, file, function, line, code);
  return false;
}

inline bool streamErrorClear(const CFStreamError& error, const char* function, const char* file, int line,
                             const char* code) {
  if (error.domain == 0 && error.error == 0) return true;
  __CFStreamErrorRequiredBody(&error, function, file, line, code);
  return false;
}

}  // namespace URequirements

#define REQUIREMENT(condition) \
  ((condition) ? true : (__CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>" #condition), false))

#define REQUIRED_OSSTATUS(status) \
  URequirements::statusHolds((status), __OSStatusRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, __LINE__, "SRC>>" #status)

#define REQUIRED_COREAUDIO(status) \
  URequirements::statusHolds((status), __CoreAudioRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, __LINE__, "SRC>>" #status)

#define REQUIRED_CVRETURN(status) \
  URequirements::statusHolds((status), __CoreVideoRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, __LINE__, "SRC>>" #status)

#define REQUIRED_NOT_NULL(value) \
  URequirements::notNull((value), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, #value)

#define REQUIRED_CFTYPEOF(value, typeID) \
  URequirements::typeOf((value), (typeID), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, #value)

#define REQUIRED_NOT_NIL(object) \
  URequirements::notNil((object), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>" #object)

#define REQUIRED_NSERROR_NIL(error) \
  URequirements::noError((error), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>" #error)

// Wraps a caught exception: REQUIRED_NO_EXCEPTION(exception) reports it and yields false.
#define REQUIRED_NO_EXCEPTION(exception) \
  (__NSRequiredNoExceptionBody((exception), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>" #exception), false)

#define REQUIRED_DISPATCH_QUEUE(value) \
  URequirements::dispatchObject((value), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, #value)

#define REQUIRED_CFSTREAMERROR(error) \
  URequirements::streamErrorClear((error), __FUNCTION__, REQUIRED_FILE_NAME, __LINE__, "SRC>>" #error)
