// The bundle's exported factories. The network camera factory serves every host; the
// grabber factory joins it here once the grabber cameras exist.
#include "CMIOUDPNetServiceDALHardwarePlugIn.h"

namespace {

NQCMIO::COMHardwarePlugInInterface* createNetworkCamera(CFUUIDRef factoryID) {
  return new NQCMIOBonjourUDP::NQCMIOHardwarePlugInInterface(factoryID);
}

}  // namespace

extern "C" void* CPP_COMHardwarePlugInInterface_Factory(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return NQCMIO::COMHardwarePlugInInterface::FactoryInstance(requestedTypeUUID, createNetworkCamera);
}
