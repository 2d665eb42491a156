// The camera host with the test camera: listing, capturing, errors, and tearing a plug-in
// down under a running stream.
#include <gtest/gtest.h>

#include <CoreMedia/CMSampleBuffer.h>
#include <CoreMediaIO/CMIOSystemObjects.h>

#include <CameraHost.h>
#include <CameraRoot.h>
#include <ChildProcess.h>
#include <PNGImage.h>
#include <PollUntil.h>
#include <TemporaryRoot.h>
#include <TimerSentinel.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using moxicam::test::CameraRoot;
using moxicam::test::readPNG;
using moxicam::test::runChild;
using moxicam::test::TemporaryRoot;

namespace {

const char* const kUID = "com.quillfen.moxicam.test.pattern";

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) result.push_back(line);
  return result;
}

}  // namespace

TEST(CameraHost, ListsTheTestCameraWithThePropertiesOfTheThreeTables) {
  CameraRoot camera(TEST_CAMERA_BUNDLE);
  auto result = runChild(CAMERA_HOST_PROGRAM, {"list"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::vector<std::string> out = lines(result.out);
  auto has = [&](const std::string& line) { return std::find(out.begin(), out.end(), line) != out.end(); };
  EXPECT_TRUE(has("  property 'lnam' has=1 settable=0 size=8 value=\"NQ.DALPlugIn\""));
  EXPECT_TRUE(has("  property 'ownd' has=0 settable=0 size=4"));
  for (const char* line : {
           "  property 'lnam' has=1 settable=0 size=8 value=\"Moxicam Test Pattern\"",
           "  property 'lmak' has=1 settable=0 size=8 value=\"NQ.Manufacturer\"",
           "  property 'lccn' has=1 settable=0 size=8 value=\"NQ.ElementCategoryName\"",
           "  property 'lcnn' has=1 settable=0 size=8 value=\"NQ.ElementNumberName\"",
           "  property 'uid ' has=1 settable=0 size=8 value=\"com.quillfen.moxicam.test.pattern\"",
           "  property 'muid' has=1 settable=0 size=8 value=\"NQ.DeviceModelUID\"",
           "  property 'tran' has=1 settable=0 size=4 value='bltn'",
           "  property 'livn' has=1 settable=0 size=4 value=1",
           "  property 'diff' has=1 settable=0 size=4 value=0",
           "  property 'goin' has=1 settable=0 size=4 value=1",
           "  property 'gone' has=1 settable=0 size=4 value=1",
           "  property 'dflt' has=1 settable=0 size=4 value=1",
           "  property 'oink' has=1 settable=0 size=4 value=-1",
           "  property 'ltnc' has=1 settable=0 size=4 value=0",
           "  property 'pmac' has=1 settable=0 size=1 value=0",
           "  property 'r422' has=1 settable=0 size=1 value=0",
           "  property 'slay' has=0 settable=0 size=8",
           "  property 'plud' has=0 settable=0 size=8",
           "  property 'sbyu' has=0 settable=0 size=4",
           "  property 'ixna' has=1 settable=1 size=4 value=0",
           "  property 'pmnh' has=1 settable=1 size=4 value=0",
           "  property 'lisa' has=1 settable=1 size=12 value=000000000000000000000000",
           "    property 'ipls' has=0 settable=0 size=24",
           "    property 'lnam' has=1 settable=0 size=8 value=\"NQ.StreamName\"",
           "    property 'lchn' has=1 settable=0 size=8 value=\"NQ.StreamElement\"",
           "    property 'sdir' has=1 settable=0 size=4 value=1",
           "    property 'pfta' has=1 settable=0 size=8 value=['2vuy' 640x600]",
           "    property 'pft ' has=1 settable=0 size=8 value='2vuy' 640x600",
           "    property 'nfrt' has=1 settable=0 size=8 value=30",
           "    property 'nfr#' has=1 settable=0 size=8 value=30",
           "    property 'mfrt' has=1 settable=0 size=8 value=30",
           "    property 'miff' has=0 settable=0 size=4",
           "    property 'frrg' has=1 settable=0 size=16 value=30,30"}) {
    EXPECT_TRUE(has(line)) << line;
  }
  // The device's ids tie it to its plug-in and its stream.
  std::smatch match;
  const std::regex device("device (\\d+) uid \"com.quillfen.moxicam.test.pattern\" name \"Moxicam Test Pattern\"");
  const std::regex stream("  stream (\\d+)");
  const std::regex plugIn("plugin (\\d+) .*TestCamera.plugin");
  std::string deviceID, streamID, plugInID;
  for (const std::string& line : out) {
    if (std::regex_match(line, match, device)) deviceID = match[1];
    if (std::regex_match(line, match, stream)) streamID = match[1];
    if (std::regex_match(line, match, plugIn)) plugInID = match[1];
  }
  ASSERT_FALSE(deviceID.empty());
  ASSERT_FALSE(streamID.empty());
  EXPECT_TRUE(has("  property 'plug' has=1 settable=0 size=4 value=" + plugInID));
  EXPECT_TRUE(has("  property 'stm#' has=1 settable=0 size=4 value=" + streamID));
}

TEST(CameraHost, CapturesFramesOfTheDefaultPatternAtThirtyFramesPerSecond) {
  CameraRoot camera(TEST_CAMERA_BUNDLE);
  const std::string out = camera.root.path() + "/frames";
  auto result = runChild(CAMERA_HOST_PROGRAM, {"capture", "--device", kUID, "--frames", "24", "--out", out});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::regex frame("frame (\\d+) sequence (\\d+) pts (-?\\d+)/(\\d+) duration (\\d+)/(\\d+) file (.*)");
  std::vector<long long> times;
  bool squareSeen = false;
  int count = 0;
  for (const std::string& line : lines(result.out)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, frame)) << line;
    ++count;
    SCOPED_TRACE(line);
    EXPECT_EQ(std::stoi(match[2]), count) << "sequence numbers count from 1";
    EXPECT_EQ(match[4], "3000");
    EXPECT_EQ(match[5], "100");
    EXPECT_EQ(match[6], "3000");
    times.push_back(std::stoll(match[3]));

    moxicam::test::RGBAImage image;
    ASSERT_TRUE(readPNG(match[7], image));
    ASSERT_EQ(image.width, 640u);
    ASSERT_EQ(image.height, 600u);
    for (png_uint_32 y = 0; y < image.height; ++y) {
      for (png_uint_32 x = 0; x < image.width; ++x) {
        const png_byte* p = &image.rgba[(y * image.width + x) * 4];
        const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] == 255;
        const bool pink = p[0] == 255 && p[1] == 0 && (p[2] == 127 || p[2] == 128) && p[3] == 255;
        // The square's left edge falls between pixels and is smoothed: white and pink mixed.
        const bool edge = p[0] == 255 && p[3] == 255 && std::abs(int(p[2]) - (255 - (255 - int(p[1])) / 2)) <= 2;
        ASSERT_TRUE(white || pink || edge) << "pixel " << x << "," << y;
        // The square stands between y = 310 and 510 from the bottom: rows 90 to 289 from the top.
        if (!white) {
          ASSERT_TRUE(y >= 90 && y < 290) << "pink at row " << y;
          squareSeen = squareSeen || pink;
        }
      }
    }
  }
  EXPECT_EQ(count, 24);
  EXPECT_TRUE(squareSeen) << "the square moves into the frame within the first second";
  for (size_t i = 1; i < times.size(); ++i) {
    const long long step = times[i] - times[i - 1];
    EXPECT_GT(step, 0);
    EXPECT_EQ(step % 100, 0) << "frames lie whole frame durations apart";
  }
}

