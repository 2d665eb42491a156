// The grabber cameras as a video application sees them: the camera plug-in bundle loaded by
// the camera host, inside the application (a host whose main bundle is the application's)
// and outside it, over a private X server where test programs show their windows.
// GoogleTest comes before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <CoreGraphics/CGDisplay.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <ChildProcess.h>
#include <ProgramOnPath.h>
#include <RunningChild.h>
#include <PNGImage.h>
#include <TemporaryRoot.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "XTestServer.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using moxicam::test::readPNG;
using moxicam::test::XTestServer;

// The sketch program started under a name of the test's choosing: the window list names a
// window's owner after its program's file, so a copy by another name is another application.
class SketchApp {
 public:
  SketchApp(const fs::path& folder, const std::string& name, const std::vector<std::string>& arguments) {
    const fs::path program = folder / name;
    std::error_code error;
    fs::create_directories(folder, error);
    fs::copy_file(GRABBER_SKETCH_PROGRAM, program, fs::copy_options::overwrite_existing, error);
    // It shows its windows until its standard input ends, and goes with the object.
    if (!error) {
      mProcess = std::make_unique<moxicam::test::RunningChild>(program.string(), arguments,
                                                               std::map<std::string, std::string>{},
                                                               moxicam::test::RunningChild::Input::Open);
    }
  }

  // True once it said that its windows are on screen and painted.
  bool waitUntilReady(std::chrono::milliseconds deadline = 15s) {
    return mProcess && mProcess->lineWhere([](const std::string& line) { return line == "ready"; }, deadline);
  }

 private:
  std::unique_ptr<moxicam::test::RunningChild> mProcess;
};

struct Camera {
  std::string uid;
  std::string name;
};

std::vector<Camera> camerasListed(const std::string& output) {
  std::vector<Camera> cameras;
  const std::regex deviceLine(R"re(^device \d+ uid "([^"]*)" name "([^"]*)"$)re");
  std::istringstream lines(output);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, match, deviceLine)) cameras.push_back({match[1], match[2]});
  }
  return cameras;
}

std::vector<Camera> withNamePrefix(const std::vector<Camera>& cameras, const std::string& prefix) {
  std::vector<Camera> found;
  for (const Camera& camera : cameras) {
    if (camera.name.rfind(prefix, 0) == 0) found.push_back(camera);
  }
  return found;
}

std::string screenCameraName(CGDirectDisplayID display) {
  char name[64];
  std::snprintf(name, sizeof name, "Grabber Screen (%04x)", display & 0xFFFF);
  return name;
}

std::string screenCameraUID(CGDirectDisplayID display) {
  char uid[64];
  std::snprintf(uid, sizeof uid, "com.quillfen.GrabberDesktop.(%04x)", display & 0xFFFF);
  return uid;
}

std::vector<CGDirectDisplayID> activeDisplays() {
  std::vector<CGDirectDisplayID> ids(32);
  uint32_t count = 0;
  if (CGGetActiveDisplayList(uint32_t(ids.size()), ids.data(), &count) != kCGErrorSuccess) count = 0;
  ids.resize(count);
  return ids;
}

struct Picture : moxicam::test::RGBAImage {
  // 0xRRGGBB at (x, y), y counted from the top.
  uint32_t rgbAt(int x, int y) const {
    const png_byte* pixel = rgba.data() + (size_t(y) * width + size_t(x)) * 4;
    return uint32_t(pixel[0]) << 16 | uint32_t(pixel[1]) << 8 | pixel[2];
  }
};

// Scaling blends neighbouring pixels a little; a colour is told by each channel being near.
testing::AssertionResult looksLike(const Picture& picture, int x, int y, uint32_t expected) {
  const uint32_t seen = picture.rgbAt(x, y);
  for (int shift : {16, 8, 0}) {
    const int difference = int((seen >> shift) & 0xFF) - int((expected >> shift) & 0xFF);
    if (std::abs(difference) > 40) {
      char text[96];
      std::snprintf(text, sizeof text, "at (%d, %d): %06x, not %06x", x, y, seen, expected);
      return testing::AssertionFailure() << text;
    }
  }
  return testing::AssertionSuccess();
}

constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class GrabberBundle : public testing::Test {
 protected:
  void SetUp() override {
    if (!mServer.isRunning()) GTEST_SKIP() << mServer.problem();
    const fs::path dal = fs::path(mRoot.root()) / "Library/CoreMediaIO/Plug-Ins/DAL";
    fs::create_directories(dal);
    fs::create_directory_symlink(MOXICAM_CMIO_BUNDLE, dal / "MoxicamCMIO.plugin");
    // The application's main bundle is found from the running program's real path, which a
    // link would not change: the host is copied into an application bundle of its own, in the
    // root's Applications folder, from where it finds the root's frameworks.
    const fs::path app = fs::path(mRoot.root()) / "Applications/Moxicam.app/Contents";
    fs::create_directories(app / "MacOS");
    fs::copy_file(CAMERA_HOST_PROGRAM, app / "MacOS/Moxicam");
    std::ofstream(app / "Info.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "  <key>CFBundleExecutable</key>\n  <string>Moxicam</string>\n"
           "  <key>CFBundleIdentifier</key>\n  <string>com.quillfen.Moxicam</string>\n"
           "  <key>CFBundlePackageType</key>\n  <string>APPL</string>\n</dict>\n</plist>\n";
    mApplicationHost = (app / "MacOS/Moxicam").string();
  }

  std::unique_ptr<SketchApp> startSketch(const std::string& name, const std::vector<std::string>& arguments) {
    auto sketch = std::make_unique<SketchApp>(fs::path(mRoot.path()) / "programs" / name, name, arguments);
    EXPECT_TRUE(sketch->waitUntilReady()) << name << " did not show its windows";
    return sketch;
  }

  moxicam::test::ChildResult runHost(const std::string& program, const std::vector<std::string>& arguments) {
    return moxicam::test::runChild(program, arguments, {}, 60s);
  }

  // The last of `frames` frames of the camera, as the application saw it.
  bool captureLast(const std::string& uid, int frames, Picture& picture) {
    const fs::path out = fs::path(mRoot.path()) / "frames" / uid;
    auto result = runHost(mApplicationHost, {"capture", "--device", uid, "--frames", std::to_string(frames), "--out",
                                             out.string(), "--timeout", "10"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.png", frames);
    return result.exitCode == 0 && readPNG(out / name, picture);
  }

  XTestServer mServer{1280, 1024};
  moxicam::test::TemporaryRoot mRoot;
  std::string mApplicationHost;
};

TEST_F(GrabberBundle, TheApplicationGetsAScreenPerDisplayAndAnAppPerSharingOwner) {
  auto sketch = startSketch("GrabberSketch", {"200,150,400,300"});
  auto paintBox = startSketch("Paint Box", {"700,500,300,200", "700,100,100,100"});
  auto dock = startSketch("Dock", {"0,1000,1280,24"});
  auto hidden = startSketch("Hidden Tool", {"--private", "900,700,200,200"});

  auto result = runHost(mApplicationHost, {"list"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::vector<Camera> cameras = camerasListed(result.out);

  std::map<std::string, std::string> apps;
  for (const Camera& camera : withNamePrefix(cameras, "GrabberApp: ")) apps[camera.name] = camera.uid;
  EXPECT_EQ(apps, (std::map<std::string, std::string>{
                      {"GrabberApp: GrabberSketch", "com.quillfen.grabberwindow.grabbersketch"},
                      {"GrabberApp: Paint Box", "com.quillfen.grabberwindow.paint.box"},
                  }))
      << result.out;

  const std::vector<CGDirectDisplayID> displays = activeDisplays();
  ASSERT_EQ(displays.size(), 1u);
  const std::vector<Camera> screens = withNamePrefix(cameras, "Grabber Screen (");
  ASSERT_EQ(screens.size(), 1u) << result.out;
  EXPECT_EQ(screens[0].name, screenCameraName(displays[0]));
  EXPECT_EQ(screens[0].uid, screenCameraUID(displays[0]));

  // Any other program that lists cameras sees none of them.
  auto other = runHost(CAMERA_HOST_PROGRAM, {"list"});
  EXPECT_EQ(other.exitCode, 0) << other.err;
  for (const Camera& camera : camerasListed(other.out)) EXPECT_EQ(camera.name.rfind("Grabber", 0), std::string::npos);
}

TEST_F(GrabberBundle, TheWindowCameraShowsTheOwnersWindowFittedIntoTheFrame) {
  auto sketch = startSketch("GrabberSketch", {"200,150,400,300"});
  Picture frame;
  ASSERT_TRUE(captureLast("com.quillfen.grabberwindow.grabbersketch", 3, frame));
  ASSERT_EQ(frame.width, 1280u);
  ASSERT_EQ(frame.height, 720u);
  // 400 by 300 is enlarged to 928 by 696 and centred: (176, 12) to (1104, 708), right side up.
  struct Point {
    int x, y;
    uint32_t rgb;
  } const points[] = {
      {100, 360, kBlack},  {1180, 360, kBlack}, {640, 5, kBlack},   {640, 715, kBlack},
      {640, 90, kGreen},   {190, 30, kGreen},   {1090, 30, kGreen}, {400, 500, kRed},
      {190, 690, kRed},    {880, 500, kBlue},   {1090, 690, kBlue},
  };
  for (const Point& point : points) EXPECT_TRUE(looksLike(frame, point.x, point.y, point.rgb));
}

TEST_F(GrabberBundle, TheScreenCameraShowsTheWholeScreenFittedAndGoesOnWhileItIsStill) {
  // A backdrop over the whole screen shows where the screen ends in the frame.
  auto backdrop = startSketch("Backdrop", {"0,0,1280,1024"});
  auto sketch = startSketch("GrabberSketch", {"200,150,400,300"});
  const std::vector<CGDirectDisplayID> displays = activeDisplays();
  ASSERT_EQ(displays.size(), 1u);
  // Frames keep coming after the first, although nothing on the screen changes.
  Picture frame;
  ASSERT_TRUE(captureLast(screenCameraUID(displays[0]), 12, frame));
  ASSERT_EQ(frame.width, 1280u);
  ASSERT_EQ(frame.height, 720u);
  // The 1280 by 1024 screen is scaled by 720/1024 to 900 by 720, centred between black bars:
  // screen point (x, y) lies at (190 + x * 0.703125, y * 0.703125).
  auto onScreen = [](int x, int y, uint32_t rgb) { return std::tuple{190 + x * 45 / 64, y * 45 / 64, rgb}; };
  const std::tuple<int, int, uint32_t> points[] = {
      // The bars, and the backdrop just inside them.
      {185, 600, kBlack}, {1095, 600, kBlack}, {90, 100, kBlack},  {1190, 100, kBlack},
      {196, 600, kRed},   {1084, 600, kBlue},  {196, 100, kGreen}, {1084, 100, kGreen},
      // The window on top of it.
      onScreen(400, 180, kGreen), onScreen(210, 160, kGreen), onScreen(300, 350, kRed),
      onScreen(210, 440, kRed),   onScreen(500, 350, kBlue),  onScreen(590, 440, kBlue),
  };
  for (const auto& [x, y, rgb] : points) EXPECT_TRUE(looksLike(frame, x, y, rgb));
}

class GrabberBundleWithMonitors : public GrabberBundle {
 protected:
  void SetUp() override {
    GrabberBundle::SetUp();
    if (IsSkipped()) return;
    mDisplay = XOpenDisplay(mServer.displayName().c_str());
    ASSERT_NE(mDisplay, nullptr);
  }
  void TearDown() override {
    if (mDisplay) XCloseDisplay(mDisplay);
  }

  void addMonitor(Atom name, int x, int width, bool primary = false) {
    XRRMonitorInfo* monitor = XRRAllocateMonitor(mDisplay, 0);
    monitor->name = name;
    monitor->primary = primary;
    monitor->x = x;
    monitor->y = 0;
    monitor->width = width;
    monitor->height = 1024;
    monitor->mwidth = width / 4;
    monitor->mheight = 256;
    XRRSetMonitor(mDisplay, DefaultRootWindow(mDisplay), monitor);
    XSync(mDisplay, False);
    XFree(monitor);
  }

  std::vector<Camera> screenCameras() {
    auto result = runHost(mApplicationHost, {"list"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return withNamePrefix(camerasListed(result.out), "Grabber Screen (");
  }

  Display* mDisplay = nullptr;
};

TEST_F(GrabberBundleWithMonitors, EightDisplaysGiveCamerasForTheFirstSix) {
  for (int i = 0; i < 8; ++i) {
    const std::string name = "GRABBER-" + std::to_string(i);
    addMonitor(XInternAtom(mDisplay, name.c_str(), False), i * 160, 160, i == 0);
  }
  // The server's own screen monitor stays beside them.
  const std::vector<CGDirectDisplayID> displays = activeDisplays();
  ASSERT_GE(displays.size(), 8u);
  std::vector<std::string> expected;
  for (size_t i = 0; i < 6; ++i) expected.push_back(screenCameraName(displays[i]));
  std::vector<std::string> names;
  for (const Camera& camera : screenCameras()) names.push_back(camera.name);
  EXPECT_EQ(names, expected);
}

TEST_F(GrabberBundleWithMonitors, DisplaysSharingTheirLowSixteenBitsGetCamerasOfTheirOwn) {
  // A display is named by an atom; atoms are numbered in order, so the one made 65536 after
  // the first shares its low 16 bits.
  const Atom first = XInternAtom(mDisplay, "GRABBER-FIRST", False);
  std::vector<std::string> fillers;
  for (int i = 0; i < 65535; ++i) fillers.push_back("GRABBER-FILLER-" + std::to_string(i));
  std::vector<char*> names;
  for (std::string& filler : fillers) names.push_back(filler.data());
  std::vector<Atom> atoms(names.size());
  XInternAtoms(mDisplay, names.data(), int(names.size()), False, atoms.data());
  const Atom twin = XInternAtom(mDisplay, "GRABBER-TWIN", False);
  ASSERT_EQ(twin & 0xFFFF, first & 0xFFFF) << "the server does not number atoms in order";
  addMonitor(first, 0, 640, true);
  addMonitor(twin, 640, 640);

  // The cameras come in the order of the displays (the server's own screen monitor among them).
  const std::vector<CGDirectDisplayID> displays = activeDisplays();
  const std::vector<Camera> cameras = screenCameras();
  ASSERT_EQ(cameras.size(), displays.size());
  const auto at = [&](Atom name) { return size_t(std::find(displays.begin(), displays.end(), name) - displays.begin()); };
  ASSERT_LT(at(first), cameras.size());
  ASSERT_LT(at(twin), cameras.size());
  const Camera& leftCamera = cameras[at(first)];
  const Camera& rightCamera = cameras[at(twin)];
  EXPECT_NE(leftCamera.name, rightCamera.name);
  EXPECT_NE(leftCamera.uid, rightCamera.uid);
  // Each still shows its own display: the left half of the screen or the right.
  auto sketch = startSketch("GrabberSketch", {"0,0,640,1024"});
  Picture left, right;
  ASSERT_TRUE(captureLast(leftCamera.uid, 2, left));
  ASSERT_TRUE(captureLast(rightCamera.uid, 2, right));
  // A 640 by 1024 display is 450 by 720 in the frame, from x = 415; the window fills the left one.
  EXPECT_TRUE(looksLike(left, 640, 60, kGreen));
  EXPECT_TRUE(looksLike(left, 500, 400, kRed));
  EXPECT_TRUE(looksLike(left, 780, 400, kBlue));
  EXPECT_TRUE(looksLike(left, 200, 400, kBlack));
  EXPECT_FALSE(looksLike(right, 500, 400, kRed));
  EXPECT_FALSE(looksLike(right, 780, 400, kBlue));
}

TEST(GrabberBundleExports, ExactlyTheFactoriesAndTheDiagnostics) {
  const std::string binary = std::string(MOXICAM_CMIO_BUNDLE) + "/Contents/MacOS/MoxicamCMIO";
  const std::string nm = moxicam::test::programOnPath("nm");
  if (nm.empty()) GTEST_SKIP() << "nm is not installed";
  auto result = moxicam::test::runChild(nm, {"-D", "--defined-only", "-C", binary}, {}, 30s);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // "<address> <kind> <name as it reads>"
  std::set<std::string> symbols;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) symbols.insert(line.substr(line.find(' ', 17) + 1));
  EXPECT_EQ(symbols, (std::set<std::string>{
                         "CPP_COMHardwarePlugInInterface_Factory",
                         "GRABBER_COMHardwarePlugInInterface_Factory",
                         "NQCMIO::DisplayExecutionEnvironment()",
                         "NQCMIO::DisplayFactoryInterfaces()",
                         "NQCMIO::DisplayAllFactoryInterfacesWithValidIUnknown()",
                         "NQCMIO::DisplayFactoryInterfacesWithValidIUnknown(__CFArray const*)",
                     }));
}

}  // namespace
