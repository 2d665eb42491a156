#pragma once
// Base types of the 2-D drawing layer.
#include <cfloat>
#include <cstddef>
#include <cstdint>

#include <CoreFoundation/CFBase.h>

#define CG_EXTERN CF_EXPORT

typedef double CGFloat;
#define CGFLOAT_MAX DBL_MAX
#define CGFLOAT_MIN DBL_MIN
