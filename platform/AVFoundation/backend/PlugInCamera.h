#pragma once
// The cameras of the camera plug-ins in the DAL folders, loaded into this process as the
// system loads them into every process that opens cameras. Each camera's first stream is read
// as a client reads it (its queue), by one reader whatever the number of sessions.
#include <CameraHost.h>
#include <StreamCapture.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "CaptureSource.h"

namespace AVFoundationBackend {

class PlugInCamera : public CaptureSource {
 public:
  // The cameras the loaded plug-ins publish now; the plug-ins are loaded on the first call.
  static std::vector<std::shared_ptr<PlugInCamera>> publishedCameras();

  PlugInCamera(const CameraHost::Device& device, std::vector<VideoFormat> formats);
  ~PlugInCamera() override;

  std::vector<VideoFormat> formats() const override { return mFormats; }
  // The same plug-in's same device object.
  bool isSameCameraAs(const CaptureSource& other) const override;

 protected:
  bool startReading(const VideoFormat& format) override;
  void stopReading() override;

 private:
  void run();

  const CameraHost::Device mDevice;
  const std::vector<VideoFormat> mFormats;
  std::unique_ptr<CameraHost::StreamCapture> mCapture;
  std::atomic<bool> mStopping{false};
  std::thread mThread;
};

}  // namespace AVFoundationBackend
