#include "LoadedPlugIn.h"

#include <CoreFoundation/CFPlugInCOM.h>

#include <CoreMediaIO/CMIOSystemObjects.h>
#include "PropertyText.h"

namespace CameraHost {

LoadedPlugIn::LoadedPlugIn(CMIOHardwarePlugInRef interface, std::string bundlePath)
    : mThread(std::make_unique<PlugInThread>()), mInterface(interface), mBundlePath(std::move(bundlePath)) {}

std::unique_ptr<LoadedPlugIn> LoadedPlugIn::create(CFUUIDRef factoryID, const std::string& bundlePath,
                                                   std::string& error) {
  void* instance = CFPlugInInstanceCreate(nullptr, factoryID, kCMIOHardwarePlugInTypeID);
  // A factory may decline to make an instance in this process (the grabber cameras exist
  // only inside the application): the host passes over it, as the platform does.
  if (!instance) return nullptr;
  auto** unknown = static_cast<IUnknownVTbl**>(instance);
  CMIOHardwarePlugInRef interface = nullptr;
  const HRESULT answer = (*unknown)->QueryInterface(unknown, CFUUIDGetUUIDBytes(kCMIOHardwarePlugInInterfaceID),
                                                    reinterpret_cast<LPVOID*>(&interface));
  // The factory's reference is not kept: the interface holds its own.
  (*unknown)->Release(unknown);
  if (answer != S_OK || !interface) {
    error = "the instance has no camera plug-in interface";
    return nullptr;
  }

  std::unique_ptr<LoadedPlugIn> plugIn(new LoadedPlugIn(interface, bundlePath));
  plugIn->mObjectID = _CMIOSystemAddPlugIn(interface);
  OSStatus status = kCMIOHardwareNoError;
  plugIn->mThread->perform([&] {
    status = (*interface)->InitializeWithObjectID(interface, plugIn->mObjectID);
    // Plug-ins that predate object ids only know the plain initialisation.
    if (status != kCMIOHardwareNoError && (*interface)->Initialize &&
        (*interface)->Initialize(interface) == kCMIOHardwareNoError) {
      status = kCMIOHardwareNoError;
    }
  });
  if (status != kCMIOHardwareNoError) {
    error = "it refused to initialise (" + statusText(status) + ")";
    return nullptr;
  }
  plugIn->mInitialized = true;
  return plugIn;
}

LoadedPlugIn::~LoadedPlugIn() {
  CMIOHardwarePlugInRef interface = mInterface;
  if (mInitialized) {
    mThread->perform([interface] { (*interface)->Teardown(interface); });
  }
  mThread->perform([interface] { (*interface)->Release(interface); });
  mThread.reset();
  _CMIOSystemRemovePlugIn(interface);
}

}  // namespace CameraHost
