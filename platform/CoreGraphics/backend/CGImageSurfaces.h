#pragma once
// Cairo surfaces made from images for drawing: colour pictures and alpha masks.
#include <cairo.h>

#include "backend/CGObjects.h"

// ARGB32 pixels of a colour or gray image; null for a layout the layer cannot read.
cairo_surface_t* CGImageCreateCairoSurface(const CGImage* image);
// A8 coverage of an image used as a mask: an image mask covers where its samples are 0
// (a stencil), any other image covers in proportion to its gray level (white covers).
cairo_surface_t* CGImageCreateCoverageSurface(const CGImage* image);
