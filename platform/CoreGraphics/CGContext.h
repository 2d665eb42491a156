#pragma once
// Drawing contexts: a graphics state stack (transform, colours, line style, clip), a
// current path, and painting into the context's pixels. User space is y-up.
#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGPDFPage.h>
#include <CoreGraphics/CGPath.h>
#include <CoreGraphics/CGShading.h>

typedef struct CGContext* CGContextRef;

typedef int32_t CGLineCap;
enum : int32_t { kCGLineCapButt, kCGLineCapRound, kCGLineCapSquare };
typedef int32_t CGLineJoin;
enum : int32_t { kCGLineJoinMiter, kCGLineJoinRound, kCGLineJoinBevel };
typedef int32_t CGInterpolationQuality;
enum : int32_t {
  kCGInterpolationDefault = 0,
  kCGInterpolationNone = 1,
  kCGInterpolationLow = 2,
  kCGInterpolationHigh = 3,
  kCGInterpolationMedium = 4,
};
typedef int32_t CGBlendMode;
enum : int32_t {
  kCGBlendModeNormal,
  kCGBlendModeMultiply,
  kCGBlendModeScreen,
  kCGBlendModeOverlay,
  kCGBlendModeDarken,
  kCGBlendModeLighten,
  kCGBlendModeColorDodge,
  kCGBlendModeColorBurn,
  kCGBlendModeSoftLight,
  kCGBlendModeHardLight,
  kCGBlendModeDifference,
  kCGBlendModeExclusion,
  kCGBlendModeHue,
  kCGBlendModeSaturation,
  kCGBlendModeColor,
  kCGBlendModeLuminosity,
  kCGBlendModeClear,
  kCGBlendModeCopy,
  kCGBlendModeSourceIn,
  kCGBlendModeSourceOut,
  kCGBlendModeSourceAtop,
  kCGBlendModeDestinationOver,
  kCGBlendModeDestinationIn,
  kCGBlendModeDestinationOut,
  kCGBlendModeDestinationAtop,
  kCGBlendModeXOR,
  kCGBlendModePlusDarker,
  kCGBlendModePlusLighter,
};

CG_EXTERN CFTypeID CGContextGetTypeID(void);
CG_EXTERN CGContextRef CGContextRetain(CGContextRef c);
CG_EXTERN void CGContextRelease(CGContextRef c);
CG_EXTERN void CGContextFlush(CGContextRef c);
CG_EXTERN void CGContextSynchronize(CGContextRef c);

// Graphics state.
CG_EXTERN void CGContextSaveGState(CGContextRef c);
CG_EXTERN void CGContextRestoreGState(CGContextRef c);
CG_EXTERN CGAffineTransform CGContextGetCTM(CGContextRef c);
CG_EXTERN void CGContextConcatCTM(CGContextRef c, CGAffineTransform transform);
CG_EXTERN void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
CG_EXTERN void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
CG_EXTERN void CGContextRotateCTM(CGContextRef c, CGFloat angle);
CG_EXTERN void CGContextSetLineWidth(CGContextRef c, CGFloat width);
CG_EXTERN void CGContextSetLineCap(CGContextRef c, CGLineCap cap);
CG_EXTERN void CGContextSetLineJoin(CGContextRef c, CGLineJoin join);
CG_EXTERN void CGContextSetMiterLimit(CGContextRef c, CGFloat limit);
CG_EXTERN void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat* lengths, size_t count);
CG_EXTERN void CGContextSetAlpha(CGContextRef c, CGFloat alpha);
CG_EXTERN void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode);
CG_EXTERN void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias);
CG_EXTERN void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing);
CG_EXTERN void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);
CG_EXTERN CGInterpolationQuality CGContextGetInterpolationQuality(CGContextRef c);
CG_EXTERN void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CG_EXTERN void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CG_EXTERN void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat alpha);
CG_EXTERN void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat alpha);
CG_EXTERN void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
CG_EXTERN void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color);
// Colour spaces are identities here: these only say how many components the next
// CGContextSetFillColor / SetStrokeColor array holds.
CG_EXTERN void CGContextSetFillColorSpace(CGContextRef c, CGColorSpaceRef space);
CG_EXTERN void CGContextSetStrokeColorSpace(CGContextRef c, CGColorSpaceRef space);
CG_EXTERN void CGContextSetFillColor(CGContextRef c, const CGFloat* components);
CG_EXTERN void CGContextSetStrokeColor(CGContextRef c, const CGFloat* components);

// The current path, in the user space of the moment each point is added.
CG_EXTERN void CGContextBeginPath(CGContextRef c);
CG_EXTERN void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x,
                                        CGFloat cp2y, CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
CG_EXTERN void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                               CGFloat endAngle, int clockwise);
CG_EXTERN void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2,
                                      CGFloat radius);
CG_EXTERN void CGContextAddRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextAddEllipseInRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextAddPath(CGContextRef c, CGPathRef path);
CG_EXTERN void CGContextClosePath(CGContextRef c);
CG_EXTERN bool CGContextIsPathEmpty(CGContextRef c);

// Painting. Each consumes the current path.
CG_EXTERN void CGContextFillPath(CGContextRef c);
CG_EXTERN void CGContextEOFillPath(CGContextRef c);
CG_EXTERN void CGContextStrokePath(CGContextRef c);
CG_EXTERN void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode);
CG_EXTERN void CGContextFillRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeRectWithWidth(CGContextRef c, CGRect rect, CGFloat width);
// Makes the rectangle transparent (black where the context has no alpha).
CG_EXTERN void CGContextClearRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextStrokeLineSegments(CGContextRef c, const CGPoint* points, size_t count);
// The image's top row lands at the top of `rect`. An image mask paints the fill colour.
CG_EXTERN void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image);
CG_EXTERN void CGContextDrawShading(CGContextRef c, CGShadingRef shading);
CG_EXTERN void CGContextDrawPDFPage(CGContextRef c, CGPDFPageRef page);

// Clipping: intersects the clip with the current path, a rectangle, or a mask. A mask
// made by CGImageMaskCreate lets paint through where its samples are 0; a gray image lets
// paint through in proportion to its samples (white passes). Outside `rect` nothing passes.
CG_EXTERN void CGContextClip(CGContextRef c);
CG_EXTERN void CGContextEOClip(CGContextRef c);
CG_EXTERN void CGContextClipToRect(CGContextRef c, CGRect rect);
CG_EXTERN void CGContextClipToMask(CGContextRef c, CGRect rect, CGImageRef mask);
