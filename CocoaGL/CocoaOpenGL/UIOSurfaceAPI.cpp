#include "UIOSurfaceAPI.h"

OBJC_CLASS_DEFINE(UIOSurfaceAPI)

void UIOSurfaceAPI::surfaceIncrementUseCount(IOSurfaceRef surface) { IOSurfaceIncrementUseCount(surface); }

void UIOSurfaceAPI::surfaceDecrementUseCount(IOSurfaceRef surface) { IOSurfaceDecrementUseCount(surface); }

int32_t UIOSurfaceAPI::surfaceGetUseCount(IOSurfaceRef surface) { return IOSurfaceGetUseCount(surface); }

bool UIOSurfaceAPI::surfaceIsInUse(IOSurfaceRef surface) { return IOSurfaceIsInUse(surface); }
