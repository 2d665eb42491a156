// The frame road: a publisher process renders into a ring of two global 1280 x 720 surfaces at
// 30 frames per second and posts each frame's notification; this process loads the camera
// plug-in as the camera host does and reads the network camera. Per frame it reports the time
// from the post to the buffer in the host's queue (the publisher stamps the post time into the
// frame's first pixels), the host's CPU per frame and how often its threads had to be woken,
// how many frames were repeated or skipped, and whether pixels were copied. Beside it, in the
// same run: the round trip of a datagram between two processes at the same pace.
//   FrameRoadBench [--frames N] [--load N]
// --load starts N busy processes for the length of the run.
#include <CFNetwork/CFNetServices.h>
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreMedia/CMSimpleQueue.h>
#include <CoreVideo/CVPixelBufferIOSurface.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchFigures.h"
#include "CameraHost.h"
#include "CameraRoot.h"
#include "FramePattern.h"
#include "GlobalSurface.h"
#include "NQBonjourIOSurfaceProtocol.h"
#include "StreamCapture.h"

namespace {

using bench::Figures;
using bench::nowNanoseconds;

constexpr int kWidth = 1280, kHeight = 720;
constexpr int64_t kFrameNanoseconds = 1000000000 / 30;

// What the publisher writes over the first pixels of each frame, after rendering it.
struct Stamp {
  int64_t postedAt;
  int64_t frame;
};

int publish(int frames) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const RefPtr<__IOSurface> surfaces[2] = {adopt(moxicam::test::createGlobalSurface(kWidth, kHeight)),
                                           adopt(moxicam::test::createGlobalSurface(kWidth, kHeight))};
  if (!surfaces[0] || !surfaces[1]) return 1;
  const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(
      IOSurfaceGetID(surfaces[0].get()), IOSurfaceGetID(surfaces[1].get()), 30.0));
  const RefPtr<const __CFData> txt = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
  const RefPtr<const __CFString> name = adopt(BonjourIOSurfaceProtocol_CopyNetServiceName());
  const RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, BonjourIOSurfaceProtocol_NetServiceDomain,
                               BonjourIOSurfaceProtocol_NetServiceType, name.get(), 30100));
  CFNetServiceSetTXTData(service.get(), txt.get());
  CFStreamError error{};
  if (!CFNetServiceRegisterWithOptions(service.get(), 0, &error)) return 1;
  char text[512] = {};
  CFStringGetCString(CFNetServiceGetName(service.get()), text, sizeof text, kCFStringEncodingUTF8);
  printf("%s\n", text);

  int64_t next = nowNanoseconds();
  for (int64_t frame = 1; frame <= frames; ++frame) {
    IOSurfaceRef surface = surfaces[frame % 2].get();
    moxicam::test::drawFramePattern(surface, frame);
    IOSurfaceLock(surface, 0, nullptr);
    Stamp stamp{nowNanoseconds(), frame};
    memcpy(IOSurfaceGetBaseAddress(surface), &stamp, sizeof stamp);
    IOSurfaceUnlock(surface, 0, nullptr);
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(int(frame % 2));
    next += kFrameNanoseconds;
    const timespec until{time_t(next / 1000000000), long(next % 1000000000)};
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
  }
  CFNetServiceCancel(service.get());
  return 0;
}

// What the host sees, gathered in the queue procedure (the moment a buffer is queued).
struct Reading {
  std::mutex lock;
  std::vector<double> latencies;  // milliseconds, one per new frame
  int64_t lastFrame = 0;
  long buffers = 0, repeated = 0, skipped = 0, copied = 0;
  CMSimpleQueueRef queue = nullptr;
  bool measuring = false;
};

