#include "backend/CGObjects.h"

const CFStringRef kCGColorSpaceSRGB = CFSTR("kCGColorSpaceSRGB");
const CFStringRef kCGColorSpaceGenericRGB = CFSTR("kCGColorSpaceGenericRGB");
const CFStringRef kCGColorSpaceGenericRGBLinear = CFSTR("kCGColorSpaceGenericRGBLinear");
const CFStringRef kCGColorSpaceAdobeRGB1998 = CFSTR("kCGColorSpaceAdobeRGB1998");
const CFStringRef kCGColorSpaceGenericGray = CFSTR("kCGColorSpaceGenericGray");
const CFStringRef kCGColorSpaceLinearGray = CFSTR("kCGColorSpaceLinearGray");

namespace {
CGColorSpaceRef makeSpace(CGColorSpaceModel model, CFStringRef name) {
  auto* space = new CGColorSpace();
  space->model = model;
  space->name = RefPtr(name);
  return space;
}
}  // namespace

CFTypeID CGColorSpaceGetTypeID(void) { return CGColorSpace::typeID(); }

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return makeSpace(kCGColorSpaceModelRGB, nullptr); }

CGColorSpaceRef CGColorSpaceCreateDeviceGray(void) {
  return makeSpace(kCGColorSpaceModelMonochrome, nullptr);
}

CGColorSpaceRef CGColorSpaceCreateWithName(CFStringRef name) {
  if (!name) return nullptr;
  for (CFStringRef rgb : {kCGColorSpaceSRGB, kCGColorSpaceGenericRGB, kCGColorSpaceGenericRGBLinear,
                          kCGColorSpaceAdobeRGB1998}) {
    if (CFEqual(name, rgb)) return makeSpace(kCGColorSpaceModelRGB, rgb);
  }
  for (CFStringRef gray : {kCGColorSpaceGenericGray, kCGColorSpaceLinearGray}) {
    if (CFEqual(name, gray)) return makeSpace(kCGColorSpaceModelMonochrome, gray);
  }
  return nullptr;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) { return cgRetain(space); }
void CGColorSpaceRelease(CGColorSpaceRef space) { cgRelease(space); }

size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space) {
  return space ? space->components() : 0;
}

CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space) {
  return space ? space->model : kCGColorSpaceModelUnknown;
}

CFStringRef CGColorSpaceCopyName(CGColorSpaceRef space) {
  if (!space || !space->name) return nullptr;
  return static_cast<CFStringRef>(CFRetain(space->name.get()));
}
