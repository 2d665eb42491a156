#include "backend/CGContextObject.h"

#include <algorithm>
#include <cstdlib>

#include "backend/CGImageSurfaces.h"
#include "backend/CGPDFObjects.h"

CGContext::~CGContext() {
  if (cr) cairo_destroy(cr);
  if (surface) cairo_surface_destroy(surface);
  if (ownsData) std::free(data);
  if (releaseCallback) releaseCallback(releaseInfo, data);
}

bool CGContext::attach() {
  cairo_format_t format = layout.cairoFormat();
  bool aligned = reinterpret_cast<uintptr_t>(data) % 4 == 0 && bytesPerRow % 4 == 0 &&
                 bytesPerRow >= size_t(cairo_format_stride_for_width(format, int(width)));
  direct = layout.matchesCairo() && aligned;
  if (direct)
    surface = cairo_image_surface_create_for_data(data, format, int(width), int(height), int(bytesPerRow));
  else
    surface = cairo_image_surface_create(format, int(width), int(height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return false;
  cr = cairo_create(surface);
  useUserSpace();
  return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

void CGContext::useUserSpace() {
  const CGAffineTransform& t = state.ctm;
  // User space → default space (the CTM) → Cairo's rows (y flipped).
  cairo_matrix_t m{t.a, -t.b, t.c, -t.d, t.tx, double(height) - t.ty};
  cairo_set_matrix(cr, &m);
}

void CGContext::useDefaultSpace() {
  cairo_matrix_t m{1, 0, 0, -1, 0, double(height)};
  cairo_set_matrix(cr, &m);
}

void CGContext::paint(const std::function<void()>& draw) {
  uint8_t* shadow = cairo_image_surface_get_data(surface);
  size_t shadowRowBytes = size_t(cairo_image_surface_get_stride(surface));
  if (!direct) {
    cairo_surface_flush(surface);
    layout.copyToCairo(data, bytesPerRow, shadow, shadowRowBytes, width, height);
  }
  cairo_surface_mark_dirty(surface);
  if (state.clipMask) {
    cairo_push_group(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    draw();
    cairo_pop_group_to_source(cr);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_mask_surface(cr, state.clipMask.get(), 0, 0);
    cairo_restore(cr);
  } else {
    draw();
  }
  cairo_surface_flush(surface);
  if (!direct) layout.copyFromCairo(shadow, shadowRowBytes, data, bytesPerRow, width, height);
  useUserSpace();
}

void CGContext::setSource(const double rgba[4]) {
  cairo_set_source_rgba(cr, rgba[0], rgba[1], rgba[2], rgba[3] * state.alpha);
}

void CGContext::drawPath(CGPathDrawingMode mode) {
  RefPtr<CGPath> drawn = std::exchange(path, adopt(new CGPath()));
  if (drawn->elements.empty()) return;
  paint([&] {
    useDefaultSpace();
    cairo_new_path(cr);
    drawn->replay(cr);
    useUserSpace();
    bool fill = mode != kCGPathStroke;
    bool stroke = mode == kCGPathStroke || mode == kCGPathFillStroke || mode == kCGPathEOFillStroke;
    if (fill) {
      bool evenOdd = mode == kCGPathEOFill || mode == kCGPathEOFillStroke;
      cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
      setSource(state.fill);
      cairo_fill_preserve(cr);
    }
    if (stroke) {
      setSource(state.stroke);
      cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
  });
}

std::shared_ptr<cairo_surface_t> CGContext::makeMaskSurface() const {
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, int(width), int(height));
  return std::shared_ptr<cairo_surface_t>(mask, cairo_surface_destroy);
}

namespace {
// Sets up Cairo's user space so that an image of `w` × `h` pixels at the origin fills
// `rect` with its first row at the top, and clips to it.
void placeImage(cairo_t* cr, CGRect rect, size_t w, size_t h) {
  rect = CGRectStandardize(rect);
  cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
  cairo_scale(cr, rect.size.width / double(w), -rect.size.height / double(h));
  cairo_rectangle(cr, 0, 0, double(w), double(h));
  cairo_clip(cr);
}

cairo_filter_t filterFor(CGInterpolationQuality quality, bool interpolate) {
  if (quality == kCGInterpolationNone || !interpolate) return CAIRO_FILTER_NEAREST;
  return quality == kCGInterpolationHigh ? CAIRO_FILTER_BEST : CAIRO_FILTER_GOOD;
}

cairo_operator_t operatorFor(CGBlendMode mode) {
  switch (mode) {
    case kCGBlendModeMultiply: return CAIRO_OPERATOR_MULTIPLY;
    case kCGBlendModeScreen: return CAIRO_OPERATOR_SCREEN;
    case kCGBlendModeOverlay: return CAIRO_OPERATOR_OVERLAY;
    case kCGBlendModeDarken: return CAIRO_OPERATOR_DARKEN;
    case kCGBlendModeLighten: return CAIRO_OPERATOR_LIGHTEN;
    case kCGBlendModeColorDodge: return CAIRO_OPERATOR_COLOR_DODGE;
    case kCGBlendModeColorBurn: return CAIRO_OPERATOR_COLOR_BURN;
    case kCGBlendModeSoftLight: return CAIRO_OPERATOR_SOFT_LIGHT;
    case kCGBlendModeHardLight: return CAIRO_OPERATOR_HARD_LIGHT;
    case kCGBlendModeDifference: return CAIRO_OPERATOR_DIFFERENCE;
    case kCGBlendModeExclusion: return CAIRO_OPERATOR_EXCLUSION;
    case kCGBlendModeHue: return CAIRO_OPERATOR_HSL_HUE;
    case kCGBlendModeSaturation: return CAIRO_OPERATOR_HSL_SATURATION;
    case kCGBlendModeColor: return CAIRO_OPERATOR_HSL_COLOR;
    case kCGBlendModeLuminosity: return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case kCGBlendModeClear: return CAIRO_OPERATOR_CLEAR;
    case kCGBlendModeCopy: return CAIRO_OPERATOR_SOURCE;
    case kCGBlendModeSourceIn: return CAIRO_OPERATOR_IN;
    case kCGBlendModeSourceOut: return CAIRO_OPERATOR_OUT;
    case kCGBlendModeSourceAtop: return CAIRO_OPERATOR_ATOP;
    case kCGBlendModeDestinationOver: return CAIRO_OPERATOR_DEST_OVER;
    case kCGBlendModeDestinationIn: return CAIRO_OPERATOR_DEST_IN;
    case kCGBlendModeDestinationOut: return CAIRO_OPERATOR_DEST_OUT;
    case kCGBlendModeDestinationAtop: return CAIRO_OPERATOR_DEST_ATOP;
    case kCGBlendModeXOR: return CAIRO_OPERATOR_XOR;
    case kCGBlendModePlusLighter: return CAIRO_OPERATOR_ADD;
    default: return CAIRO_OPERATOR_OVER;
  }
}

void setColor(double target[4], size_t components, const CGFloat* values) {
  if (components == 1) {
    target[0] = target[1] = target[2] = values[0];
    target[3] = values[1];
  } else {
    std::copy(values, values + 4, target);
  }
}

cairo_pattern_t* createShadingPattern(const CGShading* shading) {
  cairo_pattern_t* pattern =
      shading->radial ? cairo_pattern_create_radial(shading->start.x, shading->start.y, shading->startRadius,
                                                    shading->end.x, shading->end.y, shading->endRadius)
                      : cairo_pattern_create_linear(shading->start.x, shading->start.y, shading->end.x,
                                                    shading->end.y);
  const CGFunction* function = shading->function.get();
  CGFloat t0 = function->domain.size() >= 2 ? function->domain[0] : 0;
  CGFloat t1 = function->domain.size() >= 2 ? function->domain[1] : 1;
  size_t components = shading->space->components();
  // Enough stops that a smooth function shows no steps at 8 bits per component.
  constexpr int kStops = 256;
  for (int i = 0; i <= kStops; ++i) {
    double offset = double(i) / kStops;
    std::vector<CGFloat> out = function->evaluate(t0 + (t1 - t0) * offset);
    double rgba[4] = {0, 0, 0, 1};
    if (components == 1) {
      rgba[0] = rgba[1] = rgba[2] = out[0];
      if (out.size() > 1 && (function->rangeDimension == 0 || function->rangeDimension > 1)) rgba[3] = out[1];
    } else {
      std::copy(out.begin(), out.begin() + 3, rgba);
      if (function->rangeDimension == 0 || function->rangeDimension > 3) rgba[3] = out[3];
    }
    if (function->rangeDimension == 0) rgba[3] = 1;
    cairo_pattern_add_color_stop_rgba(pattern, offset, rgba[0], rgba[1], rgba[2], rgba[3]);
  }
  cairo_pattern_set_extend(pattern, shading->extendStart || shading->extendEnd ? CAIRO_EXTEND_PAD
                                                                               : CAIRO_EXTEND_NONE);
  return pattern;
}
}  // namespace

CFTypeID CGContextGetTypeID(void) { return CGContext::typeID(); }
CGContextRef CGContextRetain(CGContextRef c) { return cgRetain(c); }
void CGContextRelease(CGContextRef c) { cgRelease(c); }
void CGContextFlush(CGContextRef) {}
void CGContextSynchronize(CGContextRef) {}

void CGContextSaveGState(CGContextRef c) {
  if (!c) return;
  c->savedStates.push_back(c->state);
  cairo_save(c->cr);
}

void CGContextRestoreGState(CGContextRef c) {
  if (!c || c->savedStates.empty()) return;
  c->state = c->savedStates.back();
  c->savedStates.pop_back();
  cairo_restore(c->cr);
  c->useUserSpace();
}

CGAffineTransform CGContextGetCTM(CGContextRef c) { return c ? c->state.ctm : CGAffineTransformIdentity; }

void CGContextConcatCTM(CGContextRef c, CGAffineTransform transform) {
  if (!c) return;
  c->state.ctm = CGAffineTransformConcat(transform, c->state.ctm);
  c->useUserSpace();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
  CGContextConcatCTM(c, CGAffineTransformMakeTranslation(tx, ty));
}
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
  CGContextConcatCTM(c, CGAffineTransformMakeScale(sx, sy));
}
void CGContextRotateCTM(CGContextRef c, CGFloat angle) {
  CGContextConcatCTM(c, CGAffineTransformMakeRotation(angle));
}

void CGContextSetLineWidth(CGContextRef c, CGFloat width) {
  if (c) cairo_set_line_width(c->cr, width);
}

void CGContextSetLineCap(CGContextRef c, CGLineCap cap) {
  if (!c) return;
  cairo_set_line_cap(c->cr, cap == kCGLineCapRound    ? CAIRO_LINE_CAP_ROUND
                            : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                      : CAIRO_LINE_CAP_BUTT);
}

void CGContextSetLineJoin(CGContextRef c, CGLineJoin join) {
  if (!c) return;
  cairo_set_line_join(c->cr, join == kCGLineJoinRound    ? CAIRO_LINE_JOIN_ROUND
                             : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                        : CAIRO_LINE_JOIN_MITER);
}

void CGContextSetMiterLimit(CGContextRef c, CGFloat limit) {
  if (c) cairo_set_miter_limit(c->cr, limit);
}

void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat* lengths, size_t count) {
  if (c) cairo_set_dash(c->cr, lengths, lengths ? int(count) : 0, phase);
}

void CGContextSetAlpha(CGContextRef c, CGFloat alpha) {
  if (c) c->state.alpha = std::clamp(alpha, 0.0, 1.0);
}

void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode) {
  if (c) cairo_set_operator(c->cr, operatorFor(mode));
}

void CGContextSetShouldAntialias(CGContextRef c, bool shouldAntialias) {
  if (c) cairo_set_antialias(c->cr, shouldAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void CGContextSetAllowsAntialiasing(CGContextRef c, bool allowsAntialiasing) {
  CGContextSetShouldAntialias(c, allowsAntialiasing);
}

void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality) {
  if (c) c->state.interpolation = quality;
}

CGInterpolationQuality CGContextGetInterpolationQuality(CGContextRef c) {
  return c ? c->state.interpolation : kCGInterpolationDefault;
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  const CGFloat values[] = {red, green, blue, alpha};
  if (c) setColor(c->state.fill, 3, values);
}

void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  const CGFloat values[] = {red, green, blue, alpha};
  if (c) setColor(c->state.stroke, 3, values);
}

void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat alpha) {
  const CGFloat values[] = {gray, alpha};
  if (c) setColor(c->state.fill, 1, values);
}

