#include "SyntheticCamera.h"

#include <mach/mach_time.h>
#include <pthread.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace AVFoundationBackend {

namespace {

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

bool parseSize(const std::string& text, std::pair<uint32_t, uint32_t>& size) {
  unsigned width = 0, height = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%ux%u%c", &width, &height, &end) != 2) return false;
  if (width < 2 || height < 2 || width > 8192 || height > 8192 || width % 2) return false;
  size = {width, height};
  return true;
}

bool parseColor(const std::string& pattern, uint8_t bgra[4]) {
  unsigned rgb = 0;
  char end = 0;
  if (pattern.size() != 12 || std::sscanf(pattern.c_str(), "solid:%6x%c", &rgb, &end) != 1) return false;
  bgra[0] = rgb & 0xFF;
  bgra[1] = (rgb >> 8) & 0xFF;
  bgra[2] = (rgb >> 16) & 0xFF;
  bgra[3] = 0xFF;
  return true;
}

bool knownPattern(const std::string& pattern) {
  uint8_t color[4];
  return pattern == "bars" || pattern == "grid" || parseColor(pattern, color);
}

std::optional<SyntheticCameraConfiguration> parseCamera(const std::string& text, std::string& problem) {
  SyntheticCameraConfiguration camera;
  for (const std::string& field : split(text, ',')) {
    const size_t equals = field.find('=');
    if (equals == std::string::npos) {
      problem = "field without '=': " + field;
      return std::nullopt;
    }
    const std::string key = trimmed(field.substr(0, equals)), value = trimmed(field.substr(equals + 1));
    if (key == "name") {
      camera.name = value;
    } else if (key == "uid") {
      camera.uniqueID = value;
    } else if (key == "model") {
      camera.model = value;
    } else if (key == "pattern") {
      if (!knownPattern(value)) {
        problem = "unknown pattern " + value;
        return std::nullopt;
      }
      camera.pattern = value;
    } else if (key == "size") {
      for (const std::string& sizeText : split(value, '|')) {
        std::pair<uint32_t, uint32_t> size;
        if (!parseSize(trimmed(sizeText), size)) {
          problem = "bad size " + sizeText + " (even width, 2 to 8192 pixels a side)";
          return std::nullopt;
        }
        camera.sizes.push_back(size);
      }
    } else if (key == "rate") {
      char* end = nullptr;
      camera.rate = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end || !(camera.rate >= 1.0 && camera.rate <= 240.0)) {
        problem = "bad rate " + value + " (1 to 240)";
        return std::nullopt;
      }
    } else if (key == "audio") {
      camera.audio = value == "yes";
    } else if (key == "transport") {
      camera.transport = value == "yes";
    } else {
      problem = "unknown key " + key;
      return std::nullopt;
    }
  }
  if (camera.name.empty()) {
    problem = "no name";
    return std::nullopt;
  }
  if (camera.uniqueID.empty()) camera.uniqueID = "synthetic:" + camera.name;
  if (camera.sizes.empty()) camera.sizes.push_back({1280, 720});
  return camera;
}

void fill(uint8_t* base, size_t rowBytes, size_t x0, size_t y0, size_t x1, size_t y1, const uint8_t bgra[4]) {
  for (size_t y = y0; y < y1; ++y)
    for (size_t x = x0; x < x1; ++x) std::memcpy(base + y * rowBytes + 4 * x, bgra, 4);
}

}  // namespace

std::vector<SyntheticCameraConfiguration> parseSyntheticCameras(const std::string& text) {
  std::vector<SyntheticCameraConfiguration> cameras;
  for (const std::string& entry : split(text, ';')) {
    if (trimmed(entry).empty()) continue;
    std::string problem;
    std::optional<SyntheticCameraConfiguration> camera = parseCamera(entry, problem);
    if (!camera) {
      std::fprintf(stderr, "MOXICAM_SYNTHETIC_CAMERAS: camera \"%s\" left out: %s\n", entry.c_str(),
                   problem.c_str());
      continue;
    }
    bool taken = false;
    for (const auto& other : cameras) taken = taken || other.uniqueID == camera->uniqueID;
    if (taken) {
      std::fprintf(stderr, "MOXICAM_SYNTHETIC_CAMERAS: camera \"%s\" left out: its uid is taken\n",
                   entry.c_str());
      continue;
    }
    cameras.push_back(*camera);
  }
  return cameras;
}

