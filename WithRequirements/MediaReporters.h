#pragma once
// The reporters behind the macros of WithRequirements.h; each posts one message to the
// requirement console and returns nothing.
#include <CoreFoundation/CFBase.h>
#include <CoreMedia/CMTime.h>
#include <RequiredReporters.h>
#include <mach/kern_return.h>
#include <objc/NSObject.h>

// Each status reporter below but the kernel, IOKit and socket ones also posts the
// REQUIRED_OSSTATUS line of the same status.
void __CoreMediaIOStatusRequiredBody(OSStatus status, const char* function, const char* file, int line,
                                     const char* code);
void __CoreMediaOSStatusRequiredBody(OSStatus status, const char* function, const char* file, int line,
                                     const char* code);
void __SecurityStatusRequiredBody(OSStatus status, const char* function, const char* file, int line,
                                  const char* code);
void __KernelReturnRequiredBody(kern_return_t status, const char* function, const char* file, int line,
                                const char* code);
void __IOKitRequiredBody(SInt32 status, const char* function, const char* file, int line, const char* code);
void __CFSocketRequiredBody(CFIndex error, const char* function, const char* file, int line, const char* code);

void __BlockPtrRequiredBody(const char* label, const void* block, const char* file, const char* function, int line,
                            const char* code);
void __NSRequiredKindOfClassBody(const char* label, const NSObject* object, Class cls, const char* file,
                                 const char* function, int line, const char* code);
// `selectorName` is the name of the method the object's delegate lacks.
void __NSRequiredDelegateSelectorBody(const char* label, const NSObject* object, const char* selectorName,
                                      const char* file, const char* function, int line, const char* code);
void __NSRequiredValidIdBody(const NSObject* object, const char* file, const char* function, int line,
                             const char* code);

// Posts "CMTime '<description>' <label> {<file>:<line> <function>}".
void __CoreMediaCMTimeLogMessage(const char* sourcePath, const char* function, int line, const char* label,
                                 CMTime time);
// Posts the description of a living CF object.
void __CFLogShowTypeRef(CFTypeRef object);

// The name of a trust result (0 to 7), "(unknown)" for any other; a static text.
const char* CopySecTrustResultTypeString(UInt32 result);

// Objects that have a delegate answer it through this interface, so that the delegate check
// can name it.
class NSRequiredDelegating {
 public:
  virtual ~NSRequiredDelegating() = default;
  virtual NSObject* delegate() const = 0;
};
