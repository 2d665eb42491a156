// A host of the digitizer for tests (not shipped).
//   VDIGHost component
//     registers the component that $HOME/Library/QuickTime/Moxicam.VDIG.component links to,
//     finds it as a video digitizer and tries to open it; prints
//     "register <err>", "found <0|1>", "open <err> instance <0|1>".
//   VDIGHost frames --device raw|2vuy --out DIR --want KIND:COUNT[,KIND:COUNT...] [--port P]
//                   [--sandboxed]
//     drives a device of that kind, asking for a frame every few milliseconds and giving each
//     back, until it has seen, in turn, COUNT frames of each KIND (shared or message); prints
//     "source udp" or "source window" first, the channel the device listens on (sandboxed: as
//     a sandboxed host without network client sockets, through the message window); saves
//     each frame it reports as DIR/frame-<n>.png (ARGB) or .2vuy, and prints
//     "frame <n> kind <shared|message> size <bytes> format <fourcc hex> time <ns>
//      first <A,R,G,B or 4 bytes hex> uniform <0|1> file <path>"
//     for each shared frame of a new time and each first message frame of a run.
#include <CoreFoundation/CFPropertyList.h>
#include <QuickTime/QuickTime.h>
#include <objc/RefPtr.h>
#include <png.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "IOSurfaceSharing_udp_device.h"
#include "UCodeEntitlements.h"

const char* g_CoreMachDebug_LogPrefix = "VDIGHost";
const char* g_CoreMachDebug_LogFileName = "VDIGHost.log";

namespace {

int runComponent() {
  const char* home = getenv("HOME");
  const std::string link = std::string(home ? home : "") + "/Library/QuickTime/Moxicam.VDIG.component";
  FSRef ref;
  OSErr error = FSPathMakeRef(reinterpret_cast<const UInt8*>(link.c_str()), &ref, nullptr);
  if (error == noErr) error = RegisterComponentFileRef(&ref, 0);
  printf("register %d\n", int(error));
  ComponentDescription looking{FOUR_CHAR_CODE("vdig"), 0, 0, 0, 0};
  Component component = FindNextComponent(nullptr, &looking);
  printf("found %d\n", component ? 1 : 0);
  ComponentInstance instance = nullptr;
  error = component ? OpenAComponent(component, &instance) : OSErr(invalidComponentID);
  printf("open %d instance %d\n", int(error), instance ? 1 : 0);
  if (instance) CloseComponent(instance);
  return 0;
}

std::string saveFrame(const std::string& folder, int number, const char* data, long size, OSType format) {
  char path[1024];
  if (format == FOUR_CHAR_CODE("2vuy")) {
    snprintf(path, sizeof path, "%s/frame-%d.2vuy", folder.c_str(), number);
    FILE* file = fopen(path, "wb");
    if (!file) return "-";
    const bool written = fwrite(data, 1, size_t(size), file) == size_t(size);
    fclose(file);
    return written ? path : "-";
  }
  snprintf(path, sizeof path, "%s/frame-%d.png", folder.c_str(), number);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = T_config_VDIG_device::kFrameWidthPixels;
  image.height = T_config_VDIG_device::kFrameHeightPixels;
  image.format = PNG_FORMAT_ARGB;
  return png_image_write_to_file(&image, path, 0, data, T_config_VDIG_device::kFrameRowBytes, nullptr) ? path
                                                                                                       : "-";
}

// Signs the host as a sandboxed one without the network client right.
void enterSandbox() {
  const char* sandbox = "<plist><dict><key>com.apple.security.app-sandbox</key><true/></dict></plist>";
  RefPtr<const __CFData> text =
      adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(sandbox), CFIndex(strlen(sandbox))));
  RefPtr<const NSObject> entitlements = adopt(static_cast<const NSObject*>(
      CFPropertyListCreateWithData(nullptr, text.get(), kCFPropertyListImmutable, nullptr, nullptr)));
  UCodeEntitlements::sEntitlements.SetCodeSignedEntitlementsCopy(
      static_cast<CFDictionaryRef>(static_cast<const void*>(entitlements.get())));
}

