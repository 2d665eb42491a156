#include "QTMedia.h"

#include "QTError.h"

NSString* const QTMediaTypeVideo = NSSTR("vide");
NSString* const QTMediaTypeSound = NSSTR("soun");
NSString* const QTMediaTypeMuxed = NSSTR("muxx");
NSString* const QTKitErrorDomain = NSSTR("QTKitErrorDomain");
NSString* const QTErrorRecordingSuccesfullyFinishedKey = NSSTR("QTErrorRecordingSuccesfullyFinishedKey");
