#pragma once
// The errors of capture, and the key by which a recording that ended well says so although
// it ended with an error.
#include <Foundation/NSError.h>

#include <QTKit/QTKitDefines.h>

QTKIT_EXPORT NSString* const QTKitErrorDomain;
QTKIT_EXPORT NSString* const QTErrorRecordingSuccesfullyFinishedKey;

enum : NSInteger {
  QTErrorUnknown = -1,
  QTErrorDeviceNotConnected = 1100,
  QTErrorDeviceWasDisconnected = 1104,
  QTErrorDeviceNotAuthorized = 1110,
  QTErrorMovieFileCouldNotBeWritten = 1200,
};
