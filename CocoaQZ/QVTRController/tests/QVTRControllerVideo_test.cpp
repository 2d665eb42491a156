// The QTKit capture controllers over synthetic cameras: the device list and its notices, a
// device that cannot be opened, numbered recordings, the tape transport table, the media
// format summary, and the grabber's frames and black filler.
#include "QVTRControllerVideo.h"

#include <CoreVideo/CVPixelBuffer.h>
#include <Foundation/NSKeyValueObserving.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "PollUntil.h"
#include "QVTRControllerCVGrabber.h"
#include "RunLoopUntil.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "QVTRControllerTest";
const char* g_CoreMachDebug_LogFileName = "QVTRControllerTest.log";

namespace {

using namespace std::chrono_literals;

std::string text(NSString* string) { return string ? string->UTF8String() : ""; }

std::vector<std::string> strings(NSArray* array) {
  std::vector<std::string> found;
  for (NSObject* object : *array) found.push_back(text(static_cast<NSString*>(object)));
  return found;
}

struct Cameras {
  explicit Cameras(const char* configuration) { setenv("MOXICAM_SYNTHETIC_CAMERAS", configuration, 1); }
  ~Cameras() {
    unsetenv("MOXICAM_SYNTHETIC_CAMERAS");
    unsetenv("MOXICAM_CAMERA_ACCESS");
    QTCaptureDevice::inputDevices();
  }
};

// Counts the changes of each key it observes.
class ChangeCounter : public NSObject {
 public:
  void observeValueForKeyPath_ofObject_change_context(NSString* keyPath, NSObject*, NSDictionary*,
                                                      void*) override {
    std::lock_guard lock(mLock);
    ++mCounts[text(keyPath)];
  }
  int count(const std::string& key) {
    std::lock_guard lock(mLock);
    return mCounts[key];
  }

