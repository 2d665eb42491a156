#include "CMIODiagnostics.h"

#include <CoreFoundation/CFPlugInCOM.h>
#include <CoreMediaIO/CMIOHardwarePlugIn.h>
#include <URequirements.h>
#include <objc/RefPtr.h>

namespace NQCMIO {

bool DisplayExecutionEnvironment() { return true; }

bool DisplayFactoryInterfaces() {
  const RefPtr<const __CFArray> factories = adopt(CFPlugInFindFactoriesForPlugInType(kCMIOHardwarePlugInTypeID));
  CFArrayRef cmioFactories = factories.get();
  REQUIRED_CFTYPEOF(cmioFactories, CFArrayGetTypeID());
  return true;
}

bool DisplayAllFactoryInterfacesWithValidIUnknown() {
  const RefPtr<const __CFArray> factories = adopt(CFPlugInFindFactoriesForPlugInType(kCMIOHardwarePlugInTypeID));
  DisplayFactoryInterfacesWithValidIUnknown(factories.get());
  return true;
}

static void DisplayOneInterfaceIUnknown(IUnknownVTbl** IUnknownRef, CFUUIDRef factoryUUID) {
  CMIOHardwarePlugInRef interface = nullptr;
  HRESULT hresult = (*IUnknownRef)->QueryInterface(IUnknownRef, CFUUIDGetUUIDBytes(kCMIOHardwarePlugInInterfaceID),
                                                   reinterpret_cast<LPVOID*>(&interface));
  REQUIREMENT(hresult == ((HRESULT)0x00000000L));
  if (REQUIRED_NOT_NULL(interface)) {
    __CFLogPrintf(CFSTR("obtained CMIOHardwarePlugInRef %p (UUID:%@)\n"), static_cast<void*>(interface), factoryUUID);
    (*interface)->Release(interface);
  }
}

bool DisplayFactoryInterfacesWithValidIUnknown(CFArrayRef cmioFactories) {
  if (!REQUIRED_CFTYPEOF(cmioFactories, CFArrayGetTypeID())) return true;
  REQUIREMENT(CFArrayGetCount(cmioFactories));
  for (CFIndex index = 0; index < CFArrayGetCount(cmioFactories); ++index) {
    CFUUIDRef factoryUUID = static_cast<CFUUIDRef>(CFArrayGetValueAtIndex(cmioFactories, index));
    if (!REQUIRED_CFTYPEOF(factoryUUID, CFUUIDGetTypeID())) continue;
    auto** IUnknownRef = static_cast<IUnknownVTbl**>(CFPlugInInstanceCreate(nullptr, factoryUUID, kCMIOHardwarePlugInTypeID));
    __CFLogPrintf(CFSTR("obtained IUnknown %p (UUID:%@)\n"), static_cast<void*>(IUnknownRef), factoryUUID);
    if (!REQUIRED_NOT_NULL(IUnknownRef)) continue;
    DisplayOneInterfaceIUnknown(IUnknownRef, factoryUUID);
    (*IUnknownRef)->Release(IUnknownRef);
  }
  return true;
}

}  // namespace NQCMIO
