#include "backend/CGObjects.h"

CFTypeID CGColorGetTypeID(void) { return CGColor::typeID(); }

CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components) {
  if (!space || !components) return nullptr;
  auto* color = new CGColor();
  color->space = RefPtr(space);
  color->components.assign(components, components + space->components() + 1);
  return color;
}

CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  auto space = adopt(CGColorSpaceCreateWithName(kCGColorSpaceGenericRGB));
  const CGFloat components[] = {red, green, blue, alpha};
  return CGColorCreate(space.get(), components);
}

CGColorRef CGColorCreateGenericGray(CGFloat gray, CGFloat alpha) {
  auto space = adopt(CGColorSpaceCreateWithName(kCGColorSpaceGenericGray));
  const CGFloat components[] = {gray, alpha};
  return CGColorCreate(space.get(), components);
}

CGColorRef CGColorRetain(CGColorRef color) { return cgRetain(color); }
void CGColorRelease(CGColorRef color) { cgRelease(color); }

size_t CGColorGetNumberOfComponents(CGColorRef color) { return color ? color->components.size() : 0; }
const CGFloat* CGColorGetComponents(CGColorRef color) {
  return color ? color->components.data() : nullptr;
}
CGFloat CGColorGetAlpha(CGColorRef color) { return color ? color->components.back() : 0; }
CGColorSpaceRef CGColorGetColorSpace(CGColorRef color) { return color ? color->space.get() : nullptr; }

bool CGColorEqualToColor(CGColorRef color1, CGColorRef color2) {
  if (color1 == color2) return true;
  if (!color1 || !color2) return false;
  return color1->space->model == color2->space->model && color1->components == color2->components;
}
