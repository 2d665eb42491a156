#pragma once
#include <IOSurface/IOSurfaceAPI.h>
#include <IOSurface/IOSurfaceRef.h>
