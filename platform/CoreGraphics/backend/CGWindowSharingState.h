#pragma once
// Reading a window's sharing state from the X server (inner workings of the window list).
#include <X11/Xlib.h>

#include <CoreGraphics/CGWindow.h>

namespace CGWindowServer {

// The window's marked state; kCGWindowSharingReadOnly when it carries no valid mark.
CGWindowSharingType sharingStateOfX11Window(Display* display, Window window);

}  // namespace CGWindowServer
