#pragma once
// Window sharing states. The X server keeps none: every window may be read by others
// (kCGWindowSharingReadOnly) unless its owner marks it with the X property named below, a
// 32-bit CARDINAL holding a CGWindowSharingType.
#include <CoreGraphics/CGWindow.h>

#define kCGWindowSharingStateX11Property "_CG_WINDOW_SHARING_STATE"

// Marks an X window (xDisplay is the owner's Display*); false when the display or window is
// missing or the state is not one of the three.
CG_EXTERN bool CGWindowSetX11SharingState(void* xDisplay, unsigned long xWindow, CGWindowSharingType state);
