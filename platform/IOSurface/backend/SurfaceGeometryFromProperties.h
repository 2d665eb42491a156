#pragma once
// Reading the property dictionary of IOSurfaceCreate into a surface's geometry.
#include <CoreFoundation/CFDictionary.h>

#include "backend/SurfaceMemory.h"

namespace IOSurfaceLayer {

// False (with a report) when a size is missing, zero, negative or too large to map.
bool geometryFromProperties(CFDictionaryRef properties, SurfaceGeometry& geometry, bool& global);

}  // namespace IOSurfaceLayer
