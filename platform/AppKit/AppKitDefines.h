#pragma once
// What AppKit exports: C functions and constants with APPKIT_EXPORT, classes with APPKIT_CLASS.
// Everything else of the framework (its X11 backend above all) stays inside it.
#include <Foundation/NSObjCRuntime.h>

#define APPKIT_EXPORT extern "C" __attribute__((visibility("default")))
#define APPKIT_CLASS __attribute__((visibility("default")))
// A member of an exported class that only the framework's own sources call.
#define APPKIT_PRIVATE __attribute__((visibility("hidden")))
