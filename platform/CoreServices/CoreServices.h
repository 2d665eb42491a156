#pragma once
// The CoreServices framework: status names, Gestalt and the microsecond clock.
#include <CoreServices/Debugging.h>
#include <CoreServices/Gestalt.h>
#include <CoreServices/Timer.h>
