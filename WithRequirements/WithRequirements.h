#pragma once
// The requirement checks that the media plug-ins carry beside those of URequirements: statuses
// of the camera system, CoreMedia, the kernel, IOKit, Security and sockets, null blocks,
// class and delegate checks, valid objects, and printers for times and objects. Like the
// others, each macro yields whether its requirement held.
#include <CoreMedia/CMTime.h>
#include <URequirements.h>

#include "MediaReporters.h"

namespace WithRequirements {

template <class Status>
inline bool statusIs(Status status, Status success, void (*reporter)(Status, const char*, const char*, int, const char*),
                     const char* function, const char* file, int line, const char* code) {
  if (status == success) return true;
  reporter(status, function, file, line, code);
  return false;
}

inline bool blockPresent(const char* label, const void* block, const char* file, const char* function, int line,
                         const char* code) {
  if (block) return true;
  __BlockPtrRequiredBody(label, block, file, function, line, code);
  return false;
}

inline bool validId(const NSObject* object, const char* file, const char* function, int line, const char* code) {
  if (object && object != NSRequiredNotNSNullCachedValue) return true;
  __NSRequiredValidIdBody(object, file, function, line, code);
  return false;
}

inline bool kindOf(const char* label, const NSObject* object, Class cls, const char* file, const char* function,
                   int line, const char* code) {
  if (object && object->isKindOfClass(cls)) return true;
  __NSRequiredKindOfClassBody(label, object, cls, file, function, line, code);
  return false;
}

}  // namespace WithRequirements

#define REQUIRED_CMIOSTATUS(status)                                                                              \
  WithRequirements::statusIs<OSStatus>((status), 0, __CoreMediaIOStatusRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, \
                                       __LINE__, "SRC>>" #status)

#define REQUIRED_CMSTATUS(status)                                                                               \
  WithRequirements::statusIs<OSStatus>((status), 0, __CoreMediaOSStatusRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, \
                                       __LINE__, "SRC>>" #status)

#define REQUIRED_KERNRETURN(status)                                                                              \
  WithRequirements::statusIs<kern_return_t>((status), KERN_SUCCESS, __KernelReturnRequiredBody, __FUNCTION__,    \
                                            REQUIRED_FILE_NAME, __LINE__, "SRC>>" #status)

#define REQUIRED_IORETURN(status)                                                                                \
  WithRequirements::statusIs<SInt32>((status), 0, __IOKitRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, __LINE__, \
                                     "SRC>>" #status)

#define REQUIRED_SECSTATUS(status)                                                                              \
  WithRequirements::statusIs<OSStatus>((status), 0, __SecurityStatusRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME, \
                                       __LINE__, "SRC>>" #status)

#define REQUIRED_CFSOCKETERROR(error)                                                                           \
  WithRequirements::statusIs<CFIndex>((error), 0, __CFSocketRequiredBody, __FUNCTION__, REQUIRED_FILE_NAME,      \
                                      __LINE__, "SRC>>" #error)

#define REQUIRED_BLOCK_PTR(block)                                                                               \
  WithRequirements::blockPresent("REQUIRED_BLOCK_PTR", static_cast<const void*>(block), REQUIRED_FILE_NAME,      \
                                 __FUNCTION__, __LINE__, #block)

#define REQUIRED_KINDOFCLASS(object, cls)                                                                       \
  WithRequirements::kindOf("REQUIRED_KINDOFCLASS", (object), (cls), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__,   \
                           "SRC>>" #object)

#define VERIFY_ID(object) \
  WithRequirements::validId((object), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>" #object)

#define LOG_CMTIME(label, time) __CoreMediaCMTimeLogMessage(__FILE__, __FUNCTION__, __LINE__, (label), (time))
