#pragma once
// The CoreServices framework: status names and Gestalt.
#include <CoreServices/Debugging.h>
#include <CoreServices/Gestalt.h>
