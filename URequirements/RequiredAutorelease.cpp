#include <CoreFoundation/CFPlatformRoot.h>
#include <dlfcn.h>

#include <mutex>

#include "RequiredReporters.h"
#include "URequirements.h"

typedef CFTypeRef (*CFAutoreleaseFunction)(CFTypeRef);

// CFAutorelease is found by name in the CoreFoundation framework, once, so that this layer
// works with a CoreFoundation that lacks it (the object is then sent -autorelease).
static CFAutoreleaseFunction lookUpCFAutorelease() {
  static const std::string path =
      CFPlatform::systemPath("/System/Library/Frameworks/CoreFoundation.framework/Versions/A/CoreFoundation");
  void* sCoreFoundationFramework = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (!REQUIRED_NOT_NULL(sCoreFoundationFramework)) return nullptr;
  void* sCFAutoreleasePtr = dlsym(sCoreFoundationFramework, "CFAutorelease");
  if (!REQUIRED_NOT_NULL(sCFAutoreleasePtr)) return nullptr;
  return reinterpret_cast<CFAutoreleaseFunction>(sCFAutoreleasePtr);
}

CFTypeRef __CFTypeRefPropertySafeRetainAndAutorelease(CFTypeRef object) {
  if (!object) return nullptr;
  static std::once_flag once;
  static CFAutoreleaseFunction sCFAutorelease = nullptr;
  std::call_once(once, [] { sCFAutorelease = lookUpCFAutorelease(); });
  CFRetain(object);
  if (sCFAutorelease) return sCFAutorelease(object);
  return objc_autorelease(object);
}
