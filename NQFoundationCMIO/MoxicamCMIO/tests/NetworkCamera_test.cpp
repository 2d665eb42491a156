// The network camera: its names, and the cameras a host sees as announcements come and go,
// in the host's own process and across processes.
#include <CFNetwork/CFNetServices.h>
#include <IOSurface/IOSurface.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <CameraHost.h>
#include <CameraRoot.h>
#include <StreamCapture.h>
#include <ChildProcess.h>
#include <RunningChild.h>
#include <GlobalSurface.h>
#include <PNGImage.h>
#include <PollUntil.h>
#include <RunLoopUntil.h>
#include <TemporaryRoot.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../../../URequirements/tests/MessageCollector.h"
#include "CMIOUDPNetServiceDALHardwarePlugIn.h"
#include "CMIOUDPNetServiceIOSurfaceStream.h"
#include "NQBonjourIOSurfaceProtocol.h"
#include "ThisMachineRecord.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using moxicam::test::CameraRoot;
using moxicam::test::createGlobalSurface;
using moxicam::test::pollUntil;
using moxicam::test::readPNG;
using moxicam::test::RunningChild;

namespace {

std::string text(CFStringRef string) {
  char buffer[512] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

RefPtr<const __CFString> string(const std::string& value) {
  return adopt(CFStringCreateWithCString(nullptr, value.c_str(), kCFStringEncodingUTF8));
}

TEST(NetworkCameraNames, DeviceNameAndUID) {
  struct Case {
    const char* serviceName;
    const char* deviceName;
    const char* uid;
  } cases[] = {
      {"Moxicam alice.0", "Webcam Moxicam alice.0", "com.quillfen.webcam.moxicam.alice.0"},
      {"Studio Two WEBCAM bob.0", "Webcam Studio Two WEBCAM bob.0", "com.quillfen.webcam.studio.two.com.quillfen.webcam.bob.0"},
      {"unknown", "Webcam unknown", "com.quillfen.webcam.unknown"},
  };
  for (const auto& c : cases) {
    const RefPtr<__CFNetService> service = adopt(
        CFNetServiceCreate(nullptr, CFSTR("local."), CFSTR("_qfl_vc_cam._udp."), string(c.serviceName).get(), 1));
    const RefPtr<const __CFString> deviceName =
        adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceName(service.get(), nullptr));
    EXPECT_EQ(text(deviceName.get()), c.deviceName);
    const RefPtr<const __CFString> uid = adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceUID(deviceName.get()));
    EXPECT_EQ(text(uid.get()), c.uid);
  }
  // No service: the name of last resort.
  const RefPtr<const __CFString> deviceName =
      adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceName(nullptr, nullptr));
  EXPECT_EQ(text(deviceName.get()), "Webcam #");
  const RefPtr<const __CFString> uid = adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceUID(deviceName.get()));
  EXPECT_EQ(text(uid.get()), "com.quillfen.webcam.#");
}

std::string uidForService(const std::string& serviceName) {
  return text(adopt(NQCMIO::UDPNetServiceIOSurfaceStream::CopyDeviceUID(string("Webcam " + serviceName).get())).get());
}

bool anyLineHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

// An instance that no camera system loaded cannot create objects: each failed step of making
// a camera is reported by what it did, and no camera is kept.
TEST(NetworkCamera, CameraThatCannotBeMadeIsReportedAndDropped) {
  NQCMIOBonjourUDP::NQCMIOHardwarePlugInInterface plugIn(CFUUIDGetConstantUUIDWithBytes(
      nullptr, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x01));
  const RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, CFSTR("local."), CFSTR("_qfl_vc_cam._udp."), CFSTR("Studio erin.0"), 1));
  const RefPtr<const __CFDictionary> record = decodedRecordOfThisMachine();
  struct Case {
    const char* name;
    CFDictionaryRef record;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"no record", nullptr,
       {"REQUIRED_CFTYPEOF TXTDictionary==NULL", "REQUIRED_NOT_NULL 0x00000000==NULL : newDeviceStream in "}},
      // The framework makes the camera, and reports as the camera's own construction.
      {"no camera system",
       record.get(),
       {" - SRC>>error = inPlugIn.CMIOObjectCreate(kCMIOObjectSystemObject,kCMIODeviceClassID,&deviceID) in Construct:",
        " (CMIOUDPNetServiceDALHardwarePlugIn.cpp)", " - SRC>>newDeviceStream->Construct(*this) in "}},
  };
  MessageCollector console;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console.drain();
    plugIn.CreateStreamForResolvedService(service.get(), c.record);
    const std::vector<std::string> lines = console.drain();
    for (const std::string& expected : c.texts)
      EXPECT_TRUE(anyLineHas(lines, expected)) << expected << "\n" << ::testing::PrintToString(lines);
    EXPECT_TRUE(plugIn.CameraUIDs().empty());
  }
}