void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat alpha) {
  const CGFloat values[] = {gray, alpha};
  if (c) setColor(c->state.stroke, 1, values);
}

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color) {
  if (c && color) setColor(c->state.fill, color->space->components(), color->components.data());
}

void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color) {
  if (c && color) setColor(c->state.stroke, color->space->components(), color->components.data());
}

void CGContextSetFillColorSpace(CGContextRef c, CGColorSpaceRef space) {
  if (c && space) c->state.fillComponents = space->components();
}

void CGContextSetStrokeColorSpace(CGContextRef c, CGColorSpaceRef space) {
  if (c && space) c->state.strokeComponents = space->components();
}

void CGContextSetFillColor(CGContextRef c, const CGFloat* components) {
  if (c && components) setColor(c->state.fill, c->state.fillComponents, components);
}

void CGContextSetStrokeColor(CGContextRef c, const CGFloat* components) {
  if (c && components) setColor(c->state.stroke, c->state.strokeComponents, components);
}

void CGContextBeginPath(CGContextRef c) {
  if (c) c->path = adopt(new CGPath());
}

void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (c) CGPathMoveToPoint(c->path.get(), &c->state.ctm, x, y);
}

void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (c) CGPathAddLineToPoint(c->path.get(), &c->state.ctm, x, y);
}

