#pragma once
// The Core Image stand-in: every public header.
#include <CoreImage/CIColor.h>
#include <CoreImage/CIContext.h>
#include <CoreImage/CIImage.h>
