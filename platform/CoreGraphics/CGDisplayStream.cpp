#include <CoreFoundation/CFNumber.h>
#include <IOSurface/IOSurfaceAPI.h>
#include <mach/mach_time.h>
#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <cstring>
#include <vector>

#include "backend/CGDisplayCapture.h"
#include "backend/CGDisplayMonitors.h"
#include "backend/CGDisplayStreamObject.h"
#include "backend/CGDisplayStreamPool.h"

const CFStringRef kCGDisplayStreamPreserveAspectRatio = CFSTR("kCGDisplayStreamPreserveAspectRatio");
const CFStringRef kCGDisplayStreamMinimumFrameTime = CFSTR("kCGDisplayStreamMinimumFrameTime");

namespace {

constexpr int kMaximumPendingDeliveries = 2;

void readProperties(CFDictionaryRef properties, CGDisplayStream& stream) {
  if (!properties || CFGetTypeID(properties) != CFDictionaryGetTypeID()) return;
  CFTypeRef preserve = CFDictionaryGetValue(properties, kCGDisplayStreamPreserveAspectRatio);
  if (preserve && CFGetTypeID(preserve) == CFBooleanGetTypeID()) {
    stream.preserveAspectRatio = CFBooleanGetValue(static_cast<CFBooleanRef>(preserve));
  }
  CFTypeRef frameTime = CFDictionaryGetValue(properties, kCGDisplayStreamMinimumFrameTime);
  double seconds = 0;
  if (frameTime && CFGetTypeID(frameTime) == CFNumberGetTypeID() &&
      CFNumberGetValue(static_cast<CFNumberRef>(frameTime), kCFNumberDoubleType, &seconds) && seconds > 0 &&
      seconds < 3600) {
    stream.minimumFrameTime = seconds;
  }
}

}  // namespace

// A running stream holds itself, so its reader has been joined before the last reference goes.
CGDisplayStream::~CGDisplayStream() {
  if (queue) dispatch_release(queue);
}

CGError CGDisplayStream::start() {
  std::lock_guard guard(mLock);
  if (mRunning) return kCGErrorSuccess;
  mRunning = true;
  mStopRequested = false;
  objc_retain(this);
  mReader = std::thread([this] { readFrames(); });
  return kCGErrorSuccess;
}

CGError CGDisplayStream::stop() {
  std::thread reader;
  {
    std::lock_guard guard(mLock);
    if (!mRunning || mStopRequested) return kCGErrorSuccess;
    mStopRequested = true;
    reader = std::move(mReader);
  }
  mWake.notify_all();
  // The reader never waits for the queue, so the handler itself may stop its stream.
  reader.join();
  {
    std::lock_guard guard(mLock);
    mRunning = false;
  }
  // The stream's own reference travels with the last delivery.
  RefPtr<CGDisplayStream> self = adopt(this);
  dispatch_queue_t target = queue;
  dispatch_async(target, [self] {
    if (self->handler) self->handler(kCGDisplayStreamFrameStatusStopped, mach_absolute_time(), nullptr, nullptr);
  });
  return kCGErrorSuccess;
}

bool CGDisplayStream::waitForNextFrame(std::chrono::steady_clock::time_point& next) {
  using namespace std::chrono;
  const auto period = std::max(steady_clock::duration(1), duration_cast<steady_clock::duration>(
                                                               duration<double>(minimumFrameTime)));
  next += period;
  const auto now = steady_clock::now();
  if (next < now) next += (now - next) / period * period + period;
  std::unique_lock guard(mLock);
  return !mWake.wait_until(guard, next, [this] { return mStopRequested; });
}

void CGDisplayStream::deliver(CGDisplayStreamFrameStatus status, uint64_t displayTime, RefPtr<__IOSurface> surface) {
  RefPtr<CGDisplayStream> self{this};
  ++mPendingDeliveries;
  // The use count keeps the pool off the surface until the handler has had it.
  if (surface) IOSurfaceIncrementUseCount(surface.get());
  dispatch_async(queue, [self, status, displayTime, surface] {
    if (self->handler) self->handler(status, displayTime, surface.get(), nullptr);
    if (surface) IOSurfaceDecrementUseCount(surface.get());
    --self->mPendingDeliveries;
  });
}