void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y,
                              CGFloat x, CGFloat y) {
  if (c) CGPathAddCurveToPoint(c->path.get(), &c->state.ctm, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y) {
  if (c) CGPathAddQuadCurveToPoint(c->path.get(), &c->state.ctm, cpx, cpy, x, y);
}

void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
                     CGFloat endAngle, int clockwise) {
  if (c) CGPathAddArc(c->path.get(), &c->state.ctm, x, y, radius, startAngle, endAngle, clockwise != 0);
}

void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius) {
  if (c) CGPathAddArcToPoint(c->path.get(), &c->state.ctm, x1, y1, x2, y2, radius);
}

void CGContextAddRect(CGContextRef c, CGRect rect) {
  if (c) CGPathAddRect(c->path.get(), &c->state.ctm, rect);
}

void CGContextAddEllipseInRect(CGContextRef c, CGRect rect) {
  if (c) CGPathAddEllipseInRect(c->path.get(), &c->state.ctm, rect);
}

void CGContextAddPath(CGContextRef c, CGPathRef path) {
  if (c) CGPathAddPath(c->path.get(), &c->state.ctm, path);
}

void CGContextClosePath(CGContextRef c) {
  if (c) CGPathCloseSubpath(c->path.get());
}

bool CGContextIsPathEmpty(CGContextRef c) { return !c || CGPathIsEmpty(c->path.get()); }

