#pragma once
// Pictures of windows as the window server shows them. Each window is read from its own
// off-screen storage (the X server's Composite extension keeps one per top-level window
// once this process has asked for window images), so windows in front of it do not show;
// where the server has no such storage the window is read from the screen, with whatever
// covers it. A window that is not on screen is read from the pixels its owner keeps for it
// (CGWindowBackingStore.h). The windows are composited back to front, the front-most on top.
#include <CoreFoundation/CFArray.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGWindow.h>

typedef CF_OPTIONS(uint32_t, CGWindowImageOption) {
  kCGWindowImageDefault = 0,
};

// The windows of an array of window ids (the ids stored as the array's values, as in
// CFArrayCreate(nullptr, (const void**)ids, count, nullptr)), front-most first, over
// screenBounds, or with CGRectNull over the smallest rectangle that holds them all. A new
// image, 32-bit premultiplied ARGB, that the caller releases; null when none of the windows
// can be read (unknown, off screen with no pixels kept, no X server) or the rectangle is empty.
CG_EXTERN CGImageRef CGWindowListCreateImageFromArray(CGRect screenBounds, CFArrayRef windowArray,
                                                      CGWindowImageOption imageOption);
// The same for the on-screen windows that the list option selects relative to windowID.
CG_EXTERN CGImageRef CGWindowListCreateImage(CGRect screenBounds, CGWindowListOption listOption,
                                             CGWindowID windowID, CGWindowImageOption imageOption);
