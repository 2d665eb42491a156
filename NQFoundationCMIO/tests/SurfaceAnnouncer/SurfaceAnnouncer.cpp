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
  IOSurfaceRef surfaces[2] = {createGlobalSurface(1280, 720), createGlobalSurface(1280, 720)};
  if (!surfaces[0] || !surfaces[1]) {
    fprintf(stderr, "SurfaceAnnouncer: no global surfaces\n");
    return 1;
  }
  drawFramePattern(surfaces[0], 0);
  drawFramePattern(surfaces[1], 0);

  CFMutableDictionaryRef record =
      BonjourIOSurfaceProtocol_CopyDictionary(IOSurfaceGetID(surfaces[0]), IOSurfaceGetID(surfaces[1]), 0.0);
  if (!senderID.empty()) {
    CFStringRef id = CFStringCreateWithCString(nullptr, senderID.c_str(), kCFStringEncodingUTF8);
    CFDictionarySetValue(record, BonjourIOSurfaceProtocol_MachineIDKey, id);
    CFRelease(id);
  }
  CFDataRef txt = CFNetServiceCreateTXTDataWithDictionary(nullptr, record);
  CFStringRef name = BonjourIOSurfaceProtocol_CopyNetServiceName();
  CFNetServiceRef service = CFNetServiceCreate(nullptr, BonjourIOSurfaceProtocol_NetServiceDomain,
                                               BonjourIOSurfaceProtocol_NetServiceType, name, 30100);
  CFNetServiceSetTXTData(service, txt);
  CFStreamError error{};
  if (!txt || !CFNetServiceRegisterWithOptions(service, 0, &error)) {
    fprintf(stderr, "SurfaceAnnouncer: cannot publish (%ld, %d)\n", long(error.domain), int(error.error));
    return 1;
  }
  char text[512] = {};
  CFStringGetCString(CFNetServiceGetName(service), text, sizeof text, kCFStringEncodingUTF8);
  printf("service %s\n", text);

  auto next = std::chrono::steady_clock::now();
  for (long frame = 1; frames <= 0 || frame <= frames; ++frame) {
    int surfaceNumber = int(frame % 2);
    drawFramePattern(surfaces[surfaceNumber], frame);
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(surfaceNumber);
    printf("frame %ld\n", frame);
    next += std::chrono::microseconds(1000000 / 30);
    std::this_thread::sleep_until(next);
  }
  CFNetServiceCancel(service);
  CFRelease(service);
  CFRelease(name);
  CFRelease(txt);
  CFRelease(record);
  CFRelease(surfaces[0]);
  CFRelease(surfaces[1]);
  return 0;
}