void CGContextFillPath(CGContextRef c) {
  if (c) c->drawPath(kCGPathFill);
}
void CGContextEOFillPath(CGContextRef c) {
  if (c) c->drawPath(kCGPathEOFill);
}
void CGContextStrokePath(CGContextRef c) {
  if (c) c->drawPath(kCGPathStroke);
}
void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode) {
  if (c) c->drawPath(mode);
}

void CGContextFillRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  CGContextBeginPath(c);
  CGContextAddRect(c, rect);
  c->drawPath(kCGPathFill);
}

void CGContextStrokeRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  CGContextBeginPath(c);
  CGContextAddRect(c, rect);
  c->drawPath(kCGPathStroke);
}

void CGContextStrokeRectWithWidth(CGContextRef c, CGRect rect, CGFloat width) {
  if (!c) return;
  cairo_save(c->cr);
  cairo_set_line_width(c->cr, width);
  CGContextStrokeRect(c, rect);
  cairo_restore(c->cr);
  c->useUserSpace();
}

void CGContextClearRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  c->paint([&] {
    cairo_save(c->cr);
    cairo_set_operator(c->cr, CAIRO_OPERATOR_DEST_OUT);
    cairo_rectangle(c->cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_set_source_rgba(c->cr, 0, 0, 0, 1);
    cairo_fill(c->cr);
    cairo_restore(c->cr);
  });
}

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, rect);
  c->drawPath(kCGPathFill);
}

void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, rect);
  c->drawPath(kCGPathStroke);
}

