#pragma once
// The mask that names a display to OpenGL pixel formats. GL here draws offscreen on one
// renderer whatever the displays, so every display, and no display at all, is that renderer's.
#include <CoreGraphics/CGDisplay.h>

typedef uint32_t CGOpenGLDisplayMask;

CG_EXTERN CGOpenGLDisplayMask CGDisplayIDToOpenGLDisplayMask(CGDirectDisplayID display);
