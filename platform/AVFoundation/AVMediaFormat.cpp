#include "AVMediaFormat.h"

#include "AVError.h"

NSString* const AVMediaTypeVideo = NSSTR("vide");
NSString* const AVMediaTypeAudio = NSSTR("soun");
NSString* const AVMediaTypeMuxed = NSSTR("muxx");
NSString* const AVFoundationErrorDomain = NSSTR("AVFoundationErrorDomain");
