#include "CoreSystem.h"

#include <CoreServices/CoreServices.h>

#include <atomic>

#include "CoreMachDebug.h"
#include "T_CFBaseDLL.h"

namespace CoreSystem {

static std::atomic<SInt32> sSystemName{0};

CoreSystemName GetSystemName() {
  if (sSystemName == 0) {
    SInt32 version = 0;
    const OSErr status = Gestalt(gestaltSystemVersion, &version);
    if (status != noErr) {
      _CoreMachDebugVerifyOSerrBody(status, "GetVersion", __FILE__, __LINE__,
                                    " code : Gestalt(gestaltSystemVersion, &version)");
    } else {
      sSystemName = version;
    }
  }
  return sSystemName;
}

bool IsEarlierThanRevision(const CoreSystemName& revision) { return GetSystemName() < revision; }

bool SystemFrameworkHasFunction(CFStringRef framework, CFStringRef function) {
  T_CFBaseDLL<I_CFBundleDLL> loader(framework);
  return loader.LoadSystemFramework() && loader.FunctionPointerForName(function) != nullptr;
}

}  // namespace CoreSystem
