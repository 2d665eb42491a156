#include "NSUIGlossyFill.h"

#include <algorithm>
#include <cmath>

int import_NSUIGlossyFill() { return 1; }

namespace {

// How fast the reflection fades and the glow rises.
const double kExpCoefficient = 1.2;

// The caustic colour of a base colour, by the hue, saturation and brightness of both.
void causticOf(const double color[4], double caustic[4]) {
  NSColor* base = NSColor::colorWithCalibratedRed_green_blue_alpha(color[0], color[1], color[2], color[3]);
  CGFloat hue, saturation, brightness, alpha;
  base->getHue_saturation_brightness_alpha(&hue, &saturation, &brightness, &alpha);
  CGFloat targetHue, targetSaturation, targetBrightness;
  NSColor::yellowColor()->getHue_saturation_brightness_alpha(&targetHue, &targetSaturation, &targetBrightness,
                                                             nullptr);
  if (saturation < 0.001) {
    hue = targetHue;
    saturation = 0.2;
  }
  if (hue > 0.95) {
    hue -= 1.0;
  } else if (hue > 0.7) {
    NSColor::magentaColor()->getHue_saturation_brightness_alpha(&targetHue, &targetSaturation,
                                                                &targetBrightness, nullptr);
  }
  const CGFloat weight = 0.3 * (1.0 + std::cos(4.39822971502571 * (hue - targetHue)));
  NSColor* mixed = NSColor::colorWithCalibratedHue_saturation_brightness_alpha(
      hue * (1.0 - weight) + targetHue * weight, saturation,
      brightness * (1.0 - weight) + targetBrightness * weight, color[3]);
  caustic[0] = mixed->redComponent();
  caustic[1] = mixed->greenComponent();
  caustic[2] = mixed->blueComponent();
  caustic[3] = mixed->alphaComponent();
}

}  // namespace

void NSUIGlossShadingEvaluate(void* info, const CGFloat* in, CGFloat* out) {
  const auto* gloss = static_cast<const NSUIGlossShadingInfo*>(info);
  const double p = in[0];
  if (p < 0.5) {
    const double q =
        1.0 - gloss->expScale * (std::exp(float(-gloss->expCoefficient * 2.0 * p)) - gloss->expOffset);
    const double white = gloss->initialWhite + q * (gloss->finalWhite - gloss->initialWhite);
    for (int i = 0; i < 4; ++i) out[i] = gloss->color[i] * (1.0 - white) + white;
  } else {
    const double r = gloss->expScale *
                     (std::exp(float(-gloss->expCoefficient * (1.0 - 2.0 * (p - 0.5)))) - gloss->expOffset);
    for (int i = 0; i < 4; ++i) out[i] = gloss->color[i] * (1.0 - r) + gloss->caustic[i] * r;
  }
}

void NSUIFillGlossyRect(CGContextRef context, NSColor* color, CFStringRef colorSpaceName, CGRect rect,
                        CGFloat glossScale) {
  if (!context) return;
  NSUIGlossShadingInfo gloss{};
  gloss.expCoefficient = kExpCoefficient;
  // e^-1.2 in single precision, as the evaluation takes its exponentials: the curves then
  // start and end exactly at the reflection's and the glow's ends.
  gloss.expOffset = std::exp(float(-kExpCoefficient));
  gloss.expScale = 1.0 / (1.0 - gloss.expOffset);
  NSColor* rgb = color ? color->colorUsingColorSpaceName(NSCalibratedRGBColorSpace) : nullptr;
  if (rgb) {
    CGFloat components[4] = {0, 0, 0, 1};
    rgb->getComponents(components);
    if (rgb->numberOfComponents() == 3) components[3] = 1.0;
    std::copy(components, components + 4, gloss.color);
  } else {
    const double grey[4] = {0.5, 0.5, 0.5, 1.0};
    std::copy(grey, grey + 4, gloss.color);
  }
  causticOf(gloss.color, gloss.caustic);
  if (gloss.color[0] == gloss.color[1] && gloss.color[1] == gloss.color[2]) {
    const double brightest = std::max({gloss.caustic[0], gloss.caustic[1], gloss.caustic[2]});
    gloss.caustic[0] = gloss.caustic[1] = gloss.caustic[2] = brightest;
  }
  const double luminance = 0.299 * gloss.color[0] + 0.587 * gloss.color[1] + 0.114 * gloss.color[2];
  const double glossiness = std::pow(luminance, 0.2) * glossScale;
  gloss.initialWhite = glossiness * 0.6;
  gloss.finalWhite = glossiness * 0.2;

  const CGFloat domain[2] = {0, 1};
  const CGFloat range[8] = {0, 1, 0, 1, 0, 1, 0, 1};
  const CGFunctionCallbacks callbacks = {0, NSUIGlossShadingEvaluate, nullptr};
  CGFunctionRef function = CGFunctionCreate(&gloss, 1, domain, 4, range, &callbacks);
  CGColorSpaceRef space = colorSpaceName ? CGColorSpaceCreateWithName(colorSpaceName) : nullptr;
  CGShadingRef shading =
      function && space ? CGShadingCreateAxial(space, CGPointMake(CGRectGetMinX(rect), CGRectGetMaxY(rect)),
                                               CGPointMake(CGRectGetMinX(rect), CGRectGetMinY(rect)),
                                               function, false, false)
                        : nullptr;
  if (shading) {
    CGContextSaveGState(context);
    CGContextClipToRect(context, rect);
    CGContextDrawShading(context, shading);
    CGContextRestoreGState(context);
    CGShadingRelease(shading);
  }
  if (space) CGColorSpaceRelease(space);
  if (function) CGFunctionRelease(function);
}
