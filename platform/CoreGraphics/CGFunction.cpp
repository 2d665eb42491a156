#include <algorithm>

#include "backend/CGObjects.h"

CGFunction::~CGFunction() {
  if (callbacks.releaseInfo) callbacks.releaseInfo(info);
}

std::vector<CGFloat> CGFunction::evaluate(CGFloat t) const {
  std::vector<CGFloat> in(std::max<size_t>(domainDimension, 1), t);
  // Room for any number of outputs when the function gave no range to count them by.
  std::vector<CGFloat> out(std::max<size_t>(rangeDimension, 16), 0);
  callbacks.evaluate(info, in.data(), out.data());
  if (!range.empty()) {
    out.resize(rangeDimension);
    for (size_t i = 0; i < rangeDimension; ++i) out[i] = std::clamp(out[i], range[2 * i], range[2 * i + 1]);
  }
  return out;
}

CFTypeID CGFunctionGetTypeID(void) { return CGFunction::typeID(); }

CGFunctionRef CGFunctionCreate(void* info, size_t domainDimension, const CGFloat* domain,
                               size_t rangeDimension, const CGFloat* range,
                               const CGFunctionCallbacks* callbacks) {
  if (!callbacks || !callbacks->evaluate) return nullptr;
  auto* function = new CGFunction();
  function->info = info;
  function->callbacks = *callbacks;
  function->domainDimension = domainDimension;
  function->rangeDimension = rangeDimension;
  if (domain) function->domain.assign(domain, domain + 2 * domainDimension);
  if (range) function->range.assign(range, range + 2 * rangeDimension);
  return function;
}

CGFunctionRef CGFunctionRetain(CGFunctionRef function) { return cgRetain(function); }
void CGFunctionRelease(CGFunctionRef function) { cgRelease(function); }

CFTypeID CGShadingGetTypeID(void) { return CGShading::typeID(); }

CGShadingRef CGShadingCreateAxial(CGColorSpaceRef space, CGPoint start, CGPoint end,
                                  CGFunctionRef function, bool extendStart, bool extendEnd) {
  if (!space || !function) return nullptr;
  auto* shading = new CGShading();
  shading->space = RefPtr(space);
  shading->function = RefPtr(function);
  shading->start = start;
  shading->end = end;
  shading->extendStart = extendStart;
  shading->extendEnd = extendEnd;
  return shading;
}

CGShadingRef CGShadingCreateRadial(CGColorSpaceRef space, CGPoint start, CGFloat startRadius,
                                   CGPoint end, CGFloat endRadius, CGFunctionRef function,
                                   bool extendStart, bool extendEnd) {
  CGShadingRef shading = CGShadingCreateAxial(space, start, end, function, extendStart, extendEnd);
  if (shading) {
    shading->radial = true;
    shading->startRadius = startRadius;
    shading->endRadius = endRadius;
  }
  return shading;
}

CGShadingRef CGShadingRetain(CGShadingRef shading) { return cgRetain(shading); }
void CGShadingRelease(CGShadingRef shading) { cgRelease(shading); }
