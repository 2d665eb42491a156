#pragma once
// The requirement reporters. Each builds one message with the caller's location and posts it
// to the requirement console; none returns a verdict to act on and none stops the program:
// the calling code goes on along its own failure path.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFError.h>
#include <CFNetwork/CFStreamError.h>
#include <objc/NSObject.h>

#include "CFLogLocation.h"

class NSError;
class NSException;

void __CFRequiredBody(const char* file, const char* function, int line, const char* code);
void __OSStatusRequiredBody(OSStatus status, const char* function, const char* file, int line, const char* code);
void __CFRequiredNotCFNullBody(const void* value, const char* file, const char* function, int line,
                               const char* code);
void __CFRequiredTypeOfBody(const char* label, CFTypeRef value, CFTypeID expected, const char* file,
                            const char* function, int line, const char* code);
void __CoreAudioRequiredBody(OSStatus status, const char* function, const char* file, int line, const char* code);
void __CoreVideoRequiredBody(SInt32 status, const char* function, const char* file, int line, const char* code);
void __NSRequiredNSErrorNilBody(const NSError* error, const char* file, const char* function, int line,
                                const char* code);
void __NSRequiredNotNilBody(const NSObject* object, const char* file, const char* function, int line,
                            const char* code);
void __NSRequiredNoExceptionBody(const NSException* exception, const char* file, const char* function, int line,
                                 const char* code);
void __DispatchRequiredBody(const char* label, const void* value, const char* file, const char* function, int line,
                            const char* code);
void __CFStreamErrorRequiredBody(const CFStreamError* error, const char* function, const char* file, int line,
                                 const char* code);

// A new CFError (+1) describing a stream error, or null for none ({0, 0}) or a null record.
CFErrorRef __CFStreamErrorCopyCFErrorRef(const CFStreamError* error);

// Whether the caller runs on the main thread, the main operation queue or the main queue.
bool __NSIsRunningOnMainThread();
// Whether the caller runs on the main dispatch queue.
bool __NSIsRunningOnMainQueue();

// Retains the object and hands it to the current autorelease pool; answers it (null for null).
CFTypeRef __CFTypeRefPropertySafeRetainAndAutorelease(CFTypeRef object);

// The NSNull singleton, fetched once at load for identity tests.
extern const NSObject* NSRequiredNotNSNullCachedValue;
