#pragma once
// The version of AppKit, which programs compare with the numbers of earlier releases to choose
// between an old behaviour and a newer one: the AppKit of the system version that the platform
// presents (10.15).
#include <AppKit/AppKitDefines.h>

APPKIT_EXPORT const double NSAppKitVersionNumber;

#define NSAppKitVersionNumber10_15 1894
