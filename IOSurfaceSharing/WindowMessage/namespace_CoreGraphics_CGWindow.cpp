#include "namespace_CoreGraphics_CGWindow.h"

#include <CoreFoundation/CFArray.h>
#include <CoreGraphics/CGWindowImage.h>
#include <objc/RefPtr.h>

#include <cstdint>

namespace CoreGraphics {

CGImageRef CGWindow_CopyImageWithWindowID(CGWindowID windowID) {
  if (windowID == kCGNullWindowID) return nullptr;
  const void* ids[] = {reinterpret_cast<const void*>(uintptr_t(windowID))};
  auto windows = adopt(CFArrayCreate(nullptr, ids, 1, nullptr));
  return CGWindowListCreateImageFromArray(CGRectNull, windows.get(), kCGWindowImageDefault);
}

}  // namespace CoreGraphics
