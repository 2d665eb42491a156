#pragma once
// Filling rectangles of the current graphics context.
#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

// Fills the rectangle with the current fill colour, replacing what was there (alpha too).
APPKIT_EXPORT void NSRectFill(NSRect rect);