 private:
  std::mutex mLock;
  std::map<std::string, int> mCounts;
};

// The controller's delegate: what it was told.
class SessionListener : public NSObject, public QVTRControllerSession {
 public:
  void captureSessionError(NSError* error) override {
    std::lock_guard lock(mLock);
    errors.push_back(error ? error->code() : 0);
  }
  void captureSessionEnded(NSURL* url) override {
    std::lock_guard lock(mLock);
    ended.push_back(text(url->path()));
  }
  size_t endedCount() {
    std::lock_guard lock(mLock);
    return ended.size();
  }
  std::mutex mLock;
  std::vector<NSInteger> errors;
  std::vector<std::string> ended;
};

template <class T>
RefPtr<T> make() {
  return adopt(static_cast<T*>(T::alloc()->init()));
}

TEST(QVTRControllerVideo, ListsDevicesByNameAndAnnouncesOnlyChanges) {
  Cameras cameras("name=Zed;name=Alpha;name=Deck,audio=yes");
  RefPtr<QVTRControllerVideo> controller = make<QVTRControllerVideo>();
  RefPtr<ChangeCounter> counter = adopt(new ChangeCounter);
  controller->addObserver_forKeyPath_options_context(counter.get(), NSSTR("videoDevices"), 0, nullptr);
  controller->addObserver_forKeyPath_options_context(counter.get(), NSSTR("videoDevicesLocalizedNames"), 0,
                                                     nullptr);
  EXPECT_EQ(strings(controller->videoDevicesLocalizedNames()),
            (std::vector<std::string>{"None", "Alpha", "Deck", "Zed"}));
  EXPECT_EQ(counter->count("videoDevices"), 1);
  // The same cameras again: no notice.
  controller->refreshAudioVideoInputDevices();
  EXPECT_EQ(counter->count("videoDevices"), 1);
  EXPECT_EQ(counter->count("videoDevicesLocalizedNames"), 1);
  setenv("MOXICAM_SYNTHETIC_CAMERAS", "name=Zed;name=Alpha;name=Deck,audio=yes;name=Beta", 1);
  controller->refreshAudioVideoInputDevices();
  EXPECT_EQ(counter->count("videoDevices"), 2);
  EXPECT_EQ(strings(controller->videoDevicesLocalizedNames()),
            (std::vector<std::string>{"None", "Alpha", "Beta", "Deck", "Zed"}));
  EXPECT_EQ(text(controller->selectedVideoDeviceLocalizedName()), "None");
  EXPECT_EQ(text(controller->mediaFormatSummary()), "");
  controller->removeObserver_forKeyPath(counter.get(), NSSTR("videoDevices"));
  controller->removeObserver_forKeyPath(counter.get(), NSSTR("videoDevicesLocalizedNames"));
}

TEST(QVTRControllerVideo, ADeviceThatCannotBeOpenedIsReportedAndTheListStillRefreshes) {
  Cameras cameras("name=Locked");
  RefPtr<QVTRControllerVideo> controller = make<QVTRControllerVideo>();
  RefPtr<SessionListener> listener = adopt(new SessionListener);
  controller->setDelegate(listener.get());
  controller->captureSessionBegin(nullptr);
  EXPECT_EQ(text(controller->selectedVideoDeviceLocalizedName()), "Locked");
  controller->captureSessionEnd(nullptr);

  setenv("MOXICAM_CAMERA_ACCESS", "denied", 1);
  controller->setSelectedVideoDeviceLocalizedName(NSSTR("Locked"));
  EXPECT_FALSE(controller->videoDeviceInput());
  EXPECT_FALSE(controller->hasRecordingDevice());
  ASSERT_EQ(listener->errors.size(), 1u);
  EXPECT_EQ(listener->errors[0], QTErrorDeviceNotAuthorized);
  // The refresh queued on the main thread finds the camera plugged in meanwhile.
  setenv("MOXICAM_SYNTHETIC_CAMERAS", "name=Locked;name=Later", 1);
  EXPECT_TRUE(moxicam::test::runLoopUntil([&] { return controller->videoInputDevices()->count() == 2; }));
}

TEST(QVTRControllerVideo, RecordsToTheFirstFreeNumberedFile) {
  Cameras cameras("name=Recorder,size=64x48,rate=60");
  moxicam::test::TemporaryRoot root;
  const std::string folder = root.path() + "/tmp";
  std::filesystem::create_directories(folder);
  setenv("TMPDIR", folder.c_str(), 1);
  for (const char* taken : {"Moxicam_000.mov", "Moxicam_001.mov"})
    std::ofstream(folder + "/" + taken) << "taken";

  RefPtr<QVTRControllerVideo> controller = make<QVTRControllerVideo>();
  RefPtr<SessionListener> listener = adopt(new SessionListener);
  controller->setDelegate(listener.get());
  controller->captureSessionBegin(nullptr);
  EXPECT_TRUE(controller->hasRecordingDevice());
  EXPECT_FALSE(controller->isRecording());
  controller->setRecording(true);
  ASSERT_TRUE(controller->isRecording());
  EXPECT_EQ(text(controller->movieFileOutput()->outputFileURL()->path()), folder + "/Moxicam_002.mov");
  controller->setRecording(false);
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return listener->endedCount() == 1; }, 20s));
  EXPECT_EQ(listener->ended[0], folder + "/Moxicam_002.mov");
  EXPECT_GT(std::filesystem::file_size(folder + "/Moxicam_002.mov"), 28u);
  EXPECT_EQ(moxicam::test::readFile(folder + "/Moxicam_000.mov"), "taken");
  controller->captureSessionEnd(nullptr);
  unsetenv("TMPDIR");
}