void queueAltered(CMIOObjectID, void*, void* refCon) {
  const int64_t now = nowNanoseconds();
  auto* reading = static_cast<Reading*>(refCon);
  std::lock_guard<std::mutex> guard(reading->lock);
  while (const void* item = CMSimpleQueueDequeue(reading->queue)) {
    const RefPtr<opaqueCMSampleBuffer> buffer =
        adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(item)));
    CVImageBufferRef image = CMSampleBufferGetImageBuffer(buffer.get());
    if (!image) continue;
    if (!CVPixelBufferGetIOSurface(image)) ++reading->copied;
    CVPixelBufferLockBaseAddress(image, kCVPixelBufferLock_ReadOnly);
    Stamp stamp;
    memcpy(&stamp, CVPixelBufferGetBaseAddress(image), sizeof stamp);
    CVPixelBufferUnlockBaseAddress(image, kCVPixelBufferLock_ReadOnly);
    if (!reading->measuring) {
      reading->lastFrame = stamp.frame;
      continue;
    }
    ++reading->buffers;
    if (stamp.frame == reading->lastFrame) {
      ++reading->repeated;
      continue;
    }
    if (stamp.frame > reading->lastFrame + 1) reading->skipped += stamp.frame - reading->lastFrame - 1;
    reading->lastFrame = stamp.frame;
    reading->latencies.push_back(double(now - stamp.postedAt) / 1e6);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 240, load = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--frames")) frames = std::max(30, atoi(argv[i + 1]));
    if (!strcmp(argv[i], "--load")) load = std::max(0, atoi(argv[i + 1]));
    if (!strcmp(argv[i], "--publish")) return publish(atoi(argv[i + 1]));
  }
  // Children first, before any thread runs here.
  std::vector<pid_t> busy = bench::startBusyProcesses(load);
  bench::DatagramEcho echo;

  moxicam::test::CameraRoot root(MOXICAM_CMIO_BUNDLE);
  const int warmUp = 30;
  bench::Child publisher({"/proc/self/exe", "--publish", std::to_string(frames + warmUp + 60)});
  const std::string serviceName = publisher.readLine();
  if (serviceName.empty()) {
    fprintf(stderr, "FrameRoadBench: the publisher did not start\n");
    return 1;
  }
  std::string uid = "com.quillfen.webcam." + serviceName;
  std::transform(uid.begin(), uid.end(), uid.begin(),
                 [](char c) { return c == ' ' ? '.' : char(tolower(c)); });

  CameraHost::Host host;
  host.loadPlugIns();
  CameraHost::Device device;
  if (!host.waitForDevice(uid, std::chrono::seconds(20), device) || device.streams.empty()) {
    fprintf(stderr, "FrameRoadBench: no camera %s\n", uid.c_str());
    return 1;
  }
  CMIOHardwarePlugInRef plugIn = device.plugIn->interface();
  Reading reading;
  if ((*plugIn)->StreamCopyBufferQueue(plugIn, device.streams[0], queueAltered, &reading, &reading.queue) !=
      0)
    return 1;
  (*plugIn)->DeviceStartStream(plugIn, device.deviceID, device.streams[0]);
  std::this_thread::sleep_for(std::chrono::nanoseconds(kFrameNanoseconds * warmUp));

  const double cpuBefore = bench::cpuSeconds();
  const long blockedBefore = bench::voluntarySwitches(RUSAGE_SELF);
  long referenceBlocked = 0;
  {
    std::lock_guard<std::mutex> guard(reading.lock);
    reading.measuring = true;
  }
  // The reference shares the run: one datagram round trip per frame, half a frame apart.
  std::vector<double> roundTrips;
  std::thread reference([&] {
    const long before = bench::voluntarySwitches(RUSAGE_THREAD);
    std::this_thread::sleep_for(std::chrono::nanoseconds(kFrameNanoseconds / 2));
    for (int i = 0; i < frames; ++i) {
      roundTrips.push_back(echo.roundTripMilliseconds());
      std::this_thread::sleep_for(std::chrono::nanoseconds(kFrameNanoseconds));
    }
    referenceBlocked = bench::voluntarySwitches(RUSAGE_THREAD) - before;
  });
  reference.join();
  {
    std::lock_guard<std::mutex> guard(reading.lock);
    reading.measuring = false;
  }
  const double cpu = bench::cpuSeconds() - cpuBefore;
  // Every time one of the host's threads blocks, something has to wake it again; the reference
  // thread's own and the waiting main thread's are left out.
  const long hostBlocked = bench::voluntarySwitches(RUSAGE_SELF) - blockedBefore - referenceBlocked - 1;
  (*plugIn)->DeviceStopStream(plugIn, device.deviceID, device.streams[0]);
  CMSimpleQueueRef ignored = nullptr;
  (*plugIn)->StreamCopyBufferQueue(plugIn, device.streams[0], nullptr, nullptr, &ignored);
  if (ignored) CFRelease(ignored);
  while (const void* item = CMSimpleQueueDequeue(reading.queue)) CFRelease(item);
  CFRelease(reading.queue);
  bench::stopBusyProcesses(busy);

  std::lock_guard<std::mutex> guard(reading.lock);
  const Figures road(reading.latencies), datagram(roundTrips);
  const long fresh = long(reading.latencies.size());
  printf("frame road, %dx%d BGRA at 30 fps, %d frames%s\n", kWidth, kHeight, frames,
         load ? (", " + std::to_string(load) + " busy processes").c_str() : "");
  printf("  %-44s p50 %7.3f  p99 %7.3f  max %7.3f ms\n", "post -> buffer in the host's queue", road.p50,
         road.p99, road.max);
  printf("  %-44s p50 %7.3f  p99 %7.3f  max %7.3f ms\n", "reference: datagram round trip", datagram.p50,
         datagram.p99, datagram.max);
  printf("  %-44s p50 %7.2f  p99 %7.2f\n", "ratio frame road / datagram", road.p50 / datagram.p50,
         road.p99 / datagram.p99);
  printf("  %-44s %.3f ms\n", "host CPU per new frame", fresh ? cpu * 1e3 / double(fresh) : 0.0);
  printf("  %-44s %.2f (reference: %.2f per round trip)\n", "host thread wake-ups per new frame",
         fresh ? double(hostBlocked) / double(fresh) : 0.0, frames ? double(referenceBlocked) / frames : 0.0);
  printf("  %-44s %ld new, %.1f %% repeated, %.1f %% skipped\n", "buffers", fresh,
         reading.buffers ? 100.0 * double(reading.repeated) / double(reading.buffers) : 0.0,
         fresh ? 100.0 * double(reading.skipped) / double(fresh + reading.skipped) : 0.0);
  printf("  %-44s %ld\n", "pixel copies per frame", reading.buffers ? reading.copied / reading.buffers : 0);
  return 0;
}
