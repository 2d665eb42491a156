#pragma once
// The media types of capture devices and connections.
#include <Foundation/NSString.h>

#include <QTKit/QTKitDefines.h>

QTKIT_EXPORT NSString* const QTMediaTypeVideo;
QTKIT_EXPORT NSString* const QTMediaTypeSound;
QTKIT_EXPORT NSString* const QTMediaTypeMuxed;