RefPtr<__CFNetService> announce(const std::string& name, const std::string& senderID = "", uint32_t id0 = 101,
                                uint32_t id1 = 102) {
  const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(id0, id1, 0.0));
  if (!senderID.empty())
    CFDictionarySetValue(record.get(), BonjourIOSurfaceProtocol_MachineIDKey, string(senderID).get());
  const RefPtr<const __CFData> txt = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
  RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, BonjourIOSurfaceProtocol_NetServiceDomain,
                               BonjourIOSurfaceProtocol_NetServiceType, string(name).get(), 30100));
  CFNetServiceSetTXTData(service.get(), txt.get());
  CFStreamError error{};
  EXPECT_TRUE(CFNetServiceRegisterWithOptions(service.get(), 0, &error));
  return service;
}

size_t camerasWithUID(const CameraHost::Host& host, const std::string& uid) {
  size_t count = 0;
  for (const auto& device : host.devices())
    if (device.uid == uid) ++count;
  return count;
}

TEST(NetworkCamera, CamerasFollowAnnouncementsWithoutDuplicates) {
  CameraRoot root(MOXICAM_CMIO_BUNDLE);
  CameraHost::Host host;
  host.loadPlugIns();
  ASSERT_EQ(host.plugIns().size(), 1u) << (host.problems().empty() ? "" : host.problems()[0]);
  const std::string uid = uidForService("Studio alice.0");

  RefPtr<__CFNetService> first = announce("Studio alice.0");
  ASSERT_TRUE(pollUntil([&] { return camerasWithUID(host, uid) == 1; }, 15s, 5ms));
  for (const auto& device : host.devices()) {
    if (device.uid == uid) {
      EXPECT_EQ(device.name, "Webcam Studio alice.0");
    }
  }

  // The sender quits: its camera goes.
  CFNetServiceCancel(first.get());
  first = nullptr;
  ASSERT_TRUE(pollUntil([&] { return camerasWithUID(host, uid) == 0; }, 15s, 5ms));

  // It starts again: one camera again, never two.
  const RefPtr<__CFNetService> second = announce("Studio alice.0");
  ASSERT_TRUE(pollUntil([&] { return camerasWithUID(host, uid) == 1; }, 15s, 5ms));

  // An announcement from another machine makes no camera. Announcements are taken in turn, so
  // once a later one has its camera, the remote one has been passed over.
  const RefPtr<__CFNetService> remote = announce("Remote carol.0", "0123456789ABCDEF");
  const RefPtr<__CFNetService> later = announce("Later dave.0");
  ASSERT_TRUE(pollUntil([&] { return camerasWithUID(host, uidForService("Later dave.0")) == 1; }, 15s, 5ms));
  EXPECT_EQ(camerasWithUID(host, uidForService("Remote carol.0")), 0u);
  EXPECT_EQ(camerasWithUID(host, uid), 1u);
  for (const auto& service : {later, remote, second}) CFNetServiceCancel(service.get());
}

// The publisher runs as a child of its own, read line by line.
struct Announcer {
  explicit Announcer(const std::vector<std::string>& arguments) : process(SURFACE_ANNOUNCER, arguments) {}
  // The service name it printed, or "" when it did not get that far.
  std::string serviceName() {
    std::optional<std::string> line = process.nextLine();
    if (!line || line->rfind("service ", 0) != 0) return {};
    return line->substr(8);
  }
  moxicam::test::RunningChild process;
};

