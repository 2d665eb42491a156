#include "backend/CGContextObject.h"
#include <CoreGraphics/CGContextText.h>

void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t) {
  if (c) c->textMatrix = t;
}

CGAffineTransform CGContextGetTextMatrix(CGContextRef c) {
  return c ? c->textMatrix : CGAffineTransformIdentity;
}

void CGContextSetTextPosition(CGContextRef c, CGFloat x, CGFloat y) {
  if (!c) return;
  c->textMatrix.tx = x;
  c->textMatrix.ty = y;
}

CGPoint CGContextGetTextPosition(CGContextRef c) {
  return c ? CGPointMake(c->textMatrix.tx, c->textMatrix.ty) : CGPointZero;
}

void CGContextSetTextDrawingMode(CGContextRef c, CGTextDrawingMode mode) {
  if (c && mode >= kCGTextFill && mode <= kCGTextClip) c->state.textDrawingMode = mode;
}

CGTextDrawingMode CGContextGetTextDrawingMode(CGContextRef c) {
  return c ? c->state.textDrawingMode : kCGTextFill;
}
