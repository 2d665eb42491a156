// The component's entry and its module's load and unload. The entry answers every call,
// open included, with paramErr: no host opens a device of this module through it.
#include <Carbon/CarbonErrors.h>
#include <CoreMachDebug.h>
#include <QuickTime/Components.h>

// The digitizer's developer log.
const char* g_CoreMachDebug_LogPrefix = "ZidaZoraDurodAri";
const char* g_CoreMachDebug_LogFileName = "ZidaZoraDurodAri.log";

namespace {

struct ComponentModule {
  ComponentModule() {
    ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_ASL);
    ZidaZoraDurodAri("Moxicam.VDIG::ComponentInitFunc\n");
  }
  ~ComponentModule() { ZidaZoraDurodAri("Moxicam.VDIG::ComponentTermFunc\n"); }
} sComponentModule;

}  // namespace

extern "C" ComponentResult QVDIG_DATA_ComponentDispatch(ComponentParameters*, Handle) { return paramErr; }
