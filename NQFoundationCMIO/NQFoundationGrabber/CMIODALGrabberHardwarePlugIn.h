#pragma once
// The grabber plug-in: inside the application, one camera per application with shared
// windows and one per active display.
#include <CoreGraphics/CGDisplay.h>

#include <memory>
#include <vector>

#include <CMIODeviceBase.h>
#include <CMIOStreamBase.h>
#include <COMHardwarePlugInInterface.h>

#include "UGrabberAppWindow.h"

namespace NQCMIOGrabber {

class NQCMIOHardwarePlugInInterface;

// One grabber camera: a device with its one stream.
class VirtualCam {
 public:
  static constexpr CGSize kFrameSize = {1280, 720};

  // New cameras, or null (reported) when no name or UID can be made.
  static VirtualCam* CreateWithGrabberDesktop(CGDirectDisplayID display, bool wholeIDInName = false);
  static VirtualCam* CreateWithGrabberWindow(UGrabberAppWindow& windowOwners, size_t ownerIndex);

  VirtualCam(CFStringRef name, CFStringRef uid, Ref<NQCMIO::CMIOStreamBase> stream);
  ~VirtualCam();
  VirtualCam(const VirtualCam&) = delete;
  VirtualCam& operator=(const VirtualCam&) = delete;

  // Creates and publishes the device, then its stream; 0 or the first error, after which
  // nothing of the camera is published.
  OSStatus Construct(NQCMIO::COMHardwarePlugInInterface& plugIn);
  // Stops the stream and takes device and stream out of the plug-in and the system.
  void Destruct();

  CFStringRef DeviceName() const { return mDeviceName.get(); }
  CFStringRef DeviceUID() const { return mDeviceUID.get(); }
  NQCMIO::CMIOStreamBase& Stream() { return *mStream; }

 private:
  const RefPtr<const __CFString> mDeviceName;
  const RefPtr<const __CFString> mDeviceUID;
  NQCMIO::COMHardwarePlugInInterface* mPlugInOrNull = nullptr;
  const Ref<NQCMIO::CMIOStreamBase> mStream;
  const Ref<NQCMIO::CMIODeviceBase> mDevice;
};

class NQCMIOHardwarePlugInInterface : public NQCMIO::COMHardwarePlugInInterface {
 public:
  static constexpr uint32_t kMaxActiveDisplays = 6;

  explicit NQCMIOHardwarePlugInInterface(CFUUIDRef factoryID);
  ~NQCMIOHardwarePlugInInterface() override;

  OSStatus InitializeWithObjectID(CMIOObjectID objectID) override;
  OSStatus Teardown() override;

  void InitializeGrabberWindowDeviceStreams();
  void InitializeGrabberDesktopDeviceStreams();
  bool InitializeDisplayStreamAcquiresPermission();

  const std::vector<std::unique_ptr<VirtualCam>>& Cameras() const { return mCameras; }

 private:
  void Append(VirtualCam* newDeviceStream);

  std::vector<std::unique_ptr<VirtualCam>> mCameras;
  UGrabberAppWindow mWindowOwners;
};

}  // namespace NQCMIOGrabber