void CGDisplayStream::readFrames() {
  pthread_setname_np(pthread_self(), "display stream");
  CGDisplayServer::Connection connection;
  // Two captures taken in turn: a new picture is compared with the one before where it lies,
  // without a copy of it.
  CGDisplayServer::ScreenCapture firstCapture(connection), secondCapture(connection);
  CGDisplayServer::ScreenCapture* captures[2] = {&firstCapture, &secondCapture};
  int previousCapture = 1;
  CGDisplayServer::CapturedPixels previous;
  CGDisplayServer::SurfacePool pool(outputWidth, outputHeight);
  bool wasBlank = false;
  int framesUntilLookup = 0;
  std::optional<CGDisplayServer::DisplayRecord> where;
  auto next = std::chrono::steady_clock::now();
  do {
    if (mPendingDeliveries.load() >= kMaximumPendingDeliveries) continue;
    // The display may move or go away; looking it up again now and then notices without a
    // round trip per frame.
    if (framesUntilLookup-- <= 0) {
      where = CGDisplayServer::findDisplay(connection, display);
      framesUntilLookup = 30;
    }
    const uint64_t displayTime = mach_absolute_time();
    CGDisplayServer::CapturedPixels pixels;
    if (!where || !captures[1 - previousCapture]->read(int(where->bounds.origin.x), int(where->bounds.origin.y),
                                int(where->bounds.size.width), int(where->bounds.size.height), pixels)) {
      if (!wasBlank) deliver(kCGDisplayStreamFrameStatusFrameBlank, displayTime, nullptr);
      wasBlank = true;
      previous = {};
      framesUntilLookup = 0;
      continue;
    }
    wasBlank = false;
    const size_t size = size_t(pixels.bytesPerRow) * size_t(pixels.height);
    if (previous.bytes && previous.bytesPerRow == pixels.bytesPerRow && previous.height == pixels.height &&
        previous.width == pixels.width && std::memcmp(previous.bytes, pixels.bytes, size) == 0) {
      deliver(kCGDisplayStreamFrameStatusFrameIdle, displayTime, nullptr);
      continue;
    }
    RefPtr<__IOSurface> surface = pool.takeFreeSurface();
    // Every surface is held by the handler's side: this change waits for the next frame.
    if (!surface) continue;
    CGDisplayServer::drawScaledIntoSurface(pixels, surface.get(), preserveAspectRatio);
    previous = pixels;
    previousCapture = 1 - previousCapture;
    deliver(kCGDisplayStreamFrameStatusFrameComplete, displayTime, surface);
  } while (waitForNextFrame(next));
}

CFTypeID CGDisplayStreamGetTypeID(void) { return CGDisplayStream::typeID(); }

CGDisplayStreamRef CGDisplayStreamCreateWithDispatchQueue(CGDirectDisplayID display, size_t outputWidth,
                                                          size_t outputHeight, int32_t pixelFormat,
                                                          CFDictionaryRef properties, dispatch_queue_t queue,
                                                          CGDisplayStreamFrameAvailableHandler handler) {
  constexpr size_t kMaximumSide = 16384;
  if (outputWidth == 0 || outputHeight == 0 || outputWidth > kMaximumSide || outputHeight > kMaximumSide ||
      uint32_t(pixelFormat) != CGDisplayServer::kPixelFormatBGRA || !queue || !handler) {
    return nullptr;
  }
  CGDisplayServer::Connection connection;
  if (!CGDisplayServer::findDisplay(connection, display)) return nullptr;
  auto* stream = new CGDisplayStream();
  stream->display = display;
  stream->outputWidth = outputWidth;
  stream->outputHeight = outputHeight;
  readProperties(properties, *stream);
  dispatch_retain(queue);
  stream->queue = queue;
  stream->handler = std::move(handler);
  return stream;
}

CGError CGDisplayStreamStart(CGDisplayStreamRef displayStream) {
  return displayStream ? displayStream->start() : kCGErrorIllegalArgument;
}

CGError CGDisplayStreamStop(CGDisplayStreamRef displayStream) {
  return displayStream ? displayStream->stop() : kCGErrorIllegalArgument;
}
