#include <AppKit/NSImageRep.h>

OBJC_CLASS_DEFINE(NSImageRep)
