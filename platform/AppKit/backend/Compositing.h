#pragma once
// How AppKit's compositing operations are painted with CoreGraphics. Inner workings of AppKit.
#include <AppKit/NSGraphics.h>
#include <CoreGraphics/CGContext.h>

namespace AppKitBackend {

CGBlendMode blendModeOf(NSCompositingOperation operation);

}  // namespace AppKitBackend
