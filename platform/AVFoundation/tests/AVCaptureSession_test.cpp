// Capture over synthetic cameras: the devices the environment configures, frames on the
// delegate's queue in the format and size asked, presets with their fallback, a camera that is
// unplugged or plugged in while a session runs, and denied access.
#include <AVFoundation/AVFoundation.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "FrameCollector.h"

OBJC_CLASS_DEFINE(FrameCollector)

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : ""; }

std::vector<std::string> names(NSArray* devices) {
  std::vector<std::string> found;
  for (NSObject* device : *devices)
    found.push_back(text(static_cast<AVCaptureDevice*>(device)->localizedName()));
  return found;
}

// The configuration of the machine's synthetic cameras for the life of the object.
struct Cameras {
  explicit Cameras(const char* configuration) { setenv("MOXICAM_SYNTHETIC_CAMERAS", configuration, 1); }
  ~Cameras() {
    unsetenv("MOXICAM_SYNTHETIC_CAMERAS");
    unsetenv("MOXICAM_CAMERA_ACCESS");
    AVCaptureDevice::devices();
  }
};

// A session over one camera with a data output on "Video Capture Queue".
struct RunningSession {
  RunningSession(AVCaptureDevice* device, NSString* preset, NSDictionary* settings) {
    session = adopt(static_cast<AVCaptureSession*>(AVCaptureSession::alloc()->init()));
    NSError* error = nullptr;
    AVCaptureDeviceInput* input = AVCaptureDeviceInput::deviceInputWithDevice_error(device, &error);
    EXPECT_TRUE(input) << (error ? error->code() : 0);
    if (input) session->addInput(input);
    if (preset) session->setSessionPreset(preset);
    output = adopt(static_cast<AVCaptureVideoDataOutput*>(AVCaptureVideoDataOutput::alloc()->init()));
    output->setVideoSettings(settings);
    collector = adopt(static_cast<FrameCollector*>(FrameCollector::alloc()->init()));
    queue = dispatch_queue_create("Video Capture Queue", DISPATCH_QUEUE_SERIAL);
    output->setSampleBufferDelegate_queue(collector.get(), queue);
    session->addOutput(output.get());
    session->startRunning();
  }
  ~RunningSession() {
    session->stopRunning();
    // Frames already queued are handed over before the collector goes.
    dispatch_sync(queue, [] {});
    dispatch_release(queue);
  }
  RefPtr<AVCaptureSession> session;
  RefPtr<AVCaptureVideoDataOutput> output;
  RefPtr<FrameCollector> collector;
  dispatch_queue_t queue;
};

NSDictionary* pixelFormat(OSType format) {
  return NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithUnsignedInt(format),
                                                   toNSString(kCVPixelBufferPixelFormatTypeKey));
}

TEST(AVCaptureDevice, ListsTheConfiguredCamerasAndLeavesOutBadOnes) {
  Cameras cameras(
      "name=Desk Camera,size=1280x720|640x480;name=Broken,size=12x;name=Deck,audio=yes,uid=deck-1;"
      "name=Grid,pattern=grid,rate=15,model=Grid Maker");
  NSArray* video = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
  EXPECT_EQ(names(video), (std::vector<std::string>{"Desk Camera", "Grid"}));
  EXPECT_EQ(names(AVCaptureDevice::devicesWithMediaType(AVMediaTypeMuxed)), std::vector<std::string>{"Deck"});
  EXPECT_EQ(AVCaptureDevice::devicesWithMediaType(AVMediaTypeAudio)->count(), 0u);

  auto* desk = static_cast<AVCaptureDevice*>(video->objectAtIndex(0));
  EXPECT_EQ(text(desk->uniqueID()), "synthetic:Desk Camera");
  EXPECT_EQ(AVCaptureDevice::deviceWithUniqueID(NSSTR("synthetic:Desk Camera")), desk);
  EXPECT_EQ(text(AVCaptureDevice::deviceWithUniqueID(NSSTR("deck-1"))->localizedName()), "Deck");
  EXPECT_EQ(text(static_cast<AVCaptureDevice*>(video->objectAtIndex(1))->modelID()), "Grid Maker");
  EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), desk);
  ASSERT_EQ(desk->formats()->count(), 2u);
  CMFormatDescriptionRef second =
      static_cast<AVCaptureDeviceFormat*>(desk->formats()->objectAtIndex(1))->formatDescription();
  EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(second).width, 640);
  EXPECT_EQ(CMFormatDescriptionGetMediaSubType(second), kCVPixelFormatType_32BGRA);
  // The same camera is the same device each time it is listed.
  EXPECT_EQ(AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo)->objectAtIndex(0), desk);
}