TEST(NetworkCamera, AnotherProcessShowsThePublishersFrames) {
  CameraRoot root(MOXICAM_CMIO_BUNDLE);
  Announcer announcer({"--frames", "1800"});
  const std::string serviceName = announcer.serviceName();
  ASSERT_FALSE(serviceName.empty());
  const std::string uid = uidForService(serviceName);
  const fs::path out = fs::path(root.root.path()) / "frames";

  auto result = moxicam::test::runChild(
      CAMERA_HOST_PROGRAM,
      {"capture", "--device", uid, "--frames", "12", "--out", out.string(), "--timeout", "15"}, {}, 60s);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // Every frame lasts a thirtieth of a second.
  std::regex durationLine(R"(duration (\d+)/(\d+))");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(result.out, match, durationLine)) << result.out;
  EXPECT_EQ(std::stoll(match[1]) * 30, std::stoll(match[2]));

  // Every pixel is one the publisher drew (red 0x80, opaque, a frame number in green and
  // blue). The buffers share the publisher's surfaces, so a frame read late may already show
  // parts of a newer one: the numbers are checked for progress, not for one per picture.
  std::set<long> numbers;
  for (int frame = 1; frame <= 12; ++frame) {
    char name[32];
    snprintf(name, sizeof name, "frame-%04d.png", frame);
    moxicam::test::RGBAImage image;
    ASSERT_TRUE(readPNG((out / name).string(), image)) << name;
    ASSERT_EQ(image.width, 1280u);
    ASSERT_EQ(image.height, 720u);
    for (size_t at = 0; at < image.rgba.size(); at += 4 * 997) {
      const png_byte* pixel = image.rgba.data() + at;
      ASSERT_EQ(pixel[0], 0x80) << name;
      ASSERT_EQ(pixel[3], 0xFF) << name;
      numbers.insert((long(pixel[1]) << 8) | pixel[2]);
    }
  }
  // The camera shows the publisher's new frames, not one picture.
  EXPECT_GT(numbers.size(), 1u);
  EXPECT_EQ(numbers.count(0), 0u);
}

TEST(NetworkCamera, AnnouncementOfAnotherMachineMakesNoCamera) {
  CameraRoot root(MOXICAM_CMIO_BUNDLE);
  Announcer announcer({"--frames", "600", "--sender-id", "0123456789ABCDEF"});
  const std::string serviceName = announcer.serviceName();
  ASSERT_FALSE(serviceName.empty());
  auto result = moxicam::test::runChild(CAMERA_HOST_PROGRAM, {"list", "--wait", "1"}, {}, 30s);
  EXPECT_EQ(result.out.find(uidForService(serviceName)), std::string::npos) << result.out;
}

TEST(NetworkCamera, PublishersOwnProcessListsTheCameraButGetsNoFrames) {
  CameraRoot root(MOXICAM_CMIO_BUNDLE);
  CameraHost::Host host;
  host.loadPlugIns();
  const RefPtr<__IOSurface> surfaces[2] = {adopt(createGlobalSurface(64, 32)), adopt(createGlobalSurface(64, 32))};
  ASSERT_TRUE(surfaces[0] && surfaces[1]);
  const RefPtr<__CFNetService> own =
      announce("Own dave.0", "", IOSurfaceGetID(surfaces[0].get()), IOSurfaceGetID(surfaces[1].get()));
  CameraHost::Device device;
  ASSERT_TRUE(host.waitForDevice(uidForService("Own dave.0"), 15s, device));
  EXPECT_EQ(device.name, "Webcam Own dave.0");
  ASSERT_EQ(device.streams.size(), 1u);
  CameraHost::StreamCapture capture(*device.plugIn, device.deviceID, device.streams[0]);
  ASSERT_EQ(capture.start(), 0);
  // Its own notifications are refused, so the stream never has a surface to show.
  for (int i = 0; i < 10; ++i) {
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(i % 2);
    std::this_thread::sleep_for(30ms);
  }
  EXPECT_EQ(adopt(capture.next(500ms)), nullptr);
  capture.stop();
  CFNetServiceCancel(own.get());
}

// A camera host in a process of its own, asked line by line (camera-host watch).
class WatchingHost {
 public:
  WatchingHost() : mProcess(CAMERA_HOST_PROGRAM, {"watch", "--timeout", "5"}, {}, RunningChild::Input::Open) {}

