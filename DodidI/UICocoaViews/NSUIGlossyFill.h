#pragma once
// The glossy fill: a rectangle painted as a lit, curved face in a colour, with a whitened
// reflection fading over its upper half and, over its lower half, a glow turning from the
// colour towards a caustic colour (a hue moved towards yellow, or magenta for purples).
#include <AppKit/NSColor.h>
#include <CoreGraphics/CoreGraphics.h>

int import_NSUIGlossyFill();

// What the shading function reads, in this order.
struct NSUIGlossShadingInfo {
  double color[4];
  double caustic[4];
  double expCoefficient;
  double expScale;
  double expOffset;
  double initialWhite;
  double finalWhite;
};

// Fills the rectangle of the context; a colour that has no calibrated RGB form (a pattern)
// is taken as mid grey. Draws nothing when the colour space name is unknown.
void NSUIFillGlossyRect(CGContextRef context, NSColor* color, CFStringRef colorSpaceName, CGRect rect,
                        CGFloat glossScale);
// The shading function: `info` is an NSUIGlossShadingInfo, `in` one value from 0 (top) to 1
// (bottom), `out` four components.
void NSUIGlossShadingEvaluate(void* info, const CGFloat* in, CGFloat* out);