TEST(AVCaptureVideoDataOutput, FramesArriveOnTheQueueInTheFormatAndSizeAskedAndDiffer) {
  Cameras cameras("name=Bars,size=1280x720|640x480,rate=60");
  AVCaptureDevice* device = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
  ASSERT_TRUE(device);
  struct Case {
    NSString* preset;
    NSDictionary* settings;
    OSType format;
    size_t width, height;
  } cases[] = {
      {AVCaptureSessionPreset1280x720, pixelFormat(kCVPixelFormatType_32BGRA), kCVPixelFormatType_32BGRA,
       1280, 720},
      {AVCaptureSessionPreset640x480, pixelFormat(kCVPixelFormatType_422YpCbCr8),
       kCVPixelFormatType_422YpCbCr8, 640, 480},
      {AVCaptureSessionPreset1280x720,
       NSDictionary::dictionaryWithObjects_forKeys(
           {NSNumber::numberWithUnsignedInt(kCVPixelFormatType_32BGRA), NSNumber::numberWithInt(320),
            NSNumber::numberWithInt(180)},
           {toNSString(kCVPixelBufferPixelFormatTypeKey), toNSString(kCVPixelBufferWidthKey),
            toNSString(kCVPixelBufferHeightKey)}),
       kCVPixelFormatType_32BGRA, 320, 180},
      // No settings: the camera's own format.
      {AVCaptureSessionPresetHigh, nullptr, kCVPixelFormatType_32BGRA, 1280, 720},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text(c.preset) + " " + std::to_string(c.width));
    RunningSession running(device, c.preset, c.settings);
    const std::vector<CollectedFrame> frames = running.collector->waitFor(3);
    ASSERT_EQ(frames.size(), 3u);
    for (const CollectedFrame& frame : frames) {
      EXPECT_EQ(frame.queueLabel, "Video Capture Queue");
      EXPECT_EQ(frame.pixelFormat, c.format);
      EXPECT_EQ(frame.codec, c.format);
      EXPECT_EQ(frame.width, c.width);
      EXPECT_EQ(frame.height, c.height);
    }
    // The moving square makes each frame unlike the one before; the bars above it stay.
    EXPECT_NE(frames[0].pixels, frames[1].pixels);
    EXPECT_NE(frames[1].pixels, frames[2].pixels);
    const CollectedFrame& first = frames[0];
    if (c.format == kCVPixelFormatType_32BGRA) {
      // The first bar white, the last black, the red one (sixth) red.
      EXPECT_EQ(std::vector<uint8_t>(first.at(0, 0), first.at(0, 0) + 4),
                (std::vector<uint8_t>{255, 255, 255, 255}));
      EXPECT_EQ(std::vector<uint8_t>(first.at(c.width - 1, 0), first.at(c.width - 1, 0) + 4),
                (std::vector<uint8_t>{0, 0, 0, 255}));
      const uint8_t* red = first.at(c.width * 5 / 8 + 2, c.height / 2);
      EXPECT_EQ(std::vector<uint8_t>(red, red + 4), (std::vector<uint8_t>{0, 0, 255, 255}));
    } else {
      // 4:2:2 video range: white is Y 235, black Y 16, both without colour.
      const uint8_t* white = first.pixels.data();
      EXPECT_NEAR(white[1], 235, 1);
      EXPECT_NEAR(white[0], 128, 1);
      const uint8_t* black = first.pixels.data() + first.rowBytes - 4;
      EXPECT_NEAR(black[1], 16, 1);
    }
  }
}

