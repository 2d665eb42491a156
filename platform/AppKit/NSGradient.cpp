#include <AppKit/NSBezierPath.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGradient.h>
#include <AppKit/NSGraphicsContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGFunction.h>
#include <CoreGraphics/CGShading.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>

#include <algorithm>
#include <cmath>

OBJC_CLASS_DEFINE(NSGradient)

namespace {

void evaluateGradient(void* info, const CGFloat* in, CGFloat* out) {
  static_cast<const NSGradient*>(info)->evaluate(in[0], out);
}

}  // namespace

NSGradient* NSGradient::initWithStartingColor_endingColor(NSColor* startingColor, NSColor* endingColor) {
  if (!startingColor || !endingColor) {
    release();
    return nullptr;
  }
  return initWithColors(NSArray::arrayWithObjects({startingColor, endingColor}));
}

NSGradient* NSGradient::initWithColors(NSArray* colors) {
  return initWithColors_atLocations(colors, nullptr);
}

NSGradient* NSGradient::initWithColors_atLocations(NSArray* colors, const CGFloat* locations) {
  if (!setStops(colors, locations)) {
    release();
    return nullptr;
  }
  return this;
}

bool NSGradient::setStops(NSArray* colors, const CGFloat* locations) {
  if (!colors || colors->count() < 2) return false;
  const NSUInteger count = colors->count();
  for (NSUInteger i = 0; i < count; ++i) {
    auto* color = NSDynamicCast<NSColor>(colors->objectAtIndex(i));
    // A colour without RGB components (a pattern) takes part as transparent black.
    NSColor* rgb = color ? color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace) : nullptr;
    Stop stop{locations ? std::clamp<CGFloat>(locations[i], 0, 1) : CGFloat(i) / CGFloat(count - 1),
              {0, 0, 0, 0}};
    if (rgb) rgb->getRed_green_blue_alpha(&stop.rgba[0], &stop.rgba[1], &stop.rgba[2], &stop.rgba[3]);
    mStops.push_back(stop);
  }
  std::stable_sort(mStops.begin(), mStops.end(),
                   [](const Stop& a, const Stop& b) { return a.location < b.location; });
  return true;
}

void NSGradient::evaluate(CGFloat location, CGFloat rgba[4]) const {
  if (location <= mStops.front().location) {
    std::copy(mStops.front().rgba, mStops.front().rgba + 4, rgba);
    return;
  }
  for (size_t i = 1; i < mStops.size(); ++i) {
    const Stop& before = mStops[i - 1];
    const Stop& after = mStops[i];
    if (location > after.location) continue;
    const CGFloat span = after.location - before.location;
    const CGFloat f = span > 0 ? (location - before.location) / span : 1;
    for (int c = 0; c < 4; ++c) rgba[c] = before.rgba[c] + (after.rgba[c] - before.rgba[c]) * f;
    return;
  }
  std::copy(mStops.back().rgba, mStops.back().rgba + 4, rgba);
}

NSColor* NSGradient::interpolatedColorAtLocation(CGFloat location) const {
  CGFloat rgba[4];
  evaluate(location, rgba);
  return NSColor::colorWithCalibratedRed_green_blue_alpha(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void NSGradient::drawFromPoint_toPoint_options(NSPoint start, NSPoint end,
                                               NSGradientDrawingOptions options) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  const CGFloat domain[2] = {0, 1};
  const CGFloat range[8] = {0, 1, 0, 1, 0, 1, 0, 1};
  const CGFunctionCallbacks callbacks = {0, evaluateGradient, nullptr};
  CGFunctionRef function = CGFunctionCreate(const_cast<NSGradient*>(this), 1, domain, 4, range, &callbacks);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGShadingRef shading = function ? CGShadingCreateAxial(space, start, end, function,
                                                         options & NSGradientDrawsBeforeStartingLocation,
                                                         options & NSGradientDrawsAfterEndingLocation)
                                  : nullptr;
  if (shading) CGContextDrawShading(context->CGContext(), shading);
  if (shading) CGShadingRelease(shading);
  CGColorSpaceRelease(space);
  if (function) CGFunctionRelease(function);
}

void NSGradient::drawAcross(NSRect rect, CGFloat angle) const {
  const CGFloat radians = angle * M_PI / 180;
  const CGFloat dx = std::cos(radians), dy = std::sin(radians);
  // Half the rectangle's extent along the direction: its corners lie between the two ends.
  const CGFloat reach = (std::fabs(dx) * rect.size.width + std::fabs(dy) * rect.size.height) / 2;
  const NSPoint centre = NSMakePoint(NSMidX(rect), NSMidY(rect));
  drawFromPoint_toPoint_options(NSMakePoint(centre.x - dx * reach, centre.y - dy * reach),
                                NSMakePoint(centre.x + dx * reach, centre.y + dy * reach),
                                NSGradientDrawsBeforeStartingLocation | NSGradientDrawsAfterEndingLocation);
}

void NSGradient::drawInRect_angle(NSRect rect, CGFloat angle) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || NSIsEmptyRect(rect)) return;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  CGContextClipToRect(cg, rect);
  drawAcross(rect, angle);
  CGContextRestoreGState(cg);
}

void NSGradient::drawInBezierPath_angle(NSBezierPath* path, CGFloat angle) const {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !path || path->isEmpty()) return;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  path->addClip();
  drawAcross(path->bounds(), angle);
  CGContextRestoreGState(cg);
}