TEST(CameraHost, ReportsWhatItCannotDo) {
  {
    CameraRoot camera(TEST_CAMERA_BUNDLE);
    auto result = runChild(CAMERA_HOST_PROGRAM, {"capture", "--device", "no.such.camera", "--frames", "1", "--out",
                                                 camera.root.path() + "/frames", "--timeout", "0.2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("no device with UID \"no.such.camera\""), std::string::npos) << result.err;
    auto wrong = runChild(CAMERA_HOST_PROGRAM, {"capture", "--frames", "many"});
    EXPECT_EQ(wrong.exitCode, 64);
    EXPECT_NE(wrong.err.find("not a number for --frames"), std::string::npos) << wrong.err;
  }
  TemporaryRoot empty;
  auto result = runChild(CAMERA_HOST_PROGRAM, {"list"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.err.find("no camera plug-in in"), std::string::npos) << result.err;
  auto capture = runChild(CAMERA_HOST_PROGRAM, {"capture", "--device", kUID, "--frames", "1", "--out", empty.path()});
  EXPECT_EQ(capture.exitCode, 1);
}

namespace {
std::atomic<int> gNotices{0};
void countNotice(CMIOObjectID, void*, void*) { ++gNotices; }
}  // namespace

TEST(CameraHost, TearingDownAPlugInStopsItsRunningStreams) {
  CameraRoot camera(TEST_CAMERA_BUNDLE);
  auto host = std::make_unique<CameraHost::Host>();
  host->loadPlugIns();
  ASSERT_EQ(host->plugIns().size(), 1u) << (host->problems().empty() ? "" : host->problems()[0]);
  CameraHost::Device device;
  ASSERT_TRUE(host->waitForDevice(kUID, std::chrono::seconds(5), device));
  CMIOHardwarePlugInRef plugIn = device.plugIn->interface();
  CMSimpleQueueRef queue = nullptr;
  ASSERT_EQ((*plugIn)->StreamCopyBufferQueue(plugIn, device.streams[0], countNotice, nullptr, &queue), 0);
  const RefPtr<opaqueCMSimpleQueue> heldQueue = adopt(queue);
  ASSERT_EQ((*plugIn)->DeviceStartStream(plugIn, device.deviceID, device.streams[0]), 0);
  ASSERT_TRUE(moxicam::test::pollUntil([] { return gNotices >= 2; }));

  host.reset();
  EXPECT_FALSE(_CMIOSystemGetObject(device.deviceID, nullptr));
  const int notices = gNotices;
  // Five of the stream's ticks at 30 frames per second; they run on the high-priority queue.
  ASSERT_TRUE(moxicam::test::waitForTimersDueWithin(std::chrono::milliseconds(170),
                                                    dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0)));
  EXPECT_EQ(gNotices, notices) << "a stream of a torn-down plug-in still ticks";
  while (const void* buffer = CMSimpleQueueDequeue(queue)) (void)adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(buffer)));
}
