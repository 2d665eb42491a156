#pragma once
#include <CoreFoundation/CFBase.h>

#include <cstdint>

typedef CFIndex CMItemCount;
typedef CFIndex CMItemIndex;
