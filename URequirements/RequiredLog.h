#pragma once
// The requirement console: every message is formatted on the caller's thread and written by
// NSLog from one serial queue, "sCFTypeRefOutputQueue", in posting order, so that reports
// from audio and video threads never block on the console and never interleave.
#include <CoreFoundation/CFString.h>

#include "CFLogLocation.h"

typedef void (*CFLogStringFnPtr)(CFStringRef message);

// Posts a string as it stands (a '%' in it stays a '%'); the caller keeps its reference.
void __CFLogStringRefOnQueue(CFStringRef message);
// Posts "<message> - <code> in <file>:<line> (<function>)".
void __CFLogError(const CFLogLocation* location, CFStringRef format, ...);
void __CFLogPrintf(CFStringRef format, ...);
void __CFNSLog(CFStringRef format, ...);
void __CFRequiredPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Posts "<first>:<second>".
void __CFRequiredLogString(const char* first, const char* second);
// Posts "<prefix> <format filled with the arguments>".
void __CFRequiredLogPrintf(const char* prefix, const char* format, ...) __attribute__((format(printf, 2, 3)));
// A hook that sees every message on the queue before NSLog writes it; null removes it.
void __CFLogSetLogStringFnPtr(CFLogStringFnPtr hook);
CFLogStringFnPtr __CFLogGetLogStringFnPtr(void);
// Waits until every message posted so far has been written, for a program that must show a
// report before its next line or before it ends.
void __CFLogFlush(void);

// The label of the console queue of this copy of the library.
extern const char* const kRequiredOutputQueueLabel;
