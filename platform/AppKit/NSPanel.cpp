#include <AppKit/NSPanel.h>

OBJC_CLASS_DEFINE(NSPanel)
