#pragma once
// The backend's side of a device: its camera, and the device object of each camera.
#include <memory>

#include "AVCaptureDevice.h"
#include "CaptureSource.h"

namespace AVFoundationBackend {

struct DeviceAccess {
  static std::shared_ptr<CaptureSource> source(const AVCaptureDevice* device) { return device->mSource; }
  // A new device (+1) for the camera, with its formats.
  static AVCaptureDevice* create(std::shared_ptr<CaptureSource> source);
  // The format the device runs in under the preset; false when it cannot.
  static bool formatForPreset(const AVCaptureDevice* device, NSString* preset, VideoFormat& format);
  static void setActiveFormat(AVCaptureDevice* device, const VideoFormat& format);
};

}  // namespace AVFoundationBackend
