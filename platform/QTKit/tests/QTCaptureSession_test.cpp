// QTKit's capture over the synthetic cameras: devices opened and read by sessions, frames to
// the decompressed and preview outputs' delegates, transport attributes of a tape deck, and
// movies recorded into files.
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>
#include <QTKit/QTKit.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "TemporaryRoot.h"

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : ""; }

struct Cameras {
  explicit Cameras(const char* configuration) { setenv("MOXICAM_SYNTHETIC_CAMERAS", configuration, 1); }
  ~Cameras() {
    unsetenv("MOXICAM_SYNTHETIC_CAMERAS");
    unsetenv("MOXICAM_CAMERA_ACCESS");
    QTCaptureDevice::inputDevices();
  }
};

class FrameDelegate : public NSObject,
                      public QTCaptureDecompressedVideoOutputDelegate,
                      public QTCaptureVideoPreviewOutputDelegate {
 public:
  void captureOutput_didOutputVideoFrame_withSampleBuffer_fromConnection(
      QTCaptureOutput*, CVImageBufferRef frame, QTSampleBuffer* sample,
      QTCaptureConnection* connection) override {
    std::lock_guard lock(mLock);
    formats.push_back(CVPixelBufferGetPixelFormatType(frame));
    widths.push_back(CVPixelBufferGetWidth(frame));
    summaries.push_back(text(sample->formatDescription()->localizedFormatSummary()));
    connected = connected && connection && connection->owner();
    mArrived.notify_all();
  }
  bool waitFor(size_t count) {
    std::unique_lock lock(mLock);
    return mArrived.wait_for(lock, std::chrono::seconds(20), [&] { return formats.size() >= count; });
  }
  size_t count() {
    std::lock_guard lock(mLock);
    return formats.size();
  }
  std::mutex mLock;
  std::condition_variable mArrived;
  std::vector<OSType> formats;
  std::vector<size_t> widths;
  std::vector<std::string> summaries;
  bool connected = true;
};

class FileDelegate : public NSObject, public QTCaptureFileOutputDelegate {
 public:
  void captureOutput_didStartRecordingToOutputFileAtURL_forConnections(QTCaptureOutput*, NSURL* url,
                                                                       NSArray*) override {
    record("did start " + text(url->path()));
  }
  void captureOutput_willFinishRecordingToOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*, NSURL*,
                                                                                    NSArray*,
                                                                                    NSError* error) override {
    record(std::string("will finish") + (error ? " with error" : ""));
  }
  void captureOutput_didFinishRecordingToOutputFileAtURL_forConnections_dueToError(QTCaptureOutput*, NSURL*,
                                                                                   NSArray*,
                                                                                   NSError* error) override {
    record(std::string("did finish") + (error ? " with error" : ""));
  }
  void record(const std::string& event) {
    std::lock_guard lock(mLock);
    events.push_back(event);
    mChanged.notify_all();
  }
  bool waitFor(size_t count) {
    std::unique_lock lock(mLock);
    return mChanged.wait_for(lock, std::chrono::seconds(20), [&] { return events.size() >= count; });
  }
  std::mutex mLock;
  std::condition_variable mChanged;
  std::vector<std::string> events;
};

