#pragma once
// Colours: components in a colour space, alpha last.
#include <CoreGraphics/CGColorSpace.h>

typedef struct CGColor* CGColorRef;

CG_EXTERN CFTypeID CGColorGetTypeID(void);
// `components` holds the space's components and then alpha.
CG_EXTERN CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components);
CG_EXTERN CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CG_EXTERN CGColorRef CGColorCreateGenericGray(CGFloat gray, CGFloat alpha);
CG_EXTERN CGColorRef CGColorRetain(CGColorRef color);
CG_EXTERN void CGColorRelease(CGColorRef color);
CG_EXTERN size_t CGColorGetNumberOfComponents(CGColorRef color);
CG_EXTERN const CGFloat* CGColorGetComponents(CGColorRef color);
CG_EXTERN CGFloat CGColorGetAlpha(CGColorRef color);
CG_EXTERN CGColorSpaceRef CGColorGetColorSpace(CGColorRef color);
CG_EXTERN bool CGColorEqualToColor(CGColorRef color1, CGColorRef color2);
