#pragma once
// The text state of a context, which text-drawing layers (CoreText) place their glyphs by: the
// text matrix, whose translation is the text position (kept by the context but not saved with
// the graphics state), and the text drawing mode (part of the graphics state).
#include <CoreGraphics/CGContext.h>

typedef int32_t CGTextDrawingMode;
enum : int32_t {
  kCGTextFill,
  kCGTextStroke,
  kCGTextFillStroke,
  kCGTextInvisible,
  kCGTextFillClip,
  kCGTextStrokeClip,
  kCGTextFillStrokeClip,
  kCGTextClip,
};

CG_EXTERN void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t);
CG_EXTERN CGAffineTransform CGContextGetTextMatrix(CGContextRef c);
CG_EXTERN void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y);
CG_EXTERN CGPoint CGContextGetTextPosition(CGContextRef c);
CG_EXTERN void CGContextSetTextDrawingMode(CGContextRef c, CGTextDrawingMode mode);
// The mode the text layer draws by.
CG_EXTERN CGTextDrawingMode CGContextGetTextDrawingMode(CGContextRef c);
