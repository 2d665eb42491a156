#include "NSAppKitVersion.h"

const double NSAppKitVersionNumber = NSAppKitVersionNumber10_15;
