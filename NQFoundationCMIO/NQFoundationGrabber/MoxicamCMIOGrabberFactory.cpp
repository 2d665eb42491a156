// The grabber factory of the camera plug-in bundle. Only the application itself gets grabber
// cameras: in any other process the factory makes nothing and says nothing.
#include <CoreFoundation/CFPlugInCOM.h>

#include <CoreBundleyes.h>

#include "CMIODALGrabberHardwarePlugIn.h"

namespace {

const CFStringRef kApplicationBundleIdentifiers[] = {CFSTR("com.quillfen.Moxicam"), CoreBundleyes::kEndOfList};

NQCMIO::COMHardwarePlugInInterface* newGrabberPlugIn(CFUUIDRef requestedTypeUUID) {
  return new NQCMIOGrabber::NQCMIOHardwarePlugInInterface(requestedTypeUUID);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void* GRABBER_COMHardwarePlugInInterface_Factory(
    CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  if (!CoreBundleyes(kApplicationBundleIdentifiers).IsMainMember()) return nullptr;
  return NQCMIO::COMHardwarePlugInInterface::FactoryInstance(requestedTypeUUID, newGrabberPlugIn);
}