int runFrames(const std::string& kind, const std::string& folder, const std::string& want, long port) {
  std::vector<std::pair<std::string, int>> steps;
  for (size_t at = 0; at < want.size();) {
    const size_t end = std::min(want.find(',', at), want.size());
    const std::string step = want.substr(at, end - at);
    const size_t colon = step.find(':');
    if (colon == std::string::npos) return 64;
    steps.emplace_back(step.substr(0, colon), atoi(step.c_str() + colon + 1));
    at = end + 1;
  }
  IOSurfaceSharing_udp_device* device = nullptr;
  if (kind == "2vuy")
    device = new IOSurfaceSharing_udp_2vuy_device();
  else if (kind == "raw")
    device = new IOSurfaceSharing_udp_device();
  else
    return 64;
  const bool window =
      device->GetFrameSource().GetSourceMode() == IOSurfaceSharingUDPImage8888::kSourceMode_NSWindow;
  printf("source %s\n", window ? "window" : "udp");
  if (port > 0) device->SetServerPortNumber(uint16_t(port));
  device->Connect();

  int number = 0;
  size_t step = 0;
  int seen = 0;
  std::string lastKind;
  uint64_t lastTime = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (step < steps.size() && std::chrono::steady_clock::now() < deadline) {
    bool hasFrame = false;
    char* data = nullptr;
    long size = 0;
    device->GetFrame(&hasFrame, &data, &size);
    if (hasFrame && data) {
      const bool message = data == device->GetCurrentFrame();
      const std::string frameKind = message ? "message" : "shared";
      const OSType format =
          message ? device->GetCurrentFramePixelFormat() : T_config_VDIG_device::kPixelFormat;
      const bool fresh =
          message ? lastKind != frameKind : (lastKind != frameKind || device->GetFrameTime() != lastTime);
      if (fresh) {
        bool uniform = true;
        for (long i = 4; i + 4 <= size && uniform; i += 4) uniform = memcmp(data, data + i, 4) == 0;
        const std::string file = saveFrame(folder, number, data, size, format);
        printf("frame %d kind %s size %ld format %08x time %llu first %02x%02x%02x%02x uniform %d file %s\n",
               number, frameKind.c_str(), size, unsigned(format),
               (unsigned long long)(message ? 0 : device->GetFrameTime()), uint8_t(data[0]), uint8_t(data[1]),
               uint8_t(data[2]), uint8_t(data[3]), uniform ? 1 : 0, file.c_str());
        ++number;
        if (frameKind == steps[step].first && ++seen >= steps[step].second) {
          ++step;
          seen = 0;
        }
      }
      lastKind = frameKind;
      lastTime = device->GetFrameTime();
      if (!message) device->UnlockFrameBufferDataPtr(data);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  device->Disconnect();
  delete device;
  return step == steps.size() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  if (argc >= 2 && !strcmp(argv[1], "component")) return runComponent();
  if (argc < 2 || strcmp(argv[1], "frames")) {
    fprintf(stderr,
            "usage: VDIGHost component | frames --device raw|2vuy --out DIR --want KIND:N[,...] [--port P] "
            "[--sandboxed]\n");
    return 64;
  }
  std::string kind = "raw", folder = ".", want = "shared:1";
  long port = 0;
  for (int i = 2; i < argc; ++i) {
    if (!strcmp(argv[i], "--sandboxed")) enterSandbox();
    if (i + 1 >= argc) continue;
    if (!strcmp(argv[i], "--device"))
      kind = argv[++i];
    else if (!strcmp(argv[i], "--out"))
      folder = argv[++i];
    else if (!strcmp(argv[i], "--want"))
      want = argv[++i];
    else if (!strcmp(argv[i], "--port"))
      port = atol(argv[++i]);
  }
  return runFrames(kind, folder, want, port);
}
