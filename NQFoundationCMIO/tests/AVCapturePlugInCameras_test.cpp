// The cameras of the DAL plug-ins as capture devices: loaded into this process as the system
// loads them, listed beside the other cameras and read by sessions like any camera. The root
// holds the test camera's bundle and the MoxicamCMIO bundle, whose network camera shows the
// frames of a publisher in another process.
#include <AVFoundation/AVFoundation.h>
#include <CameraRoot.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>
#include <FramePattern.h>
#include <PollUntil.h>
#include <RunningChild.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "../../platform/AVFoundation/tests/FrameCollector.h"

OBJC_CLASS_DEFINE(FrameCollector)

namespace {

using namespace std::chrono_literals;

std::string text(NSString* string) { return string ? string->UTF8String() : ""; }

// One root for the program: the plug-ins are loaded once per process, at the first look.
moxicam::test::CameraRoot& root() {
  static moxicam::test::CameraRoot* made = [] {
    auto* camera = new moxicam::test::CameraRoot(TEST_CAMERA_BUNDLE);
    std::filesystem::create_directory_symlink(
        MOXICAM_CMIO_BUNDLE, std::filesystem::path(camera->root.root()) / "Library/CoreMediaIO/Plug-Ins/DAL" /
                                 "MoxicamCMIO.plugin");
    return camera;
  }();
  return *made;
}

AVCaptureDevice* deviceNamed(const std::string& name) {
  for (NSObject* object : *AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo)) {
    auto* device = static_cast<AVCaptureDevice*>(object);
    if (text(device->localizedName()) == name) return device;
  }
  return nullptr;
}

struct Capture {
  explicit Capture(AVCaptureDevice* device) {
    session = adopt(static_cast<AVCaptureSession*>(AVCaptureSession::alloc()->init()));
    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice_error(device, nullptr));
    output = adopt(static_cast<AVCaptureVideoDataOutput*>(AVCaptureVideoDataOutput::alloc()->init()));
    output->setVideoSettings(
        NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithUnsignedInt(kCVPixelFormatType_32BGRA),
                                                  toNSString(kCVPixelBufferPixelFormatTypeKey)));
    collector = adopt(static_cast<FrameCollector*>(FrameCollector::alloc()->init()));
    queue = dispatch_queue_create("Video Capture Queue", DISPATCH_QUEUE_SERIAL);
    output->setSampleBufferDelegate_queue(collector.get(), queue);
    session->addOutput(output.get());
    session->startRunning();
  }
  ~Capture() {
    session->stopRunning();
    dispatch_sync(queue, [] {});
    dispatch_release(queue);
  }
  RefPtr<AVCaptureSession> session;
  RefPtr<AVCaptureVideoDataOutput> output;
  RefPtr<FrameCollector> collector;
  dispatch_queue_t queue;
};

TEST(AVCapturePlugInCameras, TheTestCameraIsACaptureDevice) {
  root();
  AVCaptureDevice* device = nullptr;
  ASSERT_TRUE(moxicam::test::pollUntil(
      [&] { return (device = deviceNamed("Moxicam Test Pattern")) != nullptr; }, 15s, 5ms));
  EXPECT_EQ(text(device->uniqueID()), "com.quillfen.moxicam.test.pattern");
  EXPECT_TRUE(device->supportsAVCaptureSessionPreset(AVCaptureSessionPresetHigh));
  EXPECT_FALSE(device->supportsAVCaptureSessionPreset(AVCaptureSessionPreset1280x720));
  Capture capture(device);
  const std::vector<CollectedFrame> frames = capture.collector->waitFor(2);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].width, 640u);
  EXPECT_EQ(frames[0].height, 600u);
  // White around the pink square.
  EXPECT_EQ(std::vector<uint8_t>(frames[1].at(0, 0), frames[1].at(0, 0) + 4),
            (std::vector<uint8_t>{255, 255, 255, 255}));
}

TEST(AVCapturePlugInCameras, TheNetworkCameraShowsAnotherProcesssFrames) {
  root();
  // The cameras standing before the publisher starts are listed first.
  AVCaptureDevice::devices();
  moxicam::test::RunningChild announcer(SURFACE_ANNOUNCER, {"--frames", "1800"});
  const std::optional<std::string> line = announcer.nextLine();
  ASSERT_TRUE(line && line->rfind("service ", 0) == 0);
  const std::string name = "Webcam " + line->substr(8);

  // The camera comes when the announcement is found: a device list read then tells of it.
  std::set<std::string> connected;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  NSObject* observer = center->addObserverForName_object_queue_usingBlock(
      AVCaptureDeviceWasConnectedNotification, nullptr, nullptr, [&](NSNotification* notification) {
        connected.insert(text(static_cast<AVCaptureDevice*>(notification->object())->localizedName()));
      });
  AVCaptureDevice* device = nullptr;
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return (device = deviceNamed(name)) != nullptr; }, 20s, 5ms))
      << name;
  center->removeObserver(observer);
  EXPECT_EQ(connected.count(name), 1u);

  Capture capture(device);
  const std::vector<CollectedFrame> frames = capture.collector->waitFor(6);
  ASSERT_EQ(frames.size(), 6u);
  std::set<long> numbers;
  for (const CollectedFrame& frame : frames) {
    ASSERT_EQ(frame.width, 1280u);
    ASSERT_EQ(frame.height, 720u);
    const long number = moxicam::test::frameOfPixel(frame.at(640, 360));
    EXPECT_GE(number, 0);
    numbers.insert(number);
  }
  EXPECT_GT(numbers.size(), 1u) << "the camera shows the publisher's new frames";

  // The publisher quits: its camera goes from the list (and a test run again starts afresh).
  announcer.kill();
  announcer.wait();
  EXPECT_TRUE(moxicam::test::pollUntil([&] { return deviceNamed(name) == nullptr; }, 20s, 5ms));
}

}  // namespace
