#include "PlugInCamera.h"

#include <CoreMedia/CMFormatDescription.h>
#include <mach/mach_time.h>
#include <pthread.h>

#include <chrono>

namespace AVFoundationBackend {

namespace {

// The process's plug-ins, loaded once and kept for the life of the process, as the system
// keeps them.
CameraHost::Host& host() {
  static CameraHost::Host* loaded = [] {
    auto* made = new CameraHost::Host;
    made->loadPlugIns();
    return made;
  }();
  return *loaded;
}

std::vector<VideoFormat> streamFormats(const CameraHost::Device& device) {
  std::vector<VideoFormat> formats;
  if (device.streams.empty()) return formats;
  CMIOHardwarePlugInRef plugIn = device.plugIn->interface();
  CMIOObjectPropertyAddress address{kCMIOStreamPropertyFormatDescription, kCMIOObjectPropertyScopeGlobal,
                                    kCMIOObjectPropertyElementMaster};
  CMFormatDescriptionRef description = nullptr;
  UInt32 used = 0;
  if ((*plugIn)->ObjectGetPropertyData(plugIn, device.streams[0], &address, 0, nullptr, sizeof description,
                                       &used, &description) == kCMIOHardwareNoError &&
      used == sizeof description && description) {
    const RefPtr<const opaqueCMFormatDescription> held = adopt(description);
    if (CFGetTypeID(description) == CMFormatDescriptionGetTypeID()) {
      const CMVideoDimensions size = CMVideoFormatDescriptionGetDimensions(description);
      if (size.width > 0 && size.height > 0)
        formats.push_back({uint32_t(size.width), uint32_t(size.height),
                           CMFormatDescriptionGetMediaSubType(description), 30.0});
    }
  }
  return formats;
}

}  // namespace

std::vector<std::shared_ptr<PlugInCamera>> PlugInCamera::publishedCameras() {
  std::vector<std::shared_ptr<PlugInCamera>> cameras;
  for (const CameraHost::Device& device : host().devices()) {
    std::vector<VideoFormat> formats = streamFormats(device);
    if (!formats.empty()) cameras.push_back(std::make_shared<PlugInCamera>(device, std::move(formats)));
  }
  return cameras;
}

PlugInCamera::PlugInCamera(const CameraHost::Device& device, std::vector<VideoFormat> formats)
    : CaptureSource(device.name, device.uid, "CoreMediaIO"), mDevice(device), mFormats(std::move(formats)) {}

PlugInCamera::~PlugInCamera() { disconnect(); }

bool PlugInCamera::isSameCameraAs(const CaptureSource& other) const {
  const auto* camera = dynamic_cast<const PlugInCamera*>(&other);
  return camera && camera->mDevice.plugIn == mDevice.plugIn && camera->mDevice.deviceID == mDevice.deviceID;
}

bool PlugInCamera::startReading(const VideoFormat&) {
  mCapture =
      std::make_unique<CameraHost::StreamCapture>(*mDevice.plugIn, mDevice.deviceID, mDevice.streams[0]);
  if (mCapture->start() != kCMIOHardwareNoError) {
    mCapture.reset();
    return false;
  }
  mStopping = false;
  mThread = std::thread([this] { run(); });
  return true;
}

void PlugInCamera::stopReading() {
  mStopping = true;
  if (mThread.joinable()) mThread.join();
  if (mCapture) mCapture->stop();
  mCapture.reset();
}

void PlugInCamera::run() {
  pthread_setname_np(pthread_self(), "PlugInCamera");
  using namespace std::chrono_literals;
  while (!mStopping) {
    const RefPtr<opaqueCMSampleBuffer> sample = adopt(mCapture->next(100ms));
    if (!sample) continue;
    if (CVImageBufferRef frame = CMSampleBufferGetImageBuffer(sample.get()))
      deliver(frame, mach_absolute_time());
  }
}

}  // namespace AVFoundationBackend
