#pragma once
// The kinds of media a capture device offers.
#include <Foundation/NSString.h>

#include <AVFoundation/AVFoundationDefines.h>

AVF_EXPORT NSString* const AVMediaTypeVideo;
AVF_EXPORT NSString* const AVMediaTypeAudio;
// Pictures and sound in one stream (a tape deck, a camera with a microphone).
AVF_EXPORT NSString* const AVMediaTypeMuxed;
