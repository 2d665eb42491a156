#pragma once
// Windows that are not on screen keep their last drawn pixels on the X server, as the
// platform's window server keeps every window's backing store: the owner puts them in a pixmap
// of the window's depth and names it on the window in the X property below (one PIXMAP), so
// that any process can read the window by its id (CGWindowImage.h) while it is off screen.
#define kCGWindowBackingStoreX11Property "_CG_WINDOW_BACKING_STORE"
