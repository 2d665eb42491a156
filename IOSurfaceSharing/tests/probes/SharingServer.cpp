// A sharing server for tests: the application's output set with its UDP output (and the Bonjour
// publisher behind it) over a ring of two global 1280 x 720 BGRA surfaces. Frame n is drawn into
// surface n mod 2 with the test pattern and broadcast, 30 times a second.
//   SharingServer [--port P] [--frames N]      (N = 0: until killed)
// It prints "surfaces <id0> <id1>" once, then per frame
//   "frame <n> surface <id> time <ns> open <0|1>"
// with the frame's host time and whether the UDP server held its port at that frame, and
// "service <name>" once the Bonjour publisher stands.
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <FramePattern.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "IOSurfaceIPC.h"
#include "IOSurfaceSharingServerOutputNetworkUDP.h"
#include "IOSurfaceSharingServerOutputSet.h"

int main(int argc, char** argv) {
  long frames = 0;
  long port = 30100;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--frames")) frames = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--port")) port = atol(argv[i + 1]);
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);

  RefPtr<__IOSurface> surfaces[2];
  for (RefPtr<__IOSurface>& surface : surfaces) {
    surface =
        adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(CGSize{1280, 720}, 0x42475241));
    if (!surface) {
      fprintf(stderr, "SharingServer: no global surfaces\n");
      return 1;
    }
  }
  RefPtr<IOSurfaceSharingServerOutputSet> outputs = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  RefPtr<IOSurfaceSharingNetworkServer> udp;
  {
    objc::AutoreleasePool pool;
    if (!outputs->addServerOutputWithConnectionID(NSNumber::numberWithLong(port))) {
      fprintf(stderr, "SharingServer: no UDP output\n");
      return 1;
    }
    auto* output = static_cast<IOSurfaceSharingServerOutputNetworkUDP*>(
        outputs->outputWithClass(IOSurfaceSharingServerOutputNetworkUDP::class_()));
    udp = RefPtr<IOSurfaceSharingNetworkServer>(output->networkSurfaceServer());
  }
  outputs->outputConnect();
  printf("surfaces %u %u\n", IOSurfaceGetID(surfaces[0].get()), IOSurfaceGetID(surfaces[1].get()));

  bool announced = false;
  auto next = std::chrono::steady_clock::now();
  for (long frame = 0; frames <= 0 || frame < frames; ++frame) {
    IOSurfaceRef surface = surfaces[frame % 2].get();
    moxicam::test::drawFramePattern(surface, frame);
    const uint64_t time = IOSurfaceSharingServerOutput::currentSurfaceTimeStamp();
    outputs->broadcastSurface_withSurfaceTime(surface, time);
    printf("frame %ld surface %u time %llu open %d\n", frame, IOSurfaceGetID(surface),
           (unsigned long long)time, udp->loopbackServer().IsServerSocketOpen() ? 1 : 0);
    NQBonjourIOSurfaceNetService* publisher = udp->bonjourService();
    if (!announced && publisher && publisher->service()) {
      printf("service %s\n", publisher->service()->name()->UTF8String());
      announced = true;
    }
    next += std::chrono::microseconds(1000000 / 30);
    std::this_thread::sleep_until(next);
  }
  outputs->outputDisconnect();
  return 0;
}
