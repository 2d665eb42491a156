// The network camera's exported factory, which serves every host. The grabber cameras' factory
// lives with them and makes cameras only inside the application.
#include "CMIODiagnostics.h"
#include "CMIOUDPNetServiceDALHardwarePlugIn.h"

namespace {

NQCMIO::COMHardwarePlugInInterface* createNetworkCamera(CFUUIDRef factoryID) {
  return new NQCMIOBonjourUDP::NQCMIOHardwarePlugInInterface(factoryID);
}

// The bundle exports the framework's diagnostics beside its factories; naming them here links
// them in from the framework's library.
[[gnu::used]] const void* const kExportedDiagnostics[] = {
    reinterpret_cast<const void*>(&NQCMIO::DisplayExecutionEnvironment),
    reinterpret_cast<const void*>(&NQCMIO::DisplayFactoryInterfaces),
    reinterpret_cast<const void*>(&NQCMIO::DisplayAllFactoryInterfacesWithValidIUnknown),
    reinterpret_cast<const void*>(&NQCMIO::DisplayFactoryInterfacesWithValidIUnknown),
};

}  // namespace

extern "C" void* CPP_COMHardwarePlugInInterface_Factory(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return NQCMIO::COMHardwarePlugInInterface::FactoryInstance(requestedTypeUUID, createNetworkCamera);
}
