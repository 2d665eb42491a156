// The network camera's exported factory, which serves every host. The grabber cameras' factory
// lives with them and makes cameras only inside the application.
#include "CMIOUDPNetServiceDALHardwarePlugIn.h"

namespace {

NQCMIO::COMHardwarePlugInInterface* createNetworkCamera(CFUUIDRef factoryID) {
  return new NQCMIOBonjourUDP::NQCMIOHardwarePlugInInterface(factoryID);
}

}  // namespace

extern "C" void* CPP_COMHardwarePlugInInterface_Factory(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return NQCMIO::COMHardwarePlugInInterface::FactoryInstance(requestedTypeUUID, createNetworkCamera);
}