  std::string cameras() { return mProcess.ask("cameras").value_or(""); }
  bool showsOnly(const std::vector<std::string>& uids) {
    std::string expected = "cameras " + std::to_string(uids.size());
    for (const std::string& uid : uids) expected += " " + uid;
    return cameras() == expected;
  }
  // The top-left pixel of the camera's next frame, or "none".
  std::string pixel(const std::string& uid) {
    const std::string answer = mProcess.ask("frame " + uid).value_or("");
    const std::string prefix = "frame " + uid + " ";
    return answer.rfind(prefix, 0) == 0 ? answer.substr(prefix.size()) : "none";
  }
  // Whether the camera shows the publisher's new frames: `count` pictures that differ (each frame
  // carries its number in green and blue). A camera left on a surface nobody draws shows one.
  // The publisher draws even frames into one of its two surfaces and odd ones into the other,
  // and the camera changes surfaces only when told: with `bothSurfaces`, frames of both kinds
  // must show, so that a camera that is told nothing any more does not pass.
  bool showsNewFrames(const std::string& uid, size_t count = 3, bool bothSurfaces = false) {
    std::set<std::string> seen;
    std::set<int> parities;
    return pollUntil(
        [&] {
          const std::string now = pixel(uid);
          int red = 0, green = 0, blue = 0, alpha = 0;
          if (std::sscanf(now.c_str(), "%d %d %d %d", &red, &green, &blue, &alpha) == 4) {
            seen.insert(now);
            parities.insert(blue & 1);
          }
          return seen.size() >= count && (!bothSurfaces || parities.size() == 2);
        },
        20s, 1ms);
  }
  void signal(int number) { mProcess.signal(number); }

 private:
  RunningChild mProcess;
};

// A host that was suspended (as a busy or sleeping process is) while the publisher quit and
// started again has the one camera of the new publisher once it runs again, not a camera left
// on the surfaces of the old one.
TEST(NetworkCamera, AHostSuspendedWhileThePublisherRestartsHasItsOneCameraBack) {
  CameraRoot root(MOXICAM_CMIO_BUNDLE);
  auto publisher = std::make_unique<Announcer>(std::vector<std::string>{"--frames", "100000"});
  const std::string name = publisher->serviceName();
  ASSERT_FALSE(name.empty());
  const std::string uid = uidForService(name);
  WatchingHost host;
  ASSERT_TRUE(pollUntil([&] { return host.showsOnly({uid}); }, 20s, 10ms)) << host.cameras();
  ASSERT_TRUE(host.showsNewFrames(uid));

  host.signal(SIGSTOP);
  publisher.reset();
  Announcer restarted({"--frames", "100000"});
  ASSERT_EQ(restarted.serviceName(), name);
  host.signal(SIGCONT);

  EXPECT_TRUE(pollUntil([&] { return host.showsOnly({uid}) && host.showsNewFrames(uid); }, 20s, 10ms))
      << host.cameras();
}

// Any process may post a publisher's notification names. Those of a stopped publisher make its
// camera look its surfaces up over a socket nobody answers; no other camera waits for that.
TEST(NetworkCamera, AStoppedPublisherHoldsUpNoOtherCamera) {
  CameraRoot root(MOXICAM_CMIO_BUNDLE);
  Announcer stopped({"--frames", "100000"}), live({"--frames", "100000"});
  const std::string stoppedName = stopped.serviceName(), liveName = live.serviceName();
  ASSERT_FALSE(stoppedName.empty());
  ASSERT_FALSE(liveName.empty());
  WatchingHost host;
  std::vector<std::string> both{uidForService(stoppedName), uidForService(liveName)};
  std::sort(both.begin(), both.end());
  ASSERT_TRUE(pollUntil([&] { return host.showsOnly(both) || host.showsOnly({both[1], both[0]}); }, 20s, 10ms))
      << host.cameras();

  // The stopped publisher's names, from its announcement.
  const RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, BonjourIOSurfaceProtocol_NetServiceDomain,
                               BonjourIOSurfaceProtocol_NetServiceType, string(stoppedName).get(), 0));
  CFStreamError error{};
  ASSERT_TRUE(CFNetServiceResolveWithTimeout(service.get(), 10, &error));
  const RefPtr<const __CFDictionary> record =
      adopt(CFNetServiceCreateDictionaryWithTXTData(nullptr, CFNetServiceGetTXTData(service.get())));
  ASSERT_TRUE(record);
  std::vector<RefPtr<const __CFString>> names;
  for (CFStringRef key : {BonjourIOSurfaceProtocol_NotificationName0Key, BonjourIOSurfaceProtocol_NotificationName1Key})
    names.push_back(adopt(NQBonjour::TXTDictionary::CopyStringValueForKey(record.get(), key)));
  ASSERT_TRUE(names[0] && names[1]);

  stopped.process.signal(SIGSTOP);
  std::atomic<bool> posting{true};
  std::thread poster([&] {
    while (posting) {
      for (const auto& name : names)
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name.get(), nullptr, nullptr,
                                             true);
      std::this_thread::sleep_for(10ms);
    }
  });
  EXPECT_TRUE(host.showsNewFrames(uidForService(liveName), 5, true));
  posting = false;
  poster.join();
  stopped.process.signal(SIGCONT);
}

}  // namespace
