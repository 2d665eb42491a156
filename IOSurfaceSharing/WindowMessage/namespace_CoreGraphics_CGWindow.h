#pragma once
// Pictures of single windows by window id, wherever the window is: on screen, covered, or
// kept off screen by its owner (the window server holds its last drawn pixels).
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGWindow.h>

namespace CoreGraphics {

// A new image of the window (the caller releases it): 32-bit premultiplied ARGB in device RGB,
// at the window's size. Null for window 0, a window that is gone or was never drawn, or
// without a window server.
CGImageRef CGWindow_CopyImageWithWindowID(CGWindowID windowID);

}  // namespace CoreGraphics
