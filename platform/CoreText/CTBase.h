#pragma once
#include <CoreFoundation/CFBase.h>

#define CT_EXPORT extern "C" __attribute__((visibility("default")))
