#include "CMIODALGrabberHardwarePlugIn.h"

#include <WithRequirements.h>

#include <algorithm>
#include <map>

#include "CMIODALGrabberDesktopStream.h"
#include "CMIODALGrabberWindowStream.h"

#include <CMIODevicePublishing.h>

namespace NQCMIOGrabber {

VirtualCam* VirtualCam::CreateWithGrabberDesktop(CGDirectDisplayID display, bool wholeIDInName) {
  const RefPtr<const __CFString> deviceName = adopt(GrabberDesktopStream::CopyDeviceName(display, wholeIDInName));
  CFStringRef streamDeviceName = deviceName.get();
  if (!REQUIRED_NOT_NULL(streamDeviceName)) return nullptr;
  const RefPtr<const __CFString> deviceUID = adopt(GrabberDesktopStream::CopyDeviceUID(streamDeviceName));
  CFStringRef streamDeviceUID = deviceUID.get();
  if (!REQUIRED_NOT_NULL(streamDeviceUID)) return nullptr;
  return new VirtualCam(streamDeviceName, streamDeviceUID,
                        Ref<NQCMIO::CMIOStreamBase>::adopt(new GrabberDesktopStream(display)));
}

VirtualCam* VirtualCam::CreateWithGrabberWindow(UGrabberAppWindow& inGrabber, size_t inWindowOwnerIndex) {
  std::string windowOwnerName;
  if (!REQUIRED_NOT_NULL(inGrabber.GetWindowOwnerAtIndex(inWindowOwnerIndex, windowOwnerName))) return nullptr;
  const RefPtr<const __CFString> deviceName =
      adopt(NQCMIO::GrabberWindowStream::CopyDeviceName(windowOwnerName.c_str()));
  CFStringRef streamDeviceName = deviceName.get();
  if (!REQUIRED_NOT_NULL(streamDeviceName)) return nullptr;
  const RefPtr<const __CFString> deviceUID = adopt(NQCMIO::GrabberWindowStream::CopyDeviceUID(streamDeviceName));
  CFStringRef streamDeviceUID = deviceUID.get();
  if (!REQUIRED_NOT_NULL(streamDeviceUID)) return nullptr;
  return new VirtualCam(streamDeviceName, streamDeviceUID,
                        Ref<NQCMIO::CMIOStreamBase>::adopt(
                            new NQCMIO::GrabberWindowStream(inGrabber, inWindowOwnerIndex)));
}

VirtualCam::VirtualCam(CFStringRef name, CFStringRef uid, Ref<NQCMIO::CMIOStreamBase> stream)
    : mDeviceName(name),
      mDeviceUID(uid),
      mStream(std::move(stream)),
      mDevice(Ref<NQCMIO::CMIODeviceBase>::adopt(new NQCMIO::CMIODeviceBase(name, uid))) {}

VirtualCam::~VirtualCam() { Destruct(); }

// Its failures are reported as this camera's own.
OSStatus VirtualCam::Construct(NQCMIO::COMHardwarePlugInInterface& inPlugIn) {
  const OSStatus error =
      NQCMIO::PublishDeviceWithStream(inPlugIn, *mDevice, *mStream, kFrameSize, nullptr, NQCMIO_PUBLISHING_SITE);
  if (error == kCMIOHardwareNoError) mPlugInOrNull = &inPlugIn;
  return error;
}

void VirtualCam::Destruct() {
  if (!mPlugInOrNull) return;
  NQCMIO::RemoveDeviceWithStream(*mPlugInOrNull, *mDevice, *mStream);
  mPlugInOrNull = nullptr;
}

NQCMIOHardwarePlugInInterface::NQCMIOHardwarePlugInInterface(CFUUIDRef factoryID)
    : COMHardwarePlugInInterface(factoryID) {}

NQCMIOHardwarePlugInInterface::~NQCMIOHardwarePlugInInterface() {
  // The cameras go first: their window streams read the owner list on every frame.
  mCameras.clear();
}

OSStatus NQCMIOHardwarePlugInInterface::InitializeWithObjectID(CMIOObjectID objectID) {
  PlugIn().SetObjectID(objectID);
  SetObjectWithID(PlugIn(), objectID);
  InitializeGrabberWindowDeviceStreams();
  InitializeGrabberDesktopDeviceStreams();
  return 0;
}

OSStatus NQCMIOHardwarePlugInInterface::Teardown() { return 0; }

void NQCMIOHardwarePlugInInterface::Append(VirtualCam* newDeviceStream) {
  if (!REQUIRED_NOT_NULL(newDeviceStream)) return;
  std::unique_ptr<VirtualCam> camera(newDeviceStream);
  if (!REQUIRED_CMIOSTATUS(newDeviceStream->Construct(*this))) return;
  mCameras.push_back(std::move(camera));
}

void NQCMIOHardwarePlugInInterface::InitializeGrabberWindowDeviceStreams() {
  const size_t count = mWindowOwners.GetNumberOfUniqueWindowOwners();
  for (size_t index = 0; index < count; ++index) Append(VirtualCam::CreateWithGrabberWindow(mWindowOwners, index));
}

void NQCMIOHardwarePlugInInterface::InitializeGrabberDesktopDeviceStreams() {
  CGDirectDisplayID activeDisplayIDs[kMaxActiveDisplays] = {};
  uint32_t activeDisplayCount = 0;
  // clang-format off
  if (!REQUIRED_OSSTATUS(CGGetActiveDisplayList(kMaxActiveDisplays,activeDisplayIDs,&activeDisplayCount)))
    return;
  // clang-format on
  // Displays whose ids share their low 16 bits are named by their whole ids.
  std::map<uint32_t, int> lowBitsCount;
  for (uint32_t i = 0; i < activeDisplayCount; ++i) ++lowBitsCount[activeDisplayIDs[i] & 0xFFFF];
  for (uint32_t i = 0; i < activeDisplayCount; ++i) {
    const bool shared = lowBitsCount[activeDisplayIDs[i] & 0xFFFF] > 1;
    Append(VirtualCam::CreateWithGrabberDesktop(activeDisplayIDs[i], shared));
  }
}

bool NQCMIOHardwarePlugInInterface::InitializeDisplayStreamAcquiresPermission() {
  return NQCMIO::GrabberWindowStream::ClassInitializeOnce(mWindowOwners);
}

}  // namespace NQCMIOGrabber
