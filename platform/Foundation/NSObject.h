#pragma once
// The root class and the class runtime, shared with CoreFoundation (platform/objc).
#include <objc/NSObject.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>
