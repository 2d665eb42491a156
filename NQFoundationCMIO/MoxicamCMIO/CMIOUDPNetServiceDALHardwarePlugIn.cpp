#include "CMIOUDPNetServiceDALHardwarePlugIn.h"

#include <cstring>
#include <string>

#include "CMIODevicePublishing.h"
#include "NQBonjourIOSurfaceProtocol.h"
#include "WithRequirements.h"

namespace NQCMIOBonjourUDP {

namespace {

std::string utf8(CFStringRef text) {
  if (!text) return {};
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  CFStringGetCString(text, buffer.data(), size, kCFStringEncodingUTF8);
  buffer.resize(strlen(buffer.c_str()));
  return buffer;
}

}  // namespace

VirtualCam* VirtualCam::CreateWithResolvedCFNetService(CFNetServiceRef service, CFDictionaryRef TXTDictionary) {
  if (!REQUIRED_CFTYPEOF(TXTDictionary, CFDictionaryGetTypeID())) return nullptr;
  CFStringRef streamDeviceName = NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceName(service, TXTDictionary);
  if (!REQUIRED_CFTYPEOF(streamDeviceName, CFStringGetTypeID())) return nullptr;
  CFStringRef streamDeviceUID = NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceUID(streamDeviceName);
  VirtualCam* camera = nullptr;
  if (REQUIRED_CFTYPEOF(streamDeviceUID, CFStringGetTypeID()))
    camera = new VirtualCam(service, TXTDictionary, streamDeviceName, streamDeviceUID,
                            NQCMIO::UDPNetServiceIOSurfaceStream::GetFrameSizeFromTXTDictionary(TXTDictionary));
  CFRelease(streamDeviceName);
  if (streamDeviceUID) CFRelease(streamDeviceUID);
  return camera;
}

VirtualCam::VirtualCam(CFNetServiceRef service, CFDictionaryRef txtDictionary, CFStringRef deviceName,
                       CFStringRef deviceUID, CGSize size)
    : mDeviceName(CFStringRef(CFRetain(deviceName))),
      mDeviceUID(CFStringRef(CFRetain(deviceUID))),
      mService(CFNetServiceRef(CFRetain(service))),
      mTXTDictionary(CFDictionaryRef(CFRetain(txtDictionary))),
      mStream(std::make_unique<NQCMIO::UDPNetServiceIOSurfaceStream>(service, txtDictionary)),
      mDevice(mDeviceName, mDeviceUID),
      mFrameSize(size) {}

VirtualCam::~VirtualCam() {
  Destruct();
  mStream.reset();
  for (CFTypeRef held : {CFTypeRef(mTXTDictionary), CFTypeRef(mService), CFTypeRef(mDeviceUID), CFTypeRef(mDeviceName)})
    CFRelease(held);
}

// A step that fails leaves what went before in place: the caller drops the camera, and its
// destruction takes device and stream out of the plug-in and the system again.
OSStatus VirtualCam::Construct(NQCMIOHardwarePlugInInterface& inPlugIn) {
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
  if (!REQUIREMENT(mStream->Construct(mFrameSize, nullptr))) return kCMIOHardwareUnspecifiedError;
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
  // The resolver stops first, so that no discovery changes the cameras while they go; the
  // cameras go with their streams' timers and subscriptions before the plug-in does.
  _resolver.StopBrowsing();
  RemoveCameras([](VirtualCam&) { return true; });
}

OSStatus NQCMIOHardwarePlugInInterface::InitializeWithObjectID(CMIOObjectID objectID) {
  PlugIn().SetObjectID(objectID);
  SetObjectWithID(&PlugIn(), objectID);
  _resolver.StartBrowsing(NQBonjour::sSurfaceDiscoveredCallback_T<NQCMIOHardwarePlugInInterface>, this);
  return kCMIOHardwareNoError;
}

OSStatus NQCMIOHardwarePlugInInterface::Teardown() {
  _resolver.StopBrowsing();
  return kCMIOHardwareNoError;
}

void NQCMIOHardwarePlugInInterface::DiscoveredService(CFOptionFlags flags, CFNetServiceRef service,
                                                      CFDictionaryRef TXTDictionary) {
  if (flags & kCFNetServiceFlagRemove) {
    // The announcement is gone: so is its camera, which could never show a frame again.
    CFStringRef gone = service ? CFNetServiceGetName(service) : nullptr;
    if (gone)
      RemoveCameras([gone](VirtualCam& camera) {
        return CFStringCompare(CFNetServiceGetName(camera.Service()), gone, 0) == kCFCompareEqualTo;
      });
    return;
  }
  if (!REQUIREMENT(BonjourIOSurfaceProtocol_IsThisMachine(TXTDictionary))) {
    NQBonjour::TXTDictionary::CFShow(service, TXTDictionary, "Ignoring remote service");
    return;
  }
  CreateStreamForResolvedService(service, TXTDictionary);
}

void NQCMIOHardwarePlugInInterface::CreateStreamForResolvedService(CFNetServiceRef service,
                                                                   CFDictionaryRef TXTDictionary) {
  VirtualCam* newDeviceStream = VirtualCam::CreateWithResolvedCFNetService(service, TXTDictionary);
  if (!REQUIRED_NOT_NULL(newDeviceStream)) return;
  std::unique_ptr<VirtualCam> camera(newDeviceStream);
  // An announcement under a name already shown (its sender restarted) replaces that camera.
  CFStringRef uid = camera->DeviceUID();
  RemoveCameras([uid](VirtualCam& shown) {
    return CFStringCompare(shown.DeviceUID(), uid, 0) == kCFCompareEqualTo;
  });
  if (!REQUIRED_CMIOSTATUS(newDeviceStream->Construct(*this))) return;
  std::lock_guard<std::mutex> guard(mCamerasLock);
  _cameras.push_back(std::move(camera));
}

void NQCMIOHardwarePlugInInterface::RemoveCameras(const std::function<bool(VirtualCam&)>& which) {
  std::vector<std::unique_ptr<VirtualCam>> removed;
  {
    std::lock_guard<std::mutex> guard(mCamerasLock);
    for (auto it = _cameras.begin(); it != _cameras.end();) {
      if (which(**it)) {
        removed.push_back(std::move(*it));
        it = _cameras.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Destroying a camera unpublishes it and stops its stream.
  removed.clear();
}

std::vector<std::string> NQCMIOHardwarePlugInInterface::CameraUIDs() {
  std::lock_guard<std::mutex> guard(mCamerasLock);
  std::vector<std::string> uids;
  for (auto& camera : _cameras) uids.push_back(utf8(camera->DeviceUID()));
  return uids;
}

}  // namespace NQCMIOBonjourUDP
