#include "CMIODALGrabberHardwarePlugIn.h"

#include <WithRequirements.h>

#include <algorithm>
#include <map>

#include "CMIODALGrabberDesktopStream.h"
#include "CMIODALGrabberWindowStream.h"

#include <CMIODevicePublishing.h>

namespace NQCMIOGrabber {

VirtualCam* VirtualCam::CreateWithGrabberDesktop(CGDirectDisplayID display, bool wholeIDInName) {
  CFStringRef streamDeviceName = GrabberDesktopStream::CopyDeviceName(display, wholeIDInName);
  if (!REQUIRED_NOT_NULL(streamDeviceName)) return nullptr;
  CFStringRef streamDeviceUID = GrabberDesktopStream::CopyDeviceUID(streamDeviceName);
  VirtualCam* camera = nullptr;
  if (REQUIRED_NOT_NULL(streamDeviceUID)) {
    camera = new VirtualCam(streamDeviceName, streamDeviceUID, std::make_unique<GrabberDesktopStream>(display));
    CFRelease(streamDeviceUID);
  }
  CFRelease(streamDeviceName);
  return camera;
}

VirtualCam* VirtualCam::CreateWithGrabberWindow(UGrabberAppWindow& inGrabber, size_t inWindowOwnerIndex) {
  std::string windowOwnerName;
  if (!REQUIREMENT(inGrabber.GetWindowOwnerAtIndex(inWindowOwnerIndex, windowOwnerName))) return nullptr;
  CFStringRef streamDeviceName = NQCMIO::GrabberWindowStream::CopyDeviceName(windowOwnerName.c_str());
  if (!REQUIRED_NOT_NULL(streamDeviceName)) return nullptr;
  CFStringRef streamDeviceUID = NQCMIO::GrabberWindowStream::CopyDeviceUID(streamDeviceName);
  VirtualCam* camera = nullptr;
  if (REQUIRED_NOT_NULL(streamDeviceUID)) {
    camera = new VirtualCam(streamDeviceName, streamDeviceUID,
                            std::make_unique<NQCMIO::GrabberWindowStream>(inGrabber, inWindowOwnerIndex));
    CFRelease(streamDeviceUID);
  }
  CFRelease(streamDeviceName);
  return camera;
}

VirtualCam::VirtualCam(CFStringRef name, CFStringRef uid, std::unique_ptr<NQCMIO::CMIOStreamBase> stream)
    : mDeviceName(name), mDeviceUID(uid), mStream(std::move(stream)), mDevice(name, uid) {}

VirtualCam::~VirtualCam() { Destruct(); }

OSStatus VirtualCam::Construct(NQCMIO::COMHardwarePlugInInterface& plugIn) {
  mPlugInOrNull = &plugIn;
  OSStatus error = NQCMIO::PublishDeviceWithStream(plugIn, mDevice, *mStream, kFrameSize, nullptr);
  if (error) mPlugInOrNull = nullptr;
  return error;
}

void VirtualCam::Destruct() {
  if (!mPlugInOrNull) return;
  NQCMIO::RemoveDeviceWithStream(*mPlugInOrNull, mDevice, *mStream);
  mPlugInOrNull = nullptr;
}

NQCMIOHardwarePlugInInterface::NQCMIOHardwarePlugInInterface(CFUUIDRef factoryID)
    : COMHardwarePlugInInterface(factoryID) {}

NQCMIOHardwarePlugInInterface::~NQCMIOHardwarePlugInInterface() {
  // The cameras go first: their window streams read the owner list on every frame.
  for (VirtualCam* camera : mCameras) delete camera;
  mCameras.clear();
}

OSStatus NQCMIOHardwarePlugInInterface::InitializeWithObjectID(CMIOObjectID objectID) {
  PlugIn().SetObjectID(objectID);
  SetObjectWithID(&PlugIn(), objectID);
  InitializeGrabberWindowDeviceStreams();
  InitializeGrabberDesktopDeviceStreams();
  return 0;
}

OSStatus NQCMIOHardwarePlugInInterface::Teardown() { return 0; }

void NQCMIOHardwarePlugInInterface::Append(VirtualCam* newDeviceStream) {
  if (!REQUIRED_NOT_NULL(newDeviceStream)) return;
  if (!REQUIRED_CMIOSTATUS(newDeviceStream->Construct(*this))) {
    delete newDeviceStream;
    return;
  }
  mCameras.push_back(newDeviceStream);
}

void NQCMIOHardwarePlugInInterface::InitializeGrabberWindowDeviceStreams() {
  const size_t count = mWindowOwners.GetNumberOfUniqueWindowOwners();
  for (size_t index = 0; index < count; ++index) Append(VirtualCam::CreateWithGrabberWindow(mWindowOwners, index));
}

void NQCMIOHardwarePlugInInterface::InitializeGrabberDesktopDeviceStreams() {
  CGDirectDisplayID activeDisplayIDs[kMaxActiveDisplays] = {};
  uint32_t activeDisplayCount = 0;
  if (!REQUIREMENT(CGGetActiveDisplayList(kMaxActiveDisplays, activeDisplayIDs, &activeDisplayCount) ==
                   kCGErrorSuccess)) {
    return;
  }
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
