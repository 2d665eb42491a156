#pragma once
// The dynamic store, as far as the console user goes.
#include <SystemConfiguration/SCDynamicStoreCopySpecific.h>
