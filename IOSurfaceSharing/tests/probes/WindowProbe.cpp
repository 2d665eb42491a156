// A reader of window messages for tests, in a process of its own: it looks for the message
// window of the port (titled after the application's service name, as the server titles it)
// until it finds it, then reads it 100 times a second and reports each new message, looking
// the surface up by its id and reading the frame number off its first pixel.
//   WindowProbe [--port P] [--messages N]
// It prints "window <id>" once found, then per message
//   "message <sequence> id <id> time <ns> frame <n>"
// (frame -1 when the surface holds no test pattern). It ends after N messages (0 on success),
// or after 60 s without them.
#include <FramePattern.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "IOSurfaceSharingNSWindowClient.h"

namespace {

struct Report {
  tagIOSurfaceSharingNSWindowClientObject* client = nullptr;
  std::atomic<long> messages{0};

  // On the client's queue, where the reads run: the sequence number is the client's own.
  static int arrived(IOSurfaceRef surface, uint64_t surfaceTime, void* context) {
    auto* report = static_cast<Report*>(context);
    IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
    const long frame =
        moxicam::test::frameOfPixel(static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface)));
    IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
    uint32_t sequence;
    {
      std::lock_guard guard(report->client->lock);
      sequence = report->client->lastSequenceNumber;
    }
    printf("message %u id %u time %llu frame %ld\n", sequence, IOSurfaceGetID(surface),
           (unsigned long long)surfaceTime, frame);
    ++report->messages;
    return 1;
  }
};

}  // namespace

int main(int argc, char** argv) {
  long messages = 10;
  uint32_t port = 30100;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--messages")) messages = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--port")) port = uint32_t(atol(argv[i + 1]));
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);

  tagIOSurfaceSharingNSWindowClientObject client;
  if (!IOSurfaceSharingNSWindowClient_Construct(&client)) return 1;
  Report report;
  report.client = &client;
  IOSurfaceSharingNSWindowClient_serverSetCallback(&client, Report::arrived, &report);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!IOSurfaceSharingNSWindowClient_serverConnect(&client, port,
                                                       CFSTR(kIOSurfaceSharingPublishedPortName), nullptr)) {
    if (std::chrono::steady_clock::now() > end) return 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  printf("window %u\n", IOSurfaceSharingNSWindowClient_serverGetWindowID(&client));
  while (report.messages < messages && std::chrono::steady_clock::now() < end) {
    // One read at a time: the next is asked for once this one is done.
    IOSurfaceSharingNSWindowClient_serverGetNextMessage(&client);
    dispatch_sync(client.queue, [] {});
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  IOSurfaceSharingNSWindowClient_Destruct(&client);
  return report.messages >= messages ? 0 : 3;
}