TEST(AVCaptureSession, PresetsFallBackToWhatTheCameraOffers) {
  Cameras cameras("name=Small,size=640x480;name=Odd,size=800x600");
  NSArray* devices = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
  ASSERT_EQ(devices->count(), 2u);
  auto* small = static_cast<AVCaptureDevice*>(devices->objectAtIndex(0));
  auto* odd = static_cast<AVCaptureDevice*>(devices->objectAtIndex(1));
  struct Case {
    AVCaptureDevice* device;
    NSString* preset;
    bool supported;
  } cases[] = {
      {small, AVCaptureSessionPreset1280x720, false},
      {small, AVCaptureSessionPreset640x480, true},
      {small, AVCaptureSessionPresetHigh, true},
      {odd, AVCaptureSessionPreset1280x720, false},
      {odd, AVCaptureSessionPreset640x480, false},
      {odd, AVCaptureSessionPresetLow, true},
      {small, NSSTR("NotAPreset"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text(c.device->localizedName()) + " " + text(c.preset));
    EXPECT_EQ(c.device->supportsAVCaptureSessionPreset(c.preset), c.supported);
    RefPtr<AVCaptureSession> session =
        adopt(static_cast<AVCaptureSession*>(AVCaptureSession::alloc()->init()));
    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice_error(c.device, nullptr));
    EXPECT_EQ(session->canSetSessionPreset(c.preset), c.supported);
    if (!c.supported) {
      EXPECT_THROW(session->setSessionPreset(c.preset), NSException::Raised);
      EXPECT_EQ(text(session->sessionPreset()), "AVCaptureSessionPresetHigh");
    }
  }
  // The channel's chain: 1280 x 720, else 640 x 480; the frames come in the preset's size.
  RunningSession running(small, nullptr, pixelFormat(kCVPixelFormatType_32BGRA));
  for (NSString* preset : {AVCaptureSessionPreset1280x720, AVCaptureSessionPreset640x480}) {
    if (running.session->canSetSessionPreset(preset)) {
      running.session->setSessionPreset(preset);
      break;
    }
  }
  EXPECT_EQ(text(running.session->sessionPreset()), "AVCaptureSessionPreset640x480");
  const std::vector<CollectedFrame> frames = running.collector->waitFor(1);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].width, 640u);
  EXPECT_EQ(frames[0].height, 480u);
}

TEST(AVCaptureSession, CamerasUnpluggedWhileRunningAndPluggedIn) {
  Cameras cameras("name=Leaving;name=Staying,pattern=solid:102030");
  AVCaptureDevice* leaving = AVCaptureDevice::deviceWithUniqueID(NSSTR("synthetic:Leaving"));
  ASSERT_TRUE(leaving);
  RefPtr<AVCaptureDevice> held(leaving);
  RunningSession running(leaving, AVCaptureSessionPreset1280x720, pixelFormat(kCVPixelFormatType_32BGRA));
  ASSERT_EQ(running.collector->waitFor(1).size(), 1u);

  std::vector<std::string> posted;
  NSInteger errorCode = 0;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  std::vector<NSObject*> observers;
  for (NSString* name :
       {AVCaptureDeviceWasConnectedNotification, AVCaptureDeviceWasDisconnectedNotification,
        AVCaptureSessionRuntimeErrorNotification, AVCaptureSessionDidStopRunningNotification}) {
    observers.push_back(center->addObserverForName_object_queue_usingBlock(
        name, nullptr, nullptr, [&](NSNotification* notification) {
          std::string entry = text(notification->name());
          if (notification->object()->isKindOfClass(AVCaptureDevice::class_()))
            entry += " " + text(static_cast<AVCaptureDevice*>(notification->object())->localizedName());
          if (notification->userInfo())
            if (auto* error =
                    static_cast<NSError*>(notification->userInfo()->objectForKey(AVCaptureSessionErrorKey)))
              errorCode = error->code();
          posted.push_back(entry);
        }));
  }
  setenv("MOXICAM_SYNTHETIC_CAMERAS", "name=Staying,pattern=solid:102030", 1);
  EXPECT_EQ(names(AVCaptureDevice::devices()), std::vector<std::string>{"Staying"});
  // The session hears of the camera as any observer does, so the order among them is free.
  std::sort(posted.begin(), posted.end());
  EXPECT_EQ(posted, (std::vector<std::string>{"AVCaptureDeviceWasDisconnectedNotification Leaving",
                                              "AVCaptureSessionDidStopRunningNotification",
                                              "AVCaptureSessionRuntimeErrorNotification"}));
  EXPECT_EQ(errorCode, AVErrorDeviceWasDisconnected);
  EXPECT_FALSE(running.session->isRunning());
  EXPECT_FALSE(held->isConnected());
  EXPECT_FALSE(running.output->connectionWithMediaType(AVMediaTypeVideo)->isActive());
  // No input can be made of a camera that is gone.
  NSError* error = nullptr;
  EXPECT_FALSE(AVCaptureDeviceInput::deviceInputWithDevice_error(held.get(), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), AVErrorDeviceNotConnected);

  posted.clear();
  setenv("MOXICAM_SYNTHETIC_CAMERAS", "name=Staying,pattern=solid:102030;name=Arriving", 1);
  EXPECT_EQ(names(AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo)),
            (std::vector<std::string>{"Staying", "Arriving"}));
  EXPECT_EQ(posted, std::vector<std::string>{"AVCaptureDeviceWasConnectedNotification Arriving"});
  for (NSObject* observer : observers) center->removeObserver(observer);
}

