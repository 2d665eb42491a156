#pragma once
// The video capture devices of the kernel (/dev/video*), read through libv4l2, which turns
// whatever the device sends (YUYV, MJPEG, ...) into 24-bit BGR rows; the reader makes them
// BGRA frames.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CaptureSource.h"

namespace AVFoundationBackend {

class V4L2Camera : public CaptureSource {
 public:
  // Every capture device that answers; none on a machine without any.
  static std::vector<std::shared_ptr<V4L2Camera>> probeAll();

  V4L2Camera(std::string path, std::string name, std::string uniqueID, std::vector<VideoFormat> formats);
  ~V4L2Camera() override;

  std::vector<VideoFormat> formats() const override { return mFormats; }

 protected:
  bool startReading(const VideoFormat& format) override;
  void stopReading() override;

 private:
  void run(int fd, VideoFormat format, size_t rowBytes);

  const std::string mPath;
  const std::vector<VideoFormat> mFormats;
  std::atomic<bool> mStopping{false};
  std::thread mThread;
};

}  // namespace AVFoundationBackend
