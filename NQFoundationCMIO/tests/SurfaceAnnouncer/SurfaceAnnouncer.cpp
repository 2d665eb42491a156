// A stand-in for the application's sharing servers, for tests: makes the ring of two global
// 1280 x 720 BGRA surfaces, announces them as the application does, and for every frame fills
// the next surface with a colour that carries the frame number (red 0x80, green the high
// byte, blue the low byte, opaque) and posts that surface's notification, 30 times a second.
//   SurfaceAnnouncer [--frames N] [--sender-id ID]
// It prints "service <name>" once the announcement stands, then "frame <n>" per frame.
#include <CFNetwork/CFNetServices.h>
#include <IOSurface/IOSurface.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "FramePattern.h"
#include "GlobalSurface.h"
#include "NQBonjourIOSurfaceProtocol.h"

namespace {

using moxicam::test::createGlobalSurface;
using moxicam::test::drawFramePattern;

}  // namespace

int main(int argc, char** argv) {
  long frames = 0;
  std::string senderID;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!strcmp(argv[i], "--frames")) frames = atol(argv[i + 1]);
    if (!strcmp(argv[i], "--sender-id")) senderID = argv[i + 1];
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);
  const RefPtr<__IOSurface> surfaces[2] = {adopt(createGlobalSurface(1280, 720)),
                                            adopt(createGlobalSurface(1280, 720))};
  if (!surfaces[0] || !surfaces[1]) {
    fprintf(stderr, "SurfaceAnnouncer: no global surfaces\n");
    return 1;
  }
  drawFramePattern(surfaces[0].get(), 0);
  drawFramePattern(surfaces[1].get(), 0);

  const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(
      IOSurfaceGetID(surfaces[0].get()), IOSurfaceGetID(surfaces[1].get()), 0.0));
  if (!senderID.empty()) {
    const RefPtr<const __CFString> id =
        adopt(CFStringCreateWithCString(nullptr, senderID.c_str(), kCFStringEncodingUTF8));
    CFDictionarySetValue(record.get(), BonjourIOSurfaceProtocol_MachineIDKey, id.get());
  }
  const RefPtr<const __CFData> txt = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
  const RefPtr<const __CFString> name = adopt(BonjourIOSurfaceProtocol_CopyNetServiceName());
  const RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, BonjourIOSurfaceProtocol_NetServiceDomain,
                               BonjourIOSurfaceProtocol_NetServiceType, name.get(), 30100));
  CFNetServiceSetTXTData(service.get(), txt.get());
  CFStreamError error{};
  if (!txt || !CFNetServiceRegisterWithOptions(service.get(), 0, &error)) {
    fprintf(stderr, "SurfaceAnnouncer: cannot publish (%ld, %d)\n", long(error.domain), int(error.error));
    return 1;
  }
  char text[512] = {};
  CFStringGetCString(CFNetServiceGetName(service.get()), text, sizeof text, kCFStringEncodingUTF8);
  printf("service %s\n", text);

  auto next = std::chrono::steady_clock::now();
  for (long frame = 1; frames <= 0 || frame <= frames; ++frame) {
    int surfaceNumber = int(frame % 2);
    drawFramePattern(surfaces[surfaceNumber].get(), frame);
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(surfaceNumber);
    printf("frame %ld\n", frame);
    next += std::chrono::microseconds(1000000 / 30);
    std::this_thread::sleep_until(next);
  }
  CFNetServiceCancel(service.get());
  return 0;
}