TEST(QVTRControllerVideo, DrivesTheTransportOfATapeDeck) {
  Cameras cameras("name=Deck,audio=yes,transport=yes;name=Plain");
  RefPtr<QVTRControllerVideo> controller = make<QVTRControllerVideo>();
  controller->captureSessionBegin(nullptr);
  controller->setSelectedVideoDeviceLocalizedName(NSSTR("Plain"));
  EXPECT_FALSE(controller->controllableDevice());
  controller->setDevicePlaying(true);
  EXPECT_FALSE(controller->isDevicePlaying());

  controller->setSelectedVideoDeviceLocalizedName(NSSTR("Deck"));
  ASSERT_TRUE(controller->controllableDevice());
  RefPtr<ChangeCounter> counter = adopt(new ChangeCounter);
  controller->addObserver_forKeyPath_options_context(counter.get(), NSSTR("devicePlaying"), 0, nullptr);
  QTCaptureDevice* deck = controller->controllableDevice();
  auto setSpeed = [&](long speed, unsigned long mode) {
    deck->setAttribute_forKey(NSDictionary::dictionaryWithObjects_forKeys(
                                  {NSNumber::numberWithLong(speed), NSNumber::numberWithUnsignedLong(mode)},
                                  {QTCaptureDeviceAVCTransportControlsSpeedKey,
                                   QTCaptureDeviceAVCTransportControlsPlaybackModeKey}),
                              QTCaptureDeviceAVCTransportControlsAttribute);
  };
  struct Case {
    long speed;
    unsigned long mode;
    bool playing, rewinding, fastforwarding;
  } cases[] = {
      {10000, 1, true, false, false},  {10000, 0, false, false, false}, {-1000, 1, false, true, false},
      {-19000, 0, false, true, false}, {1000, 1, false, false, true},   {19000, 1, false, false, true},
      {0, 1, false, false, false},     {-2000, 1, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.speed);
    setSpeed(c.speed, c.mode);
    EXPECT_EQ(controller->isDevicePlaying(), c.playing);
    EXPECT_EQ(controller->isDeviceRewinding(), c.rewinding);
    EXPECT_EQ(controller->isDeviceFastforwarding(), c.fastforwarding);
  }
  EXPECT_EQ(counter->count("devicePlaying"), int(std::size(cases)));
  controller->setDevicePlaying(true);
  EXPECT_TRUE(controller->isDevicePlaying());
  controller->setDeviceRewinding(true);
  EXPECT_TRUE(controller->isDeviceRewinding());
  controller->setDeviceFastforwarding(true);
  EXPECT_TRUE(controller->isDeviceFastforwarding());
  EXPECT_FALSE(controller->isDevicePlaying());
  controller->stopDevice(nullptr);
  EXPECT_FALSE(controller->isDeviceFastforwarding());
  controller->removeObserver_forKeyPath(counter.get(), NSSTR("devicePlaying"));
  controller->captureSessionEnd(nullptr);
}

TEST(QVTRControllerVideo, TheMediaFormatSummaryEndsEachConnectionWithANewLine) {
  Cameras cameras("name=Summary,size=640x480");
  RefPtr<QVTRControllerVideo> controller = make<QVTRControllerVideo>();
  controller->captureSessionBegin(nullptr);
  EXPECT_EQ(text(controller->mediaFormatSummary()), "32-bit BGRA, 640 x 480\n");
  controller->captureSessionEnd(nullptr);
  EXPECT_EQ(text(controller->mediaFormatSummary()), "");
}

// Counts the frames it is told of.
class CountingGrabber : public QVTRControllerCVGrabber {
  OBJC_CLASS_DECL(CountingGrabber, QVTRControllerCVGrabber)

 public:
  void videoFrameChanged() override { ++changes; }
  std::atomic<int> changes{0};

 protected:
  CountingGrabber() = default;
};

OBJC_CLASS_DEFINE(CountingGrabber)

TEST(QVTRControllerCVGrabber, KeepsTheNewestFrameAndShowsBlackWithoutADevice) {
  Cameras cameras("name=Grab,size=320x240");
  RefPtr<CountingGrabber> grabber = make<CountingGrabber>();
  // The default format has no size yet: no filler can be made.
  EXPECT_EQ(grabber->createEmptyBlackVideoFramePixelBuffer(), nullptr);
  grabber->setVideoFrameSize(CGSizeMake(32, 16));
  grabber->captureSessionBegin(nullptr);
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return grabber->changes >= 2; }, 20s));
  CVBufferRef frame = grabber->videoFrameCopy();
  ASSERT_TRUE(frame);
  EXPECT_EQ(CVPixelBufferGetPixelFormatType(frame), kCVPixelFormatType_422YpCbCr8);
  EXPECT_EQ(CVPixelBufferGetWidth(frame), 32u);
  CVBufferRelease(frame);

  grabber->captureSessionEnd(nullptr);
  CVBufferRef filler = grabber->videoFrameCopy();
  ASSERT_TRUE(filler);
  EXPECT_EQ(CVPixelBufferGetWidth(filler), 32u);
  EXPECT_EQ(CVPixelBufferGetHeight(filler), 16u);
  CVPixelBufferLockBaseAddress(filler, kCVPixelBufferLock_ReadOnly);
  const auto* bytes = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(filler));
  // Black in 4:2:2, not white.
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0x80, 0x10, 0x80, 0x10}));
  CVPixelBufferUnlockBaseAddress(filler, kCVPixelBufferLock_ReadOnly);
  CVBufferRelease(filler);
}

}  // namespace