TEST(QTCaptureDevice, ListsTheSameCamerasAndOpensThemWhenAllowed) {
  Cameras cameras("name=Zeta;name=Alpha,size=640x480;name=Deck,audio=yes,transport=yes");
  NSArray* video = QTCaptureDevice::inputDevicesWithMediaType(QTMediaTypeVideo);
  ASSERT_EQ(video->count(), 2u);
  auto* zeta = static_cast<QTCaptureDevice*>(video->objectAtIndex(0));
  EXPECT_EQ(text(zeta->localizedDisplayName()), "Zeta");
  EXPECT_EQ(QTCaptureDevice::inputDevicesWithMediaType(QTMediaTypeVideo)->objectAtIndex(0), zeta);
  auto* alpha = static_cast<QTCaptureDevice*>(video->objectAtIndex(1));
  ASSERT_EQ(alpha->formatDescriptions()->count(), 1u);
  EXPECT_EQ(text(static_cast<QTFormatDescription*>(alpha->formatDescriptions()->objectAtIndex(0))
                     ->localizedFormatSummary()),
            "32-bit BGRA, 640 x 480");
  QTCaptureDevice* deck = QTCaptureDevice::defaultInputDeviceWithMediaType(QTMediaTypeMuxed);
  ASSERT_TRUE(deck);
  EXPECT_TRUE(deck->hasMediaType(QTMediaTypeMuxed));
  EXPECT_FALSE(deck->hasMediaType(QTMediaTypeVideo));

  // Transport: only the deck has it, and observers hear it change.
  EXPECT_TRUE(zeta->attributeIsReadOnly(QTCaptureDeviceAVCTransportControlsAttribute));
  EXPECT_FALSE(deck->attributeIsReadOnly(QTCaptureDeviceAVCTransportControlsAttribute));
  std::vector<std::string> heard;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  NSObject* will = center->addObserverForName_object_queue_usingBlock(
      QTCaptureDeviceAttributeWillChangeNotification, deck, nullptr, [&](NSNotification* notice) {
        heard.push_back("will " + text(static_cast<NSString*>(
                                      notice->userInfo()->objectForKey(QTCaptureDeviceChangedAttributeKey))));
      });
  NSObject* did = center->addObserverForName_object_queue_usingBlock(
      QTCaptureDeviceAttributeDidChangeNotification, deck, nullptr,
      [&](NSNotification*) { heard.push_back("did"); });
  deck->setAttribute_forKey(
      NSDictionary::dictionaryWithObjects_forKeys(
          {NSNumber::numberWithLong(-13000), NSNumber::numberWithUnsignedLong(1)},
          {QTCaptureDeviceAVCTransportControlsSpeedKey, QTCaptureDeviceAVCTransportControlsPlaybackModeKey}),
      QTCaptureDeviceAVCTransportControlsAttribute);
  center->removeObserver(will);
  center->removeObserver(did);
  EXPECT_EQ(heard, (std::vector<std::string>{"will QTCaptureDeviceAVCTransportControlsAttribute", "did"}));
  auto* transport =
      static_cast<NSDictionary*>(deck->attributeForKey(QTCaptureDeviceAVCTransportControlsAttribute));
  ASSERT_TRUE(transport);
  EXPECT_EQ(static_cast<NSNumber*>(transport->objectForKey(QTCaptureDeviceAVCTransportControlsSpeedKey))
                ->longValue(),
            -13000);

  // Opening: refused while cameras may not be used.
  setenv("MOXICAM_CAMERA_ACCESS", "denied", 1);
  NSError* error = nullptr;
  EXPECT_FALSE(zeta->open(&error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), QTErrorDeviceNotAuthorized);
  unsetenv("MOXICAM_CAMERA_ACCESS");
  EXPECT_TRUE(zeta->open(nullptr));
  EXPECT_TRUE(zeta->isOpen());
  zeta->close();
  EXPECT_FALSE(zeta->isOpen());
}

TEST(QTCaptureSession, OutputsHandFramesToTheirDelegates) {
  Cameras cameras("name=Bars,size=640x480");
  QTCaptureDevice* device = QTCaptureDevice::defaultInputDeviceWithMediaType(QTMediaTypeVideo);
  ASSERT_TRUE(device && device->open(nullptr));
  RefPtr<QTCaptureSession> session = adopt(static_cast<QTCaptureSession*>(QTCaptureSession::alloc()->init()));
  QTCaptureDeviceInput* input = QTCaptureDeviceInput::deviceInputWithDevice(device);
  ASSERT_TRUE(session->addInput_error(input, nullptr));
  RefPtr<QTCaptureDecompressedVideoOutput> decompressed = adopt(
      static_cast<QTCaptureDecompressedVideoOutput*>(QTCaptureDecompressedVideoOutput::alloc()->init()));
  decompressed->setPixelBufferAttributes(NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithUnsignedInt(kCVPixelFormatType_422YpCbCr8), NSNumber::numberWithDouble(320),
       NSNumber::numberWithDouble(240)},
      {toNSString(kCVPixelBufferPixelFormatTypeKey), toNSString(kCVPixelBufferWidthKey),
       toNSString(kCVPixelBufferHeightKey)}));
  RefPtr<QTCaptureVideoPreviewOutput> preview =
      adopt(static_cast<QTCaptureVideoPreviewOutput*>(QTCaptureVideoPreviewOutput::alloc()->init()));
  RefPtr<FrameDelegate> first = adopt(new FrameDelegate), second = adopt(new FrameDelegate);
  decompressed->setDelegate(first.get());
  preview->setDelegate(second.get());
  ASSERT_TRUE(session->addOutput_error(decompressed.get(), nullptr));
  ASSERT_TRUE(session->addOutput_error(preview.get(), nullptr));
  EXPECT_FALSE(session->addOutput_error(preview.get(), nullptr));
  session->startRunning();
  ASSERT_TRUE(first->waitFor(2));
  ASSERT_TRUE(second->waitFor(2));
  session->stopRunning();
  std::lock_guard a(first->mLock), b(second->mLock);
  EXPECT_EQ(first->formats[0], kCVPixelFormatType_422YpCbCr8);
  EXPECT_EQ(first->widths[0], 320u);
  EXPECT_EQ(first->summaries[0], "Component Y'CbCr 8-bit 4:2:2, 320 x 240");
  EXPECT_EQ(second->formats[0], kCVPixelFormatType_32BGRA);
  EXPECT_EQ(second->widths[0], 640u);
  EXPECT_TRUE(first->connected);
  ASSERT_EQ(input->connections()->count(), 1u);
  EXPECT_EQ(text(static_cast<QTCaptureConnection*>(input->connections()->objectAtIndex(0))
                     ->formatDescription()
                     ->localizedFormatSummary()),
            "32-bit BGRA, 640 x 480");
}

