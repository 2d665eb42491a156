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
  const RefPtr<const __CFString> deviceName =
      adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceName(service, TXTDictionary));
  CFStringRef streamDeviceName = deviceName.get();
  if (!REQUIRED_CFTYPEOF(streamDeviceName, CFStringGetTypeID())) return nullptr;
  const RefPtr<const __CFString> deviceUID = adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceUID(streamDeviceName));
  CFStringRef streamDeviceUID = deviceUID.get();
  if (!REQUIRED_CFTYPEOF(streamDeviceUID, CFStringGetTypeID())) return nullptr;
  return new VirtualCam(service, TXTDictionary, streamDeviceName, streamDeviceUID,
                        NQCMIO::UDPNetServiceIOSurfaceStream::GetFrameSizeFromTXTDictionary(TXTDictionary));
}

VirtualCam::VirtualCam(CFNetServiceRef service, CFDictionaryRef txtDictionary, CFStringRef deviceName,
                       CFStringRef deviceUID, CGSize size)
    : mDeviceName(deviceName),
      mDeviceUID(deviceUID),
      mService(service),
      mTXTDictionary(txtDictionary),
      mStream(Ref<NQCMIO::UDPNetServiceIOSurfaceStream>::adopt(
          new NQCMIO::UDPNetServiceIOSurfaceStream(service, txtDictionary))),
      mDevice(Ref<NQCMIO::CMIODeviceBase>::adopt(new NQCMIO::CMIODeviceBase(deviceName, deviceUID))),
      mFrameSize(size) {}

VirtualCam::~VirtualCam() { Destruct(); }

// Its failures are reported as this camera's own.
OSStatus VirtualCam::Construct(NQCMIOHardwarePlugInInterface& inPlugIn) {
  const OSStatus error =
      NQCMIO::PublishDeviceWithStream(inPlugIn, *mDevice, *mStream, mFrameSize, nullptr, NQCMIO_PUBLISHING_SITE);
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
  // The resolver stops first, so that no discovery changes the cameras while they go; the
  // cameras go with their streams' timers and subscriptions before the plug-in does.
  _resolver.StopBrowsing();
  RemoveCameras([](VirtualCam&) { return true; });
}

OSStatus NQCMIOHardwarePlugInInterface::InitializeWithObjectID(CMIOObjectID objectID) {
  PlugIn().SetObjectID(objectID);
  SetObjectWithID(PlugIn(), objectID);
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
