// The component and its devices in a host process of their own, beside the application's
// sharing server in another: what the host gets with no server, with one, and after it quits;
// a sandboxed host through the server's message window, on a private X server.
// First: it brings GoogleTest in before Xlib, whose macros would break it.
#include <ChildProcess.h>
#include <CoreFoundation/MacTypes.h>
#include <PNGImage.h>
#include <RunningChild.h>
#include <TemporaryRoot.h>
#include <XTestServer.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using moxicam::test::RunningChild;

namespace fs = std::filesystem;

namespace {

// The server writes each surface of its ring again two frames after announcing it, and a copy
// that a write overlaps is dropped: an unoptimised, instrumented host copies too slowly for a
// 30 Hz server. The road is the same at 5 Hz.
const std::vector<std::string> kServerRate = {"--rate", "5"};

struct HostFrame {
  int number = -1;
  std::string kind;
  long size = 0;
  unsigned format = 0;
  unsigned long long time = 0;
  unsigned first = 0;
  int uniform = 0;
  std::string file;
};

bool parseFrame(const std::string& line, HostFrame& frame) {
  char kind[16] = {}, file[1024] = {};
  if (sscanf(line.c_str(), "frame %d kind %15s size %ld format %x time %llu first %x uniform %d file %1023s",
             &frame.number, kind, &frame.size, &frame.format, &frame.time, &frame.first, &frame.uniform,
             file) != 8)
    return false;
  frame.kind = kind;
  frame.file = file;
  return true;
}

std::vector<HostFrame> framesOf(const std::vector<std::string>& lines) {
  std::vector<HostFrame> frames;
  for (const std::string& line : lines) {
    HostFrame frame;
    if (parseFrame(line, frame)) frames.push_back(frame);
  }
  return frames;
}

// The frame numbers the server drew, by the time it stamped them with.
std::map<unsigned long long, long> serverFrames(const RunningChild& server) {
  std::map<unsigned long long, long> frames;
  for (const std::string& line : server.lines()) {
    long number = 0;
    unsigned surface = 0;
    unsigned long long time = 0;
    int open = 0;
    if (sscanf(line.c_str(), "frame %ld surface %u time %llu open %d", &number, &surface, &time, &open) == 4)
      frames[time] = number;
  }
  return frames;
}

// Whether a saved ARGB message frame holds the name in its lower third only.
void expectNameInLowerThird(const std::string& path) {
  moxicam::test::RGBAImage image;
  ASSERT_TRUE(moxicam::test::readPNG(path, image)) << path;
  ASSERT_EQ(image.width, 1280u);
  ASSERT_EQ(image.height, 720u);
  const png_byte* background = image.rgba.data();
  int inkTop = 720, inkBottom = -1;
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x)
      if (memcmp(&image.rgba[(size_t(y) * 1280 + size_t(x)) * 4], background, 4) != 0)
        inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
  ASSERT_GE(inkBottom, 0) << "no name drawn";
  EXPECT_GE(inkTop, 480);
}

class DigitizerEndToEnd : public ::testing::Test {
 protected:
  DigitizerEndToEnd() { fs::create_directories(mFrames); }
  std::vector<std::string> hostArguments(const char* device, const char* want) {
    return {"frames", "--device", device, "--out", mFrames, "--want", want};
  }
  moxicam::test::TemporaryRoot mRoot;
  std::string mFrames = mRoot.root() + "/frames";
};

TEST_F(DigitizerEndToEnd, TheComponentLoadsThroughItsLinkAndOpensNoDevice) {
  const fs::path folder = mRoot.home() + "/Library/QuickTime";
  fs::create_directories(folder);
  fs::create_symlink(VDIG_COMPONENT, folder / "Moxicam.VDIG.component");
  const moxicam::test::ChildResult host =
      moxicam::test::runChild(VDIG_HOST, {"component"}, {{"HOME", mRoot.home()}});
  ASSERT_EQ(host.exitCode, 0) << host.err;
  EXPECT_EQ(host.out, "register 0\nfound 1\nopen -50 instance 0\n");
  // Loaded for the open that it refused, ended with the host, each noted in its log.
  const size_t init = host.err.find("Moxicam.VDIG::ComponentInitFunc");
  const size_t term = host.err.find("Moxicam.VDIG::ComponentTermFunc");
  ASSERT_NE(init, std::string::npos) << host.err;
  ASSERT_NE(term, std::string::npos) << host.err;
  EXPECT_LT(init, term);
}

TEST_F(DigitizerEndToEnd, WithoutAServerTheHostGetsTheMessageFrame) {
  for (const char* device : {"raw", "2vuy"}) {
    const moxicam::test::ChildResult host =
        moxicam::test::runChild(VDIG_HOST, hostArguments(device, "message:1"));
    ASSERT_EQ(host.exitCode, 0) << host.err;
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = host.out.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(host.out.substr(at, end - at));
    const std::vector<HostFrame> frames = framesOf(lines);
    ASSERT_EQ(frames.size(), 1u) << host.out;
    EXPECT_EQ(frames[0].kind, "message");
    if (std::string(device) == "raw") {
      EXPECT_EQ(frames[0].size, 1280 * 720 * 4);
      EXPECT_EQ(frames[0].format, unsigned(FOUR_CHAR_CODE("raw ")));
      expectNameInLowerThird(frames[0].file);
    } else {
      EXPECT_EQ(frames[0].size, 1280 * 720 * 2);
      EXPECT_EQ(frames[0].format, unsigned(FOUR_CHAR_CODE("2vuy")));
      EXPECT_EQ(fs::file_size(frames[0].file), 1280u * 720 * 2);
    }
  }
}