void CGContextStrokeLineSegments(CGContextRef c, const CGPoint* points, size_t count) {
  if (!c || !points) return;
  CGContextBeginPath(c);
  for (size_t i = 0; i + 1 < count; i += 2) {
    CGContextMoveToPoint(c, points[i].x, points[i].y);
    CGContextAddLineToPoint(c, points[i + 1].x, points[i + 1].y);
  }
  c->drawPath(kCGPathStroke);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image) {
  if (!c || !image) return;
  cairo_surface_t* source = image->isMask ? CGImageCreateCoverageSurface(image) : CGImageCreateCairoSurface(image);
  if (!source) return;
  c->paint([&] {
    cairo_save(c->cr);
    placeImage(c->cr, rect, image->width, image->height);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, filterFor(c->state.interpolation, image->shouldInterpolate));
    if (image->isMask) {
      c->setSource(c->state.fill);
      cairo_mask(c->cr, pattern);
    } else {
      cairo_set_source(c->cr, pattern);
      cairo_paint_with_alpha(c->cr, c->state.alpha);
    }
    cairo_pattern_destroy(pattern);
    cairo_restore(c->cr);
  });
  cairo_surface_destroy(source);
}

void CGContextDrawShading(CGContextRef c, CGShadingRef shading) {
  if (!c || !shading) return;
  cairo_pattern_t* pattern = createShadingPattern(shading);
  c->paint([&] {
    cairo_set_source(c->cr, pattern);
    cairo_paint_with_alpha(c->cr, c->state.alpha);
  });
  cairo_pattern_destroy(pattern);
}

void CGContextDrawPDFPage(CGContextRef c, CGPDFPageRef page) {
  if (!c || !page) return;
  c->paint([&] {
    cairo_save(c->cr);
    // The page is drawn as a group, so that it is composited as one picture with the
    // context's alpha and blend mode, whatever Poppler does inside it.
    cairo_push_group(c->cr);
    // Poppler draws top-down from the page's top-left corner.
    cairo_translate(c->cr, 0, page->size.height);
    cairo_scale(c->cr, 1, -1);
    poppler_page_render(page->page, c->cr);
    cairo_pop_group_to_source(c->cr);
    cairo_paint_with_alpha(c->cr, c->state.alpha);
    cairo_restore(c->cr);
  });
}

void CGContextClip(CGContextRef c) {
  if (!c) return;
  RefPtr<CGPath> clip = std::exchange(c->path, adopt(new CGPath()));
  c->useDefaultSpace();
  cairo_new_path(c->cr);
  clip->replay(c->cr);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
  cairo_clip(c->cr);
  c->useUserSpace();
}

void CGContextEOClip(CGContextRef c) {
  if (!c) return;
  RefPtr<CGPath> clip = std::exchange(c->path, adopt(new CGPath()));
  c->useDefaultSpace();
  cairo_new_path(c->cr);
  clip->replay(c->cr);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(c->cr);
  cairo_set_fill_rule(c->cr, CAIRO_FILL_RULE_WINDING);
  c->useUserSpace();
}

void CGContextClipToRect(CGContextRef c, CGRect rect) {
  if (!c) return;
  cairo_new_path(c->cr);
  cairo_rectangle(c->cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(c->cr);
}

void CGContextClipToMask(CGContextRef c, CGRect rect, CGImageRef mask) {
  if (!c || !mask) return;
  cairo_surface_t* coverage = CGImageCreateCoverageSurface(mask);
  if (!coverage) return;
  std::shared_ptr<cairo_surface_t> clip = c->makeMaskSurface();
  cairo_t* cr = cairo_create(clip.get());
  cairo_matrix_t m;
  cairo_get_matrix(c->cr, &m);
  cairo_set_matrix(cr, &m);
  placeImage(cr, rect, mask->width, mask->height);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(coverage);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(pattern, filterFor(c->state.interpolation, mask->shouldInterpolate));
  cairo_set_source(cr, pattern);
  cairo_paint(cr);
  cairo_pattern_destroy(pattern);
  if (c->state.clipMask) {
    // Clips only ever narrow: keep what both masks let through.
    cairo_reset_clip(cr);
    cairo_identity_matrix(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_IN);
    cairo_set_source_surface(cr, c->state.clipMask.get(), 0, 0);
    cairo_paint(cr);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(coverage);
  c->state.clipMask = clip;
}
