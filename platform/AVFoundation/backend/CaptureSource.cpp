#include "CaptureSource.h"

#include <utility>

namespace AVFoundationBackend {

CaptureSource::CaptureSource(std::string name, std::string uniqueID, std::string modelID)
    : mName(std::move(name)), mUniqueID(std::move(uniqueID)), mModelID(std::move(modelID)) {}

CaptureSource::~CaptureSource() = default;

uint64_t CaptureSource::newConsumerID() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

bool CaptureSource::addConsumer(uint64_t consumer, const VideoFormat& format, FrameHandler handler) {
  std::lock_guard reader(mReaderLock);
  if (!mConnected) return false;
  if (!mReading) {
    if (!startReading(format)) return false;
    mReading = true;
  }
  std::lock_guard consumers(mConsumersLock);
  mConsumers[consumer] = std::move(handler);
  return true;
}

void CaptureSource::removeConsumer(uint64_t consumer) {
  std::lock_guard reader(mReaderLock);
  bool last = false;
  {
    std::lock_guard consumers(mConsumersLock);
    if (!mConsumers.erase(consumer)) return;
    last = mConsumers.empty();
  }
  if (last && mReading) {
    stopReading();
    mReading = false;
  }
}

void CaptureSource::disconnect() {
  std::lock_guard reader(mReaderLock);
  mConnected = false;
  {
    std::lock_guard consumers(mConsumersLock);
    mConsumers.clear();
  }
  if (mReading) {
    stopReading();
    mReading = false;
  }
}

void CaptureSource::deliver(CVPixelBufferRef frame, uint64_t hostTime) {
  std::lock_guard consumers(mConsumersLock);
  for (auto& [id, handler] : mConsumers) handler(frame, hostTime);
}

VideoFormat nearestFormat(const std::vector<VideoFormat>& formats, uint32_t width, uint32_t height) {
  VideoFormat best;
  for (const VideoFormat& format : formats) {
    if (format.width == width && format.height == height) return format;
    if (uint64_t(format.width) * format.height > uint64_t(best.width) * best.height) best = format;
  }
  return best;
}

}  // namespace AVFoundationBackend
