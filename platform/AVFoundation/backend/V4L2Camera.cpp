#include "V4L2Camera.h"

#include <fcntl.h>
#include <libv4l2.h>
#include <linux/videodev2.h>
#include <mach/mach_time.h>
#include <poll.h>
#include <pthread.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "FrameConversion.h"

namespace AVFoundationBackend {

namespace {

int ioctlRetrying(int fd, unsigned long request, void* argument) {
  int result;
  do {
    result = v4l2_ioctl(fd, request, argument);
  } while (result < 0 && errno == EINTR);
  return result;
}

std::vector<VideoFormat> discreteSizes(int fd) {
  std::vector<VideoFormat> formats;
  v4l2_fmtdesc description{};
  description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (ioctlRetrying(fd, VIDIOC_ENUM_FMT, &description) < 0) return formats;
  v4l2_frmsizeenum size{};
  size.pixel_format = description.pixelformat;
  for (size.index = 0; ioctlRetrying(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0 && size.index < 64;
       ++size.index) {
    if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE) {
      formats.push_back({size.stepwise.max_width, size.stepwise.max_height, kCVPixelFormatType_32BGRA, 30.0});
      break;
    }
    formats.push_back({size.discrete.width, size.discrete.height, kCVPixelFormatType_32BGRA, 30.0});
  }
  return formats;
}

}  // namespace

std::vector<std::shared_ptr<V4L2Camera>> V4L2Camera::probeAll() {
  std::vector<std::shared_ptr<V4L2Camera>> cameras;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string path = entry.path().string();
    if (entry.path().filename().string().rfind("video", 0) != 0) continue;
    const int fd = v4l2_open(path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) continue;
    v4l2_capability capability{};
    if (ioctlRetrying(fd, VIDIOC_QUERYCAP, &capability) == 0) {
      const uint32_t caps =
          (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps : capability.capabilities;
      std::vector<VideoFormat> formats = discreteSizes(fd);
      if ((caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & V4L2_CAP_READWRITE || caps & V4L2_CAP_STREAMING) &&
          !formats.empty()) {
        const std::string name(reinterpret_cast<const char*>(capability.card));
        const std::string bus(reinterpret_cast<const char*>(capability.bus_info));
        cameras.push_back(
            std::make_shared<V4L2Camera>(path, name, "v4l2:" + bus + ":" + path, std::move(formats)));
      }
    }
    v4l2_close(fd);
  }
  return cameras;
}

V4L2Camera::V4L2Camera(std::string path, std::string name, std::string uniqueID,
                       std::vector<VideoFormat> formats)
    : CaptureSource(std::move(name), std::move(uniqueID), "V4L2"),
      mPath(std::move(path)),
      mFormats(std::move(formats)) {}

V4L2Camera::~V4L2Camera() { disconnect(); }

bool V4L2Camera::startReading(const VideoFormat& format) {
  const int fd = v4l2_open(mPath.c_str(), O_RDWR | O_NONBLOCK);
  if (fd < 0) return false;
  v4l2_format wanted{};
  wanted.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  wanted.fmt.pix.width = format.width;
  wanted.fmt.pix.height = format.height;
  wanted.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
  wanted.fmt.pix.field = V4L2_FIELD_ANY;
  if (ioctlRetrying(fd, VIDIOC_S_FMT, &wanted) < 0 || wanted.fmt.pix.pixelformat != V4L2_PIX_FMT_BGR24) {
    v4l2_close(fd);
    return false;
  }
  VideoFormat actual = format;
  actual.width = wanted.fmt.pix.width;
  actual.height = wanted.fmt.pix.height;
  const size_t rowBytes = std::max<size_t>(wanted.fmt.pix.bytesperline, 3 * size_t(actual.width));
  mStopping = false;
  mThread = std::thread([this, fd, actual, rowBytes] { run(fd, actual, rowBytes); });
  return true;
}

void V4L2Camera::stopReading() {
  mStopping = true;
  if (mThread.joinable()) mThread.join();
}

void V4L2Camera::run(int fd, VideoFormat format, size_t rowBytes) {
  pthread_setname_np(pthread_self(), "V4L2Camera");
  FramePool pool;
  std::vector<uint8_t> rows(rowBytes * format.height);
  while (!mStopping) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    const ssize_t got = v4l2_read(fd, rows.data(), rows.size());
    if (got < 0 && errno != EAGAIN && errno != EINTR) break;
    if (got < ssize_t(rowBytes * format.height)) continue;
    const RefPtr<__CVBuffer> frame =
        adopt(pool.create(kCVPixelFormatType_32BGRA, format.width, format.height));
    if (!frame) continue;
    copyBGR24IntoBGRA(rows.data(), rowBytes, frame.get());
    deliver(frame.get(), mach_absolute_time());
  }
  v4l2_close(fd);
}

}  // namespace AVFoundationBackend