SyntheticCamera::SyntheticCamera(SyntheticCameraConfiguration configuration)
    : CaptureSource(configuration.name, configuration.uniqueID, configuration.model),
      mConfiguration(std::move(configuration)) {}

SyntheticCamera::~SyntheticCamera() { disconnect(); }

std::vector<VideoFormat> SyntheticCamera::formats() const {
  std::vector<VideoFormat> formats;
  for (const auto& [width, height] : mConfiguration.sizes)
    formats.push_back({width, height, kCVPixelFormatType_32BGRA, mConfiguration.rate});
  return formats;
}

void SyntheticCamera::drawFrame(const std::string& pattern, uint64_t frame, CVPixelBufferRef buffer) {
  CVPixelBufferLockBaseAddress(buffer, 0);
  auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
  const size_t rowBytes = CVPixelBufferGetBytesPerRow(buffer);
  const size_t width = CVPixelBufferGetWidth(buffer), height = CVPixelBufferGetHeight(buffer);
  static const uint8_t bars[8][4] = {
      {0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0x00, 0xFF},
      {0xFF, 0x00, 0xFF, 0xFF}, {0x00, 0x00, 0xFF, 0xFF}, {0xFF, 0x00, 0x00, 0xFF}, {0x00, 0x00, 0x00, 0xFF}};
  uint8_t solid[4];
  if (pattern == "grid") {
    static const uint8_t light[4] = {0xC0, 0xC0, 0xC0, 0xFF}, dark[4] = {0x40, 0x40, 0x40, 0xFF};
    const size_t cell = std::max<size_t>(1, height / 9);
    for (size_t y = 0; y < height; y += cell)
      for (size_t x = 0; x < width; x += cell)
        fill(base, rowBytes, x, y, std::min(width, x + cell), std::min(height, y + cell),
             ((x / cell + y / cell) % 2) ? dark : light);
  } else if (parseColor(pattern, solid)) {
    fill(base, rowBytes, 0, 0, width, height, solid);
  } else {
    for (size_t bar = 0; bar < 8; ++bar)
      fill(base, rowBytes, bar * width / 8, 0, (bar + 1) * width / 8, height, bars[bar]);
  }
  // The moving square: in the bottom quarter, a sixteenth of the width further each frame.
  const size_t side = std::max<size_t>(1, height / 4);
  const size_t travel = width > side ? width - side : 1;
  const size_t x = (frame * std::max<size_t>(1, width / 16)) % travel;
  static const uint8_t white[4] = {0xFF, 0xFF, 0xFF, 0xFF}, black[4] = {0x00, 0x00, 0x00, 0xFF};
  fill(base, rowBytes, x, height - side, std::min(width, x + side), height, (frame % 2) ? black : white);
  CVPixelBufferUnlockBaseAddress(buffer, 0);
}

bool SyntheticCamera::startReading(const VideoFormat& format) {
  if (!format.width || !format.height) return false;
  {
    std::lock_guard lock(mLock);
    mStopping = false;
  }
  mThread = std::thread([this, format] { run(format); });
  return true;
}

void SyntheticCamera::stopReading() {
  {
    std::lock_guard lock(mLock);
    mStopping = true;
  }
  mWake.notify_all();
  if (mThread.joinable()) mThread.join();
}

void SyntheticCamera::run(VideoFormat format) {
  pthread_setname_np(pthread_self(), "SyntheticCamera");
  FramePool pool;
  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(1.0 / format.frameRate));
  auto next = std::chrono::steady_clock::now();
  for (uint64_t frame = 0;; ++frame) {
    {
      std::unique_lock lock(mLock);
      if (mWake.wait_until(lock, next, [this] { return mStopping; })) return;
    }
    next += period;
    const RefPtr<__CVBuffer> buffer =
        adopt(pool.create(kCVPixelFormatType_32BGRA, format.width, format.height));
    if (!buffer) continue;
    drawFrame(mConfiguration.pattern, frame, buffer.get());
    deliver(buffer.get(), mach_absolute_time());
  }
}

}  // namespace AVFoundationBackend