TEST(QTCaptureMovieFileOutput, RecordsAQuickTimeMovie) {
  Cameras cameras("name=Recorder,size=64x48,rate=60");
  moxicam::test::TemporaryRoot root;
  QTCaptureDevice* device = QTCaptureDevice::defaultInputDeviceWithMediaType(QTMediaTypeVideo);
  ASSERT_TRUE(device && device->open(nullptr));
  RefPtr<QTCaptureSession> session = adopt(static_cast<QTCaptureSession*>(QTCaptureSession::alloc()->init()));
  ASSERT_TRUE(session->addInput_error(QTCaptureDeviceInput::deviceInputWithDevice(device), nullptr));
  RefPtr<QTCaptureMovieFileOutput> movie =
      adopt(static_cast<QTCaptureMovieFileOutput*>(QTCaptureMovieFileOutput::alloc()->init()));
  RefPtr<FileDelegate> delegate = adopt(new FileDelegate);
  movie->setDelegate(delegate.get());
  RefPtr<FrameDelegate> frames = adopt(new FrameDelegate);
  RefPtr<QTCaptureVideoPreviewOutput> preview =
      adopt(static_cast<QTCaptureVideoPreviewOutput*>(QTCaptureVideoPreviewOutput::alloc()->init()));
  preview->setDelegate(frames.get());
  ASSERT_TRUE(session->addOutput_error(movie.get(), nullptr));
  ASSERT_TRUE(session->addOutput_error(preview.get(), nullptr));
  session->startRunning();

  const std::string path = root.path() + "/take.mov";
  movie->recordToOutputFileURL(NSURL::fileURLWithPath(NSString::stringWithUTF8String(path.c_str())));
  EXPECT_EQ(text(movie->outputFileURL()->path()), path);
  ASSERT_TRUE(delegate->waitFor(1));
  ASSERT_TRUE(frames->waitFor(frames->count() + 6));
  movie->recordToOutputFileURL(nullptr);
  ASSERT_TRUE(delegate->waitFor(3));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"did start " + path, "will finish", "did finish"}));
  EXPECT_FALSE(movie->outputFileURL());

  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 28u);
  EXPECT_EQ(bytes.substr(4, 8), "ftypqt  ");
  EXPECT_EQ(bytes.substr(24, 4), "mdat");
  const size_t mediaSize = (size_t(uint8_t(bytes[20])) << 24) | (size_t(uint8_t(bytes[21])) << 16) |
                           (size_t(uint8_t(bytes[22])) << 8) | size_t(uint8_t(bytes[23]));
  // Whole 64 x 48 pictures of two bytes a pixel, then the movie's header.
  EXPECT_EQ((mediaSize - 8) % (64 * 48 * 2), 0u);
  EXPECT_GT(mediaSize, 8u);
  EXPECT_EQ(bytes.substr(20 + mediaSize + 4, 4), "moov");
  EXPECT_NE(bytes.find("2vuy"), std::string::npos);

  // A file that cannot be made ends the recording with an error; an existing file is kept.
  {
    std::lock_guard lock(delegate->mLock);
    delegate->events.clear();
  }
  movie->recordToOutputFileURL(NSURL::fileURLWithPath(NSString::stringWithUTF8String(path.c_str())));
  ASSERT_TRUE(delegate->waitFor(2));
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"will finish with error", "did finish with error"}));
  session->stopRunning();
}

}  // namespace
