#include "namespace_CoreGraphics_Drawing.h"

#include <CoreFoundation/CFBundle.h>

namespace CoreGraphics {

CFURLRef CopyResourceURL(CFStringRef name, CFStringRef type) {
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (!bundle || !name) return nullptr;
  return CFBundleCopyResourceURL(bundle, name, type, nullptr);
}

void DrawPDFDocumentPage(CGContextRef context, CFURLRef url, CGRect rect, double xScale, double yScale) {
  if (!url) return;
  CGPDFDocumentRef document = CGPDFDocumentCreateWithURL(url);
  if (!document) return;
  CGPDFPageRef page = CGPDFDocumentGetPage(document, 1);
  if (page) {
    CGAffineTransform transform = CGPDFPageGetDrawingTransform(page, kCGPDFMediaBox, rect, 0, true);
    CGContextSaveGState(context);
    CGContextConcatCTM(context, CGAffineTransformMakeScale(xScale, yScale));
    CGContextConcatCTM(context, transform);
    CGContextDrawPDFPage(context, page);
    CGContextRestoreGState(context);
  }
  CGPDFDocumentRelease(document);
}

namespace {
void EvaluateGray(void*, const CGFloat* in, CGFloat* out) {
  out[0] = out[1] = out[2] = in[0];
  out[3] = 1.0;
}
}  // namespace

bool DrawAxialGrayShading(CGContextRef context, CGImageRef mask, CGRect rect, float startValue, float endValue) {
  if (!context || !mask) return false;
  const CGFloat domain[2] = {startValue, endValue};
  const CGFloat range[8] = {0, 1, 0, 1, 0, 1, 0, 1};
  const CGFunctionCallbacks callbacks = {0, EvaluateGray, nullptr};
  CGFunctionRef function = CGFunctionCreate(nullptr, 1, domain, 4, range, &callbacks);
  if (!function) return false;
  CGColorSpaceRef space = CGColorSpaceCreateWithName(kCGColorSpaceSRGB);
  if (!space) {
    CGFunctionRelease(function);
    return false;
  }
  CGShadingRef shading = CGShadingCreateAxial(space, CGPointMake(CGRectGetMinX(rect), CGRectGetMaxY(rect)),
                                              CGPointMake(CGRectGetMinX(rect), CGRectGetMinY(rect)), function,
                                              false, false);
  if (shading) {
    CGContextSaveGState(context);
    CGContextClipToMask(context, rect, mask);
    CGContextDrawShading(context, shading);
    CGContextRestoreGState(context);
    CGShadingRelease(shading);
  }
  CGColorSpaceRelease(space);
  CGFunctionRelease(function);
  return shading != nullptr;
}

}  // namespace CoreGraphics