TEST(AVCaptureDevice, AccessAnswersFollowTheSetting) {
  Cameras cameras("name=Private");
  struct Case {
    const char* setting;
    AVAuthorizationStatus before;
    bool granted;
    AVAuthorizationStatus after;
  } cases[] = {
      {"denied", AVAuthorizationStatusDenied, false, AVAuthorizationStatusDenied},
      {"restricted", AVAuthorizationStatusRestricted, false, AVAuthorizationStatusRestricted},
      {"authorized", AVAuthorizationStatusAuthorized, true, AVAuthorizationStatusAuthorized},
      {"notDetermined", AVAuthorizationStatusNotDetermined, true, AVAuthorizationStatusAuthorized},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    setenv("MOXICAM_CAMERA_ACCESS", c.setting, 1);
    EXPECT_EQ(AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo), c.before);
    std::atomic<int> answer{-1};
    AVCaptureDevice::requestAccessForMediaType_completionHandler(AVMediaTypeVideo,
                                                                 [&](bool granted) { answer = granted; });
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (answer < 0 && std::chrono::steady_clock::now() < end) std::this_thread::yield();
    EXPECT_EQ(answer, c.granted);
    EXPECT_EQ(AVCaptureDevice::authorizationStatusForMediaType(AVMediaTypeVideo), c.after);
  }
  // Denied: the camera is listed but gives no input, so no frames.
  setenv("MOXICAM_CAMERA_ACCESS", "denied", 1);
  NSError* error = nullptr;
  EXPECT_FALSE(AVCaptureDeviceInput::deviceInputWithDevice_error(
      AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), AVErrorApplicationIsNotAuthorizedToUseDevice);
  EXPECT_EQ(text(error->domain()), "AVFoundationErrorDomain");
}

TEST(AVCaptureSession, SessionsShareOneCamera) {
  Cameras cameras("name=Shared,size=1280x720|640x480");
  AVCaptureDevice* device = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
  RunningSession large(device, AVCaptureSessionPreset1280x720, pixelFormat(kCVPixelFormatType_32BGRA));
  RunningSession small(device, AVCaptureSessionPreset640x480, pixelFormat(kCVPixelFormatType_32BGRA));
  const std::vector<CollectedFrame> a = large.collector->waitFor(2), b = small.collector->waitFor(2);
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(a[1].width, 1280u);
  EXPECT_EQ(b[1].width, 640u);
  EXPECT_EQ(b[1].height, 480u);
}

}  // namespace
