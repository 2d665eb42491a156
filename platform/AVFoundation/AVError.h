#pragma once
// The errors of capture: their domain and codes, and the key under which a session's
// runtime error notification carries its error.
#include <Foundation/NSError.h>

#include <AVFoundation/AVFoundationDefines.h>

AVF_EXPORT NSString* const AVFoundationErrorDomain;

typedef NSInteger AVError;
enum : NSInteger {
  AVErrorUnknown = -11800,
  AVErrorDeviceNotConnected = -11814,
  AVErrorDeviceWasDisconnected = -11818,
  AVErrorSessionNotRunning = -11803,
  AVErrorApplicationIsNotAuthorizedToUseDevice = -11852,
};
