// camera-host: opens cameras the way a video application does. It loads the camera plug-ins
// of the DAL plug-ins folders, lists their devices and streams with their properties, and
// captures frames of a device's stream into PNG files.
//
//   camera-host list [--wait SECONDS]
//   camera-host capture --device UID --frames N --out FOLDER [--timeout SECONDS]
//   camera-host watch [--timeout SECONDS]
//
// watch keeps the plug-ins loaded and answers one line per command line on its standard input,
// until the input ends:
//   cameras       -> "cameras N UID..." (the cameras published now)
//   frame UID     -> "frame UID R G B A" (the top-left pixel of that camera's next frame, its
//                    stream started for the one frame), or "frame UID none"
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreMediaIO/CMIOSampleBuffer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "CameraHost.h"
#include "FrameImage.h"
#include "PropertyText.h"
#include "StreamCapture.h"

using namespace CameraHost;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: camera-host list [--wait SECONDS]\n"
               "       camera-host capture --device UID --frames N --out FOLDER [--timeout SECONDS]\n"
               "       camera-host watch [--timeout SECONDS]\n");
  return 64;
}

struct Options {
  std::string command;
  std::string device;
  std::string out;
  long frames = 0;
  double wait = 0;
  double timeout = 10;
};

bool parseNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end && *end == '\0' && end != text && value >= 0;
}

bool parse(int argc, char** argv, Options& options, std::string& error) {
  if (argc < 2) return false;
  options.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) {
      error = "missing value for " + name;
      return false;
    }
    const char* value = argv[++i];
    double number = 0;
    if (name == "--device") {
      options.device = value;
    } else if (name == "--out") {
      options.out = value;
    } else if (name == "--frames" || name == "--wait" || name == "--timeout") {
      if (!parseNumber(value, number)) {
        error = "not a number for " + name + ": " + value;
        return false;
      }
      if (name == "--frames") options.frames = long(number);
      if (name == "--wait") options.wait = number;
      if (name == "--timeout") options.timeout = number;
    } else {
      error = "unknown option " + name;
      return false;
    }
  }
  return true;
}

std::chrono::milliseconds seconds(double value) { return std::chrono::milliseconds(long(value * 1000)); }

void printObject(const char* indent, CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID,
                 const std::vector<CMIOObjectPropertySelector>& selectors) {
  for (CMIOObjectPropertySelector selector : selectors) {
    std::printf("%s%s\n", indent, describe(readProperty(plugIn, objectID, selector)).c_str());
  }
}

int list(Host& host, const Options& options) {
  if (options.wait > 0) {
    Device any;
    host.waitForDevice("", seconds(options.wait), any);
  }
  for (const auto& plugIn : host.plugIns()) {
    std::printf("plugin %u %s\n", unsigned(plugIn->objectID()), plugIn->bundlePath().c_str());
    printObject("  ", plugIn->interface(), plugIn->objectID(), plugInSelectors());
  }
  for (const Device& device : host.devices()) {
    std::printf("device %u uid \"%s\" name \"%s\"\n", unsigned(device.deviceID), device.uid.c_str(),
                device.name.c_str());
    printObject("  ", device.plugIn->interface(), device.deviceID, deviceSelectors());
    for (CMIOObjectID stream : device.streams) {
      std::printf("  stream %u\n", unsigned(stream));
      printObject("    ", device.plugIn->interface(), stream, streamSelectors());
    }
  }
  return 0;
}

int capture(Host& host, const Options& options) {
  if (options.device.empty() || options.out.empty() || options.frames <= 0) return usage();
  Device device;
  if (!host.waitForDevice(options.device, seconds(options.timeout), device)) {
    std::fprintf(stderr, "camera-host: no device with UID \"%s\"\n", options.device.c_str());
    return 1;
  }
  std::error_code made;
  std::filesystem::create_directories(options.out, made);
  if (!std::filesystem::is_directory(options.out)) {
    std::fprintf(stderr, "camera-host: cannot make the folder %s\n", options.out.c_str());
    return 1;
  }
  StreamCapture stream(*device.plugIn, device.deviceID, device.streams.front());
  if (OSStatus status = stream.start()) {
    std::fprintf(stderr, "camera-host: the stream did not start (%s)\n", statusText(status).c_str());
    return 1;
  }
  for (long frame = 1; frame <= options.frames; ++frame) {
    CMSampleBufferRef buffer = stream.next(seconds(options.timeout));
    if (!buffer) {
      std::fprintf(stderr, "camera-host: no frame %ld within %g seconds\n", frame, options.timeout);
      return 2;
    }
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04ld.png", frame);
    const std::string path = (std::filesystem::path(options.out) / name).string();
    std::string error;
    const bool saved = writePNG(CMSampleBufferGetImageBuffer(buffer), path, error);
    const CMTime pts = CMSampleBufferGetPresentationTimeStamp(buffer);
    const CMTime duration = CMSampleBufferGetDuration(buffer);
    std::printf("frame %ld sequence %llu pts %lld/%d duration %lld/%d file %s\n", frame,
                (unsigned long long)CMIOSampleBufferGetSequenceNumber(buffer), (long long)pts.value, pts.timescale,
                (long long)duration.value, duration.timescale, path.c_str());
    std::fflush(stdout);
    CFRelease(buffer);
    if (!saved) {
      std::fprintf(stderr, "camera-host: %s\n", error.c_str());
      return 1;
    }
  }
  stream.stop();
  return 0;
}

// The top-left pixel of the next frame of a camera, read through a stream of its own.
std::string frameOf(Host& host, const std::string& uid, const Options& options) {
  for (const Device& device : host.devices()) {
    if (device.uid != uid || device.streams.empty()) continue;
    StreamCapture stream(*device.plugIn, device.deviceID, device.streams.front());
    if (stream.start() != 0) break;
    CMSampleBufferRef buffer = stream.next(seconds(options.timeout));
    uint8_t rgba[4];
    const bool read = buffer && topLeftPixel(CMSampleBufferGetImageBuffer(buffer), rgba);
    if (buffer) CFRelease(buffer);
    stream.stop();
    if (!read) break;
    return std::to_string(rgba[0]) + " " + std::to_string(rgba[1]) + " " + std::to_string(rgba[2]) + " " +
           std::to_string(rgba[3]);
  }
  return "none";
}

int watch(Host& host, const Options& options) {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "cameras") {
      const std::vector<Device> devices = host.devices();
      std::printf("cameras %zu", devices.size());
      for (const Device& device : devices) std::printf(" %s", device.uid.c_str());
      std::printf("\n");
    } else if (line.rfind("frame ", 0) == 0) {
      const std::string uid = line.substr(6);
      std::printf("frame %s %s\n", uid.c_str(), frameOf(host, uid, options).c_str());
    } else {
      std::printf("unknown %s\n", line.c_str());
    }
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parse(argc, argv, options, error)) {
    if (!error.empty()) std::fprintf(stderr, "camera-host: %s\n", error.c_str());
    return usage();
  }
  if (options.command != "list" && options.command != "capture" && options.command != "watch") return usage();

  Host host;
  host.loadPlugIns();
  for (const std::string& problem : host.problems()) std::fprintf(stderr, "camera-host: %s\n", problem.c_str());
  if (host.plugIns().empty()) {
    std::fprintf(stderr, "camera-host: no camera plug-in in %s or %s\n", Host::plugInFolders()[0].c_str(),
                 Host::plugInFolders()[1].c_str());
    return options.command == "capture" ? 1 : 0;
  }
  if (options.command == "watch") return watch(host, options);
  return options.command == "list" ? list(host, options) : capture(host, options);
}
