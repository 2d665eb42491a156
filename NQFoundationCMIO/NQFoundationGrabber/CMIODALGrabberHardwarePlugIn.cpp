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
  if (!REQUIRED_NOT_NULL(inGrabber.GetWindowOwnerAtIndex(inWindowOwnerIndex, windowOwnerName))) return nullptr;
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

// A step that fails leaves what went before in place: the caller drops the camera, and its
// destruction takes device and stream out of the plug-in and the system again.
OSStatus VirtualCam::Construct(NQCMIO::COMHardwarePlugInInterface& inPlugIn) {
  OSStatus error = kCMIOHardwareNoError;
  CMIOObjectID deviceID = kCMIOObjectUnknown;
  // clang-format off
  if (!REQUIRED_CMIOSTATUS(error = inPlugIn.CMIOObjectCreate(kCMIOObjectSystemObject,kCMIODeviceClassID,&deviceID)))
    return error;
  // clang-format on
  mPlugInOrNull = &inPlugIn;
  mDevice.SetObjectID(deviceID);
  mDevice.SetPlugInID(inPlugIn.PlugIn().GetObjectID());
  inPlugIn.RegisterObject(&mDevice);
  // clang-format off
  if (!REQUIRED_CMIOSTATUS(error = inPlugIn.CMIOObjectPublish(kCMIOObjectSystemObject,deviceID)))
    return error;
  if (!REQUIRED_CMIOSTATUS(error = ConstructStream())) return error;
  // clang-format on
  return kCMIOHardwareNoError;
}

OSStatus VirtualCam::ConstructStream() {
  if (!REQUIRED_NOT_NULL(mPlugInOrNull)) return kCMIOHardwareBadObjectError;
  OSStatus error = kCMIOHardwareNoError;
  CMIOObjectID streamID = kCMIOObjectUnknown;
  const CMIOObjectID deviceID = mDevice.GetObjectID();
  // clang-format off
  if (!REQUIRED_CMIOSTATUS(error = mPlugInOrNull->CMIOObjectCreate(deviceID,kCMIOStreamClassID,&streamID)))
    return error;
  // clang-format on
  if (!REQUIREMENT(mStream->Construct(kFrameSize, nullptr))) return kCMIOHardwareUnspecifiedError;
  mStream->SetObjectID(streamID);
  mDevice.SetStreamID(streamID);
  mPlugInOrNull->RegisterObject(mStream.get());
  // clang-format off
  if (!REQUIRED_CMIOSTATUS(error = mPlugInOrNull->CMIOObjectPublish(deviceID,streamID))) return error;
  // clang-format on
  return kCMIOHardwareNoError;
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
