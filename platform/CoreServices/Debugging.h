#pragma once
// Names and comments of the platform's status codes, for logs. An unknown status answers the
// empty text (never null), so a caller may print either result directly.
#include <CoreFoundation/MacTypes.h>

extern "C" __attribute__((visibility("default"))) const char* GetMacOSStatusErrorString(OSStatus err);
extern "C" __attribute__((visibility("default"))) const char* GetMacOSStatusCommentString(OSStatus err);