TEST_F(DigitizerEndToEnd, TheHostGetsTheServersFramesUntilTheServerQuits) {
  for (const char* device : {"raw", "2vuy"}) {
    RunningChild server(SHARING_SERVER, kServerRate);
    ASSERT_TRUE(server.lineWhere([](const std::string& line) { return line.rfind("surfaces ", 0) == 0; }));
    RunningChild host(VDIG_HOST, hostArguments(device, "shared:12,message:1"));
    std::vector<HostFrame> shared;
    while (shared.size() < 12) {
      auto line = host.lineWhere(
          [](const std::string& l) { return l.find("kind shared") != std::string::npos; }, 30s);
      ASSERT_TRUE(line) << device << ": no shared frame";
      HostFrame frame;
      ASSERT_TRUE(parseFrame(*line, frame));
      shared.push_back(frame);
    }
    // The server's surfaces go with it: the host shows its message frame again.
    server.kill();
    server.wait();
    ASSERT_EQ(host.wait(30s), 0) << device;
    const std::vector<HostFrame> all = framesOf(host.lines());
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().kind, "message");

    const std::map<unsigned long long, long> drawn = serverFrames(server);
    unsigned long long lastTime = 0;
    for (const HostFrame& frame : shared) {
      EXPECT_EQ(frame.size, 1280 * 720 * 4);
      EXPECT_EQ(frame.uniform, 1) << "every pixel of a frame is the server's one colour";
      // B,G,R,A = n low, n high, 0x80, 0xFF in the surface: A,R,G,B in the frame.
      EXPECT_EQ(frame.first >> 16, 0xFF80u) << std::hex << frame.first;
      const long number = long(frame.first & 0xFFFF);
      auto stamped = drawn.find(frame.time);
      ASSERT_NE(stamped, drawn.end()) << "a frame at a time the server never stamped";
      // The copy is taken when the frame is asked for: the surface may hold a later picture of
      // the ring by then, never an earlier one.
      EXPECT_GE(number, stamped->second);
      EXPECT_EQ(number % 2, stamped->second % 2) << "each picture stays in its surface of the ring";
      EXPECT_GT(frame.time, lastTime);
      lastTime = frame.time;
    }
    moxicam::test::RGBAImage image;
    ASSERT_TRUE(moxicam::test::readPNG(shared.back().file, image));
    EXPECT_EQ(image.rgba[0], 0x80);
    EXPECT_EQ(image.rgba[3], 0xFF);
    EXPECT_EQ(image.rgba[size_t(1280 * 720 - 1) * 4 + 2], shared.back().first & 0xFF);
  }
}

// A host without the network client right reads the announcements out of the server's message
// window, found by the title the server gives it, and shows the frames of the surfaces they
// name; once the server quits, its message frame.
TEST_F(DigitizerEndToEnd, ASandboxedHostGetsTheServersFramesThroughTheMessageWindow) {
  moxicam::test::XTestServer display(320, 240);
  if (!display.isRunning()) GTEST_SKIP() << display.problem();
  RunningChild server(SHARING_SERVER, {"--window", kServerRate[0], kServerRate[1]});
  ASSERT_TRUE(server.lineWhere([](const std::string& line) { return line.rfind("window ", 0) == 0; }));
  std::vector<std::string> arguments = hostArguments("raw", "shared:8,message:1");
  arguments.push_back("--sandboxed");
  RunningChild host(VDIG_HOST, arguments);
  EXPECT_EQ(host.nextLine(), "source window");
  std::vector<HostFrame> shared;
  while (shared.size() < 8) {
    auto line =
        host.lineWhere([](const std::string& l) { return l.find("kind shared") != std::string::npos; }, 30s);
    ASSERT_TRUE(line) << "no shared frame";
    HostFrame frame;
    ASSERT_TRUE(parseFrame(*line, frame));
    shared.push_back(frame);
  }
  server.kill();
  server.wait();
  ASSERT_EQ(host.wait(30s), 0);
  const std::vector<HostFrame> all = framesOf(host.lines());
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.back().kind, "message");

  const std::map<unsigned long long, long> drawn = serverFrames(server);
  unsigned long long lastTime = 0;
  // The pictures themselves are the UDP test's concern: this one follows the announcements.
  for (const HostFrame& frame : shared) {
    EXPECT_EQ(frame.first >> 16, 0xFF80u) << std::hex << frame.first;
    auto stamped = drawn.find(frame.time);
    ASSERT_NE(stamped, drawn.end()) << "a frame at a time the server never stamped";
    EXPECT_GE(long(frame.first & 0xFFFF), stamped->second);
    EXPECT_GT(frame.time, lastTime);
    lastTime = frame.time;
  }
}

}  // namespace
