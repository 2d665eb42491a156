#pragma once
// Drawing an image through an OpenGL context: the part of the image is rendered into pixels
// and those are drawn as a textured quad into the framebuffer bound in the current context.
#include <CoreGraphics/CGGeometry.h>

class CIContext;
class CIImage;

// The GL state the drawing touches (program, texture binding, enables, pixel store) is as
// before once it returns.
__attribute__((visibility("hidden"))) void drawImageInCurrentGLFramebuffer(CIContext* context, CIImage* image,
                                                                           CGRect inRect, CGRect fromRect);
