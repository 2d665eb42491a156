// A subscriber of the UDP frame protocol for tests. It binds the first free port of the
// client range, subscribes and renews its subscription every half second, and for each frame
// cast looks the surface up by its id and reads its first pixel.
//   UDPProbe [--port P] [--frames N] [--lapse SECONDS]
// After N casts it stops there, or with --lapse stops renewing, listens for that long, then
// subscribes once more and takes two more casts. It prints
//   "bound <port>"
//   "ping <host ns>"                          each subscription sent
//   "ack <bytes> <type>"
//   "cast <bytes> <type> id <id> time <ns> frame <n> size <w>x<h> format <fourcc>"
//   "stop <host ns>"                          when it stops renewing
// where frame is the frame number the surface's pixel tells (-1 when the surface cannot be
// found or holds no test pattern).
#include <FramePattern.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "CoreMachElapsedTime.h"
#include "UDPLoopBackMessageData.h"
#include "UDPLoopbackMessageProtocol.h"
#include "UDPNetworkSocket.h"

namespace {

struct Probe {
  UDPLoopbackMessageProtocol protocol;
  UDPNetwork::Socket socket;
  uint64_t lastPing = 0;
  bool renewing = true;

  bool bind() {
    for (uint32_t offset = 0; offset < UDPLoopbackMessageProtocol::kClientPortCount; ++offset) {
      const uint16_t port = uint16_t(protocol.GetClientFirstPort() + offset);
      if (socket.Open(port, true)) {
        printf("bound %u\n", unsigned(port));
        return true;
      }
    }
    return false;
  }

  void ping() {
    const UDPLoopBackMessageData message(MessageType_ClientPing, 0, 0,
                                         UDPLoopBackMessageData::kClientPingText);
    lastPing = CoreMachElapsedTime::HostTime_nsec();
    if (socket.Send(protocol.GetServerIPAddress(), message.sendMessageData(), message.sendMessageDataSize()))
      printf("ping %llu\n", (unsigned long long)lastPing);
  }

  void printCast(const UDPLoopBackMessageData& message, size_t size) {
    long frame = -1;
    size_t width = 0, height = 0;
    uint32_t format = 0;
    if (IOSurfaceRef surface = IOSurfaceLookup(IOSurfaceID(message.GetSurfaceID()))) {
      IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
      frame =
          moxicam::test::frameOfPixel(static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface)));
      IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
      width = IOSurfaceGetWidth(surface);
      height = IOSurfaceGetHeight(surface);
      format = IOSurfaceGetPixelFormat(surface);
      CFRelease(surface);
    }
    printf("cast %zu %u id %llu time %llu frame %ld size %zux%zu format %08x\n", size,
           unsigned(message.GetMessageType()), (unsigned long long)message.GetSurfaceID(),
           (unsigned long long)message.GetSurfaceTime(), frame, width, height, format);
  }

  // Reads what comes until `casts` frame casts have come or `seconds` have passed, renewing
  // the subscription meanwhile when asked to; answers the casts read.
  long listen(long casts, double seconds) {
    long read = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (read < casts && std::chrono::steady_clock::now() < end) {
      if (renewing && CoreMachElapsedTime::HostTime_nsec() - lastPing > 500000000ull) ping();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      UDPLoopBackMessageData message;
      UDPNetwork::IPAddress from;
      while (const size_t size =
                 socket.Receive(from, message.receiveMessageData(), message.receiveMessageDataSize())) {
        if (message.GetMessageType() == MessageType_ServerDataCast) {
          printCast(message, size);
          ++read;
        } else {
          printf("ack %zu %u\n", size, unsigned(message.GetMessageType()));
        }
        message = UDPLoopBackMessageData();
      }
    }
    return read;
  }
};

}  // namespace

int main(int argc, char** argv) {
  long frames = 10;
  long port = 30100;
  double lapse = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--frames")) frames = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--port")) port = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--lapse")) lapse = atof(argv[i + 1]);
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);
  Probe probe;
  probe.protocol.SetServerListenerPort(uint16_t(port));
  if (!probe.bind()) {
    fprintf(stderr, "UDPProbe: no free client port\n");
    return 1;
  }
  probe.ping();
  if (probe.listen(frames, 60) < frames) return 2;
  if (lapse < 0) return 0;

  probe.renewing = false;
  printf("stop %llu\n", (unsigned long long)probe.lastPing);
  probe.listen(1000000, lapse);
  probe.ping();
  return probe.listen(2, 30) == 2 ? 0 : 3;
}
