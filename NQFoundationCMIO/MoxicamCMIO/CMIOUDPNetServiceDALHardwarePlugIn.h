#pragma once
// The network camera plug-in: one camera per surface announcement of this machine. A camera
// goes when its announcement goes, and an announcement under a name already shown replaces
// the camera of that name, so that no two cameras ever share a uid.
#include <CFNetwork/CFNetServices.h>

#include <memory>
#include <mutex>
#include <vector>

#include "CMIODeviceBase.h"
#include "COMHardwarePlugInInterface.h"
#include "CMIOUDPNetServiceIOSurfaceStream.h"
#include "NQBonjourSurfaceResolver.h"

namespace NQCMIOBonjourUDP {

class NQCMIOHardwarePlugInInterface;

class VirtualCam {
 public:
  // A new camera for a resolved announcement, or null.
  static VirtualCam* CreateWithResolvedCFNetService(CFNetServiceRef service, CFDictionaryRef txtDictionary);
  VirtualCam(CFNetServiceRef service, CFDictionaryRef txtDictionary, CFStringRef deviceName, CFStringRef deviceUID,
             CGSize size);
  ~VirtualCam();
  VirtualCam(const VirtualCam&) = delete;
  VirtualCam& operator=(const VirtualCam&) = delete;

  // Creates and publishes the device, then its stream; 0 or the first error, after which
  // nothing of the camera is published.
  OSStatus Construct(NQCMIOHardwarePlugInInterface& plugIn);
  void Destruct();

  CFStringRef DeviceName() const { return mDeviceName.get(); }
  CFStringRef DeviceUID() const { return mDeviceUID.get(); }
  CFNetServiceRef Service() const { return mService.get(); }
  NQCMIO::UDPNetServiceIOSurfaceStream& Stream() { return *mStream; }
  NQCMIO::CMIODeviceBase& Device() { return *mDevice; }
  CGSize FrameSize() const { return mFrameSize; }

 private:
  const RefPtr<const __CFString> mDeviceName;
  const RefPtr<const __CFString> mDeviceUID;
  const RefPtr<__CFNetService> mService;
  const RefPtr<const __CFDictionary> mTXTDictionary;
  NQCMIOHardwarePlugInInterface* mPlugInOrNull = nullptr;
  const Ref<NQCMIO::UDPNetServiceIOSurfaceStream> mStream;
  const Ref<NQCMIO::CMIODeviceBase> mDevice;
  CGSize mFrameSize;
};

class NQCMIOHardwarePlugInInterface : public NQCMIO::COMHardwarePlugInInterface {
 public:
  explicit NQCMIOHardwarePlugInInterface(CFUUIDRef factoryID);
  ~NQCMIOHardwarePlugInInterface() override;

  OSStatus InitializeWithObjectID(CMIOObjectID objectID) override;
  OSStatus Teardown() override;

  // On the resolver's queue.
  void DiscoveredService(CFOptionFlags flags, CFNetServiceRef service, CFDictionaryRef txtDictionary);
  void CreateStreamForResolvedService(CFNetServiceRef service, CFDictionaryRef txtDictionary);

  // The uids of the cameras shown, in order of discovery.
  std::vector<std::string> CameraUIDs();

 private:
  void RemoveCameras(const std::function<bool(VirtualCam&)>& which);

  NQBonjour::SurfaceResolver _resolver;
  std::mutex mCamerasLock;
  std::vector<std::unique_ptr<VirtualCam>> _cameras;
};

}  // namespace NQCMIOBonjourUDP
